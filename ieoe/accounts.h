// The accounts of each identity as numbered snapshots ("gateway.%d") with
// the index file "gateway", and the callbacks of the identity walk that save
// and apply them.
#pragma once

#include "settings/index_file.h"
#include "winapi/winapi.h"

// Save-side callback. List mode: adds the user name to list 1007. Otherwise
// saves the identity that list entry `item` stands for (its name, and its
// rank among the entries and the identities of that name): appends its
// record to "gateway" and saves its account tree (or, without one, the
// identity-less tree) as the snapshot numbered by the record. Returns 1 when
// the identity is not the entry's, the writer's result when it is, 0 after a
// failure (reported, except a failed list query).
int SaveIdentity(HWND owner, LPCSTR directory, LPCSTR keyName, LPCSTR userName, int item);

// Load-side callback. List mode: adds the user name to list 1007 with its
// record number as item data. Otherwise, when the identity is the one entry
// `item` stands for, replaces its account tree (or the identity-less tree)
// by the snapshot of the entry's record number and returns 0 whatever the
// outcome, so that the walk stops; 1 when it is not the entry's.
int ApplyIdentity(HWND owner, LPCSTR directory, LPCSTR keyName, LPCSTR userName, int item);

// The account tree an apply replaces for the live identity `keyName`: its own
// when it has one, else the identity-less tree. Writes the path below
// HKEY_CURRENT_USER into `path` (kAccountsPathSize bytes) and returns 1, or
// 0 after a reported failure of the probe.
constexpr int kAccountsPathSize = 256 + 72;
int FindLiveAccountTree(HWND owner, LPCSTR keyName, LPSTR path);

// Calls `callback` once per record of "<directory>gateway", in file order,
// with a null key name. 1, -1 (stopped by the callback) or 0 (reported failure).
int ReadGatewayIndex(ItemCallback callback, HWND owner, LPCSTR directory, int item);
