// Saving an item with its index record, and applying the snapshot an entry's
// record number names.
#include "settings/indexed_snapshot.h"

#include "snapshot/index_file.h"
#include "settings/list_entry.h"
#include "snapshot/registry_snapshot.h"

int SaveIndexedSnapshot(HWND owner, LPCSTR directory, LPCSTR indexName, LPCSTR keyName, LPCSTR displayName,
                        LiveTreeOpener open) {
    // The record first: its number names the snapshot, so the numbers follow
    // the records actually written.
    const int number = CountIndexRecords(owner, directory, indexName);
    if (number < 0 || !AppendIndexRecord(owner, directory, indexName, displayName)) return 0;
    KeyGuard tree;
    if (!open(owner, keyName, &tree)) return 0;
    CHAR snapshot[kIndexSnapshotNameSize];
    FormIndexSnapshotName(indexName, number, snapshot);
    return SaveRegistryTree(owner, tree.key, snapshot, directory);
}

int ApplyIndexedSnapshot(HWND owner, LPCSTR directory, LPCSTR indexName, int listId, int item, const LiveTree& tree) {
    const int number = ListEntryNumber(owner, listId, item);
    if (number < 0) return 0;
    CHAR snapshot[kIndexSnapshotNameSize];
    FormIndexSnapshotName(indexName, number, snapshot);
    return ReplaceLiveTree(owner, tree, snapshot, directory);
}
