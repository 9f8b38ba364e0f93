// The restart prompt and the shutdown request that follows its two buttons.
#include "app/restart_prompt.h"

#include "base/report.h"
#include "resources/resource.h"
#include "winapi/guards.h"

namespace {

UINT ExitOptionFor(INT_PTR choice);
BOOL RequestExit(HWND owner, UINT option);
BOOL EnableShutdownPrivilege(HWND owner, HANDLE token);

}  // namespace

BOOL RestartPrompt(HWND owner, HINSTANCE instance) {
    INT_PTR choice = DialogBoxParamA(instance, MAKEINTRESOURCEA(IDD_RESTART), owner, RestartDialogProc, 0);
    UINT option = ExitOptionFor(choice);
    if (option == 0) return FALSE;
    return RequestExit(owner, option);
}

INT_PTR CALLBACK RestartDialogProc(HWND dialog, UINT message, WPARAM wParam, LPARAM) {
    if (message != WM_COMMAND) return FALSE;
    EndDialog(dialog, LOWORD(wParam));
    return TRUE;
}

namespace {

// EWX_SHUTDOWN or EWX_REBOOT for the two buttons that end the session; 0
// (nothing to do) for "continue", the close box and a dialog that failed.
UINT ExitOptionFor(INT_PTR choice) {
    if (choice == IDC_SHUTDOWN) return EWX_SHUTDOWN;
    if (choice == IDC_RESTART) return EWX_REBOOT;
    return 0;
}

// Windows ends the session only for a process whose token has the shutdown
// privilege enabled. The token handle is ours and closed on every way out;
// the privilege stays enabled on the process's token after that.
BOOL RequestExit(HWND owner, UINT option) {
    FileGuard token;
    if (!OpenProcessToken(GetCurrentProcess(), TOKEN_ADJUST_PRIVILEGES | TOKEN_QUERY, &token.handle)) {
        token.handle = INVALID_HANDLE_VALUE;
        ReportSystemError(owner, "シャットダウンしようとしましたが、プロセストークンを取得できません。");
        return FALSE;
    }
    if (!EnableShutdownPrivilege(owner, token.handle)) return FALSE;
    // A token without the privilege lets the adjustment succeed all the same;
    // ExitWindowsEx then refuses, and says why.
    if (!ExitWindowsEx(option, 0)) {
        ReportSystemError(owner, "シャットダウンできません。");
        return FALSE;
    }
    return TRUE;
}

BOOL EnableShutdownPrivilege(HWND owner, HANDLE token) {
    TOKEN_PRIVILEGES privileges = {};
    privileges.PrivilegeCount = 1;
    privileges.Privileges[0].Attributes = SE_PRIVILEGE_ENABLED;
    if (!LookupPrivilegeValueA(nullptr, SE_SHUTDOWN_NAME, &privileges.Privileges[0].Luid)) {
        ReportSystemError(owner, "シャットダウンしようとしましたが、シャットダウン特権を取得できません。");
        return FALSE;
    }
    if (!AdjustTokenPrivileges(token, FALSE, &privileges, 0, nullptr, nullptr)) {
        ReportSystemError(owner,
                          "シャットダウンしようとしましたが、シャットダウン特権をプロセストークンに調整できません。");
        return FALSE;
    }
    return TRUE;
}

}  // namespace
