// The TCP/IP record, its two dialog procedures and the name its save shows.
#include "tcpip/tcpip_group.h"

#include "base/report.h"
#include "resources/resource.h"
#include "settings/settings_dialog.h"
#include "snapshot/profile_header.h"
#include "tcpip/adapter_snapshots.h"
#include "tcpip/adapters.h"

namespace {

BOOL ShowComputerName(HWND dialog);

}  // namespace

const SettingsGroup kTcpipGroup = {
    WalkAdapters, LiveAdapterRank, HKEY_LOCAL_MACHINE, "HKEY_LOCAL_MACHINE", kInterfacesFormat,
    OpenInterfacesKey, FindInterfacesTree,
    kActionCreateFullAccess,
    "tcpip", kProfileKindTcpip, TRUE, nullptr,
    IDD_TCPIP, TcpipSaveDialogProc, TcpipLoadDialogProc,
    "現行のTCP/IPの設定をファイルにセーブ", "ファイルにセーブするネットワークの項目を選択します。",
    "現行のTCP/IPの設定をファイルにロード", "ファイルからロードするネットワークの項目を選択します。",
    ShowComputerName,
    "選択したネットワークの項目のうち、\"%s\"を設定できません。ファイルのこのネットワークの設定は"
    "現行の設定に適用できません。Control Panelのネットワーク設定でこの名前のネットワークを"
    "あらかじめ作成しておいてから再試行する必要があります。",
    "現行のTCP/IPの設定をファイルにセーブ", "現行のTCP/IPの設定をファイルからロード",
    nullptr,
    "この操作には管理者権限が必要です。また、このコンピュータのすべてのユーザに影響を及ぼすことに注意してください。",
    "処理を完了しました。", TRUE,
    // The string literal adds the second NUL that ends the list.
    ".ips", "TCP/IP設定用ファイル(*.ips)\0*.ips\0すべてのファイル\0*.*\0", "Morvik.InternetProtocolSettings",
    IDI_TCPIP_INDEX, IDC_ASSOC_TCPIP,
    "ips", "TCP/IP", "保存元コンピュータ名", "ネットワーク",
};

INT_PTR CALLBACK TcpipSaveDialogProc(HWND dialog, UINT message, WPARAM wParam, LPARAM) {
    return SaveDialogMessage(kTcpipGroup, dialog, message, wParam);
}

INT_PTR CALLBACK TcpipLoadDialogProc(HWND dialog, UINT message, WPARAM wParam, LPARAM) {
    return LoadDialogMessage(kTcpipGroup, dialog, message, wParam);
}

namespace {

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

}  // namespace
