// The TCP/IP save dialog: set-up shows the computer name and the
// connections, OK writes the header and the chosen connections into the
// work directory and packs it into the profile file.
#include "tcpip/tcpip_dialogs.h"

#include "base/report.h"
#include "base/workarea.h"
#include "resources/resource.h"
#include "settings/settings_dialog.h"
#include "snapshot/profile_file.h"
#include "snapshot/profile_header.h"
#include "tcpip/adapter_snapshots.h"
#include "tcpip/adapters.h"

namespace {

BOOL SetUpSaveDialog(HWND dialog);
BOOL ShowComputerName(HWND dialog);
void SaveProfile(HWND dialog);

}  // namespace

INT_PTR CALLBACK TcpipSaveDialogProc(HWND dialog, UINT message, WPARAM wParam, LPARAM) {
    return HandleSettingsDialogMessage(dialog, message, wParam, SetUpSaveDialog, SaveProfile);
}

namespace {

BOOL SetUpSaveDialog(HWND dialog) {
    SetWindowTextA(dialog, "現行のTCP/IPの設定をファイルにセーブ");
    SetDlgItemTextA(dialog, IDC_PROMPT, "ファイルにセーブするネットワークの項目を選択します。");
    if (!ShowComputerName(dialog)) return FALSE;
    if (EnumAdapters(SaveAdapter, dialog, WorkDirectory, -1) == 0) return FALSE;
    return SendDlgItemMessageA(dialog, IDC_ENTRY_LIST, LB_SETSEL, TRUE, -1) != LB_ERR;
}

// The NetBIOS name: at most 15 bytes and the NUL.
BOOL ShowComputerName(HWND dialog) {
    CHAR name[16];
    DWORD size = sizeof name;
    if (!GetComputerNameA(name, &size)) {
        ReportSystemError(dialog, "コンピュータ名を取得できません。");
        return FALSE;
    }
    SetDlgItemTextA(dialog, IDC_SOURCE_NAME, name);
    return TRUE;
}

// OK: every failure has been reported where it happened; the dialog then
// stays open with an empty work directory, since the index is appended to.
// A connection that could not be saved does not stop the others.
void SaveProfile(HWND dialog) {
    if (!WriteProfileHeaderFromDialog(dialog, kProfileKindTcpip, IDC_SOURCE_NAME, IDC_COMMENT)) return;
    if (WalkSelectedEntries(dialog, IDC_ENTRY_LIST, EnumAdapters, SaveAdapter, WorkDirectory, 0) >= 0 ||
        !PackProfileFile(dialog, ProfileFilePath, WorkDirectory)) {
        ClearWorkDirectory(dialog);
        return;
    }
    EndDialog(dialog, IDOK);
}

}  // namespace
