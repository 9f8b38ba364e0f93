// The file type association dialog: which of the two profile-file types a
// double-click in the shell loads with this program.
#pragma once

#include "winapi/winapi.h"

// Dialog procedure of IDD_ASSOCIATION, run modally with parameter 0.
// Set-up ticks each type whose ProgID is under HKEY_CLASSES_ROOT; an extension
// that another application has set is taken over only when the user agrees
// (otherwise the dialog ends with IDCANCEL at once). OK registers each ticked
// type (extension, open command with this program's path, icon) and removes
// each unticked one with its subkeys, then ends with IDOK; a failure is
// reported (owner the dialog) and leaves the dialog open with what was
// written before it. When set-up could not read the registry, OK stays
// disabled: nothing is changed on a state the dialog does not know.
INT_PTR CALLBACK AssociationDialogProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam);
