// The TCP/IP load dialog: set-up unpacks the profile file and shows its
// header and the saved connections; OK writes each chosen connection's
// parameters over the live connection of the same name.
#include "tcpip/tcpip_dialogs.h"

#include "base/workarea.h"
#include "resources/resource.h"
#include "settings/settings_dialog.h"
#include "snapshot/profile_file.h"
#include "snapshot/profile_header.h"
#include "tcpip/adapter_snapshots.h"
#include "tcpip/adapters.h"

namespace {

BOOL SetUpLoadDialog(HWND dialog);
void LoadProfile(HWND dialog);

}  // namespace

INT_PTR CALLBACK TcpipLoadDialogProc(HWND dialog, UINT message, WPARAM wParam, LPARAM) {
    return HandleSettingsDialogMessage(dialog, message, wParam, SetUpLoadDialog, LoadProfile);
}

namespace {

// The registry is not touched here: a refused file changes nothing.
BOOL SetUpLoadDialog(HWND dialog) {
    SetWindowTextA(dialog, "現行のTCP/IPの設定をファイルにロード");
    SetDlgItemTextA(dialog, IDC_PROMPT, "ファイルからロードするネットワークの項目を選択します。");
    if (!UnpackProfileFile(dialog, ProfileFilePath, WorkDirectory)) return FALSE;
    if (!ShowProfileHeader(dialog, kProfileKindTcpip, TRUE, IDC_SOURCE_NAME, IDC_COMMENT)) return FALSE;
    if (ReadTcpipIndex(ApplyAdapter, dialog, WorkDirectory, -1) == 0) return FALSE;
    SendDlgItemMessageA(dialog, IDC_ENTRY_LIST, LB_SETSEL, TRUE, -1);
    return TRUE;
}

// OK: each selected entry into its connection. A connection this machine
// does not have stops the load with a message and leaves the dialog open;
// a failed apply or walk has been reported and the next entries go on.
void LoadProfile(HWND dialog) {
    const int missing = WalkSelectedEntries(dialog, IDC_ENTRY_LIST, EnumAdapters, ApplyAdapter, WorkDirectory, 1);
    if (missing < 0) {
        EndDialog(dialog, IDOK);
        return;
    }
    ShowEntryMessage(dialog, IDC_ENTRY_LIST, missing,
                     "選択したネットワークの項目のうち、\"%s\"を設定できません。ファイルのこのネットワークの設定は"
                     "現行の設定に適用できません。Control Panelのネットワーク設定でこの名前のネットワークを"
                     "あらかじめ作成しておいてから再試行する必要があります。");
}

}  // namespace
