// The two process-wide path buffers and the work directory's upkeep.
#pragma once

#include "winapi/winapi.h"

// Size of a path buffer (with its NUL) as the file functions take it.
constexpr int kPathBufferSize = MAX_PATH;

// The private work directory: the user's temporary path followed by
// "Morvik\brv\"; always ends with a backslash. Set once at start-up.
constexpr int kWorkDirectorySize = kPathBufferSize + 11 + 1;
extern CHAR WorkDirectory[kWorkDirectorySize];

// The profile file being saved or loaded; empty (first byte NUL) between flows.
constexpr int kProfileFilePathSize = kPathBufferSize + 1;
extern CHAR ProfileFilePath[kProfileFilePathSize];

// Deletes every plain file in the work directory `directory` (WorkDirectory,
// or a console program's own; it ends with a separator and is at most
// kWorkDirectorySize bytes). Returns TRUE on success, FALSE after a failure
// it has reported, without an owner window.
BOOL ClearWorkDirectory(LPCSTR directory);
