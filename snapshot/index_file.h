// Index files ("gateway", "tcpip"): a plain file in the work directory that
// lists the display names of the saved items, one record per saved item:
//   display name (L bytes, cp932) | 0x00 | pad byte 0x00
// No header, count or trailer. Record k (from 0, in file order) belongs to
// the snapshot formed from the kind's snapshot format with k.
#pragma once

#include "snapshot/item_callback.h"
#include "winapi/winapi.h"

// What tells one index file from the other: its name in the work directory
// and the format of its snapshots' names (one %d).
struct IndexFileKind {
    LPCSTR fileName;
    LPCSTR snapshotFormat;
};

constexpr IndexFileKind kGatewayIndex{"gateway", "gateway.%d"};
constexpr IndexFileKind kTcpipIndex{"tcpip", "tcpip.%d"};

// Longest snapshot name formed from a kind's format (NUL included).
constexpr int kIndexSnapshotNameSize = 32;

// Forms the name of snapshot `number` of `kind` into `name`
// (kIndexSnapshotNameSize bytes).
void FormIndexSnapshotName(const IndexFileKind& kind, int number, LPSTR name);

// Appends one record for `displayName` to the index file in `directory`
// (ending with a backslash), creating the file when it is missing. Returns
// the record's number, which is the number of records the file held before,
// or -1 after a reported failure (a record may then be partly written).
int AppendIndexRecord(HWND owner, LPCSTR directory, const IndexFileKind& kind, LPCSTR displayName);

// Reads the index file in `directory` and calls `callback` once per record,
// in file order, with (owner, directory, null key name, the record's name,
// item). Never reads past the bytes read: a last record without terminator is
// taken up to the end of the data, one without its pad byte is passed on and
// ends the reading. Returns kWalkDone, kWalkStopped when the callback
// returned 0, or kWalkFailed after a reported failure (the file is missing,
// its size or its data cannot be read).
int ReadIndexFile(ItemCallback callback, HWND owner, LPCSTR directory, const IndexFileKind& kind, int item);
