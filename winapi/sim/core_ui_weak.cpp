// Stand-ins for the windowing half of the simulation (ui_*.cpp), so that the
// core links on its own. Weak: the real definitions replace them, and the
// build drops this file altogether once ui_*.cpp sources exist, since a weak
// member of a static library could otherwise be picked instead of the real one.
// Every stand-in behaves as if the user closed the window at once.
#include "sim_internal.h"
#include "simctl.h"

#define BRV_WEAK __attribute__((weak))

BRV_WEAK INT_PTR DialogBoxParamA(HINSTANCE, LPCSTR, HWND, DLGPROC, LPARAM) { return -1; }
BRV_WEAK BOOL EndDialog(HWND, INT_PTR) { return FALSE; }
BRV_WEAK HWND GetDlgItem(HWND, int) { return nullptr; }
BRV_WEAK LRESULT SendMessageA(HWND, UINT, WPARAM, LPARAM) { return 0; }
BRV_WEAK LRESULT SendDlgItemMessageA(HWND, int, UINT, WPARAM, LPARAM) { return 0; }
BRV_WEAK BOOL SetDlgItemTextA(HWND, int, LPCSTR) { return FALSE; }
BRV_WEAK UINT GetDlgItemTextA(HWND, int, LPSTR lpString, int cchMax) {
    if (lpString && cchMax > 0) lpString[0] = '\0';
    return 0;
}
BRV_WEAK BOOL SetWindowTextA(HWND, LPCSTR) { return FALSE; }
BRV_WEAK int GetWindowTextA(HWND, LPSTR lpString, int nMaxCount) {
    if (lpString && nMaxCount > 0) lpString[0] = '\0';
    return 0;
}
BRV_WEAK int GetWindowTextLengthA(HWND) { return 0; }
BRV_WEAK BOOL EnableWindow(HWND, BOOL) { return FALSE; }
BRV_WEAK BOOL IsWindowEnabled(HWND) { return FALSE; }
BRV_WEAK UINT IsDlgButtonChecked(HWND, int) { return BST_UNCHECKED; }
BRV_WEAK BOOL CheckDlgButton(HWND, int, UINT) { return FALSE; }
BRV_WEAK LONG_PTR GetWindowLongPtrA(HWND, int) { return 0; }
BRV_WEAK int MessageBoxA(HWND, LPCSTR, LPCSTR, UINT) { return IDOK; }
BRV_WEAK BOOL GetOpenFileNameA(LPOPENFILENAMEA) { return FALSE; }
BRV_WEAK BOOL GetSaveFileNameA(LPOPENFILENAMEA) { return FALSE; }

namespace sim {

BRV_WEAK void QueueMessageBoxAnswer(int) {}
BRV_WEAK const std::vector<MessageBoxCall>& MessageBoxes() {
    static const std::vector<MessageBoxCall> none;
    return none;
}
BRV_WEAK void QueueFileDialogAnswer(const std::string&) {}
BRV_WEAK void QueueFileDialogCancel() {}
BRV_WEAK const std::vector<FileDialogCall>& FileDialogs() {
    static const std::vector<FileDialogCall> none;
    return none;
}
BRV_WEAK void QueueDialogScript(DialogScript) {}
BRV_WEAK void Click(HWND, int) {}
BRV_WEAK bool DialogEnded(HWND) { return true; }
BRV_WEAK const std::vector<DialogCall>& Dialogs() {
    static const std::vector<DialogCall> none;
    return none;
}
BRV_WEAK void SetResourceScript(const std::string&) {}

}  // namespace sim
