// The IE/OE save dialog: set-up shows the identities and the saver's user
// name, OK writes the header, the Internet options and the chosen accounts
// into the work directory and packs it into the profile file.
#include "ieoe/ieoe_dialogs.h"

#include "base/report.h"
#include "base/workarea.h"
#include "ieoe/accounts.h"
#include "ieoe/identities.h"
#include "ieoe/internet_options.h"
#include "resources/resource.h"
#include "settings/settings_dialog.h"
#include "snapshot/profile_file.h"
#include "snapshot/profile_header.h"
#include "winapi/guards.h"

namespace {

BOOL SetUpSaveDialog(HWND dialog);
BOOL ShowUserName(HWND dialog);
void SaveProfile(HWND dialog);

}  // namespace

INT_PTR CALLBACK IeOeSaveDialogProc(HWND dialog, UINT message, WPARAM wParam, LPARAM) {
    return HandleSettingsDialogMessage(dialog, message, wParam, SetUpSaveDialog, SaveProfile);
}

namespace {

BOOL SetUpSaveDialog(HWND dialog) {
    SetWindowTextA(dialog, "現行のIE/OEの設定をファイルにセーブ");
    SetDlgItemTextA(dialog, IDC_PROMPT, "ファイルにセーブするアカウントの項目を選択します。");
    CheckDlgButton(dialog, IDC_OPTIONS, BST_CHECKED);
    SetDlgItemTextA(dialog, IDC_OPTIONS, "インターネットオプションをファイルにセーブする。");
    if (!ShowUserName(dialog)) return FALSE;
    if (EnumIdentities(SaveIdentity, dialog, WorkDirectory, -1) == 0) return FALSE;
    return SendDlgItemMessageA(dialog, IDC_ENTRY_LIST, LB_SETSEL, TRUE, -1) != LB_ERR;
}

// The Windows user name of the thread into the read-only name box.
BOOL ShowUserName(HWND dialog) {
    DWORD size = 0;
    SetLastError(NO_ERROR);
    GetUserNameA(nullptr, &size);
    const DWORD error = GetLastError();
    if (error != NO_ERROR && error != ERROR_INSUFFICIENT_BUFFER && error != ERROR_MORE_DATA) {
        ReportSystemError(dialog, "ユーザ名のサイズを取得できません。");
        return FALSE;
    }
    HeapBlock name(size ? size : 1);
    if (!name.block) SetLastError(ERROR_NOT_ENOUGH_MEMORY);
    if (!name.block || !GetUserNameA(name.text(), &size)) {
        ReportSystemError(dialog, "ユーザ名を取得できません。");
        return FALSE;
    }
    SetDlgItemTextA(dialog, IDC_SOURCE_NAME, name.text());
    return TRUE;
}

// OK: every failure has been reported where it happened; the dialog then
// stays open with an empty work directory, since the index is appended to.
void SaveProfile(HWND dialog) {
    if (!WriteProfileHeaderFromDialog(dialog, kProfileKindIeOe, IDC_SOURCE_NAME, IDC_COMMENT)) return;
    SaveInternetOptions(dialog);
    // Only a failed walk stops the save.
    if (WalkSelectedEntries(dialog, IDC_ENTRY_LIST, EnumIdentities, SaveIdentity, WorkDirectory, 0) >= 0 ||
        !PackProfileFile(dialog, ProfileFilePath, WorkDirectory)) {
        ClearWorkDirectory(dialog);
        return;
    }
    EndDialog(dialog, IDOK);
}

}  // namespace
