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
