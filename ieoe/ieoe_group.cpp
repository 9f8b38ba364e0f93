// The IE/OE record, its two dialog procedures and the name its save shows.
#include "ieoe/ieoe_group.h"

#include "base/report.h"
#include "ieoe/accounts.h"
#include "ieoe/identities.h"
#include "ieoe/internet_options.h"
#include "resources/resource.h"
#include "settings/settings_dialog.h"
#include "snapshot/profile_header.h"
#include "winapi/guards.h"

namespace {

BOOL ShowUserName(HWND dialog);

}  // namespace

const SettingsGroup kIeOeGroup = {
    WalkIdentities, LiveIdentityRank, HKEY_CURRENT_USER, "HKEY_CURRENT_USER", kIdentityAccountsFormat,
    OpenAccountTree, FindLiveAccountTree,
    kActionCreateFullAccess,
    kGatewayIndexName, kProfileKindIeOe, FALSE, &kInternetOptions,
    IDD_IEOE, IeOeSaveDialogProc, IeOeLoadDialogProc,
    "現行のIE/OEの設定をファイルにセーブ", "ファイルにセーブするアカウントの項目を選択します。",
    "現行のIE/OEの設定をファイルにロード", "ファイルからロードするアカウントの項目を選択します。",
    ShowUserName,
    "選択したユーザの項目のうち、\"%s\"を設定できません。ファイルのこのネットワークの設定は"
    "現行の設定に適用できません。Outlook Expressのユーザ設定でこの名前のユーザをあらかじめ"
    "作成しておいてから再試行する必要があります。",
    "現行のIE/OEの設定をファイルにセーブ", "現行のIE/OEの設定をファイルからロード",
    "現在動作しているInternet ExplorerおよびOutlook Expressをすべて終了してください。",
    "現在動作しているInternet ExplorerおよびOutlook Expressをすべて終了してください。",
    "処理が完了しました。", FALSE,
    // The string literal adds the second NUL that ends the list.
    ".ies", "IE/OE設定用ファイル(*.ies)\0*.ies\0すべてのファイル(*.*)\0*.*\0", "Morvik.InternetExplorerSettings",
    IDI_IEOE_INDEX, IDC_ASSOC_IEOE,
    "ies", "IE/OE", "保存元ユーザ名", "アカウント",
};

INT_PTR CALLBACK IeOeSaveDialogProc(HWND dialog, UINT message, WPARAM wParam, LPARAM) {
    return SaveDialogMessage(kIeOeGroup, dialog, message, wParam);
}

INT_PTR CALLBACK IeOeLoadDialogProc(HWND dialog, UINT message, WPARAM wParam, LPARAM) {
    return LoadDialogMessage(kIeOeGroup, dialog, message, wParam);
}

namespace {

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

}  // namespace
