// The profile file: an LHA archive of the work directory, made and opened
// through the archiver's command entry point.
#pragma once

#include "winapi/winapi.h"

// Packs every file of `workDirectory` (ending with a separator) into a new
// archive that replaces the file at `profilePath` only once it is complete.
// Nonzero on success, 0 after a failure that has been reported; the file
// at `profilePath` is then as it was.
int PackProfileFile(HWND owner, LPCSTR profilePath, LPCSTR workDirectory);

// Extracts every member of the profile file into `workDirectory`, without
// stored paths. Nonzero on success, 0 after a failure that has been reported.
int UnpackProfileFile(HWND owner, LPCSTR profilePath, LPCSTR workDirectory);

// Carries out an archiver command (see lha/archiver.h) and tells the user
// what went wrong: a failed system call through ReportSystemError, anything
// wrong with the archive as an information box owned by `owner`. Returns 0
// on success, otherwise the archiver's status. `output` (may be NULL)
// receives the listing of `l`.
int RunArchiverCommand(HWND owner, LPCSTR commandLine, LPSTR output, DWORD outputSize);
