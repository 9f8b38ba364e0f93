// brvprofile.exe under Wine against the real registry: save, diff and apply
// through the program's dialogs, created but never shown. Each run is a
// process of its own, watched for any window it shows.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "snapshot/profile_file.h"
#include "tests/unit/brvprofile/tool_test_util.h"
#include "tests/unit/tcpip/tcpip_test_util.h"

namespace {

using ieoetest::Accounts;
using ieoetest::kSettings;
using ieoetest::MailAccount;
using ieoetest::Sz;

constexpr char kGuidTaro[] = "{1A000000-0000-0000-0000-000000000000}";
constexpr char kGuidHanako[] = "{2B000000-0000-0000-0000-000000000000}";

struct Ran {
    DWORD code;
    std::string out;
    std::string err;
    int windowsShown;
};

struct Watch {
    DWORD pid;
    int shown;
};

BOOL CALLBACK CountShownWindow(HWND window, LPARAM context) {
    Watch* watch = reinterpret_cast<Watch*>(context);
    DWORD pid = 0;
    GetWindowThreadProcessId(window, &pid);
    if (pid == watch->pid && IsWindowVisible(window)) ++watch->shown;
    return TRUE;
}

std::string Quoted(const std::string& text) { return "\"" + text + "\""; }

// Sets a value below HKEY_CURRENT_USER (or deletes it with type REG_NONE).
void SetValue(const std::string& path, const std::string& name, DWORD type, const std::string& data) {
    HKEY key = nullptr;
    ASSERT_EQ(ERROR_SUCCESS, RegOpenKeyExA(HKEY_CURRENT_USER, path.c_str(), 0, KEY_ALL_ACCESS, &key)) << path;
    if (type == REG_NONE) {
        EXPECT_EQ(ERROR_SUCCESS, RegDeleteValueA(key, name.c_str())) << name;
    } else {
        EXPECT_EQ(ERROR_SUCCESS, RegSetValueExA(key, name.c_str(), 0, type,
                                                reinterpret_cast<const BYTE*>(data.data()), static_cast<DWORD>(data.size())));
    }
    RegCloseKey(key);
}

std::vector<std::string> ChangeLines(const std::string& out, const std::string& title) {
    std::vector<std::string> lines;
    size_t at = out.find("\n" + title + " → ");
    if (at == std::string::npos) return {"<no section " + title + ">"};
    at = out.find('\n', at + 1) + 1;
    while (at < out.size() && out[at] != '\n') {
        const size_t end = out.find('\n', at);
        lines.push_back(out.substr(at, end - at));
        at = end + 1;
    }
    return lines;
}

// The whole of a file, read through the Windows API, lines ending with LF.
std::string FileText(const std::string& path) {
    HANDLE file = CreateFileA(path.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr, OPEN_EXISTING, 0, nullptr);
    if (file == INVALID_HANDLE_VALUE) return "<missing " + path + ">";
    std::string text;
    char buffer[4096];
    DWORD got = 0;
    while (ReadFile(file, buffer, sizeof buffer, &got, nullptr) && got > 0) text.append(buffer, got);
    CloseHandle(file);
    // Standard output in text mode ends its lines with CR LF.
    std::string lines;
    for (char c : text)
        if (c != '\r') lines += c;
    return lines;
}

// Runs brvprofile.exe with `arguments`, its output into files of `dir`,
// watching for any window of it that becomes visible while it runs.
Ran StartTool(const std::string& dir, const std::vector<std::string>& arguments) {
    const std::string outPath = dir + "out.txt";
    const std::string errPath = dir + "err.txt";
    SECURITY_ATTRIBUTES inherit{sizeof inherit, nullptr, TRUE};
    HANDLE out = CreateFileA(outPath.c_str(), GENERIC_WRITE, FILE_SHARE_READ, &inherit, CREATE_ALWAYS, 0, nullptr);
    HANDLE err = CreateFileA(errPath.c_str(), GENERIC_WRITE, FILE_SHARE_READ, &inherit, CREATE_ALWAYS, 0, nullptr);
    std::string command = Quoted(BRVPROFILE_EXE);
    for (const std::string& a : arguments) command += " " + Quoted(a);
    STARTUPINFOA start{};
    start.cb = sizeof start;
    start.dwFlags = STARTF_USESTDHANDLES;
    start.hStdInput = GetStdHandle(STD_INPUT_HANDLE);
    start.hStdOutput = out;
    start.hStdError = err;
    PROCESS_INFORMATION process{};
    Ran ran{~0u, "", "", 0};
    const BOOL started = CreateProcessA(nullptr, &command[0], nullptr, nullptr, TRUE, 0, nullptr, nullptr, &start, &process);
    CloseHandle(out);
    CloseHandle(err);
    EXPECT_TRUE(started) << command;
    if (!started) return ran;
    Watch watch{process.dwProcessId, 0};
    while (WaitForSingleObject(process.hProcess, 5) == WAIT_TIMEOUT)
        EnumWindows(CountShownWindow, reinterpret_cast<LPARAM>(&watch));
    GetExitCodeProcess(process.hProcess, &ran.code);
    CloseHandle(process.hThread);
    CloseHandle(process.hProcess);
    ran.out = FileText(outPath);
    ran.err = FileText(errPath);
    ran.windowsShown = watch.shown;
    return ran;
}

class ToolWineTest : public IeOeTest {
protected:
    Ran Start(const std::vector<std::string>& arguments) { return StartTool(Dir(), arguments); }
    void Machine() {
        RegTree taro = MailAccount("Taro mail", "pop.t.example.jp");
        RegTree hanako = MailAccount("Hanako mail", "pop.h.example.jp");
        PutIdentity(kGuidTaro, "Taro", &taro);
        PutIdentity(kGuidHanako, "Hanako", &hanako);
        Put(kSettings, ieoetest::InternetSettings("proxy.example.jp:8080", "machine"));
    }
    std::string Saved() { return Dir() + "saved.ies"; }
    // One changed, one added and one removed value in each of the three trees.
    void ChangeEverything() {
        for (const std::string& path : {std::string(kSettings), Accounts(kGuidTaro) + "\\00000001", Accounts(kGuidHanako) + "\\00000001"}) {
            const bool settings = path == kSettings;
            SetValue(path, settings ? "ProxyServer" : "POP3 Server", REG_SZ, Sz("changed.example.jp"));
            SetValue(path, "Added", REG_DWORD, snaptest::Dword(7));
            SetValue(path, settings ? "ProxyOverride" : "Connection Type", REG_NONE, "");
        }
    }
    static bool Has(const std::string& text, const std::string& part) { return text.find(part) != std::string::npos; }
};

TEST_F(ToolWineTest, SaveWritesWhatTheDialogWouldAndShowsNoWindow) {
    Machine();
    Ran saved = Start({"save", "ies", Saved(), "--comment", "会社のPC"});
    EXPECT_EQ(0u, saved.code) << saved.err;
    EXPECT_EQ("セーブしました: " + Saved() + "\n", saved.out);
    EXPECT_EQ(0, saved.windowsShown);
    Ran shown = Start({"show", Saved()});
    EXPECT_EQ(0u, shown.code) << shown.err;
    EXPECT_TRUE(Has(shown.out, "保存者コメント: 会社のPC\nインターネットオプション: あり\nアカウントの項目: 2\n"
                               "  レコード 0: \"Hanako\" スナップショット gateway.0\n"))
        << shown.out;
    EXPECT_EQ(0u, Start({"check", Saved()}).code);
}

TEST_F(ToolWineTest, DiffGivesExactlyTheThreeChangesOfEachTree) {
    Machine();
    ASSERT_EQ(0u, Start({"save", "ies", Saved()}).code);
    ChangeEverything();
    Ran diff = Start({"diff", Saved()});
    EXPECT_EQ(0u, diff.code) << diff.err;
    EXPECT_EQ(0, diff.windowsShown);
    const std::string settings = "HKEY_CURRENT_USER\\" + std::string(kSettings);
    EXPECT_EQ((std::vector<std::string>{
                  "~ [" + settings + "] \"ProxyServer\"=\"changed.example.jp\" → \"proxy.example.jp:8080\"",
                  "+ [" + settings + "] \"ProxyOverride\"=\"<local>\"",
                  "- [" + settings + "] \"Added\"=dword:00000007"}),
              ChangeLines(diff.out, "インターネットオプション"));
    const std::string taro = "HKEY_CURRENT_USER\\" + Accounts(kGuidTaro) + "\\00000001";
    EXPECT_EQ((std::vector<std::string>{"~ [" + taro + "] \"POP3 Server\"=\"changed.example.jp\" → \"pop.t.example.jp\"",
                                        "+ [" + taro + "] \"Connection Type\"=dword:00000003",
                                        "- [" + taro + "] \"Added\"=dword:00000007"}),
              ChangeLines(diff.out, "アカウント \"Taro\""));
    EXPECT_EQ(3u, ChangeLines(diff.out, "アカウント \"Hanako\"").size()) << diff.out;
}

TEST_F(ToolWineTest, ApplyOnlyOneThenTheWholeFileGivesBackTheSavedTrees) {
    Machine();
    const RegTree taro = Dump(Accounts(kGuidTaro));
    const RegTree hanako = Dump(Accounts(kGuidHanako));
    const RegTree settings = Dump(kSettings);
    ASSERT_EQ(0u, Start({"save", "ies", Saved()}).code);
    ChangeEverything();
    const RegTree hanakoChanged = Dump(Accounts(kGuidHanako));

    Ran only = Start({"apply", Saved(), "--only", "Taro", "--no-internet-options"});
    EXPECT_EQ(0u, only.code) << only.err;
    EXPECT_EQ("適用しました: \"Taro\"\n", only.out);
    EXPECT_EQ(0, only.windowsShown);
    EXPECT_TRUE(taro == Dump(Accounts(kGuidTaro)));
    EXPECT_TRUE(hanakoChanged == Dump(Accounts(kGuidHanako)));
    EXPECT_FALSE(settings == Dump(kSettings));

    Ran whole = Start({"apply", Saved()});
    EXPECT_EQ(0u, whole.code) << whole.err;
    EXPECT_EQ("インターネットオプションを適用しました。\n適用しました: \"Hanako\"\n適用しました: \"Taro\"\n", whole.out);
    EXPECT_EQ(0, whole.windowsShown);
    EXPECT_TRUE(taro == Dump(Accounts(kGuidTaro)));
    EXPECT_TRUE(hanako == Dump(Accounts(kGuidHanako)));
    EXPECT_TRUE(settings == Dump(kSettings));
}

TEST_F(ToolWineTest, ANameMissingHereEndsWith1NamingItAndTheOthersAreApplied) {
    Machine();
    const RegTree taro = Dump(Accounts(kGuidTaro));
    ASSERT_EQ(0u, Start({"save", "ies", Saved()}).code);
    ChangeEverything();
    DeleteKeyTree(HKEY_CURRENT_USER, "Identities\\" + std::string(kGuidHanako));
    Ran applied = Start({"apply", Saved(), "--only", "Hanako", "--only", "Taro", "--only", "Jiro"});
    EXPECT_EQ(1u, applied.code);
    EXPECT_TRUE(Has(applied.err, "ファイルに\"Jiro\"の項目はありません。\n")) << applied.err;
    EXPECT_TRUE(Has(applied.err, "選択したユーザの項目のうち、\"Hanako\"を設定できません。")) << applied.err;
    EXPECT_TRUE(Has(applied.err, "項目\"Hanako\"を適用できませんでした。\n")) << applied.err;
    EXPECT_TRUE(Has(applied.out, "適用しました: \"Taro\"\n")) << applied.out;
    EXPECT_TRUE(taro == Dump(Accounts(kGuidTaro)));
}

TEST_F(ToolWineTest, ADamagedFileIsRefusedWith2AndNothingChanges) {
    Machine();
    ASSERT_EQ(0u, Start({"save", "ies", Saved()}).code);
    const std::string unpacked = Dir() + "unpacked\\";
    ASSERT_TRUE(CreateDirectoryA(unpacked.c_str(), nullptr));
    ASSERT_NE(0, UnpackProfileFile(nullptr, Saved().c_str(), unpacked.c_str()));
    const std::string second = ReadBytes(unpacked + "gateway.1.0");
    WriteBytes(unpacked + "gateway.1.0", second.substr(0, second.size() - 3));
    ASSERT_NE(0, PackProfileFile(nullptr, Saved().c_str(), unpacked.c_str()));
    ChangeEverything();
    const RegTree identities = Dump("Identities");
    const RegTree settings = Dump(kSettings);
    Ran applied = Start({"apply", Saved()});
    EXPECT_EQ(2u, applied.code);
    EXPECT_TRUE(Has(applied.err, "gateway.1.0\"が破損しています。")) << applied.err;
    EXPECT_EQ("", applied.out);
    EXPECT_TRUE(identities == Dump("Identities"));
    EXPECT_TRUE(settings == Dump(kSettings));
    EXPECT_EQ(2u, Start({"diff", Saved()}).code);
    EXPECT_EQ(2u, Start({"check", Saved()}).code);
}

TEST_F(ToolWineTest, HelpAndBadUsage) {
    EXPECT_EQ(0u, Start({"apply", "--help"}).code);
    EXPECT_EQ(64u, Start({"apply"}).code);
    EXPECT_EQ(64u, Start({"save", "ies", Saved(), "--tree"}).code);
    EXPECT_EQ(64u, Start({}).code);
}

// TCP/IP: the connections of this prefix, saved, changed and applied back;
// the restart is left to the caller and said.
class ToolWineTcpipTest : public TcpipTest {
protected:
    Ran Start(const std::vector<std::string>& arguments) { return StartTool(Dir(), arguments); }
};

TEST_F(ToolWineTcpipTest, SaveDiffAndApplyAConnection) {
    PutAdapter(tcpiptest::kGuidEthernet, "ローカル エリア接続", tcpiptest::StaticInterface("192.168.10.20", "192.168.10.1"));
    PutAdapter(tcpiptest::kGuidWifi, "Wi-Fi", tcpiptest::DhcpInterface("192.168.0.5"));
    const std::string ethernet = tcpiptest::InterfacesPath(tcpiptest::kGuidEthernet);
    const RegTree saved = Dump(ethernet);
    const RegTree wifi = Dump(tcpiptest::InterfacesPath(tcpiptest::kGuidWifi));
    Ran save = Start({"save", "ips", ProfileFilePath, "--only", "ローカル エリア接続"});
    ASSERT_EQ(0u, save.code) << save.err;
    EXPECT_EQ(0, save.windowsShown);

    HKEY key = nullptr;
    ASSERT_EQ(ERROR_SUCCESS, RegOpenKeyExA(HKEY_LOCAL_MACHINE, ethernet.c_str(), 0, KEY_ALL_ACCESS, &key));
    const std::string address = tcpiptest::MultiSz("10.1.1.1");
    RegSetValueExA(key, "IPAddress", 0, REG_MULTI_SZ, reinterpret_cast<const BYTE*>(address.data()), static_cast<DWORD>(address.size()));
    RegDeleteValueA(key, "Domain");
    const DWORD one = 1;
    RegSetValueExA(key, "EnableDeadGWDetect", 0, REG_DWORD, reinterpret_cast<const BYTE*>(&one), 4);
    RegCloseKey(key);

    Ran diff = Start({"diff", ProfileFilePath});
    EXPECT_EQ(0u, diff.code) << diff.err;
    const std::string path = "HKEY_LOCAL_MACHINE\\" + ethernet;
    EXPECT_EQ((std::vector<std::string>{
                  "~ [" + path + "] \"IPAddress\"=hex(7):31,30,2e,31,2e,31,2e,31,00,00 → "
                  "hex(7):31,39,32,2e,31,36,38,2e,31,30,2e,32,30,00,00",
                  "+ [" + path + "] \"Domain\"=\"office.example.co.jp\"",
                  "- [" + path + "] \"EnableDeadGWDetect\"=dword:00000001"}),
              ChangeLines(diff.out, "ネットワーク \"ローカル エリア接続\""));

    Ran apply = Start({"apply", ProfileFilePath});
    EXPECT_EQ(0u, apply.code) << apply.err;
    EXPECT_EQ("適用しました: \"ローカル エリア接続\"\nTCP/IPの設定を有効にするには、Windowsを再起動してください。\n", apply.out);
    EXPECT_EQ(0, apply.windowsShown);
    EXPECT_TRUE(saved == Dump(ethernet));
    EXPECT_TRUE(wifi == Dump(tcpiptest::InterfacesPath(tcpiptest::kGuidWifi)));
}

}  // namespace
