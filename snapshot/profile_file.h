// The profile file: an LHA archive of the work directory, made and opened
// through the archiver command entry point.
#pragma once

#include "winapi/winapi.h"

// Deletes the file at `profilePath` and packs every file of `workDirectory`
// (ending with a separator) into a new archive there. Nonzero on success,
// 0 after a failure that has been reported.
int PackProfileFile(HWND owner, LPCSTR profilePath, LPCSTR workDirectory);

// Extracts every member of the profile file into `workDirectory`, without
// stored paths. Nonzero on success, 0 after a failure that has been reported.
int UnpackProfileFile(HWND owner, LPCSTR profilePath, LPCSTR workDirectory);
