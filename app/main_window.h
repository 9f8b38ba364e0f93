// The main window: the four file flows and the association dialog.
#pragma once

#include "winapi/winapi.h"

// Dialog procedure of IDD_MAIN_95 and IDD_MAIN_NT, run modally with
// parameter 0. Each flow button runs its whole flow (RunFileFlow), owned by
// the main window; IDC_ASSOCIATE runs the association dialog; IDCANCEL (the
// close box) ends the main window with IDCANCEL. Handled commands answer
// TRUE, everything else FALSE (the dialog manager's defaults).
INT_PTR CALLBACK MainDialogProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam);
