// The file type association dialog: which of the two profile-file types a
// double-click in the shell loads with this program.
#pragma once

#include "winapi/winapi.h"

// Dialog procedure of IDD_ASSOCIATION, run modally with parameter 0.
// Set-up ticks each type that is registered: its extension under
// HKEY_CLASSES_ROOT names our ProgID and the ProgID is there. Ticking a type
// whose extension another application has set asks before that setting is
// replaced; anything but Yes unticks the box again. OK registers each ticked
// type (extension, open command with this program's path, icon) and, for
// each unticked one, removes our ProgID with its subkeys and the extension
// only while it names our ProgID; then it ends with IDOK. A failure is
// reported (owner the dialog) and leaves the dialog open with what was
// written before it. When set-up could not read the registry, OK stays
// disabled: nothing is changed on a state the dialog does not know.
INT_PTR CALLBACK AssociationDialogProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam);
