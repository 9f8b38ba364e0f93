// The load dialog of a settings group: set-up unpacks the profile file and
// shows its header, the saved items and whether it holds the options part;
// OK applies the chosen parts to the live settings.
#include "settings/settings_dialog.h"

#include "base/workarea.h"
#include "resources/resource.h"
#include "settings/group_items.h"
#include "snapshot/profile_file.h"

namespace {

int ApplySelectedEntries(const SettingsGroup& group, HWND dialog, LPCSTR directory, DialogOutcome* outcome);

}  // namespace

void ShowLoadTexts(const SettingsGroup& group, HWND dialog) {
    SetWindowTextA(dialog, group.loadCaption);
    SetDlgItemTextA(dialog, IDC_PROMPT, group.loadPrompt);
    if (group.options) SetDlgItemTextA(dialog, IDC_OPTIONS, group.options->loadBoxText);
}

BOOL ShowProfileContents(const SettingsGroup& group, HWND dialog, LPCSTR directory) {
    if (!ShowProfileHeader(dialog, directory, group.headerKind, group.headerRequired, IDC_SOURCE_NAME, IDC_COMMENT))
        return FALSE;
    if (!ListSavedItems(group, dialog, directory)) return FALSE;
    SendDlgItemMessageA(dialog, IDC_ENTRY_LIST, LB_SETSEL, TRUE, -1);
    if (group.options) OfferOptionsPart(dialog, *group.options, directory);
    return TRUE;
}

BOOL SetUpLoadDialog(const SettingsGroup& group, HWND dialog, LPCSTR profilePath, LPCSTR directory) {
    ShowLoadTexts(group, dialog);
    if (!UnpackProfileFile(dialog, profilePath, directory)) return FALSE;
    return ShowProfileContents(group, dialog, directory);
}

int LoadFromDialog(const SettingsGroup& group, HWND dialog, LPCSTR directory, DialogOutcome* outcome) {
    outcome->Start(dialog, IDC_ENTRY_LIST);
    if (group.options) outcome->options = ApplyOptionsPart(dialog, *group.options, directory);
    outcome->missingEntry = ApplySelectedEntries(group, dialog, directory, outcome);
    if (outcome->missingEntry < 0) return 1;
    ShowEntryMessage(dialog, IDC_ENTRY_LIST, outcome->missingEntry, group.missingEntryFormat);
    return 0;
}

INT_PTR LoadDialogMessage(const SettingsGroup& group, HWND dialog, UINT message, WPARAM wParam) {
    if (message == WM_INITDIALOG) {
        if (!SetUpLoadDialog(group, dialog, ProfileFilePath, WorkDirectory)) EndDialog(dialog, IDCANCEL);
        return TRUE;
    }
    if (message != WM_COMMAND) return FALSE;
    switch (LOWORD(wParam)) {
    case IDOK: {
        DialogOutcome outcome;
        if (LoadFromDialog(group, dialog, WorkDirectory, &outcome)) EndDialog(dialog, IDOK);
        return TRUE;
    }
    case IDCANCEL:
        EndDialog(dialog, IDCANCEL);
        return TRUE;
    default:
        return FALSE;
    }
}

namespace {

// In ascending list position. Returns the first entry without a live item
// (the entries after it are not tried), or -1. A failed apply or walk has
// been reported and the next entries go on.
int ApplySelectedEntries(const SettingsGroup& group, HWND dialog, LPCSTR directory, DialogOutcome* outcome) {
    const LRESULT count = SendDlgItemMessageA(dialog, IDC_ENTRY_LIST, LB_GETCOUNT, 0, 0);
    for (LRESULT i = 0; i < count; ++i) {
        if (SendDlgItemMessageA(dialog, IDC_ENTRY_LIST, LB_GETSEL, i, 0) <= 0) continue;
        const EntryOutcome entry = ApplyEntryItem(group, dialog, directory, static_cast<int>(i));
        outcome->Note(static_cast<int>(i), entry);
        if (entry == kEntryMissingHere) return static_cast<int>(i);
    }
    return -1;
}

}  // namespace
