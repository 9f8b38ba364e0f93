// The IE/OE load dialog: set-up unpacks the profile file and shows its
// header, the saved identities and whether it holds Internet options; OK
// applies the chosen parts to the live settings.
#include "ieoe/ieoe_dialogs.h"

#include "app/report.h"
#include "app/workarea.h"
#include "ieoe/accounts.h"
#include "ieoe/identities.h"
#include "ieoe/internet_options.h"
#include "resources/resource.h"
#include "snapshot/list_entry.h"
#include "snapshot/profile_file.h"
#include "snapshot/profile_header.h"
#include "winapi/guards.h"

namespace {

BOOL SetUpLoadDialog(HWND dialog);
BOOL ShowProfileHeader(HWND dialog);
void OfferInternetOptions(HWND dialog);
BOOL LoadProfile(HWND dialog);
BOOL TellMissingIdentity(HWND dialog, int item);

}  // namespace

INT_PTR CALLBACK IeOeLoadDialogProc(HWND dialog, UINT message, WPARAM wParam, LPARAM) {
    if (message == WM_INITDIALOG) {
        if (!SetUpLoadDialog(dialog)) EndDialog(dialog, IDCANCEL);
        return TRUE;
    }
    if (message != WM_COMMAND) return FALSE;
    switch (LOWORD(wParam)) {
    case IDOK:
        return LoadProfile(dialog);
    case IDCANCEL:
        EndDialog(dialog, IDCANCEL);
        return TRUE;
    default:
        return FALSE;
    }
}

namespace {

BOOL SetUpLoadDialog(HWND dialog) {
    SetWindowTextA(dialog, "現行のIE/OEの設定をファイルにロード");
    SetDlgItemTextA(dialog, IDC_PROMPT, "ファイルからロードするアカウントの項目を選択します。");
    SetDlgItemTextA(dialog, IDC_OPTIONS, "インターネットオプションをファイルからロードする。");
    if (!UnpackProfileFile(dialog, ProfileFilePath, WorkDirectory)) return FALSE;
    if (!ShowProfileHeader(dialog)) return FALSE;
    if (ReadGatewayIndex(ApplyIdentity, dialog, WorkDirectory, -1) == 0) return FALSE;
    SendDlgItemMessageA(dialog, IDC_ENTRY_LIST, LB_SETSEL, TRUE, -1);
    OfferInternetOptions(dialog);
    return TRUE;
}

// A file without header loads without name and comment; a damaged or
// foreign one has been refused with a message.
BOOL ShowProfileHeader(HWND dialog) {
    ProfileHeader header;
    const ProfileHeaderResult result = ReadProfileHeader(dialog, kProfileKindIeOe, FALSE, &header);
    if (result == kProfileHeaderFailed) return FALSE;
    if (result == kProfileHeaderRead) {
        SetDlgItemTextA(dialog, IDC_SOURCE_NAME, header.sourceName);
        SendDlgItemMessageA(dialog, IDC_COMMENT, EM_SETREADONLY, TRUE, 0);
        if (header.hasComment) SetDlgItemTextA(dialog, IDC_COMMENT, header.comment);
    }
    FreeProfileHeader(&header);
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
BOOL LoadProfile(HWND dialog) {
    const LRESULT count = SendDlgItemMessageA(dialog, IDC_ENTRY_LIST, LB_GETCOUNT, 0, 0);
    ApplyInternetOptions(dialog);
    for (LRESULT i = 0; i < count; ++i) {
        if (SendDlgItemMessageA(dialog, IDC_ENTRY_LIST, LB_GETSEL, i, 0) <= 0) continue;
        if (EnumIdentities(ApplyIdentity, dialog, WorkDirectory, static_cast<int>(i)) == 1)
            return TellMissingIdentity(dialog, static_cast<int>(i));
    }
    EndDialog(dialog, IDOK);
    return TRUE;
}

BOOL TellMissingIdentity(HWND dialog, int item) {
    HeapBlock name;
    if (!ReadListEntryText(dialog, IDC_ENTRY_LIST, item, &name)) return FALSE;
    CHAR message[kMessageBufferSize];
    wsprintfA(message,
              "選択したユーザの項目のうち、\"%s\"を設定できません。ファイルのこのネットワークの設定は現行の設定に"
              "適用できません。Outlook Expressのユーザ設定でこの名前のユーザをあらかじめ作成しておいてから"
              "再試行する必要があります。",
              name.text());
    ShowInformation(dialog, message);
    return TRUE;
}

}  // namespace
