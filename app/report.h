// The standard warning box for a failed system call.
#pragma once

#include "winapi/winapi.h"

// Shows "an unexpected error has occurred", the caller's context text, the
// system's text for the calling thread's last error and fixed advice, in a
// modal warning box owned by `owner` (may be NULL). Call it while the failing
// call's error code is still the last error.
void ReportSystemError(HWND owner, LPCSTR context);

// Composes `format` (one %s, taking `text`) and reports it as above; the last
// error survives the composition.
void ReportSystemErrorWith(HWND owner, LPCSTR format, LPCSTR text);

// Size of every buffer a message with a variable part is composed into; it is
// also wsprintfA's own output limit.
constexpr int kMessageBufferSize = 1024;
