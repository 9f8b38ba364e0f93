// The question after new TCP/IP settings were loaded: go on, shut down or
// restart Windows.
#pragma once

#include "winapi/winapi.h"

// Runs the restart prompt (dialog IDD_RESTART) owned by `owner` (NULL in
// command-line mode). For "shut down" or "restart" it enables the process's
// shutdown privilege and asks Windows to end the session; each failing step
// is reported once, with `owner` as the owner of the box. Returns TRUE when
// Windows accepted the request, FALSE otherwise (continue, close box, or a
// reported failure); the process token is closed on every path.
BOOL RestartPrompt(HWND owner, HINSTANCE instance);

// Dialog procedure of IDD_RESTART: any command ends the dialog with the
// command's id (the buttons' own ids, IDCANCEL for the close box and Escape).
INT_PTR CALLBACK RestartDialogProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam);
