// The program's own save and load dialogs, created from their templates
// but never shown, played by the tool as a user would: entries chosen by
// name, then OK.
#pragma once

#include <string>
#include <vector>

#include "brvprofile/profile_kinds.h"
#include "settings/settings_dialog.h"
#include "winapi/winapi.h"

// What the tool needs of a kind's subsystem besides its dialogs: the walk
// over the live items, the rank that tells items of one name apart, and
// the live tree an apply replaces for an item (below `root`).
struct DialogKind {
    int templateId;
    DLGPROC save;
    DLGPROC load;
    ItemWalker walker;
    int (*liveRank)(HWND owner, LPCSTR keyName, LPCSTR displayName);
    HKEY root;
    LPCSTR rootName;
    // Writes the path of the live tree of `keyName` below root into `path`
    // (kLivePathSize bytes); 0 after a reported failure.
    int (*livePath)(HWND owner, LPCSTR keyName, LPSTR path);
};
constexpr int kLivePathSize = 512;

const DialogKind& DialogKindOf(const ProfileKind& kind);

// Creates the save or load dialog of `kind` without showing it; its set-up
// has run. Null after a reported failure to create it.
HWND CreateHiddenDialog(const ProfileKind& kind, bool load);
void DestroyHiddenDialog(HWND dialog);

// Sends OK as a click does. Returns the number of reports made meanwhile.
int PressOk(HWND dialog);

// The texts of the entry list, in list order.
std::vector<std::string> ListEntries(HWND dialog);

// Selects entry `item` alone (-1: none).
void SelectOnlyEntry(HWND dialog, int item);
