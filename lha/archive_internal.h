// Shared by the archiver's command files: the recording of a failure and
// the commands themselves.
#pragma once

#include "lha/archiver.h"
#include "lha/header.h"
#include "winapi/cp932.h"
#include "winapi/file_io.h"
#include "winapi/guards.h"

// Records a failed system call (its code is still the last error).
void RecordIoFailure(ArchiverFailure* failure, ArchiverAction action, LPCSTR subject);
// Records bad data; `detail` may be NULL.
void RecordDataFailure(ArchiverFailure* failure, LhaStatus status, LPCSTR subject, LPCSTR detail);

// The member-walking commands: extract into `folder`, test, or list into
// `output`. Returns the status; *failure says more.
enum MemberCommand { kExtractMembers, kTestMembers, kListMembers };
LhaStatus WalkMembers(MemberCommand command, LPCSTR archive, LPCSTR folder, LPSTR output, DWORD outputSize,
                      ArchiverFailure* failure);

// The `a` command: every plain file matched by `pattern` (a folder and
// "*.*") into a new archive at `archive`.
LhaStatus AddFolderFiles(LPCSTR archive, LPCSTR pattern, ArchiverFailure* failure);

// Length of `s` (bytes before the NUL).
inline DWORD TextLength(LPCSTR s) { return static_cast<DWORD>(lstrlenA(s)); }
