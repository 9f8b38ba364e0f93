// The two report functions of the window program: modal message boxes.
#include "base/report.h"

void ReportSystemError(HWND owner, LPCSTR context) {
    const DWORD code = GetLastError();
    HeapBlock composed;
    CHAR fallback[kMessageBufferSize];
    MessageBoxA(owner, ComposeSystemErrorText(code, context, &composed, fallback), nullptr, MB_OK | MB_ICONEXCLAMATION);
}

void ShowInformation(HWND owner, LPCSTR text) { MessageBoxA(owner, text, nullptr, MB_OK | MB_ICONINFORMATION); }
