#include "base/workarea.h"

#include "base/report.h"
#include "base/report_context.h"
#include "winapi/guards.h"

CHAR WorkDirectory[kWorkDirectorySize];
CHAR ProfileFilePath[kProfileFilePathSize];

namespace {

void ReportListingFailure(LPCSTR directory) {
    ReportFailureOn(nullptr, Named::kDirectory, directory, kActionListFiles,
                    "テンポラリディレクトリを初期化しようとしましたが、");
}

// Deletes one entry; "." and "..", folders and read-only files refuse with
// ERROR_ACCESS_DENIED or ERROR_FILE_NOT_FOUND and are passed over.
BOOL DeleteWorkFile(LPCSTR directory, LPCSTR name) {
    CHAR path[kPathBufferSize + kWorkDirectorySize];
    wsprintfA(path, "%s%s", directory, name);
    if (DeleteFileA(path)) return TRUE;
    DWORD error = GetLastError();
    if (error == ERROR_ACCESS_DENIED || error == ERROR_FILE_NOT_FOUND) return TRUE;
    ReportSystemErrorWith(nullptr, "テンポラリディレクトリを初期化しようとしましたが、ファイル\"%s\"を削除できません。",
                          path);
    return FALSE;
}

}  // namespace

BOOL ClearWorkDirectory(LPCSTR directory) {
    CHAR pattern[kWorkDirectorySize + 4];
    wsprintfA(pattern, "%s*.*", directory);
    WIN32_FIND_DATAA entry;
    FindGuard search{FindFirstFileA(pattern, &entry)};
    if (search.handle == INVALID_HANDLE_VALUE) {
        ReportListingFailure(directory);
        return FALSE;
    }
    for (;;) {
        if (!DeleteWorkFile(directory, entry.cFileName)) return FALSE;
        if (!FindNextFileA(search.handle, &entry)) break;
    }
    if (GetLastError() != ERROR_NO_MORE_FILES) {
        ReportListingFailure(directory);
        return FALSE;
    }
    return TRUE;
}
