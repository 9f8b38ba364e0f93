// The two halves both settings subsystems share for their items saved as
// numbered snapshots of an index: on save, the record and then the snapshot
// numbered by the records written before it; on load, the snapshot named by
// the record number a list entry carries, put in the place of a live tree.
// Record k and snapshot k always belong together, whatever was skipped.
#pragma once

#include "snapshot/tree_replace.h"
#include "winapi/guards.h"
#include "winapi/winapi.h"

// Opens the live tree of the item with key name `keyName` for reading into
// `key`. FALSE after a reported failure.
typedef BOOL (*LiveTreeOpener)(HWND owner, LPCSTR keyName, KeyGuard* key);

// Appends the record of `displayName` to the index `indexName` in
// `directory`, then saves the tree `open` gives for `keyName` as the snapshot
// numbered by the records already in the index ("tcpip.2" after two).
// Returns the writer's result, or 0 after a reported failure; a record whose
// tree could not be opened or written stays, without its snapshot.
int SaveIndexedSnapshot(HWND owner, LPCSTR directory, LPCSTR indexName, LPCSTR keyName, LPCSTR displayName,
                        LiveTreeOpener open);

// Replaces `tree` by the snapshot of the index `indexName` whose number is
// the item data of entry `item` of list `listId`. Returns ReplaceLiveTree's
// result; 0 also when the entry's number cannot be read (not reported).
int ApplyIndexedSnapshot(HWND owner, LPCSTR directory, LPCSTR indexName, int listId, int item, const LiveTree& tree);
