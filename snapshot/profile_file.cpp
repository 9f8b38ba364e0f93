// Packing and unpacking profile files, and the one place where the
// archiver's failures reach the user.
#include "snapshot/profile_file.h"

#include "base/report.h"
#include "lha/archiver.h"

int PackProfileFile(HWND owner, LPCSTR profilePath, LPCSTR workDirectory) {
    // A missing file (or folder: the archiver then says why it cannot create
    // the file) is no reason to stop; anything else that keeps the old file
    // in place is.
    if (!DeleteFileA(profilePath)) {
        DWORD error = GetLastError();
        if (error != ERROR_FILE_NOT_FOUND && error != ERROR_PATH_NOT_FOUND) {
            ReportSystemErrorWith(owner, "%sに上書きできません。", profilePath);
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

int RunArchiverCommand(HWND owner, LPCSTR commandLine, LPSTR output, DWORD outputSize) {
    ArchiverFailure failure;
    int result = CarryOutArchiverCommand(commandLine, output, outputSize, &failure);
    if (result == 0) return 0;
    CHAR text[kMessageBufferSize];
    FormatArchiverFailure(failure, text);
    if (failure.status == kLhaIoFailed) {
        SetLastError(failure.systemError);
        ReportSystemError(owner, text);
    } else {
        ShowInformation(owner, text);
    }
    return result;
}
