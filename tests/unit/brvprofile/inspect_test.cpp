// show and check on profile files made by the save dialog and by hand, and
// on every named bad input under tests/data: each refused with exit 2 and
// the reason a load would give.
#include <gtest/gtest.h>

#include <fstream>
#include <iterator>
#include <string>

#include "ieoe/ieoe_group.h"
#include "resources/resource.h"
#include "tcpip/tcpip_group.h"
#include "tests/unit/brvprofile/tool_test_util.h"

namespace {

using ieoetest::InternetSettings;
using ieoetest::kSettings;
using ieoetest::MailAccount;
using ieoetest::Sz;
using snaptest::Dword;
using tooltest::Outcome;
using tooltest::RunTool;

constexpr char kGuidTaro[] = "{1A000000-0000-0000-0000-000000000000}";
constexpr char kGuidHanako[] = "{2B000000-0000-0000-0000-000000000000}";
constexpr char kAccountsOf[] = "Software\\Microsoft\\Internet Account Manager\\Accounts";

std::string DataFile(const std::string& folder, const std::string& name) {
    std::ifstream in(std::string(BRV_TEST_DATA) + "/" + folder + "/" + name, std::ios::binary);
    EXPECT_TRUE(in.good()) << folder << "/" << name;
    return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

class InspectTest : public IeOeTest {
protected:
    void Machine() {
        RegTree taro = MailAccount("Taro mail", "pop.t.example.jp");
        RegTree hanako = MailAccount("Hanako mail", "pop.h.example.jp");
        PutIdentity(kGuidTaro, "Taro", &taro);
        PutIdentity(kGuidHanako, "Hanako", &hanako);
        Put(kSettings, InternetSettings("proxy.example.jp:8080", "machine"));
    }
    // The save dialog's OK after `before` has played the user.
    void SaveWithDialog(std::function<void(HWND)> before) {
        sim::QueueDialogScript([before](HWND dialog, int) {
            before(dialog);
            sim::Click(dialog, IDOK);
        });
        ASSERT_EQ(1, DialogBoxParamA(nullptr, MAKEINTRESOURCEA(IDD_IEOE), nullptr, IeOeSaveDialogProc, 0));
        ASSERT_TRUE(ClearWorkDirectory(WorkDirectory));
    }
    void Write(const std::string& name, const std::string& bytes) { WriteBytes(WorkDirectory + name, bytes); }
    // The first box shown, or an empty text.
    static std::string FirstBox() { return sim::MessageBoxes().empty() ? "" : sim::MessageBoxes()[0].text; }
    static bool Has(const std::string& text, const std::string& part) { return text.find(part) != std::string::npos; }
};

// ---- show -------------------------------------------------------------------

TEST_F(InspectTest, ShowListsWhatTheSaveDialogWrote) {
    Machine();
    SaveWithDialog([](HWND dialog) { sim::Type(dialog, IDC_COMMENT, "会社のPC"); });
    const Outcome shown = RunTool({"show", ProfileFilePath});
    EXPECT_EQ(kExitDone, shown.code);
    EXPECT_EQ(std::string("ファイル: ") + ProfileFilePath +
                  "\n種類: IE/OE\n保存元ユーザ名: tester\n保存者コメント: 会社のPC\n"
                  "インターネットオプション: あり\nアカウントの項目: 2\n"
                  "  レコード 0: \"Hanako\" スナップショット gateway.0\n"
                  "  レコード 1: \"Taro\" スナップショット gateway.1\n",
              shown.out);
    EXPECT_TRUE(sim::MessageBoxes().empty());
}

TEST_F(InspectTest, ShowWithoutInternetOptionsOrEntries) {
    Machine();
    SaveWithDialog([](HWND dialog) {
        sim::Click(dialog, IDC_OPTIONS);
        SendDlgItemMessageA(dialog, IDC_ENTRY_LIST, LB_SETSEL, FALSE, 1);
    });
    const Outcome shown = RunTool({"show", ProfileFilePath});
    EXPECT_EQ(kExitDone, shown.code);
    EXPECT_TRUE(Has(shown.out, "インターネットオプション: なし\nアカウントの項目: 1\n"
                               "  レコード 0: \"Hanako\" スナップショット gateway.0\n"))
        << shown.out;
}

TEST_F(InspectTest, ShowTellsAMissingHeaderFromAnOldOneWithoutComment) {
    Write("gateway", std::string("Taro\0\0", 6));
    Write("gateway.0", "");
    tooltest::PackWork();
    EXPECT_TRUE(Has(RunTool({"show", ProfileFilePath}).out, "種類: IE/OE\nプロフィール情報: なし\n"));

    Write("profile", std::string("\x00\x00\x04\x00\x00\x00" "Jiro", 10));
    Write("gateway", std::string("Taro\0\0", 6));
    Write("gateway.0", "");
    tooltest::PackWork();
    EXPECT_TRUE(Has(RunTool({"show", ProfileFilePath}).out, "保存元ユーザ名: Jiro\n保存者コメント: (記録なし)\n"));
}

TEST_F(InspectTest, ShowTreePrintsEachSnapshotBelowWhereItGoes) {
    Machine();
    SaveWithDialog([](HWND dialog) { SendDlgItemMessageA(dialog, IDC_ENTRY_LIST, LB_SETSEL, FALSE, 1); });
    const Outcome shown = RunTool({"show", ProfileFilePath, "--tree"});
    ASSERT_EQ(kExitDone, shown.code);
    const std::string options = "\n; proxy\n[HKEY_CURRENT_USER\\" + std::string(kSettings) + "]\n";
    const std::string accounts = "\n; gateway.0\n[HKEY_CURRENT_USER\\Identities\\Hanako\\" + std::string(kAccountsOf) + "]\n";
    const std::string account = "[HKEY_CURRENT_USER\\Identities\\Hanako\\" + std::string(kAccountsOf) + "\\00000001]\n";
    const size_t atOptions = shown.out.find(options);
    const size_t atAccounts = shown.out.find(accounts);
    const size_t atAccount = shown.out.find(account);
    ASSERT_NE(std::string::npos, atOptions) << shown.out;
    ASSERT_NE(std::string::npos, atAccounts) << shown.out;
    ASSERT_NE(std::string::npos, atAccount) << shown.out;
    EXPECT_LT(atOptions, atAccounts);
    // A key's own values stand between its header and its first subkey's.
    const std::string top = shown.out.substr(atAccounts, atAccount - atAccounts);
    EXPECT_TRUE(Has(top, "\n\"Default Mail Account\"=\"00000001\"\n\n")) << top;
    const std::string one = shown.out.substr(atAccount);
    for (const char* line : {"\"Account Name\"=\"Hanako mail\"\n", "\"POP3 Port\"=dword:0000006e\n",
                             "\"POP3 Password2\"=hex:01,02,00,ff,7f,70,77\n", "\"Connection Type\"=dword:00000003\n"})
        EXPECT_TRUE(Has(one, line)) << line;
    EXPECT_TRUE(Has(shown.out, "[HKEY_CURRENT_USER\\" + std::string(kSettings) + "\\ZoneMap\\Domains\\example.co.jp]\n"
                               "\"http\"=dword:00000002\n"));
    EXPECT_FALSE(Has(shown.out, "Taro"));
}

TEST_F(InspectTest, ShowOfATcpipFileNamesTheComputerAndConnections) {
    ASSERT_EQ(1, WriteProfileHeader(nullptr, WorkDirectory, kProfileKindTcpip, "BUILD01", "本社3階"));
    ASSERT_EQ(1, AppendIndexRecord(nullptr, WorkDirectory, kTcpipGroup.indexName, "ローカル エリア接続"));
    ASSERT_EQ(1, AppendIndexRecord(nullptr, WorkDirectory, kTcpipGroup.indexName, "LAN2"));
    Write("tcpip.0", snaptest::Value("EnableDHCP", REG_DWORD, Dword(0)) +
                         snaptest::Value("IPAddress", REG_MULTI_SZ, std::string("192.168.1.20\0\0", 14)));
    Write("tcpip.1", snaptest::Value("EnableDHCP", REG_DWORD, Dword(1)));
    wsprintfA(ProfileFilePath, "%ssaved.ips", Dir().c_str());
    tooltest::PackWork();
    const Outcome shown = RunTool({"show", ProfileFilePath, "--tree"});
    EXPECT_EQ(kExitDone, shown.code);
    EXPECT_TRUE(Has(shown.out, "種類: TCP/IP\n保存元コンピュータ名: BUILD01\n保存者コメント: 本社3階\n"
                               "ネットワークの項目: 2\n"
                               "  レコード 0: \"ローカル エリア接続\" スナップショット tcpip.0\n"
                               "  レコード 1: \"LAN2\" スナップショット tcpip.1\n\n; tcpip.0\n"))
        << shown.out;
    EXPECT_FALSE(Has(shown.out, "インターネットオプション"));
    EXPECT_TRUE(Has(shown.out, "[HKEY_LOCAL_MACHINE\\SYSTEM\\CurrentControlSet\\Services\\Tcpip\\Parameters\\"
                               "Interfaces\\ローカル エリア接続]\n\"EnableDHCP\"=dword:00000000\n"
                               "\"IPAddress\"=hex(7):31,39,32,2e,31,36,38,2e,31,2e,32,30,00,00\n"));
}

TEST_F(InspectTest, ShowTreeStopsAtADamagedSnapshot) {
    Machine();
    SaveWithDialog([](HWND) {});
    ASSERT_NE(0, UnpackProfileFile(nullptr, ProfileFilePath, WorkDirectory));
    Write("gateway.1", snaptest::DataFile("cut-short-record.proxy"));
    tooltest::PackWork();
    EXPECT_EQ(kExitDone, RunTool({"show", ProfileFilePath}).code);
    const Outcome shown = RunTool({"show", ProfileFilePath, "--tree"});
    EXPECT_EQ(kExitRefused, shown.code);
    EXPECT_TRUE(Has(shown.out, "; gateway.0\n"));
    EXPECT_FALSE(Has(shown.out, "; gateway.1\n"));
    EXPECT_TRUE(Has(FirstBox(), "gateway.1\"が破損しています。")) << FirstBox();
}

// ---- check ------------------------------------------------------------------

TEST_F(InspectTest, CheckPassesWhatTheSaveDialogWroteAndTouchesNoRegistry) {
    Machine();
    SaveWithDialog([](HWND dialog) { sim::Type(dialog, IDC_COMMENT, "会社のPC"); });
    const RegTree before = Dump("Identities");
    sim::ForgetCallCounts();
    const Outcome checked = RunTool({"check", ProfileFilePath});
    EXPECT_EQ(kExitDone, checked.code);
    EXPECT_EQ("問題はありません。ファイル\"" + std::string(ProfileFilePath) + "\"はロードできます。\n", checked.out);
    EXPECT_TRUE(sim::MessageBoxes().empty());
    EXPECT_EQ(0, sim::CallCount("RegCreateKeyExA") + sim::CallCount("RegSetValueExA") +
                     sim::CallCount("RegDeleteKeyA") + sim::CallCount("RegOpenKeyExA"));
    EXPECT_TRUE(before == Dump("Identities"));
}

TEST_F(InspectTest, CheckRefusesAFileWithoutIndexAsTheLoadDoes) {
    Machine();
    SaveWithDialog([](HWND dialog) { SendDlgItemMessageA(dialog, IDC_ENTRY_LIST, LB_SETSEL, FALSE, -1); });
    EXPECT_EQ(kExitRefused, RunTool({"check", ProfileFilePath}).code);
    EXPECT_TRUE(snaptest::IsSystemErrorBox(sim::MessageBoxes().at(0), "テンポラリファイル\"" +
                                                                           std::string(WorkDirectory) +
                                                                           "gateway\"に読み込みアクセスを適用できません。"));
}

TEST_F(InspectTest, CheckRefusesAForeignKindAndAnIpsWithoutHeader) {
    Write("profile", std::string("\x01\x01\x00\x00\x00\x00\x00\x00\x00\x00", 10));
    Write("gateway", std::string("Taro\0\0", 6));
    Write("gateway.0", "");
    tooltest::PackWork();
    EXPECT_EQ(kExitRefused, RunTool({"check", ProfileFilePath}).code);
    EXPECT_TRUE(snaptest::IsInformationBox(sim::MessageBoxes().at(0), "バージョンが一致しません。"));

    Write("tcpip", std::string("LAN\0\0", 5));
    Write("tcpip.0", "");
    wsprintfA(ProfileFilePath, "%ssaved.ips", Dir().c_str());
    tooltest::PackWork();
    EXPECT_EQ(kExitRefused, RunTool({"check", ProfileFilePath}).code);
    EXPECT_TRUE(snaptest::IsSystemErrorBox(sim::MessageBoxes().at(1), "テンポラリファイル\"" +
                                                                           std::string(WorkDirectory) +
                                                                           "profile\"に読み込みアクセスを適用できません。"));
}

// Every bad IE/OE profile of tests/data/ieoe, joined files as the load
// fuzzer and the bad-profile test take them.
class BadProfileCheckTest : public InspectTest {
protected:
    Outcome CheckUnpacked(const std::string& name) {
        static const char* const kNames[] = {"profile",     "gateway", "gateway.0", "gateway.1", "gateway.0.0",
                                             "gateway.1.0", "proxy",   "proxy.0",   "proxy.1",   "proxy.0.0"};
        const std::string bytes = DataFile("ieoe", name);
        size_t start = 0;
        for (const char* file : kNames) {
            const size_t cut = bytes.find("#F#", start);
            const std::string part = bytes.substr(start, cut == std::string::npos ? cut : cut - start);
            if (part != "#NONE#") Write(file, part);
            if (cut == std::string::npos) break;
            start = cut + 3;
        }
        tooltest::PackWork();
        return RunTool({"check", ProfileFilePath});
    }
};

TEST_F(BadProfileCheckTest, EachBadProfileIsRefusedWithItsReason) {
    struct Case {
        const char* file;
        const char* reason;
    };
    const Case cases[] = {
        {"gateway-snapshot-missing.unpacked", "gateway.0\"に読み込みアクセスを適用できません。"},
        {"proxy-damaged.unpacked", "proxy\"が破損しています。"},
        {"header-tcpip-kind.unpacked", "バージョンが一致しません。"},
    };
    for (const Case& c : cases) {
        const size_t before = sim::MessageBoxes().size();
        EXPECT_EQ(kExitRefused, CheckUnpacked(c.file).code) << c.file;
        ASSERT_EQ(before + 1, sim::MessageBoxes().size()) << c.file;
        EXPECT_TRUE(Has(sim::MessageBoxes().back().text, c.reason)) << c.file << ": " << sim::MessageBoxes().back().text;
    }
}

// The index reader takes these as the load does; nothing is wrong for a load.
TEST_F(BadProfileCheckTest, WhatTheLoadTakesIsPassed) {
    for (const char* file : {"gateway-out-of-order.unpacked", "gateway-last-record-unterminated.unpacked"}) {
        EXPECT_EQ(kExitDone, CheckUnpacked(file).code) << file;
        EXPECT_TRUE(sim::MessageBoxes().empty()) << file << ": " << FirstBox();
        ASSERT_TRUE(ClearWorkDirectory(WorkDirectory));
    }
}

TEST_F(InspectTest, EachBadHeaderIsRefusedAsDamaged) {
    for (const char* file : {"header-0-bytes.profile", "header-1-byte.profile", "header-5-bytes.profile",
                             "header-6-bytes.profile", "header-9-bytes.profile", "header-name-past-end.profile",
                             "header-name-huge.profile", "header-comment-past-end.profile",
                             "header-comment-huge.profile"}) {
        const size_t before = sim::MessageBoxes().size();
        Write("profile", DataFile("snapshot", file));
        Write("gateway", std::string("Taro\0\0", 6));
        Write("gateway.0", "");
        tooltest::PackWork();
        EXPECT_EQ(kExitRefused, RunTool({"check", ProfileFilePath}).code) << file;
        ASSERT_EQ(before + 1, sim::MessageBoxes().size()) << file;
        EXPECT_TRUE(snaptest::IsInformationBox(sim::MessageBoxes().back(), "ファイルが破損しています。")) << file;
    }
}

// Each bad snapshot of tests/data/snapshot as the Internet options: the
// first problem, worded as the loader words it; what the loader takes
// whole passes.
TEST_F(InspectTest, EachBadSnapshotIsRefusedWithTheLoadersReason) {
    struct Case {
        const char* file;
        const char* reason;  // null: passes
    };
    const Case cases[] = {
        {"cut-short-record.proxy", "proxy\"が破損しています。"},
        {"data-length-ffffffff.proxy", "proxy\"が破損しています。"},
        {"data-length-past-end.proxy", "proxy\"が破損しています。"},
        {"name-length-ffffffff.proxy", "proxy\"が破損しています。"},
        {"name-length-past-end.proxy", "proxy\"が破損しています。"},
        {"name-length-zero.proxy", "proxy\"が破損しています。"},
        {"name-field-too-long.proxy", "は名前が正しくないため、適用しません。"},
        {"subkey-file-dotdot.proxy", "が正しくないため、適用しません。"},
        {"subkey-file-drive.proxy", "が正しくないため、適用しません。"},
        {"subkey-file-self.proxy", "が正しくないため、適用しません。"},
        {"subkey-file-wrong-rank.proxy", "が正しくないため、適用しません。"},
        {"subkey-file-leading-zero.proxy", "が正しくないため、適用しません。"},
        {"subkey-name-backslash.proxy", "は名前が正しくないため、適用しません。"},
        {"subkey-name-broken-cp932.proxy", "は名前が正しくないため、適用しません。"},
        {"subkey-name-empty.proxy", "は名前が正しくないため、適用しません。"},
        {"subkey-file-missing.proxy", "proxy.0\"に読み込みアクセスを適用できません。"},
        {"name-without-nul.proxy", nullptr},
    };
    for (const Case& c : cases) {
        const size_t before = sim::MessageBoxes().size();
        Write("gateway", std::string("Taro\0\0", 6));
        Write("gateway.0", "");
        Write("proxy", DataFile("snapshot", c.file));
        tooltest::PackWork();
        const Outcome checked = RunTool({"check", ProfileFilePath});
        if (!c.reason) {
            EXPECT_EQ(kExitDone, checked.code) << c.file;
            EXPECT_EQ(before, sim::MessageBoxes().size()) << c.file;
            continue;
        }
        EXPECT_EQ(kExitRefused, checked.code) << c.file;
        ASSERT_EQ(before + 1, sim::MessageBoxes().size()) << c.file;
        EXPECT_TRUE(Has(sim::MessageBoxes().back().text, c.reason)) << c.file << ": " << sim::MessageBoxes().back().text;
    }
}

// A damaged archive is refused by the unpacking, with the archiver's words.
TEST_F(InspectTest, EachBadArchiveIsRefused) {
    for (const char* file : {"data_crc_mismatch.lzh", "data_truncated.lzh", "header_size_below_fixed_part.lzh",
                             "huffman_oversubscribed.lzh"}) {
        const size_t before = sim::MessageBoxes().size();
        WriteBytes(ProfileFilePath, DataFile("lha/bad", file));
        EXPECT_EQ(kExitRefused, RunTool({"check", ProfileFilePath}).code) << file;
        EXPECT_EQ(before + 1, sim::MessageBoxes().size()) << file;
        EXPECT_EQ(kExitRefused, RunTool({"show", ProfileFilePath}).code) << file;
    }
}

}  // namespace
