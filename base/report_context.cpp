// Composing a failure report's context and its whole text, for every front
// end alike.
#include "base/report_context.h"

#include "base/report.h"

namespace {

// The words for each kind of thing a report names, in the order of Named.
constexpr LPCSTR kKindWords[] = {"レジストリキー", "レジストリ値", "テンポラリファイル", "ディレクトリ", "ファイル"};

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

void ReportSystemErrorWith(HWND owner, LPCSTR format, LPCSTR text) {
    DWORD error = GetLastError();
    CHAR context[kMessageBufferSize];
    wsprintfA(context, format, text);
    SetLastError(error);
    ReportSystemError(owner, context);
}

LPCSTR ComposeReportContext(LPSTR context, LPCSTR lead, Named kind, LPCSTR name, LPCSTR action) {
    wsprintfA(context, "%s%s\"%s\"%s", lead, kKindWords[static_cast<int>(kind)], name, action);
    return context;
}

void ReportFailureOn(HWND owner, Named kind, LPCSTR name, LPCSTR action, LPCSTR lead) {
    const DWORD error = GetLastError();
    CHAR context[kMessageBufferSize];
    ComposeReportContext(context, lead, kind, name, action);
    SetLastError(error);
    ReportSystemError(owner, context);
}

LPCSTR ComposeSystemErrorText(DWORD code, LPCSTR context, HeapBlock* text, LPSTR fallback) {
    LocalText system;
    FetchSystemText(code, system);
    LPCSTR systemText = system.text ? system.text : "";
    // The text never passes wsprintfA's 1,024 bytes, so when the heap cannot
    // give the composition buffer the same text goes into the caller's
    // fallback: the user still learns what failed.
    const SIZE_T size = static_cast<SIZE_T>(lstrlenA(systemText)) + static_cast<SIZE_T>(lstrlenA(context)) + 1024;
    LPSTR out = text->Allocate(size) ? text->text() : fallback;
    wsprintfA(out, kTemplate, context, systemText);
    return out;
}
