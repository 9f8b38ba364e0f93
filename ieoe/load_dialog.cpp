// The IE/OE load dialog: set-up unpacks the profile file and shows its
// header, the saved identities and whether it holds Internet options; OK
// applies the chosen parts to the live settings.
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

BOOL SetUpLoadDialog(HWND dialog);
void OfferInternetOptions(HWND dialog);
void LoadProfile(HWND dialog);

}  // namespace

INT_PTR CALLBACK IeOeLoadDialogProc(HWND dialog, UINT message, WPARAM wParam, LPARAM) {
    return HandleSettingsDialogMessage(dialog, message, wParam, SetUpLoadDialog, LoadProfile);
}

namespace {

BOOL SetUpLoadDialog(HWND dialog) {
    SetWindowTextA(dialog, "現行のIE/OEの設定をファイルにロード");
    SetDlgItemTextA(dialog, IDC_PROMPT, "ファイルからロードするアカウントの項目を選択します。");
    SetDlgItemTextA(dialog, IDC_OPTIONS, "インターネットオプションをファイルからロードする。");
    if (!UnpackProfileFile(dialog, ProfileFilePath, WorkDirectory)) return FALSE;
    // A file without header loads without name and comment.
    if (!ShowProfileHeader(dialog, kProfileKindIeOe, FALSE, IDC_SOURCE_NAME, IDC_COMMENT)) return FALSE;
    if (ReadGatewayIndex(ApplyIdentity, dialog, WorkDirectory, -1) == 0) return FALSE;
    SendDlgItemMessageA(dialog, IDC_ENTRY_LIST, LB_SETSEL, TRUE, -1);
    OfferInternetOptions(dialog);
    return TRUE;
}

// The box is offered, checked, only when the file holds "proxy".
void OfferInternetOptions(HWND dialog) {
    CHAR path[kMessageBufferSize];
    wsprintfA(path, "%sproxy", WorkDirectory);
    FileGuard proxy(CreateFileA(path, 0, 0, nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
    if (!proxy.valid()) {
        EnableWindow(GetDlgItem(dialog, IDC_OPTIONS), FALSE);
        return;
    }
    CheckDlgButton(dialog, IDC_OPTIONS, BST_CHECKED);
}

// OK: the Internet options, then each selected entry into its identity. An
// entry without a live identity stops the load with a message and leaves
// the dialog open.
void LoadProfile(HWND dialog) {
    ApplyInternetOptions(dialog);
    const int missing = WalkSelectedEntries(dialog, IDC_ENTRY_LIST, EnumIdentities, ApplyIdentity, WorkDirectory, 1);
    if (missing < 0) {
        EndDialog(dialog, IDOK);
        return;
    }
    ShowEntryMessage(dialog, IDC_ENTRY_LIST, missing,
                     "選択したユーザの項目のうち、\"%s\"を設定できません。ファイルのこのネットワークの設定は"
                     "現行の設定に適用できません。Outlook Expressのユーザ設定でこの名前のユーザをあらかじめ"
                     "作成しておいてから再試行する必要があります。");
}

}  // namespace
