// Composing a failure report's context, for every front end alike.
#include "app/report.h"

void ReportSystemErrorWith(HWND owner, LPCSTR format, LPCSTR text) {
    DWORD error = GetLastError();
    CHAR context[kMessageBufferSize];
    wsprintfA(context, format, text);
    SetLastError(error);
    ReportSystemError(owner, context);
}
