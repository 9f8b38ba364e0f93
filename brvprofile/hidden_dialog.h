// The program's own save and load dialogs, created from their templates but
// never shown and without a procedure of their own: the tool runs the set-up
// and OK steps of the dialog bodies on them directly, as a user would choose
// entries by name and press OK.
#pragma once

#include <string>
#include <vector>

#include "settings/settings_group.h"
#include "winapi/winapi.h"

// Creates the dialog template of `kind` without showing it; nothing is set
// up. Null after a reported failure to create it. DestroyWindow ends it.
HWND CreateHiddenDialog(const SettingsGroup& kind);

// The texts of the entry list, in list order.
std::vector<std::string> ListEntries(HWND dialog);

// Selects entry `item` alone (-1: none).
void SelectOnlyEntry(HWND dialog, int item);
