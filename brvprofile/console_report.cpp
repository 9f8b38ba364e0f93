// The two report functions of the console program: the same texts the
// window program shows in its boxes, written to standard error.
#include "base/report.h"
#include "brvprofile/console.h"

void ReportSystemError(HWND, LPCSTR context) {
    const DWORD code = GetLastError();
    HeapBlock composed;
    CHAR fallback[kMessageBufferSize];
    WriteConsoleText(stderr, std::string(ComposeSystemErrorText(code, context, &composed, fallback)) + "\n");
}

void ShowInformation(HWND, LPCSTR text) {
    WriteConsoleText(stderr, std::string(text) + "\n");
}
