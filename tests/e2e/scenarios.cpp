// Scenarios of the start-up and shut-down of the real program.
#include "driver.h"
#include "flow_scenarios.h"

namespace e2e {
namespace {

const char kLockBusy[] =
    "ロックファイルが使用中です。プログラム\"Brelvane\"はすでに動作中であるものと考えられます。"
    "このプログラムは同時に2つ以上動作させることができません。"
    "このプログラムが1つも動作していない状態でこの問題が発生する場合は、"
    "このプログラムがスタートアップに登録されていないことを確認し、システムを再起動してから再試行してください。";

// What the driver makes to play the first copy, taken down on every way out
// of the scenario, so that a failed check leaves no lock behind for the next.
struct FirstCopy {
    std::string base = TempPath() + "Morvik\\";
    std::string work = base + "brv\\";
    std::string marker = work + "profile";
    HANDLE lock = INVALID_HANDLE_VALUE;

    ~FirstCopy() {
        if (lock != INVALID_HANDLE_VALUE) CloseHandle(lock);
        DeleteFileA(marker.c_str());
        DeleteFileA((base + "brv.lok").c_str());
        RemoveDirectoryA(work.c_str());
        RemoveDirectoryA(base.c_str());
    }
};

// The driver plays the first copy: it holds the lock file without sharing and
// has a file in the work directory that the second copy must not touch.
bool SecondCopySeesLock(const Run& run) {
    const std::string& exe = run.exe;
    const std::string& screenshots = run.screenshots;
    FirstCopy first;
    CreateDirectoryA(first.base.c_str(), nullptr);
    CreateDirectoryA(first.work.c_str(), nullptr);
    HANDLE file =
        CreateFileA(first.marker.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (!Check(file != INVALID_HANDLE_VALUE, "create the first copy's work file")) return false;
    CloseHandle(file);
    first.lock = CreateFileA((first.base + "brv.lok").c_str(), GENERIC_READ | GENERIC_WRITE, 0, nullptr, OPEN_ALWAYS,
                             FILE_ATTRIBUTE_NORMAL, nullptr);
    if (!Check(first.lock != INVALID_HANDLE_VALUE, "hold the lock file")) return false;

    bool ok = true;
    Program program;
    ok &= Check(program.Start(exe, ""), "start brelvane.exe");
    HWND box = WaitForDialog(program.process.dwProcessId, 30000);
    ok &= Check(box != nullptr, "the lock message appears");
    if (box) {
        ok &= Check(MessageBoxText(box) == kLockBusy, "lock message text", kLockBusy, MessageBoxText(box));
        // No caption of ours: the system's default caption for a message box.
        ok &= Check(WindowText(box) == "エラー", "default caption", "エラー", WindowText(box));
        ok &= Check(MessageBoxHasIcon(box, IDI_INFORMATION), "information icon");
        if (!screenshots.empty()) SaveWindowBitmap(box, screenshots + "\\lock-busy.bmp");
        ClickButton(box, IDOK);
    }
    int exitCode = program.Wait(30000);
    ok &= Check(exitCode == 0, "exit code 0", "0", std::to_string(exitCode));
    ok &= Check(FileExists(first.marker), "the first copy's work file is untouched");
    ok &= Check(FileExists(first.base + "brv.lok"), "the lock file stays");
    return ok;
}

bool PlainRunLeavesNothing(const Run& run) {
    const std::string& exe = run.exe;
    std::string base = TempPath() + "Morvik\\";
    bool ok = Check(!DirectoryExists(base), "no Morvik folder before the run");
    Program program;
    ok &= Check(program.Start(exe, ""), "start brelvane.exe");
    // Without arguments the main window comes up and stays until its close box.
    HWND main = WaitForDialog(program.process.dwProcessId, 30000, "Brelvane 2.4.1.8");
    ok &= Check(main != nullptr, "the main window appears");
    ok &= Check(DirectoryExists(base + "brv\\"), "the work directory exists while it runs");
    if (main) CloseWithCloseBox(main);
    int exitCode = program.Wait(60000);
    ok &= Check(exitCode == 0, "exit code 0", "0", std::to_string(exitCode));
    ok &= Check(!DirectoryExists(base), "no Morvik folder after the run");
    return ok;
}

// Typed without quotes (cmd, a batch file, a scheduled task), a program in a
// Japanese folder still reads its arguments: none opens the main window, a
// file with its switch goes to the load question.
bool UnquotedJapaneseFolder(const Run& run) {
    const std::string folder = TempPath() + "ツール";
    const std::string exe = folder + "\\brelvane.exe";
    CreateDirectoryA(folder.c_str(), nullptr);
    bool ok = Check(CopyFileA(run.exe.c_str(), exe.c_str(), FALSE) != 0, "copy brelvane.exe into a Japanese folder");
    if (ok) {
        Program program;
        ok &= Check(program.StartCommandLine(exe), "start it without quotes and without arguments");
        HWND main = WaitForDialog(program.process.dwProcessId, 30000, "Brelvane 2.4.1.8");
        ok &= Check(main != nullptr, "the main window appears");
        if (main) CloseWithCloseBox(main);
        ok &= Check(program.Wait(60000) == 0, "exit code 0");
    }
    if (ok) {
        Program program;
        ok &= Check(program.StartCommandLine(exe + " \"C:\\a.ies\" /ies"), "start it without quotes with a file");
        HWND question = WaitForDialog(program.process.dwProcessId, 30000, "現行のIE/OEの設定をファイルからロード");
        ok &= Check(question != nullptr, "the IE/OE load question appears");
        if (question) ClickButton(question, IDCANCEL);
        ok &= Check(program.Wait(60000) == 0, "exit code 0");
    }
    DeleteFileA(exe.c_str());
    RemoveDirectoryA(folder.c_str());
    return ok;
}

// Not a check of ours: the first window of a fresh Wine prefix starts Wine's
// desktop, and a program that asks for a window meanwhile is refused. The
// test script runs this once before the suites so none of them meets that.
bool DesktopReady(const Run&) {
    for (int attempt = 0; attempt < 200; ++attempt) {
        HWND window = CreateWindowExA(0, "STATIC", "", WS_POPUP, 0, 0, 10, 10, nullptr, nullptr, nullptr, nullptr);
        if (window) {
            DestroyWindow(window);
            return true;
        }
        Sleep(100);
    }
    return Check(false, "a window can be created");
}

}  // namespace

const std::vector<Scenario>& Scenarios() {
    static const std::vector<Scenario> scenarios = [] {
        std::vector<Scenario> all = {
            {"second_copy_sees_lock", SecondCopySeesLock},
            {"plain_run_leaves_nothing", PlainRunLeavesNothing},
            {"unquoted_japanese_folder", UnquotedJapaneseFolder},
            {"desktop_ready", DesktopReady},
        };
        for (const Scenario& scenario : FlowScenarios()) all.push_back(scenario);
        return all;
    }();
    return scenarios;
}

}  // namespace e2e
