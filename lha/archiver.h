// The archiver's commands, carried out without showing anything: the
// profile container words and shows their failures, the command-line front
// end prints them.
//
// Commands (both '\' and '/' separate path components):
//   a "<archive>" "<folder>\*.*"   every plain file of the folder, in byte order,
//                                  into a new archive (-lh5-, level-2 headers)
//   e "<archive>" "<folder>\" *    every member into the folder, flat and safely
//   l "<archive>"                  one line per member into the output buffer
//   t "<archive>"                  decode every member and check its CRC
#pragma once

#include "winapi/winapi.h"
#include "lha/lha_status.h"
#include "winapi/message_size.h"

// What failed, for the caller to tell the user.
enum ArchiverAction {
    kActionNone = 0,
    kActionOpenForReading,  // CreateFileA for reading
    kActionRead,            // ReadFile
    kActionCreate,          // CreateFileA for writing
    kActionWrite,           // WriteFile, SetFilePointer, SetEndOfFile
    kActionReplace,         // MoveFileExA onto the archive
    kActionListFolder,      // FindFirstFileA, FindNextFileA
    kActionAllocate,        // HeapAlloc
};

struct ArchiverFailure {
    LhaStatus status;
    ArchiverAction action;     // for kLhaIoFailed
    DWORD systemError;         // for kLhaIoFailed: the failed call's error code
    CHAR subject[MAX_PATH];    // the archive, file or folder concerned
    CHAR detail[16];           // the method of kLhaUnsupported, printable
};

// Carries out the command without showing anything. Returns 0 on success;
// otherwise the status, with *failure filled in.
int CarryOutArchiverCommand(LPCSTR commandLine, LPSTR output, DWORD outputSize, ArchiverFailure* failure);

// The one place a failure becomes the user's text: for kLhaIoFailed the
// context that goes before the system's own text, otherwise the whole
// message. `text` holds kMessageBufferSize bytes.
void FormatArchiverFailure(const ArchiverFailure& failure, LPSTR text);
