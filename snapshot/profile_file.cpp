// Packing and unpacking profile files, and the one place where the
// archiver's failures reach the user.
#include "snapshot/profile_file.h"

#include "base/report.h"
#include "lha/archiver.h"

// Nothing is deleted first: the archiver writes a file of its own beside
// the target and moves it over the target only when it is complete, so a
// failed save leaves the old file as it was. A target that cannot be
// replaced (locked, read-only, in a missing folder) is reported by the
// archiver as "%sに上書きできません。".
int PackProfileFile(HWND owner, LPCSTR profilePath, LPCSTR workDirectory) {
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
