// Writing a whole buffer to a file, the one way every subsystem does it.
#pragma once

#include "winapi/winapi.h"

// Writes all `size` bytes. A write that succeeds but is short means the disk
// is full; the last error then says so instead of keeping a stale code.
inline BOOL WriteAllBytes(HANDLE file, const void* bytes, DWORD size) {
    DWORD written = 0;
    if (!WriteFile(file, bytes, size, &written, nullptr)) return FALSE;
    if (written != size) {
        SetLastError(ERROR_DISK_FULL);
        return FALSE;
    }
    return TRUE;
}

// Opens a work file for writing, replacing any file of that name. Work files
// go into folders that are empty or nearly so, and a file made new is much
// cheaper for Wine to delete again than one opened over an old name (which
// it truncates), so the old name is only replaced when there is one.
inline HANDLE CreateWorkFile(LPCSTR path) {
    HANDLE file = CreateFileA(path, GENERIC_WRITE, 0, nullptr, CREATE_NEW, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file != INVALID_HANDLE_VALUE) return file;
    const DWORD error = GetLastError();
    if (error != ERROR_FILE_EXISTS && error != ERROR_ALREADY_EXISTS) return INVALID_HANDLE_VALUE;
    return CreateFileA(path, GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
}
