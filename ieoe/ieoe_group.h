// The IE/OE settings group: the current user's Internet options and the
// accounts of each Outlook Express identity, saved as ".ies" files. Its
// dialogs are on template 112; both are modal, take creation parameter 0
// and read WorkDirectory and ProfileFilePath. They end with 1 when the file
// was written or loaded, with 2 when cancelled or when the set-up failed; a
// failed OK leaves them open.
#pragma once

#include "settings/settings_group.h"
#include "winapi/winapi.h"

extern const SettingsGroup kIeOeGroup;

// Saves the current user's Internet options and the accounts of the chosen
// identities into the profile file at ProfileFilePath.
INT_PTR CALLBACK IeOeSaveDialogProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam);

// Unpacks the profile file at ProfileFilePath, shows what it holds and
// applies the chosen parts to the live settings.
INT_PTR CALLBACK IeOeLoadDialogProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam);
