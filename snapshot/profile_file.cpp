#include "snapshot/profile_file.h"

#include "app/report.h"
#include "lha/archiver.h"

int PackProfileFile(HWND owner, LPCSTR profilePath, LPCSTR workDirectory) {
    // A missing file (or folder: the archiver then says why it cannot create
    // the file) is no reason to stop; anything else that keeps the old file
    // in place is.
    if (!DeleteFileA(profilePath)) {
        DWORD error = GetLastError();
        if (error != ERROR_FILE_NOT_FOUND && error != ERROR_PATH_NOT_FOUND) {
            CHAR context[kMessageBufferSize];
            wsprintfA(context, "%sに上書きできません。", profilePath);
            ReportSystemError(owner, context);
            return 0;
        }
    }
    CHAR command[kMessageBufferSize];
    wsprintfA(command, "a \"%s\" \"%s*.*\"", profilePath, workDirectory);
    return RunArchiverCommand(owner, command, nullptr, 0) == 0;
}

int UnpackProfileFile(HWND owner, LPCSTR profilePath, LPCSTR workDirectory) {
    CHAR command[kMessageBufferSize];
    wsprintfA(command, "e \"%s\" \"%s\" *", profilePath, workDirectory);
    return RunArchiverCommand(owner, command, nullptr, 0) == 0;
}
