// The two report functions of the console program: the same texts the
// window program shows in its boxes, written to standard error.
#include "base/report.h"
#include "brvprofile/console.h"
#include "brvprofile/report_marks.h"

void ReportSystemError(HWND owner, LPCSTR context) {
    // The failed call's code, before marking the owner can change it.
    const DWORD code = GetLastError();
    NoteReport(owner);
    HeapBlock composed;
    CHAR fallback[kMessageBufferSize];
    WriteConsoleText(stderr, std::string(ComposeSystemErrorText(code, context, &composed, fallback)) + "\n");
}

void ShowInformation(HWND owner, LPCSTR text) {
    NoteReport(owner);
    WriteConsoleText(stderr, std::string(text) + "\n");
}
