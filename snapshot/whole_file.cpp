// Reading a whole file into a heap block of its size.
#include "snapshot/whole_file.h"

#include "base/report.h"
#include "base/report_context.h"

namespace {

BOOL FindFileSize(HWND owner, HANDLE file, LPCSTR path, const WholeFileReport& report, DWORD* size);

}  // namespace

Presence ReadWholeFile(HWND owner, LPCSTR path, const WholeFileReport& report, HeapBlock* contents, DWORD* size) {
    *size = 0;
    FileGuard file(CreateFileA(path, GENERIC_READ, 0, nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
    if (!file.valid()) {
        if (report.mayBeAbsent) return Presence::kAbsent;
        ReportFailureOn(owner, Named::kTemporaryFile, path, kActionReadAccess, report.openLead);
        return Presence::kFailed;
    }
    DWORD fileSize = 0;
    if (!FindFileSize(owner, file.handle, path, report, &fileSize)) return Presence::kFailed;
    if (!contents->Allocate(fileSize ? fileSize : 1)) {
        SetLastError(ERROR_NOT_ENOUGH_MEMORY);
        ReportSystemErrorWith(owner, report.readFailure, path);
        return Presence::kFailed;
    }
    if (!ReadFile(file.handle, contents->block, fileSize, size, nullptr)) {
        ReportSystemErrorWith(owner, report.readFailure, path);
        return Presence::kFailed;
    }
    if (*size > fileSize) *size = fileSize;
    return Presence::kPresent;
}

namespace {

// The size of the open file; one of 4 GiB or more is reported as out of
// memory, since no heap block can hold it.
BOOL FindFileSize(HWND owner, HANDLE file, LPCSTR path, const WholeFileReport& report, DWORD* size) {
    DWORD high = 0;
    SetLastError(NO_ERROR);
    *size = GetFileSize(file, &high);
    if (*size == INVALID_FILE_SIZE && GetLastError() != NO_ERROR) {
        if (report.sizeFailure)
            ReportSystemErrorWith(owner, report.sizeFailure, path);
        else
            ReportFailureOn(owner, Named::kTemporaryFile, path, kActionGetSize);
        return FALSE;
    }
    if (high != 0) {
        SetLastError(ERROR_NOT_ENOUGH_MEMORY);
        ReportSystemErrorWith(owner, report.readFailure, path);
        return FALSE;
    }
    return TRUE;
}

}  // namespace
