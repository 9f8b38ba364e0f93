// The two ways the program tells the user something went wrong: the warning
// box for a failed system call, and the information box for a finding of
// its own (a busy lock file, a damaged or foreign profile file, a saved name
// without a live match). Every subsystem reports through these two, never
// through MessageBoxA: the window program links versions that show boxes
// (report.cpp), a console program links versions that write the same text
// to standard error.
#pragma once

#include "winapi/guards.h"
#include "winapi/message_size.h"
#include "winapi/winapi.h"

// Shows "an unexpected error has occurred", the caller's context text, the
// system's text for the calling thread's last error and fixed advice, in a
// modal warning box owned by `owner` (may be NULL). Call it while the failing
// call's error code is still the last error.
void ReportSystemError(HWND owner, LPCSTR context);

// Shows `text` as a modal information box owned by `owner` (may be NULL),
// without caption, and returns when the user has read it.
void ShowInformation(HWND owner, LPCSTR text);

// Composes `format` (one %s, taking `text`) and reports it as above; the last
// error survives the composition.
void ReportSystemErrorWith(HWND owner, LPCSTR format, LPCSTR text);


// The whole text of a failure report for `context` and the error `code`:
// the fixed first line, the context, the system's text for the code and the
// advice, cut at wsprintfA's 1,024 bytes. Composed into `text`, a process-
// heap block the caller's guard frees, or into `fallback` (kMessageBufferSize
// bytes) when the heap cannot give one. Returns the composed text. Every
// version of ReportSystemError shows exactly this.
LPCSTR ComposeSystemErrorText(DWORD code, LPCSTR context, HeapBlock* text, LPSTR fallback);
