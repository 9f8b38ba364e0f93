// Creating the program's dialogs hidden and pressing their buttons.
#include "brvprofile/hidden_dialog.h"

#include "base/report.h"
#include "brvprofile/report_marks.h"
#include "ieoe/accounts.h"
#include "ieoe/identities.h"
#include "ieoe/ieoe_dialogs.h"
#include "resources/resource.h"
#include "tcpip/adapters.h"
#include "tcpip/tcpip_dialogs.h"
#include "winapi/guards.h"

namespace {

constexpr char kReportCountProperty[] = "brvprofile.reports";

int IdentityAccountTree(HWND owner, LPCSTR keyName, LPSTR path) { return FindLiveAccountTree(owner, keyName, path); }

// The Interfaces path as the listing shows it, without its root.
int AdapterInterfacesTree(HWND, LPCSTR keyName, LPSTR path) {
    const std::string shown = kTcpipProfile.entryPathFormat;
    const std::string below = shown.substr(shown.find('\\') + 1);
    wsprintfA(path, below.c_str(), keyName);
    return 1;
}

const DialogKind kIeOeDialogs = {IDD_IEOE,          IeOeSaveDialogProc,  IeOeLoadDialogProc,  EnumIdentities,
                                 LiveIdentityRank,  HKEY_CURRENT_USER,   "HKEY_CURRENT_USER", IdentityAccountTree};
const DialogKind kTcpipDialogs = {IDD_TCPIP,        TcpipSaveDialogProc, TcpipLoadDialogProc, EnumAdapters,
                                  LiveAdapterRank,  HKEY_LOCAL_MACHINE,  "HKEY_LOCAL_MACHINE", AdapterInterfacesTree};

}  // namespace

const DialogKind& DialogKindOf(const ProfileKind& kind) { return &kind == &kTcpipProfile ? kTcpipDialogs : kIeOeDialogs; }

// Templates without WS_VISIBLE: CreateDialogParamA shows nothing.
HWND CreateHiddenDialog(const ProfileKind& kind, bool load) {
    const DialogKind& dialogs = DialogKindOf(kind);
    HWND dialog = CreateDialogParamA(GetModuleHandleA(nullptr), MAKEINTRESOURCEA(dialogs.templateId), nullptr,
                                     load ? dialogs.load : dialogs.save, 0);
    if (!dialog) ReportSystemError(nullptr, "ダイアログを作成できません。");
    return dialog;
}

void DestroyHiddenDialog(HWND dialog) {
    ForgetReports(dialog);
    DestroyWindow(dialog);
}

int PressOk(HWND dialog) {
    const int before = ReportCount(dialog);
    SendMessageA(dialog, WM_COMMAND, MAKEWPARAM(IDOK, BN_CLICKED), reinterpret_cast<LPARAM>(GetDlgItem(dialog, IDOK)));
    return ReportCount(dialog) - before;
}

std::vector<std::string> ListEntries(HWND dialog) {
    std::vector<std::string> entries;
    const LRESULT count = SendDlgItemMessageA(dialog, IDC_ENTRY_LIST, LB_GETCOUNT, 0, 0);
    for (LRESULT i = 0; i < count; ++i) {
        const LRESULT length = SendDlgItemMessageA(dialog, IDC_ENTRY_LIST, LB_GETTEXTLEN, i, 0);
        HeapBlock text(length >= 0 ? static_cast<SIZE_T>(length) + 1 : 1);
        if (!text.block || length < 0 ||
            SendDlgItemMessageA(dialog, IDC_ENTRY_LIST, LB_GETTEXT, i, reinterpret_cast<LPARAM>(text.text())) < 0) {
            entries.push_back("");
            continue;
        }
        entries.push_back(text.text());
    }
    return entries;
}

void SelectOnlyEntry(HWND dialog, int item) {
    SendDlgItemMessageA(dialog, IDC_ENTRY_LIST, LB_SETSEL, FALSE, -1);
    if (item >= 0) SendDlgItemMessageA(dialog, IDC_ENTRY_LIST, LB_SETSEL, TRUE, item);
}

void NoteReport(HWND owner) {
    if (!owner || !IsWindow(owner)) return;
    SetPropA(owner, kReportCountProperty, reinterpret_cast<HANDLE>(static_cast<INT_PTR>(ReportCount(owner) + 1)));
}

int ReportCount(HWND window) {
    return static_cast<int>(reinterpret_cast<INT_PTR>(GetPropA(window, kReportCountProperty)));
}

void ForgetReports(HWND window) { RemovePropA(window, kReportCountProperty); }
