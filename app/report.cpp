// The two report functions of the window program: modal message boxes.
#include "app/report.h"

namespace {

const char kTemplate[] =
    "予期せぬエラーが発生しました。\r\n%s\r\n%sほかのプログラムを終了してから、やり直してください。"
    "問題が解決しない場合は、システムを再起動してください。";

// Frees what FormatMessageA allocated, on every way out.
struct LocalText {
    LPSTR text = nullptr;
    ~LocalText() {
        if (text) LocalFree(text);
    }
};

// The system's text for `code`, or nothing when it has none.
void FetchSystemText(DWORD code, LocalText& out) {
    DWORD length = FormatMessageA(
        FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS | FORMAT_MESSAGE_ALLOCATE_BUFFER, nullptr, code,
        MAKELANGID(LANG_NEUTRAL, SUBLANG_DEFAULT), reinterpret_cast<LPSTR>(&out.text), 0, nullptr);
    if (length == 0 && out.text) {
        LocalFree(out.text);
        out.text = nullptr;
    }
}

}  // namespace

void ReportSystemError(HWND owner, LPCSTR context) {
    DWORD code = GetLastError();
    LocalText system;
    FetchSystemText(code, system);
    LPCSTR systemText = system.text ? system.text : "";

    // The box text never passes wsprintfA's 1,024 bytes, so when the heap
    // cannot give the composition buffer the same text goes into one on the
    // stack: the user still learns what failed.
    HANDLE heap = GetProcessHeap();
    SIZE_T size = static_cast<SIZE_T>(lstrlenA(systemText)) + static_cast<SIZE_T>(lstrlenA(context)) + 1024;
    LPSTR composed = static_cast<LPSTR>(HeapAlloc(heap, 0, size));
    CHAR fallback[kMessageBufferSize];
    LPSTR text = composed ? composed : fallback;

    wsprintfA(text, kTemplate, context, systemText);
    MessageBoxA(owner, text, nullptr, MB_OK | MB_ICONEXCLAMATION);

    if (composed) HeapFree(heap, 0, composed);
}

void ShowInformation(HWND owner, LPCSTR text) { MessageBoxA(owner, text, nullptr, MB_OK | MB_ICONINFORMATION); }
