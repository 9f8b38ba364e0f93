// Snapshot files held in memory: the names and bytes a save would write into
// a directory. For a snapshot that is read more than once, or that is needed
// as files only when something goes wrong.
#pragma once

#include "snapshot/registry_snapshot.h"

class SnapshotMemory {
public:
    SnapshotMemory() = default;
    SnapshotMemory(const SnapshotMemory&) = delete;
    SnapshotMemory& operator=(const SnapshotMemory&) = delete;
    ~SnapshotMemory();

    // Adds an empty file named `name` (at most kMaxSnapshotFileName bytes)
    // and gives its number. False, with ERROR_NOT_ENOUGH_MEMORY as the last
    // error, when memory runs out.
    bool Add(LPCSTR name, DWORD* number);
    // Adds a file whose bytes are the heap block `bytes` of `size` bytes,
    // which the memory owns from now on (also when this fails).
    bool Adopt(LPCSTR name, BYTE* bytes, DWORD size);
    // Adds `size` bytes at the end of file `number`; false as Add.
    bool Append(DWORD number, const void* bytes, DWORD size);
    // The bytes of the file `name`; false when there is none.
    bool Find(LPCSTR name, const BYTE** bytes, DWORD* size) const;

    DWORD Count() const { return count_; }
    LPCSTR Name(DWORD number) const { return files_[number].name; }
    const BYTE* Bytes(DWORD number) const { return files_[number].bytes; }
    DWORD Size(DWORD number) const { return files_[number].size; }

private:
    struct File {
        CHAR name[kMaxSnapshotFileName + 1];
        BYTE* bytes;
        DWORD size;
        DWORD capacity;
    };
    bool Grow();

    File* files_ = nullptr;
    DWORD count_ = 0;
    DWORD capacity_ = 0;
    // Files are mostly looked up in the order they were added: the next
    // lookup starts where the last one ended.
    mutable DWORD nextFind_ = 0;
};

// Writes the tree below `key` as SaveRegistryTree does, into `memory`
// instead of a directory. Returns 1 when the whole tree was kept, 0 after a
// reported failure.
int SaveRegistryTreeToMemory(HWND owner, HKEY key, LPCSTR fileName, SnapshotMemory* memory);

// ValidateSnapshot that keeps every file it read in `memory`, so that the
// tree can be loaded without reading the files again.
int ReadValidSnapshot(HWND owner, LPCSTR fileName, LPCSTR directory, SnapshotMemory* memory);

// LoadWholeRegistryTree of the snapshot `fileName` held in `memory`;
// `directory` is where its files are or would be, for the messages.
int LoadWholeRegistryTreeFromMemory(HWND owner, HKEY key, LPCSTR fileName, const SnapshotMemory& memory,
                                    LPCSTR directory);

// Writes every file of `memory` into `directory` (ending with a backslash).
// Returns FALSE after a reported failure; files written so far stay.
BOOL WriteSnapshotFiles(HWND owner, const SnapshotMemory& memory, LPCSTR directory);
