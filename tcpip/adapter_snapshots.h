// The TCP/IP parameters of each connection (its Interfaces tree) as numbered
// snapshots ("tcpip.%d") with the index file "tcpip", and the callbacks of
// the adapter walk that save and apply them.
#pragma once

#include "settings/index_file.h"
#include "winapi/winapi.h"

// Save-side callback. List mode (item -1): adds the connection name to list
// 1007 and returns 1. Otherwise saves the connection that list entry `item`
// stands for (its name, and its rank among the entries and the connections
// of that name): appends its record to "tcpip" and saves its Interfaces tree
// as the snapshot numbered by the record. Returns 1 when the connection is
// not the entry's, the writer's result when it is, 0 after a failure
// (reported, except a failed list query).
int SaveAdapter(HWND owner, LPCSTR directory, LPCSTR adapterKeyName, LPCSTR connectionName, int item);

// Load-side callback. List mode: adds the connection name to list 1007 with
// its record number as item data and returns 1. Otherwise, when the
// connection is the one entry `item` stands for, replaces its Interfaces
// tree by the snapshot of the entry's record number, never losing the live
// tree, and returns 0 whatever the outcome, so that the walk stops; 1 when
// it is not the entry's.
int ApplyAdapter(HWND owner, LPCSTR directory, LPCSTR adapterKeyName, LPCSTR connectionName, int item);

// Calls `callback` once per record of "<directory>tcpip", in file order,
// with a null adapter key name. 1, -1 (stopped by the callback) or 0
// (reported failure).
int ReadTcpipIndex(ItemCallback callback, HWND owner, LPCSTR directory, int item);
