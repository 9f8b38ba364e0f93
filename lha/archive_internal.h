// Shared by the archiver's command files: scope guards for what they hold
// and the recording of a failure.
#pragma once

#include "lha/archiver.h"
#include "lha/header.h"

// Closes a file handle at scope exit; release() hands it over.
struct FileHandleGuard {
    HANDLE handle = INVALID_HANDLE_VALUE;
    ~FileHandleGuard() {
        if (handle != INVALID_HANDLE_VALUE) CloseHandle(handle);
    }
    void Close() {
        if (handle != INVALID_HANDLE_VALUE) CloseHandle(handle);
        handle = INVALID_HANDLE_VALUE;
    }
};

struct FindHandleGuard {
    HANDLE handle = INVALID_HANDLE_VALUE;
    ~FindHandleGuard() {
        if (handle != INVALID_HANDLE_VALUE) FindClose(handle);
    }
};

// A process-heap block freed at scope exit.
struct HeapBlock {
    void* data = nullptr;
    ~HeapBlock() {
        if (data) HeapFree(GetProcessHeap(), 0, data);
    }
    bool Allocate(SIZE_T size) {
        data = HeapAlloc(GetProcessHeap(), 0, size);
        return data != nullptr;
    }
};

// Records a failed system call (its code is still the last error).
void RecordIoFailure(ArchiverFailure* failure, ArchiverAction action, LPCSTR subject);
// Records bad data; `detail` may be NULL.
void RecordDataFailure(ArchiverFailure* failure, LhaStatus status, LPCSTR subject, LPCSTR detail);

// The member-walking commands: extract into `folder`, test, or list into
// `output`. Returns the status; *failure says more.
enum MemberCommand { kExtractMembers, kTestMembers, kListMembers };
LhaStatus WalkMembers(MemberCommand command, LPCSTR archive, LPCSTR folder, LPSTR output, DWORD outputSize,
                      ArchiverFailure* failure);

// The `a` command: every plain file matched by `pattern` (a folder and
// "*.*") into a new archive at `archive`.
LhaStatus AddFolderFiles(LPCSTR archive, LPCSTR pattern, ArchiverFailure* failure);

// Length of `s` (bytes before the NUL).
inline DWORD TextLength(LPCSTR s) { return static_cast<DWORD>(lstrlenA(s)); }
