// Scenarios of the program as a user runs it: the save and load flows of
// both groups through the main window and Wine's own file dialogs, the
// restart prompt, the file type association and a profile file opened
// through the shell.
#include "driver.h"

#include <shellapi.h>

#include <algorithm>

#include "flow_scenarios.h"
#include "machine.h"
#include "resources/resource.h"

namespace e2e {
namespace {

constexpr int kBoxText = 0xFFFF;  // the text of a message box
constexpr int kFileName = 0x47C;  // the name box of the file dialog

const char kMainCaption[] = "Brelvane 2.4.1.8";
const char kIeOeSaveTitle[] = "現行のIE/OEの設定をファイルにセーブ";
const char kIeOeLoadTitle[] = "現行のIE/OEの設定をファイルからロード";
const char kIeOeLoadDialog[] = "現行のIE/OEの設定をファイルにロード";
const char kTcpipSaveTitle[] = "現行のTCP/IPの設定をファイルにセーブ";
const char kTcpipLoadTitle[] = "現行のTCP/IPの設定をファイルからロード";
const char kIeOeQuestion[] = "現在動作しているInternet ExplorerおよびOutlook Expressをすべて終了してください。";
const char kTcpipQuestion[] =
    "この操作には管理者権限が必要です。また、このコンピュータのすべてのユーザに影響を及ぼすことに注意してください。";
const char kSaved[] = "処理が完了しました。";
const char kDone[] = "処理を完了しました。";
const char kNeedsAssociation[] = "この項目を実行するには関連設定を行う必要があります。";
const char kIeProgId[] = "Morvik.InternetExplorerSettings";
const char kIpProgId[] = "Morvik.InternetProtocolSettings";
const char kComment1[] = "本社3階 経理課のPC";
const DWORD kPatience = 20000;

// One run of brelvane.exe, with the checks of what it shows.
struct Session {
    Program program;
    const Run& run;
    bool ok = true;

    explicit Session(const Run& r) : run(r) {}
    DWORD Pid() const { return program.process.dwProcessId; }

    // The window with `caption` and `control`; a failed check when it does not come.
    HWND Expect(const char* caption, int control, const char* what, const char* picture = nullptr) {
        HWND window = WaitForDialogWith(Pid(), kPatience, caption, control);
        ok &= Check(window != nullptr, what);
        if (window && picture) Screenshot(window, run.screenshots, picture);
        return window;
    }
    // A message box with `caption` and exactly `text`, answered with `button`.
    bool Answer(const char* caption, const std::string& text, int button, const char* picture) {
        HWND box = Expect(caption, kBoxText, ("box: " + text).c_str(), picture);
        if (!box) return false;
        ok &= Check(MessageBoxText(box) == text, "box text", text, MessageBoxText(box));
        ClickButton(box, button);
        ok &= Check(WaitUntilGone(box, kPatience), "the box closes");
        return true;
    }
    // The close box of the main window ends the program with exit code 0.
    void Close(HWND main) {
        HWND ready = WaitForDialogWith(Pid(), kPatience, kMainCaption, IDC_ASSOCIATE);
        ok &= Check(ready == main, "back in the main window");
        CloseWithCloseBox(main);
        ExpectExit();
    }
    void ExpectExit() {
        int code = program.Wait(30000);
        ok &= Check(code == 0, "exit code 0", "0", std::to_string(code));
    }
};

std::string Sorted(std::vector<std::string> items, const char* separator = ", ") {
    std::sort(items.begin(), items.end());
    std::string joined;
    for (const std::string& item : items) joined += (joined.empty() ? "" : separator) + item;
    return joined;
}

std::string ThisUser() {
    char name[256] = "";
    DWORD size = sizeof name;
    GetUserNameA(name, &size);
    return name;
}

std::string ThisComputer() {
    char name[MAX_COMPUTERNAME_LENGTH + 1] = "";
    DWORD size = sizeof name;
    GetComputerNameA(name, &size);
    return name;
}

std::string Value(HKEY root, const std::string& path, const std::string& name) {
    DWORD type = 0;
    std::string data;
    return ReadValue(root, path, name, &type, &data) ? data : "<missing>";
}

// ---- 1: the IE/OE save -------------------------------------------------------

bool IeOeSave(const Run& run) {
    if (!SeedMachine()) return false;
    const std::string file = run.files + "\\office-pc.ies";
    DeleteFileA(file.c_str());
    Session s(run);
    s.ok &= Check(s.program.Start(run.exe, ""), "start brelvane.exe");
    HWND main = s.Expect(kMainCaption, IDC_TCPIP_SAVE, "the main window of the NT family (102)", "e2e-1-1-main-window");
    if (!main) return false;
    ClickButton(main, IDC_IEOE_SAVE);
    s.Answer(kIeOeSaveTitle, kIeOeQuestion, IDOK, "e2e-1-2-ieoe-save-question");
    HWND files = s.Expect(kIeOeSaveTitle, kFileName, "Wine's save dialog");
    if (!files) return false;
    // A name without extension: the dialog adds "ies".
    s.ok &= Check(EnterFileName(files, run.files + "\\office-pc", run.screenshots, "e2e-1-3-ieoe-save-file-dialog"),
                  "type the file name");
    HWND dialog = s.Expect(kIeOeSaveTitle, IDC_ENTRY_LIST, "dialog 112");
    if (!dialog) return false;
    std::string users = Sorted(ListBoxItems(dialog, IDC_ENTRY_LIST));
    s.ok &= Check(users == Sorted({kMainUser, kSecondUser}), "the identities listed", Sorted({kMainUser, kSecondUser}),
                  users);
    s.ok &= Check(ListBoxSelectedCount(dialog, IDC_ENTRY_LIST) == 2, "all selected");
    s.ok &= Check(IsButtonChecked(dialog, IDC_OPTIONS), "Internet options ticked");
    s.ok &= Check(ControlText(dialog, IDC_SOURCE_NAME) == ThisUser(), "the user name", ThisUser(),
                  ControlText(dialog, IDC_SOURCE_NAME));
    SetControlText(dialog, IDC_COMMENT, kComment1);
    Screenshot(dialog, run.screenshots, "e2e-1-4-ieoe-save-dialog");
    ClickButton(dialog, IDOK);
    s.Answer(kIeOeSaveTitle, kSaved, IDOK, "e2e-1-5-ieoe-save-done");
    s.Close(main);
    s.ok &= Check(FileExists(file), "the profile file exists with .ies", file);
    return s.ok;
}

// ---- 2: the IE/OE load ----------------------------------------------------------

// Changes the live settings the file is to put back, and one of the machine's
// own (the cache under 5.0) that the load must keep.
bool ChangeLiveIeOe() {
    const std::string settings = kInternetSettings;
    return PutValue(HKEY_CURRENT_USER, settings, "ProxyServer", REG_SZ, Sz("other.example.com:3128")) &&
           PutValue(HKEY_CURRENT_USER, settings, "AutoConfigURL", REG_SZ, Sz("http://wpad.example.com/wpad.dat")) &&
           PutValue(HKEY_CURRENT_USER, settings + "\\5.0\\Cache\\Content", "CacheLimit", REG_DWORD, Dword(0x8000));
}

bool IeOeLoad(const Run& run) {
    const std::string settings = kInternetSettings;
    const std::string saved = DumpTree(HKEY_CURRENT_USER, "Identities");
    if (!Check(ChangeLiveIeOe(), "change the live settings")) return false;
    const std::string accounts =
        "Identities\\{A7C3D2E1-8B94-4F06-9E15-0C2B3A4D5E6F}\\Software\\Microsoft\\Internet Account Manager\\Accounts";
    PutValue(HKEY_CURRENT_USER, accounts + "\\00000001", "POP3 Server", REG_SZ, Sz("pop.changed.example"));
    PutValue(HKEY_CURRENT_USER, accounts + "\\00000002", "Account Name", REG_SZ, Sz("added later"));
    Session s(run);
    s.ok &= Check(s.program.Start(run.exe, ""), "start brelvane.exe");
    HWND main = s.Expect(kMainCaption, IDC_IEOE_LOAD, "the main window");
    if (!main) return false;
    ClickButton(main, IDC_IEOE_LOAD);
    s.Answer(kIeOeLoadTitle, kIeOeQuestion, IDOK, "e2e-2-1-ieoe-load-question");
    HWND files = s.Expect(kIeOeLoadTitle, kFileName, "Wine's open dialog");
    if (!files) return false;
    s.ok &= Check(EnterFileName(files, run.files + "\\office-pc.ies", run.screenshots, "e2e-2-2-ieoe-load-file-dialog"),
                  "type the file name");
    HWND dialog = s.Expect(kIeOeLoadDialog, IDC_ENTRY_LIST, "dialog 112 in load mode");
    if (!dialog) return false;
    s.ok &= Check(ControlText(dialog, IDC_SOURCE_NAME) == ThisUser(), "the saver's name", ThisUser(),
                  ControlText(dialog, IDC_SOURCE_NAME));
    s.ok &= Check(ControlText(dialog, IDC_COMMENT) == kComment1, "the saver's comment", kComment1,
                  ControlText(dialog, IDC_COMMENT));
    s.ok &= Check(IsEditReadOnly(dialog, IDC_SOURCE_NAME) && IsEditReadOnly(dialog, IDC_COMMENT), "both read-only");
    s.ok &= Check(Sorted(ListBoxItems(dialog, IDC_ENTRY_LIST)) == Sorted({kMainUser, kSecondUser}), "the saved identities");
    Screenshot(dialog, run.screenshots, "e2e-2-3-ieoe-load-dialog");
    ClickButton(dialog, IDOK);
    s.Answer(kIeOeLoadTitle, kDone, IDOK, "e2e-2-4-ieoe-load-done");
    s.Close(main);

    s.ok &= Check(Value(HKEY_CURRENT_USER, settings, "ProxyServer") == Sz(kProxy), "the saved proxy is back");
    s.ok &= Check(Value(HKEY_CURRENT_USER, settings, "AutoConfigURL") == "<missing>", "the added value is gone");
    s.ok &= Check(Value(HKEY_CURRENT_USER, settings + "\\5.0\\Cache\\Content", "CacheLimit") == Dword(0x8000),
                  "the machine's own 5.0 is kept");
    s.ok &= Check(DumpTree(HKEY_CURRENT_USER, "Identities") == saved, "the accounts are back", saved,
                  DumpTree(HKEY_CURRENT_USER, "Identities"));
    return s.ok;
}

// ---- 3: the TCP/IP save and load ---------------------------------------------------

// Dialog 111 of either kind: the connections listed, all selected.
bool CheckConnections(Session& s, HWND dialog) {
    std::string names = Sorted(ListBoxItems(dialog, IDC_ENTRY_LIST));
    return s.ok &= Check(names == Sorted({kLanName, kWlanName}), "the connections listed",
                         Sorted({kLanName, kWlanName}), names) &&
                   Check(ListBoxSelectedCount(dialog, IDC_ENTRY_LIST) == 2, "all selected");
}

bool SaveTcpip(Session& s, HWND main, const std::string& name) {
    ClickButton(main, IDC_TCPIP_SAVE);
    // No question: the next window is the file dialog.
    HWND files = s.Expect(kTcpipSaveTitle, kFileName, "Wine's save dialog, no question first");
    if (!files) return false;
    s.ok &=
        Check(EnterFileName(files, name, s.run.screenshots, "e2e-3-2-tcpip-save-file-dialog"), "type the file name");
    HWND dialog = s.Expect(nullptr, IDC_ENTRY_LIST, "dialog 111");
    if (!dialog) return false;
    CheckConnections(s, dialog);
    s.ok &= Check(ControlText(dialog, IDC_SOURCE_NAME) == ThisComputer(), "the computer name", ThisComputer(),
                  ControlText(dialog, IDC_SOURCE_NAME));
    SetControlText(dialog, IDC_COMMENT, "固定IPの設定");
    Screenshot(dialog, s.run.screenshots, "e2e-3-3-tcpip-save-dialog");
    ClickButton(dialog, IDOK);
    return s.Answer(kTcpipSaveTitle, kDone, IDOK, "e2e-3-4-tcpip-save-done");
}

// The load dialog (from the main window or the shell), its completion and the
// restart prompt answered with "continue".
bool LoadTcpip(Session& s, const char* prefix) {
    HWND dialog = s.Expect(nullptr, IDC_ENTRY_LIST, "dialog 111 in load mode");
    if (!dialog) return false;
    CheckConnections(s, dialog);
    s.ok &= Check(ControlText(dialog, IDC_COMMENT) == "固定IPの設定", "the saver's comment");
    Screenshot(dialog, s.run.screenshots, std::string(prefix) + "-a-tcpip-load-dialog");
    ClickButton(dialog, IDOK);
    s.Answer(kTcpipLoadTitle, kDone, IDOK, (std::string(prefix) + "-b-tcpip-load-done").c_str());
    HWND prompt = s.Expect("シャットダウン", IDC_CONTINUE, "the restart prompt",
                           (std::string(prefix) + "-c-restart-prompt").c_str());
    if (!prompt) return false;
    ClickButton(prompt, IDC_CONTINUE);
    return s.ok &= Check(WaitUntilGone(prompt, kPatience), "the prompt closes");
}

bool TcpipRoundTrip(const Run& run) {
    if (!SeedMachine()) return false;
    const std::string file = run.files + "\\lan-settings.ips";
    const std::string lan = InterfacePath(kLanGuid);
    const std::string saved = DumpTree(HKEY_LOCAL_MACHINE, lan);
    DeleteFileA(file.c_str());
    Session s(run);
    s.ok &= Check(s.program.Start(run.exe, ""), "start brelvane.exe");
    HWND main = s.Expect(kMainCaption, IDC_TCPIP_SAVE, "the main window", "e2e-3-1-main-window");
    if (!main || !SaveTcpip(s, main, run.files + "\\lan-settings")) return false;
    s.ok &= Check(FileExists(file), "the profile file exists with .ips", file);

    PutValue(HKEY_LOCAL_MACHINE, lan, "IPAddress", REG_MULTI_SZ, MultiSz("192.168.1.99"));
    PutValue(HKEY_LOCAL_MACHINE, lan, "DhcpServer", REG_SZ, Sz("192.168.1.1"));
    ClickButton(main, IDC_TCPIP_LOAD);
    s.Answer(kTcpipLoadTitle, kTcpipQuestion, IDOK, "e2e-3-5-tcpip-load-question");
    HWND files = s.Expect(kTcpipLoadTitle, kFileName, "Wine's open dialog");
    if (!files) return false;
    s.ok &= Check(EnterFileName(files, file, run.screenshots, "e2e-3-6-tcpip-load-file-dialog"), "type the file name");
    LoadTcpip(s, "e2e-3-7");
    // The prompt has gone: the main window is enabled again; repainted where the prompt was.
    if (s.Expect(kMainCaption, IDC_ASSOCIATE, "back in the main window after the prompt")) {
        RedrawWindow(main, nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_ALLCHILDREN | RDW_UPDATENOW);
        Sleep(500);
        Screenshot(main, run.screenshots, "e2e-3-8-back-in-main-window");
    }
    s.Close(main);
    s.ok &= Check(DumpTree(HKEY_LOCAL_MACHINE, lan) == saved, "the saved parameters are back", saved,
                  DumpTree(HKEY_LOCAL_MACHINE, lan));
    s.ok &= Check(!DirectoryExists(TempPath() + "Morvik"), "no Morvik folder left");
    return s.ok;
}

// ---- 4: the association and a file opened through the shell -----------------------

// Runs dialog 113 from a fresh main window: checks what set-up ticked, sets
// both boxes to what is wanted, presses OK.
bool Associate(const Run& run, bool wasIeOe, bool wasTcpip, bool ieoe, bool tcpip, const char* picture) {
    Session s(run);
    s.ok &= Check(s.program.Start(run.exe, ""), "start brelvane.exe");
    HWND main = s.Expect(kMainCaption, IDC_ASSOCIATE, "the main window");
    if (!main) return false;
    ClickButton(main, IDC_ASSOCIATE);
    HWND dialog = s.Expect("関連登録", IDC_ASSOC_TCPIP, "dialog 113");
    if (!dialog) return false;
    s.ok &= Check(IsButtonChecked(dialog, IDC_ASSOC_IEOE) == wasIeOe, "the .ies box as registered");
    s.ok &= Check(IsButtonChecked(dialog, IDC_ASSOC_TCPIP) == wasTcpip, "the .ips box as registered");
    if (IsButtonChecked(dialog, IDC_ASSOC_IEOE) != ieoe) ClickButton(dialog, IDC_ASSOC_IEOE);
    if (IsButtonChecked(dialog, IDC_ASSOC_TCPIP) != tcpip) ClickButton(dialog, IDC_ASSOC_TCPIP);
    Sleep(300);
    Screenshot(dialog, run.screenshots, picture);
    ClickButton(dialog, IDOK);
    s.ok &= Check(WaitUntilGone(dialog, kPatience), "dialog 113 closes");
    s.Close(main);
    return s.ok;
}

bool CheckRegistered(const std::string& exe) {
    bool ok = true;
    auto expect = [&ok](const std::string& key, const std::string& data) {
        std::string actual = Value(HKEY_CLASSES_ROOT, key, "");
        ok &= Check(actual == Sz(data), ("HKEY_CLASSES_ROOT\\" + key).c_str(), data, actual);
    };
    expect(".ies", kIeProgId);
    expect(std::string(kIeProgId) + "\\shell\\open\\command", "\"" + exe + "\" \"%1\" /ies");
    expect(std::string(kIeProgId) + "\\DefaultIcon", exe + ",1");
    expect(".ips", kIpProgId);
    expect(std::string(kIpProgId) + "\\shell\\open\\command", "\"" + exe + "\" \"%1\" /ips");
    expect(std::string(kIpProgId) + "\\DefaultIcon", exe + ",2");
    return ok;
}

// Opens `file` as Explorer would on a double-click; the started program in `process`.
bool OpenThroughShell(const std::string& file, HANDLE* process) {
    SHELLEXECUTEINFOA info = {};
    info.cbSize = sizeof info;
    info.fMask = SEE_MASK_NOCLOSEPROCESS;
    info.lpVerb = "open";
    info.lpFile = file.c_str();
    info.nShow = SW_SHOWNORMAL;
    if (!ShellExecuteExA(&info) || !info.hProcess) return false;
    *process = info.hProcess;
    return true;
}

// A Session for a program the shell started.
bool Adopt(Session& s, HANDLE process) {
    s.program.process.hProcess = process;
    s.program.process.dwProcessId = GetProcessId(process);
    return s.program.process.dwProcessId != 0;
}

void RemoveAssociation() {
    for (const char* key : {".ies", ".ips", kIeProgId, kIpProgId}) DeleteTree(HKEY_CLASSES_ROOT, key);
}

bool AssociationOpensIps(const Run& run) {
    RemoveAssociation();
    bool ok = Associate(run, false, false, true, true, "e2e-4-1-association-ticked");
    ok &= CheckRegistered(run.exe);

    const std::string lan = InterfacePath(kLanGuid);
    const std::string saved = DumpTree(HKEY_LOCAL_MACHINE, lan);
    PutValue(HKEY_LOCAL_MACHINE, lan, "IPAddress", REG_MULTI_SZ, MultiSz("192.168.1.77"));
    Session s(run);
    HANDLE process = nullptr;
    s.ok &= Check(OpenThroughShell(run.files + "\\lan-settings.ips", &process) && Adopt(s, process),
                  "open the .ips file through the shell");
    if (s.ok) {
        s.Answer(kTcpipLoadTitle, kTcpipQuestion, IDOK, "e2e-4-2-shell-ips-question");
        LoadTcpip(s, "e2e-4-3");
        s.ExpectExit();
    }
    ok &= s.ok;
    ok &= Check(DumpTree(HKEY_LOCAL_MACHINE, lan) == saved, "the file's parameters were loaded");

    ok &= Associate(run, true, true, false, false, "e2e-4-4-association-unticked");
    for (const char* key : {".ies", ".ips", kIeProgId, kIpProgId})
        ok &= Check(!KeyExists(HKEY_CLASSES_ROOT, key), (std::string("gone: ") + key).c_str());
    return ok;
}

// ---- 5: command lines the program refuses -----------------------------------------

bool PathWithoutSwitch(const Run& run) {
    Session s(run);
    s.ok &= Check(s.program.Start(run.exe, "\"" + run.files + "\\office-pc.ies\""), "start with a path only");
    HWND box = s.Expect(nullptr, kBoxText, "the association message", "e2e-5-1-needs-association");
    if (!box) return false;
    s.ok &= Check(MessageBoxText(box) == kNeedsAssociation, "its text", kNeedsAssociation, MessageBoxText(box));
    s.ok &= Check(MessageBoxHasIcon(box, IDI_INFORMATION), "information icon");
    ClickButton(box, IDOK);
    s.ExpectExit();
    return s.ok;
}

// A copy of the saved profile with its middle overwritten.
bool MakeDamagedProfile(const std::string& from, const std::string& to) {
    if (!CopyFileA(from.c_str(), to.c_str(), FALSE)) return false;
    HANDLE file = CreateFileA(to.c_str(), GENERIC_READ | GENERIC_WRITE, 0, nullptr, OPEN_EXISTING, 0, nullptr);
    if (file == INVALID_HANDLE_VALUE) return false;
    DWORD size = GetFileSize(file, nullptr);
    SetFilePointer(file, static_cast<LONG>(size / 2), nullptr, FILE_BEGIN);
    const char junk[64] = "damaged damaged damaged damaged damaged damaged damaged damage";
    DWORD written = 0;
    BOOL ok = WriteFile(file, junk, sizeof junk, &written, nullptr);
    CloseHandle(file);
    return ok && written == sizeof junk;
}

bool DamagedProfileThroughShell(const Run& run) {
    const std::string damaged = run.files + "\\damaged.ies";
    if (!Check(MakeDamagedProfile(run.files + "\\office-pc.ies", damaged), "make a damaged copy")) return false;
    bool ok = Associate(run, false, false, true, false, "e2e-5-2-association-ies");
    const std::string settings = DumpTree(HKEY_CURRENT_USER, kInternetSettings);
    const std::string identities = DumpTree(HKEY_CURRENT_USER, "Identities");

    Session s(run);
    HANDLE process = nullptr;
    s.ok &= Check(OpenThroughShell(damaged, &process) && Adopt(s, process), "open the damaged file through the shell");
    if (s.ok) {
        s.Answer(kIeOeLoadTitle, kIeOeQuestion, IDOK, "e2e-5-3-shell-ies-question");
        HWND refusal = s.Expect(nullptr, kBoxText, "the refusal message", "e2e-5-4-damaged-refused");
        if (refusal) {
            std::printf("refusal: %s\n", MessageBoxText(refusal).c_str());
            s.ok &= Check(MessageBoxText(refusal) != kDone, "no completion");
            ClickButton(refusal, IDOK);
            s.ok &= Check(WaitUntilGone(refusal, kPatience), "the message closes");
        }
        // Nothing else comes: no completion box, only the end of the program.
        s.ExpectExit();
    }
    ok &= s.ok;
    ok &= Check(DumpTree(HKEY_CURRENT_USER, kInternetSettings) == settings, "Internet options unchanged");
    ok &= Check(DumpTree(HKEY_CURRENT_USER, "Identities") == identities, "accounts unchanged");
    RemoveAssociation();
    DeleteFileA(damaged.c_str());
    return ok;
}

bool BadCommandLines(const Run& run) {
    bool ok = PathWithoutSwitch(run);
    ok &= DamagedProfileThroughShell(run);
    return ok;
}

}  // namespace

const std::vector<Scenario>& FlowScenarios() {
    static const std::vector<Scenario> scenarios = {
        {"ieoe_save", IeOeSave},
        {"ieoe_load", IeOeLoad},
        {"tcpip_round_trip", TcpipRoundTrip},
        {"association_opens_ips", AssociationOpensIps},
        {"bad_command_lines", BadCommandLines},
    };
    return scenarios;
}

}  // namespace e2e
