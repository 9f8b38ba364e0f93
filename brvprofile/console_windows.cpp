// The console on Windows: the console's code page, full paths, a work
// folder of this process in the user's temporary directory.
#include <vector>

#include "base/report.h"
#include "base/report_context.h"
#include "base/workarea.h"
#include "brvprofile/console.h"

namespace {

constexpr UINT kProgramCodePage = 932;

}  // namespace

// Our texts are cp932; a console with another code page gets them through
// UTF-16, and output that goes to no console gets them as they are.
void WriteConsoleText(FILE* stream, const std::string& cp932) {
    const std::string text = WithoutCarriageReturns(cp932);
    const UINT console = GetConsoleOutputCP();
    if (console == 0 || console == kProgramCodePage || text.empty()) {
        std::fwrite(text.data(), 1, text.size(), stream);
        return;
    }
    const int wide = MultiByteToWideChar(kProgramCodePage, 0, text.data(), static_cast<int>(text.size()), nullptr, 0);
    std::vector<WCHAR> utf16(wide > 0 ? wide : 1);
    MultiByteToWideChar(kProgramCodePage, 0, text.data(), static_cast<int>(text.size()), utf16.data(), wide);
    const int size = WideCharToMultiByte(console, 0, utf16.data(), wide, nullptr, 0, nullptr, nullptr);
    std::vector<char> out(size > 0 ? size : 1);
    WideCharToMultiByte(console, 0, utf16.data(), wide, out.data(), size, nullptr, nullptr);
    std::fwrite(out.data(), 1, size > 0 ? size : 0, stream);
}

std::string AbsoluteFilePath(const std::string& path) {
    CHAR full[MAX_PATH];
    const DWORD length = GetFullPathNameA(path.c_str(), MAX_PATH, full, nullptr);
    return length > 0 && length < MAX_PATH ? std::string(full) : path;
}

BOOL MakeToolWorkDirectory() {
    CHAR tempPath[MAX_PATH];
    const DWORD length = GetTempPathA(MAX_PATH, tempPath);
    // The folder name takes at most 22 bytes and the backslash.
    if (length == 0 || length + 24 > kWorkDirectorySize) {
        ReportSystemError(nullptr, "テンポラリディレクトリのパスを取得できません。");
        return FALSE;
    }
    wsprintfA(WorkDirectory, "%sbrvprofile.%d\\", tempPath, static_cast<int>(GetCurrentProcessId()));
    if (!CreateDirectoryA(WorkDirectory, nullptr) && GetLastError() != ERROR_ALREADY_EXISTS) {
        ReportFailureOn(nullptr, Named::kDirectory, WorkDirectory, kActionCreate);
        return FALSE;
    }
    return TRUE;
}
