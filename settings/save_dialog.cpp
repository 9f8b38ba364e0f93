// The save dialog of a settings group: set-up shows the saver's name and the
// live items, OK writes the header, the options part and the chosen items
// into the work directory and packs it into the profile file.
#include "settings/settings_dialog.h"

#include "base/workarea.h"
#include "resources/resource.h"
#include "settings/group_items.h"
#include "snapshot/profile_file.h"

namespace {

BOOL SaveSelectedEntries(const SettingsGroup& group, HWND dialog, LPCSTR directory, DialogOutcome* outcome);

}  // namespace

BOOL SetUpSaveDialog(const SettingsGroup& group, HWND dialog) {
    SetWindowTextA(dialog, group.saveCaption);
    SetDlgItemTextA(dialog, IDC_PROMPT, group.savePrompt);
    if (group.options) {
        CheckDlgButton(dialog, IDC_OPTIONS, BST_CHECKED);
        SetDlgItemTextA(dialog, IDC_OPTIONS, group.options->saveBoxText);
    }
    if (!group.showSourceName(dialog)) return FALSE;
    if (!ListLiveItems(group, dialog)) return FALSE;
    return SendDlgItemMessageA(dialog, IDC_ENTRY_LIST, LB_SETSEL, TRUE, -1) != LB_ERR;
}

int SaveFromDialog(const SettingsGroup& group, HWND dialog, LPCSTR profilePath, LPCSTR directory,
                   DialogOutcome* outcome) {
    outcome->Start(dialog, IDC_ENTRY_LIST);
    if (!WriteProfileHeaderFromDialog(dialog, directory, group.headerKind, IDC_SOURCE_NAME, IDC_COMMENT)) return 0;
    if (group.options) outcome->options = SaveOptionsPart(dialog, *group.options, directory);
    if (!SaveSelectedEntries(group, dialog, directory, outcome) || !PackProfileFile(dialog, profilePath, directory)) {
        ClearWorkDirectory(directory);
        return 0;
    }
    outcome->fileWritten = TRUE;
    return 1;
}

INT_PTR SaveDialogMessage(const SettingsGroup& group, HWND dialog, UINT message, WPARAM wParam) {
    if (message == WM_INITDIALOG) {
        if (!SetUpSaveDialog(group, dialog)) EndDialog(dialog, IDCANCEL);
        return TRUE;
    }
    if (message != WM_COMMAND) return FALSE;
    switch (LOWORD(wParam)) {
    case IDOK: {
        DialogOutcome outcome;
        if (SaveFromDialog(group, dialog, ProfileFilePath, WorkDirectory, &outcome)) EndDialog(dialog, IDOK);
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

// In ascending list position; only a failed walk stops the save.
BOOL SaveSelectedEntries(const SettingsGroup& group, HWND dialog, LPCSTR directory, DialogOutcome* outcome) {
    const LRESULT count = SendDlgItemMessageA(dialog, IDC_ENTRY_LIST, LB_GETCOUNT, 0, 0);
    for (LRESULT i = 0; i < count; ++i) {
        if (SendDlgItemMessageA(dialog, IDC_ENTRY_LIST, LB_GETSEL, i, 0) <= 0) continue;
        EntryOutcome entry = kEntryNotTried;
        const int walked = SaveEntryItem(group, dialog, directory, static_cast<int>(i), &entry);
        outcome->Note(static_cast<int>(i), entry);
        if (walked == 0) return FALSE;
    }
    return TRUE;
}

}  // namespace
