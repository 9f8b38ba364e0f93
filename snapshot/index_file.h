// Index files: the list of display names (user names of identities, names
// of network connections) that a profile file holds, one record per saved
// item, record k pairing with snapshot k. The file has no header, count or
// trailer; each record is
//   name (L bytes, cp932) | 0x00 terminator | one pad byte (written 0x00)
// Each settings group names its own (SettingsGroup::indexName): "gateway" for
// IE/OE, "tcpip" for TCP/IP.
#pragma once

#include "winapi/winapi.h"

// The callback of the walkers over live items and over an index file: the
// owner window, the work directory, the item's key name (null when the name
// comes from an index file), its display name and the list index (-1: list
// mode). Returns 0 to stop the walk.
typedef int (*ItemCallback)(HWND owner, LPCSTR directory, LPCSTR keyName, LPCSTR displayName, int item);

// Appends the record of `displayName` to the index file `indexName` in
// `directory` (ending with a backslash), creating the file if needed.
// Returns 1, or 0 after a reported failure; a record written only in part is
// cut off again (a failure to cut it off is reported as well).
int AppendIndexRecord(HWND owner, LPCSTR directory, LPCSTR indexName, LPCSTR displayName);

// Reads the index file `indexName` in `directory` and calls `callback` once
// per record in file order with (owner, directory, null, the record's name,
// item). A last record without its pad byte is still passed on; one without
// its terminator is taken up to the end of the file. Returns 1 when every
// record was visited, -1 when the callback returned 0 (the walk stops
// there), 0 after a reported failure.
int ReadIndexFile(LPCSTR indexName, ItemCallback callback, HWND owner, LPCSTR directory, int item);

// What VisitIndexNames hands each record's name to, with its `context` and
// the record's number (from 0, in file order), which names its snapshot.
// Returns 0 to stop the reading.
typedef int (*IndexNameVisitor)(void* context, LPCSTR displayName, int record);

// Reads the index file `indexName` in `directory` exactly as ReadIndexFile
// does and hands each record's name and number, in file order, to `visit`.
// Returns 1, -1 (stopped by the visitor) or 0 after a failure reported with
// `owner`.
int VisitIndexNames(HWND owner, LPCSTR directory, LPCSTR indexName, IndexNameVisitor visit, void* context);

// The number of records a reading of the index file `indexName` in
// `directory` visits: 0 when the file does not exist, -1 after a reported
// failure to read it. The record an append adds gets this number, which
// names its snapshot.
int CountIndexRecords(HWND owner, LPCSTR directory, LPCSTR indexName);

// Forms the name of snapshot `number` of the index `indexName`
// ("gateway.3"), into `name` of kIndexSnapshotNameSize bytes.
constexpr int kIndexSnapshotNameSize = 32;
void FormIndexSnapshotName(LPCSTR indexName, int number, LPSTR name);
