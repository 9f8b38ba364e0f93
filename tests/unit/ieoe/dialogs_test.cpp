// The IE/OE save and load dialogs on template 112, played by the scripted
// user: what each shows, what OK writes and applies, and the failure rows
// with their texts and outcomes. Ends with the promise that an apply never
// loses the live settings, checked for every call it makes.
#include <gtest/gtest.h>

#include <functional>
#include <map>
#include <string>
#include <vector>

#include "ieoe/ieoe_group.h"
#include "resources/resource.h"
#include "snapshot/profile_file.h"
#include "snapshot/registry_snapshot.h"
#include "tests/unit/ieoe/ieoe_test_util.h"

namespace {

using ieoetest::Accounts;
using ieoetest::InternetSettings;
using ieoetest::kSettings;
using ieoetest::kShared;
using ieoetest::MailAccount;
using ieoetest::Sz;
using ieoetest::Remove;
using snaptest::IsInformationBox;
using snaptest::IsSystemErrorBox;

constexpr char kGuidA[] = "{1A000000-0000-0000-0000-000000000000}";
constexpr char kGuidB[] = "{2B000000-0000-0000-0000-000000000000}";
constexpr char kGuidC[] = "{3C000000-0000-0000-0000-000000000000}";
const std::string kFive = std::string(kSettings) + "\\5.0";

std::string Text(HWND dialog, int id) {
    char buffer[1024] = "";
    GetDlgItemTextA(dialog, id, buffer, sizeof buffer);
    return buffer;
}

std::vector<std::string> Entries(HWND dialog) {
    std::vector<std::string> names;
    const LRESULT count = SendDlgItemMessageA(dialog, IDC_ENTRY_LIST, LB_GETCOUNT, 0, 0);
    for (LRESULT i = 0; i < count; ++i) {
        char buffer[256] = "";
        SendDlgItemMessageA(dialog, IDC_ENTRY_LIST, LB_GETTEXT, i, reinterpret_cast<LPARAM>(buffer));
        names.push_back(buffer);
    }
    return names;
}

using Strings = std::vector<std::string>;

class IeOeDialogTest : public IeOeTest {
protected:
    INT_PTR Run(DLGPROC proc, std::function<void(HWND)> script = nullptr) {
        if (script) sim::QueueDialogScript([script](HWND dialog, int) { script(dialog); });
        return DialogBoxParamA(GetModuleHandleA(nullptr), MAKEINTRESOURCEA(IDD_IEOE), nullptr, proc, 0);
    }
    INT_PTR SaveWith(std::function<void(HWND)> before = nullptr) {
        return Run(IeOeSaveDialogProc, [before](HWND dialog) {
            if (before) before(dialog);
            sim::Click(dialog, IDOK);
        });
    }
    INT_PTR LoadWith(std::function<void(HWND)> before = nullptr) {
        return Run(IeOeLoadDialogProc, [before](HWND dialog) {
            if (before) before(dialog);
            sim::Click(dialog, IDOK);
        });
    }
    std::string Work(const std::string& name) const { return std::string(WorkDirectory) + name; }
    void EmptyWork() { ASSERT_TRUE(ClearWorkDirectory(WorkDirectory)); }
    // Two identities with accounts of their own and an Internet Settings tree.
    void Machine() {
        RegTree a = MailAccount("Taro mail", "pop.a.example.jp");
        RegTree b = MailAccount("Hanako mail", "pop.b.example.jp");
        PutIdentity(kGuidA, "Taro", &a);
        PutIdentity(kGuidB, "Hanako", &b);
        Put(kSettings, InternetSettings("proxy.example.jp:8080", "machine"));
    }
    size_t Boxes() const { return sim::MessageBoxes().size(); }
};

// ---- save -------------------------------------------------------------------

TEST_F(IeOeDialogTest, SaveShowsItsTextsTheUserAndEveryIdentitySelected) {
    Machine();
    Run(IeOeSaveDialogProc, [](HWND dialog) {
        char caption[256];
        GetWindowTextA(dialog, caption, sizeof caption);
        EXPECT_STREQ("現行のIE/OEの設定をファイルにセーブ", caption);
        EXPECT_EQ("ファイルにセーブするアカウントの項目を選択します。", Text(dialog, IDC_PROMPT));
        EXPECT_EQ("インターネットオプションをファイルにセーブする。", Text(dialog, IDC_OPTIONS));
        EXPECT_EQ((UINT)BST_CHECKED, IsDlgButtonChecked(dialog, IDC_OPTIONS));
        EXPECT_EQ("tester", Text(dialog, IDC_SOURCE_NAME));
        EXPECT_EQ("", Text(dialog, IDC_COMMENT));
        EXPECT_EQ((Strings{"Hanako", "Taro"}), Entries(dialog));
        EXPECT_EQ(2, SendDlgItemMessageA(dialog, IDC_ENTRY_LIST, LB_GETSELCOUNT, 0, 0));
    });
    EXPECT_EQ(0u, Boxes());
}

TEST_F(IeOeDialogTest, SaveWritesRecordsAndSnapshotsInListOrder) {
    RegTree a = MailAccount("A mail", "pop.a");
    RegTree b = MailAccount("B mail", "pop.b");
    PutIdentity(kGuidB, "B", &b);
    PutIdentity(kGuidA, "A", &a);
    Put(kSettings, InternetSettings("p:1", "m"));
    EXPECT_EQ(1, SaveWith([](HWND dialog) { sim::Type(dialog, IDC_COMMENT, "会社のPC"); }));
    EXPECT_EQ(std::string("A\0\0B\0\0", 6), ReadBytes(Work("gateway")));
    EXPECT_NE(std::string::npos, ReadBytes(Work("gateway.0.0")).find("A mail"));
    EXPECT_NE(std::string::npos, ReadBytes(Work("gateway.1.0")).find("B mail"));
    EXPECT_TRUE(FileExists(Work("proxy")));
    EXPECT_EQ(std::string("\0\x01\x06\0\0\0tester\x08\0\0\0会社のPC", 24), ReadBytes(Work("profile")));
    EXPECT_TRUE(FileExists(ProfileFilePath));
    EXPECT_EQ(0u, Boxes());
}

TEST_F(IeOeDialogTest, OnlySelectedEntriesAreSavedNumberedWithoutGaps) {
    PutIdentity(kGuidA, "A", nullptr);
    PutIdentity(kGuidB, "B", nullptr);
    PutIdentity(kGuidC, "C", nullptr);
    RegTree shared = MailAccount("shared", "pop.shared");
    Put(kShared, shared);
    EXPECT_EQ(1, SaveWith([](HWND dialog) { sim::ClickListItem(dialog, IDC_ENTRY_LIST, 0); }));
    EXPECT_EQ(std::string("B\0\0C\0\0", 6), ReadBytes(Work("gateway")));
    EXPECT_TRUE(FileExists(Work("gateway.0")));
    EXPECT_TRUE(FileExists(Work("gateway.1")));
    EXPECT_FALSE(FileExists(Work("gateway.2")));
    EXPECT_NE(std::string::npos, ReadBytes(Work("gateway.0.0")).find("shared")) << "identity-less fallback";
}

TEST_F(IeOeDialogTest, NothingSelectedAndBoxUncheckedGivesOnlyTheHeader) {
    Machine();
    EXPECT_EQ(1, SaveWith([](HWND dialog) {
        SendDlgItemMessageA(dialog, IDC_ENTRY_LIST, LB_SETSEL, FALSE, -1);
        sim::Click(dialog, IDC_OPTIONS);
    }));
    EXPECT_EQ((Strings{"profile"}), ListFiles(WorkDirectory));
}

TEST_F(IeOeDialogTest, EmptyUserNameIsATwoByteRecord) {
    PutIdentity(kGuidA, "", nullptr);
    Put(kShared, RegTree{});
    EXPECT_EQ(1, SaveWith());
    EXPECT_EQ(std::string("\0\0", 2), ReadBytes(Work("gateway")));
}

TEST_F(IeOeDialogTest, SaveWithoutIdentitiesKeyEndsAtSetUp) {
    EXPECT_EQ(2, Run(IeOeSaveDialogProc));
    ASSERT_EQ(1u, Boxes());
    EXPECT_TRUE(IsSystemErrorBox(sim::MessageBoxes()[0],
                                 "レジストリキー\"HKEY_CURRENT_USER\\Identities\"に読み込みアクセスを適用できません。"));
    EXPECT_TRUE(sim::Dialogs().size() == 1 && sim::Dialogs()[0].result == 2);
}

TEST_F(IeOeDialogTest, UserNameFailuresEndTheSetUp) {
    Machine();
    sim::FailCall("GetUserNameA", 1, ERROR_ACCESS_DENIED);
    EXPECT_EQ(2, Run(IeOeSaveDialogProc));
    sim::FailCall("GetUserNameA", 2, ERROR_ACCESS_DENIED);
    EXPECT_EQ(2, Run(IeOeSaveDialogProc));
    ASSERT_EQ(2u, Boxes());
    EXPECT_TRUE(IsSystemErrorBox(sim::MessageBoxes()[0], "ユーザ名のサイズを取得できません。"));
    EXPECT_TRUE(IsSystemErrorBox(sim::MessageBoxes()[1], "ユーザ名を取得できません。"));
}

TEST_F(IeOeDialogTest, SelectAllThatFailsEndsTheSetUpSilently) {
    Machine();
    sim::FailCall("SendDlgItemMessageA", 1, 0, "1007\\LB_SETSEL");
    EXPECT_EQ(2, Run(IeOeSaveDialogProc));
    EXPECT_EQ(0u, Boxes());
}

TEST_F(IeOeDialogTest, HeaderThatCannotBeWrittenKeepsTheDialogOpen) {
    Machine();
    bool open = false;
    Run(IeOeSaveDialogProc, [&](HWND dialog) {
        sim::FailCall("CreateFileA", 1, ERROR_ACCESS_DENIED, "profile");
        sim::Click(dialog, IDOK);
        open = !sim::DialogEnded(dialog);
    });
    EXPECT_TRUE(open);
    ASSERT_EQ(1u, Boxes());
    EXPECT_TRUE(IsSystemErrorBox(sim::MessageBoxes()[0],
                                 "テンポラリファイル\"" + Work("profile") + "\"を作成し、書き込みアクセスを適用できません。"));
    EXPECT_FALSE(FileExists(Work("gateway")));
}

TEST_F(IeOeDialogTest, InternetOptionsThatCannotBeReadLeaveOutProxyOnly) {
    Machine();
    sim::FailCall("RegOpenKeyExA", 1, ERROR_ACCESS_DENIED, kSettings);
    EXPECT_EQ(1, SaveWith());
    ASSERT_EQ(1u, Boxes());
    EXPECT_TRUE(IsSystemErrorBox(sim::MessageBoxes()[0],
                                 "レジストリキー\"HKEY_CURRENT_USER\\Software\\Microsoft\\Windows\\CurrentVersion\\"
                                 "Internet Settings\"に読み込みアクセスを適用できません。"));
    EXPECT_FALSE(FileExists(Work("proxy")));
    EXPECT_TRUE(FileExists(Work("gateway.1")));
}

TEST_F(IeOeDialogTest, FailedWalkOnOkEmptiesTheWorkDirectoryAndStaysOpen) {
    Machine();
    bool open = false;
    Run(IeOeSaveDialogProc, [&](HWND dialog) {
        sim::FailCall("RegOpenKeyExA", 1, ERROR_ACCESS_DENIED, "Identities");
        sim::Click(dialog, IDOK);
        open = !sim::DialogEnded(dialog);
    });
    EXPECT_TRUE(open);
    EXPECT_TRUE(ListFiles(WorkDirectory).empty());
}

TEST_F(IeOeDialogTest, LockedTargetThenSecondOkHoldsEachIdentityOnce) {
    Machine();
    WriteBytes(ProfileFilePath, "old");
    HANDLE held = sim::HoldFileOpen(ProfileFilePath, 0);
    INT_PTR result = Run(IeOeSaveDialogProc, [&](HWND dialog) {
        sim::Click(dialog, IDOK);
        EXPECT_FALSE(sim::DialogEnded(dialog));
        EXPECT_TRUE(ListFiles(WorkDirectory).empty());
        CloseHandle(held);
        sim::Click(dialog, IDOK);
    });
    EXPECT_EQ(1, result);
    EXPECT_EQ(std::string("Hanako\0\0Taro\0\0", 14), ReadBytes(Work("gateway")));
    ASSERT_EQ(1u, Boxes());
    EXPECT_NE(std::string::npos, sim::MessageBoxes()[0].text.find("に上書きできません。"));
}

TEST_F(IeOeDialogTest, CancelEndsWithTwo) {
    Machine();
    EXPECT_EQ(2, Run(IeOeSaveDialogProc, [](HWND dialog) { sim::Click(dialog, IDCANCEL); }));
    EXPECT_TRUE(ListFiles(WorkDirectory).empty());
}

// ---- load -------------------------------------------------------------------

class IeOeLoadTest : public IeOeDialogTest {
protected:
    // Saves the machine, empties the work directory and changes the live
    // settings: a value only the live tree has, a key only the file has.
    void SaveAndChange() {
        Machine();
        ASSERT_EQ(1, SaveWith([](HWND dialog) { sim::Type(dialog, IDC_COMMENT, "memo"); }));
        EmptyWork();
        savedA_ = Dump(Accounts(kGuidA));
        savedSettings_ = Dump(kSettings);
        Remove(Accounts(kGuidA));
        Put(Accounts(kGuidA), MailAccount("changed", "pop.changed"));
        RegTree extra;
        extra.values = {{"OnlyLive", REG_DWORD, ieoetest::Dword(9)}};
        Put(kSettings, extra);
        Remove(kSettings + std::string("\\ZoneMap"));
        RegTree five;
        five.values = {{"Mine", REG_SZ, Sz("later")}};
        Remove(kFive);
        Put(kFive, five);
        machineFive_ = Dump(kFive);
        before_ = Dump(kSettings);
        sim::ForgetCallCounts();
        boxesBefore_ = Boxes();
    }
    // What Internet Settings must hold after a complete apply.
    RegTree ExpectedSettings() const {
        RegTree expected = savedSettings_;
        for (auto& sub : expected.subkeys)
            if (sub.first == "5.0") sub.second = machineFive_;
        return expected;
    }
    RegTree savedA_, savedSettings_, machineFive_, before_;
    size_t boxesBefore_ = 0;
};

TEST_F(IeOeLoadTest, SetUpShowsTheHeaderTheSavedNamesAndTheBox) {
    SaveAndChange();
    Run(IeOeLoadDialogProc, [](HWND dialog) {
        char caption[256];
        GetWindowTextA(dialog, caption, sizeof caption);
        EXPECT_STREQ("現行のIE/OEの設定をファイルにロード", caption);
        EXPECT_EQ("ファイルからロードするアカウントの項目を選択します。", Text(dialog, IDC_PROMPT));
        EXPECT_EQ("インターネットオプションをファイルからロードする。", Text(dialog, IDC_OPTIONS));
        EXPECT_EQ("tester", Text(dialog, IDC_SOURCE_NAME));
        EXPECT_EQ("memo", Text(dialog, IDC_COMMENT));
        sim::Type(dialog, IDC_COMMENT, "typed");
        EXPECT_EQ("memo", Text(dialog, IDC_COMMENT)) << "read-only";
        EXPECT_EQ((Strings{"Hanako", "Taro"}), Entries(dialog));
        EXPECT_EQ(2, SendDlgItemMessageA(dialog, IDC_ENTRY_LIST, LB_GETSELCOUNT, 0, 0));
        EXPECT_EQ((UINT)BST_CHECKED, IsDlgButtonChecked(dialog, IDC_OPTIONS));
    });
}

TEST_F(IeOeLoadTest, OkPutsTheSavedSettingsBackWithTheMachinesFive) {
    SaveAndChange();
    EXPECT_EQ(1, LoadWith());
    EXPECT_TRUE(savedA_ == Dump(Accounts(kGuidA)));
    EXPECT_TRUE(ExpectedSettings() == Dump(kSettings));
    EXPECT_EQ(boxesBefore_, Boxes());
}

TEST_F(IeOeLoadTest, UncheckedBoxLeavesInternetSettingsAlone) {
    SaveAndChange();
    EXPECT_EQ(1, LoadWith([](HWND dialog) { sim::Click(dialog, IDC_OPTIONS); }));
    EXPECT_TRUE(before_ == Dump(kSettings));
    EXPECT_TRUE(savedA_ == Dump(Accounts(kGuidA)));
}

TEST_F(IeOeLoadTest, MachineWithoutFiveKeepsNone) {
    SaveAndChange();
    Remove(kFive);
    EXPECT_EQ(1, LoadWith());
    RegTree expected = savedSettings_;
    std::vector<std::pair<std::string, RegTree>> kept;
    for (auto& sub : expected.subkeys)
        if (sub.first != "5.0") kept.push_back(sub);
    expected.subkeys = kept;
    EXPECT_TRUE(expected == Dump(kSettings));
    EXPECT_EQ(boxesBefore_, Boxes()) << "nothing reported";
}

TEST_F(IeOeLoadTest, DeselectedEntryIsSkipped) {
    SaveAndChange();
    const RegTree changed = Dump(Accounts(kGuidA));
    EXPECT_EQ(1, LoadWith([](HWND dialog) { sim::ClickListItem(dialog, IDC_ENTRY_LIST, 1); }));
    EXPECT_TRUE(changed == Dump(Accounts(kGuidA)));
}

TEST_F(IeOeLoadTest, NameOnlyInAnotherCaseIsMissingAndKeepsTheDialogOpen) {
    SaveAndChange();
    RegTree identity;
    identity.values = {{"Username", REG_SZ, Sz("TARO")}};
    Put(std::string("Identities\\") + kGuidA, identity);
    bool open = false;
    Run(IeOeLoadDialogProc, [&](HWND dialog) {
        sim::Click(dialog, IDOK);
        open = !sim::DialogEnded(dialog);
    });
    EXPECT_TRUE(open);
    ASSERT_EQ(boxesBefore_ + 1, Boxes());
    EXPECT_TRUE(IsInformationBox(sim::MessageBoxes().back(),
                                 "選択したユーザの項目のうち、\"Taro\"を設定できません。ファイルのこのネットワークの設定は"
                                 "現行の設定に適用できません。Outlook Expressのユーザ設定でこの名前のユーザをあらかじめ"
                                 "作成しておいてから再試行する必要があります。"));
    EXPECT_TRUE(ExpectedSettings() == Dump(kSettings)) << "the Internet options came first";
}

TEST_F(IeOeLoadTest, MissingSnapshotLeavesThatIdentityAloneAndGoesOn) {
    SaveAndChange();
    const RegTree changed = Dump(Accounts(kGuidA));
    // Rebuild the file without Taro's snapshot (record 1).
    Run(IeOeLoadDialogProc, [](HWND) {});
    DeleteFileA(Work("gateway.1").c_str());
    DeleteFileA(Work("gateway.1.0").c_str());
    ASSERT_NE(0, PackProfileFile(nullptr, ProfileFilePath, WorkDirectory));
    EmptyWork();
    EXPECT_EQ(1, LoadWith());
    EXPECT_TRUE(changed == Dump(Accounts(kGuidA)));
}

TEST_F(IeOeLoadTest, TcpipFileIsRefusedAfterUnpacking) {
    SaveAndChange();
    Run(IeOeLoadDialogProc, [](HWND) {});
    WriteBytes(Work("profile"), std::string("\x01\x01\x06\0\0\0TESTPC\0\0\0\0", 16));
    ASSERT_NE(0, PackProfileFile(nullptr, ProfileFilePath, WorkDirectory));
    EmptyWork();
    EXPECT_EQ(2, Run(IeOeLoadDialogProc));
    ASSERT_EQ(boxesBefore_ + 1, Boxes());
    EXPECT_TRUE(IsInformationBox(sim::MessageBoxes().back(), "バージョンが一致しません。"));
}

TEST_F(IeOeLoadTest, FileWithoutIndexCannotBeLoaded) {
    Machine();
    ASSERT_EQ(1, SaveWith([](HWND dialog) { SendDlgItemMessageA(dialog, IDC_ENTRY_LIST, LB_SETSEL, FALSE, -1); }));
    EmptyWork();
    EXPECT_EQ(2, Run(IeOeLoadDialogProc));
    ASSERT_EQ(1u, Boxes());
    EXPECT_TRUE(IsSystemErrorBox(sim::MessageBoxes()[0],
                                 "テンポラリファイル\"" + Work("gateway") + "\"に読み込みアクセスを適用できません。"));
}

TEST_F(IeOeLoadTest, FileWithoutHeaderOrProxyLoadsWithBoxDisabled) {
    SaveAndChange();
    Run(IeOeLoadDialogProc, [](HWND) {});
    DeleteFileA(Work("profile").c_str());
    for (const std::string& name : ListFiles(WorkDirectory))
        if (name.compare(0, 5, "proxy") == 0) DeleteFileA(Work(name).c_str());
    ASSERT_NE(0, PackProfileFile(nullptr, ProfileFilePath, WorkDirectory));
    EmptyWork();
    EXPECT_EQ(1, LoadWith([](HWND dialog) {
        EXPECT_EQ("", Text(dialog, IDC_SOURCE_NAME));
        EXPECT_FALSE(IsWindowEnabled(GetDlgItem(dialog, IDC_OPTIONS)));
        EXPECT_EQ((UINT)BST_UNCHECKED, IsDlgButtonChecked(dialog, IDC_OPTIONS));
    }));
    EXPECT_TRUE(before_ == Dump(kSettings));
    EXPECT_TRUE(savedA_ == Dump(Accounts(kGuidA)));
}

TEST_F(IeOeDialogTest, RecordsOutOfListOrderStillPairWithTheirSnapshots) {
    // A file as another locale might write it: Taro's record before
    // Hanako's, each with its own snapshot.
    Machine();
    const RegTree savedA = Dump(Accounts(kGuidA));
    const RegTree savedB = Dump(Accounts(kGuidB));
    for (const auto& entry : {std::make_pair(kGuidA, "gateway.0"), std::make_pair(kGuidB, "gateway.1")}) {
        HKEY key = nullptr;
        ASSERT_EQ(ERROR_SUCCESS, RegOpenKeyExA(HKEY_CURRENT_USER, Accounts(entry.first).c_str(), 0, KEY_READ, &key));
        ASSERT_EQ(1, SaveRegistryTree(nullptr, key, entry.second, WorkDirectory));
        RegCloseKey(key);
    }
    WriteBytes(Work("gateway"), std::string("Taro\0\0Hanako\0\0", 14));
    ASSERT_NE(0, PackProfileFile(nullptr, ProfileFilePath, WorkDirectory));
    EmptyWork();
    Remove(Accounts(kGuidA));
    Remove(Accounts(kGuidB));
    Put(Accounts(kGuidA), MailAccount("x", "x"));
    Put(Accounts(kGuidB), MailAccount("y", "y"));
    EXPECT_EQ(1, LoadWith());
    EXPECT_TRUE(savedA == Dump(Accounts(kGuidA)));
    EXPECT_TRUE(savedB == Dump(Accounts(kGuidB)));
}

TEST_F(IeOeDialogTest, TwoIdentitiesWithOneNameKeepTheirOwnAccounts) {
    RegTree a = MailAccount("first", "pop.1");
    RegTree b = MailAccount("second", "pop.2");
    PutIdentity(kGuidA, "Taro", &a);
    PutIdentity(kGuidB, "Taro", &b);
    ASSERT_EQ(1, SaveWith());
    EXPECT_EQ(std::string("Taro\0\0Taro\0\0", 12), ReadBytes(Work("gateway")));
    EmptyWork();
    const RegTree savedA = Dump(Accounts(kGuidA));
    const RegTree savedB = Dump(Accounts(kGuidB));
    Remove(Accounts(kGuidA));
    Remove(Accounts(kGuidB));
    Put(Accounts(kGuidA), MailAccount("x", "x"));
    Put(Accounts(kGuidB), MailAccount("y", "y"));
    EXPECT_EQ(1, LoadWith());
    EXPECT_TRUE(savedA == Dump(Accounts(kGuidA)));
    EXPECT_TRUE(savedB == Dump(Accounts(kGuidB)));
}

TEST_F(IeOeDialogTest, MoreRecordsOfANameThanIdentitiesIsMissingForTheExtra) {
    PutIdentity(kGuidA, "Taro", nullptr);
    PutIdentity(kGuidB, "Taro", nullptr);
    Put(kShared, MailAccount("s", "s"));
    ASSERT_EQ(1, SaveWith());
    EmptyWork();
    Remove(std::string("Identities\\") + kGuidB);
    bool open = false;
    Run(IeOeLoadDialogProc, [&](HWND dialog) {
        sim::Click(dialog, IDOK);
        open = !sim::DialogEnded(dialog);
    });
    EXPECT_TRUE(open);
    // The first box is the save's: this machine has no Internet Settings.
    ASSERT_EQ(2u, Boxes());
    EXPECT_NE(std::string::npos, sim::MessageBoxes()[1].text.find("\"Taro\"を設定できません。"));
}

TEST_F(IeOeDialogTest, LoadOnAMachineWithoutIdentitiesStillEndsWithOne) {
    Machine();
    ASSERT_EQ(1, SaveWith());
    EmptyWork();
    Remove("Identities");
    EXPECT_EQ(1, LoadWith());
    ASSERT_EQ(2u, Boxes()) << "one report per selected entry";
    for (const auto& box : sim::MessageBoxes())
        EXPECT_TRUE(IsSystemErrorBox(box, "レジストリキー\"HKEY_CURRENT_USER\\Identities\"に読み込みアクセスを適用できません。"));
}

TEST_F(IeOeDialogTest, UnpackFailureEndsWithTwoWithoutAMessageOfItsOwn) {
    WriteBytes(ProfileFilePath, "not an archive");
    EXPECT_EQ(2, Run(IeOeLoadDialogProc));
    for (const auto& box : sim::MessageBoxes())
        EXPECT_EQ(std::string::npos, box.text.find("選択したユーザ")) << box.text;
}

// ---- an apply never loses the live settings ----------------------------------

// For every registry and file call the OK of the load makes, a run in which
// just that call fails leaves each live tree as it was or as the file holds
// it (Internet Settings with the machine's own 5.0). The loader's record-
// level calls (a value or a subkey that cannot be set is skipped) are not
// file-level failures and are left out.
TEST_F(IeOeLoadTest, EverySingleFailureLeavesEachTreeWholeOrAsTheFileHoldsIt) {
    SaveAndChange();
    const RegTree changedA = Dump(Accounts(kGuidA));
    const RegTree changedB = Dump(Accounts(kGuidB));
    const RegTree savedB = [&] {
        return RegTree{};
    }();
    const std::vector<std::string> functions = {"RegOpenKeyExA", "RegCreateKeyExA", "RegEnumKeyExA", "RegEnumValueA",
                                                "RegQueryValueExA", "RegDeleteKeyA", "CreateFileA", "ReadFile",
                                                "WriteFile", "GetFileSize", "HeapAlloc", "SetFilePointer"};
    // A clean run first, to count the calls of the OK alone.
    std::map<std::string, int> calls;
    RegTree fileA, fileB;
    auto restoreLive = [&] {
        sim::ClearFaults();
        Remove(kSettings);
        Put(kSettings, RegTree{});
        HKEY key = nullptr;
        RegOpenKeyExA(HKEY_CURRENT_USER, kSettings, 0, KEY_ALL_ACCESS, &key);
        BuildTree(key, before_);
        RegCloseKey(key);
        Remove(Accounts(kGuidA));
        Put(Accounts(kGuidA), changedA);
        Remove(Accounts(kGuidB));
        Put(Accounts(kGuidB), changedB);
        EmptyWork();
    };
    LoadWith([&](HWND) {
        for (const auto& f : functions) calls[f] = -sim::CallCount(f);
    });
    for (const auto& f : functions) calls[f] += sim::CallCount(f);
    fileA = Dump(Accounts(kGuidA));
    fileB = Dump(Accounts(kGuidB));
    ASSERT_TRUE(ExpectedSettings() == Dump(kSettings));
    ASSERT_TRUE(savedA_ == fileA);

    int runs = 0;
    for (const auto& f : functions) {
        for (int nth = 1; nth <= calls[f]; ++nth) {
            restoreLive();
            ASSERT_TRUE(before_ == Dump(kSettings));
            LoadWith([&](HWND) {
                // A failing subkey or value of the loader is skipped by design.
                if (f == "RegCreateKeyExA") {
                    sim::FailCall(f, nth, ERROR_ACCESS_DENIED);
                } else {
                    sim::FailCall(f, nth, f == "HeapAlloc" ? ERROR_NOT_ENOUGH_MEMORY : ERROR_ACCESS_DENIED);
                }
            });
            sim::ClearFaults();
            ++runs;
            const RegTree settings = Dump(kSettings);
            const RegTree a = Dump(Accounts(kGuidA));
            const RegTree b = Dump(Accounts(kGuidB));
            const bool createdSubkey = f == "RegCreateKeyExA";
            EXPECT_TRUE(settings == before_ || settings == ExpectedSettings() || createdSubkey)
                << f << " #" << nth << " left Internet Settings half-loaded";
            EXPECT_TRUE(a == changedA || a == fileA || createdSubkey) << f << " #" << nth << " Taro";
            EXPECT_TRUE(b == changedB || b == fileB || createdSubkey) << f << " #" << nth << " Hanako";
        }
    }
    EXPECT_GT(runs, 100);
}

}  // namespace
