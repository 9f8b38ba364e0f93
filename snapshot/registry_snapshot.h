// Registry snapshot files: one flat file per registry key, holding the key's
// subkey records (file name of the subkey's own snapshot) followed by its
// value records. Integers are 32-bit little-endian. Each record is
//   D (4) | data (D) | type (4) | L (4) | name (L, NUL included)
// and a subkey record carries the type kSubkeyMarker and, as data, the file
// name of the subkey's snapshot with its NUL: the parent's name, a full stop
// and the subkey's rank ("proxy" -> "proxy.0", "proxy.0.0", "proxy.1").
#pragma once

#include "winapi/winapi.h"

// Type field of a subkey record.
constexpr DWORD kSubkeyMarker = 0xFFFFFFFF;
// Longest snapshot file name (without directory) and longest key or value
// name, both without the NUL.
constexpr int kMaxSnapshotFileName = 255;
constexpr int kMaxRegistryName = 255;
// Longest name field a loaded record may have (NUL included); see the loader.
constexpr DWORD kMaxNameField = 256;
// Every level adds at least two bytes (".0") to a file name of at most 255
// bytes, so no valid tree is deeper than this.
constexpr int kMaxSnapshotDepth = kMaxSnapshotFileName / 2 + 1;

// Room for a subkey's snapshot file name as FormSubkeyFileName forms it from
// a parent name of at most kMaxSnapshotFileName bytes: a full stop, ten
// digits and the NUL.
constexpr int kSubkeyFileNameSize = kMaxSnapshotFileName + 12;

// The file name the writer gives the subkey of rank `rank` (0 for the first)
// of the key saved as `fileName`: "proxy" and 1 give "proxy.1". `out` holds
// kSubkeyFileNameSize bytes. Returns the length of the name.
inline int FormSubkeyFileName(LPSTR out, LPCSTR fileName, DWORD rank) {
    return wsprintfA(out, "%s.%d", fileName, static_cast<int>(rank));
}

// Writes the tree below `key` (open with KEY_READ at least) as the snapshot
// file `fileName` and its subkeys' files, all into `directory` (ending with a
// backslash). Returns 1 when the whole tree was written, 0 after a reported
// failure; files written so far stay.
int SaveRegistryTree(HWND owner, HKEY key, LPCSTR fileName, LPCSTR directory);

// Writes the snapshot `fileName` in `directory` back below `key` (open with
// KEY_WRITE at least). Best effort per record: a record that can't be applied
// or is malformed is reported and skipped. Returns 1 when the file was read
// to its end, 0 when it could not be opened or read (reported).
int LoadRegistryTree(HWND owner, HKEY key, LPCSTR fileName, LPCSTR directory);

// As LoadRegistryTree, but the tree must arrive whole: the first value or
// subkey that cannot be written, or file that cannot be read, ends the load
// with 0 (reported there). For callers that put the old tree back when the
// new one did not arrive whole.
int LoadWholeRegistryTree(HWND owner, HKEY key, LPCSTR fileName, LPCSTR directory);

// Reads the whole snapshot tree `fileName` in `directory` exactly as
// LoadRegistryTree would, without touching the registry. Returns 1 when
// every file is present and readable and every record is whole and well
// formed; otherwise reports the first problem, as the loader would, and
// returns 0. Callers run it before they clear the live tree a load replaces.
int ValidateSnapshot(HWND owner, LPCSTR fileName, LPCSTR directory);

// What WalkSnapshot hands over, in file order: each value record of the key
// being read, and each subkey record, whose own file is walked between
// enterKey and leaveKey. `context` is passed back to every call.
struct SnapshotVisitor {
    void (*value)(void* context, LPCSTR name, DWORD type, const BYTE* data, DWORD size);
    void (*enterKey)(void* context, LPCSTR name);
    void (*leaveKey)(void* context);
    void* context;
};

// Reads the whole snapshot tree `fileName` in `directory` as ValidateSnapshot
// does, and hands every record it reads to `visitor`. Returns 1 when the
// tree is whole and well formed; otherwise reports the first problem as the
// loader would and returns 0 (the records before it have been handed over).
int WalkSnapshot(HWND owner, LPCSTR fileName, LPCSTR directory, const SnapshotVisitor* visitor);
