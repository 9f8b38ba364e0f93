#include "app/startup.h"

#include "app/modes.h"
#include "base/report.h"
#include "base/report_context.h"
#include "base/workarea.h"

namespace {

const char kLockBusyMessage[] =
    "ロックファイルが使用中です。プログラム\"Brelvane\"はすでに動作中であるものと考えられます。"
    "このプログラムは同時に2つ以上動作させることができません。"
    "このプログラムが1つも動作していない状態でこの問題が発生する場合は、"
    "このプログラムがスタートアップに登録されていないことを確認し、システムを再起動してから再試行してください。";

// What start-up made and shut-down takes down again.
struct WorkArea {
    CHAR baseFolder[kPathBufferSize + 8];
    CHAR lockPath[kPathBufferSize + 16];
    HANDLE lock;
};

BOOL CreateFolder(LPCSTR path) {
    if (CreateDirectoryA(path, nullptr) || GetLastError() == ERROR_ALREADY_EXISTS) return TRUE;
    ReportFailureOn(nullptr, Named::kDirectory, path, kActionCreate);
    return FALSE;
}

// Steps 1 to 5 of start-up; FALSE when the program must end (already told).
BOOL SetUpWorkArea(WorkArea& area) {
    // Without a whole temporary path every name below would be garbage or
    // relative to wherever we were started.
    CHAR tempPath[kPathBufferSize];
    DWORD length = GetTempPathA(kPathBufferSize, tempPath);
    if (length == 0 || length >= kPathBufferSize) {
        // A path too long for the buffer is no failure of the call: it
        // leaves the last error as it was.
        if (length != 0) SetLastError(ERROR_INSUFFICIENT_BUFFER);
        ReportSystemError(nullptr, "テンポラリディレクトリのパスを取得できません。");
        return FALSE;
    }

    wsprintfA(area.baseFolder, "%sMorvik\\", tempPath);
    if (!CreateFolder(area.baseFolder)) return FALSE;

    wsprintfA(area.lockPath, "%sbrv.lok", area.baseFolder);
    area.lock = CreateFileA(area.lockPath, GENERIC_READ | GENERIC_WRITE, 0, nullptr, OPEN_ALWAYS,
                            FILE_ATTRIBUTE_NORMAL, nullptr);
    if (area.lock == INVALID_HANDLE_VALUE) {
        if (GetLastError() == ERROR_SHARING_VIOLATION) {
            ShowInformation(nullptr, kLockBusyMessage);
        } else {
            ReportSystemError(nullptr,
                              "テンポラリディレクトリのフォルダ\"Morvik\"にロックファイル\"brv.lok\"を作成できません。");
        }
        return FALSE;
    }

    wsprintfA(WorkDirectory, "%sMorvik\\brv\\", tempPath);
    if (!CreateFolder(WorkDirectory)) {
        // The lock file stays on disk; only an open handle blocks the next start.
        CloseHandle(area.lock);
        return FALSE;
    }
    return TRUE;
}

void ShutDown(WorkArea& area) {
    CloseHandle(area.lock);
    RemoveDirectoryA(WorkDirectory);
    DeleteFileA(area.lockPath);
    RemoveDirectoryA(area.baseFolder);
}

}  // namespace

int RunProgram(HINSTANCE instance, LPSTR arguments) {
    WorkArea area{};
    area.lock = INVALID_HANDLE_VALUE;
    if (!SetUpWorkArea(area)) return 0;

    ClearWorkDirectory(WorkDirectory);
    if (arguments[0] != '\0') {
        RunCommandLineMode(instance, arguments);
    } else {
        RunWindowMode(instance);
    }
    ShutDown(area);
    return 0;
}

// The C runtime's own skipping compares signed bytes and so ends an unquoted
// name at its first cp932 lead byte: for C:\ツール\brelvane.exe typed
// without quotes, the rest of the name would count as arguments.
LPSTR SkipProgramName(LPSTR commandLine) {
    LPSTR p = commandLine;
    if (*p == '"') {
        ++p;
        while (*p != '\0' && *p != '"') ++p;
        if (*p == '"') ++p;
    } else {
        while (*p != '\0' && *p != ' ' && *p != '\t') ++p;
    }
    while (*p == ' ' || *p == '\t') ++p;
    return p;
}

LPSTR ProgramArguments() { return SkipProgramName(GetCommandLineA()); }
