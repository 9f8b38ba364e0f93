// Creating the program's dialogs hidden and choosing their entries.
#include "brvprofile/hidden_dialog.h"

#include "base/report.h"
#include "resources/resource.h"
#include "winapi/guards.h"

namespace {

// The dialog's controls do the rest; the tool calls the steps itself.
INT_PTR CALLBACK PassiveDialogProc(HWND, UINT, WPARAM, LPARAM) { return FALSE; }

}  // namespace

// Templates without WS_VISIBLE: CreateDialogParamA shows nothing.
HWND CreateHiddenDialog(const SettingsGroup& kind) {
    HWND dialog = CreateDialogParamA(GetModuleHandleA(nullptr), MAKEINTRESOURCEA(kind.dialogTemplate), nullptr,
                                     PassiveDialogProc, 0);
    if (!dialog) ReportSystemError(nullptr, "ダイアログを作成できません。");
    return dialog;
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
