// What only the IE/OE dialogs on template 112 do, played by the scripted
// user: the Internet options beside the entries, the identity-less account
// tree, and identities missing on the loading machine. The dialog bodies
// both groups share are tested over both records in
// tests/unit/settings/dialogs_test.cpp.
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
const std::string kFive = std::string(kSettings) + "\\5.0";

std::string Text(HWND dialog, int id) {
    char buffer[1024] = "";
    GetDlgItemTextA(dialog, id, buffer, sizeof buffer);
    return buffer;
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

// What the shared save dialog shows and writes is in tests/unit/settings; the
// Internet options and the identities are this group's own.
TEST_F(IeOeDialogTest, SaveOffersTheInternetOptionsCheckedAndWritesThem) {
    Machine();
    EXPECT_EQ(1, SaveWith([](HWND dialog) {
        EXPECT_EQ("インターネットオプションをファイルにセーブする。", Text(dialog, IDC_OPTIONS));
        EXPECT_EQ((UINT)BST_CHECKED, IsDlgButtonChecked(dialog, IDC_OPTIONS));
    }));
    EXPECT_TRUE(FileExists(Work("proxy")));
    EXPECT_EQ(0u, Boxes());
}

TEST_F(IeOeDialogTest, IdentityWithoutAccountsSavesTheIdentityLessTree) {
    PutIdentity(kGuidA, "A", nullptr);
    Put(kShared, MailAccount("shared", "pop.shared"));
    EXPECT_EQ(1, SaveWith());
    EXPECT_NE(std::string::npos, ReadBytes(Work("gateway.0.0")).find("shared")) << "identity-less fallback";
}

TEST_F(IeOeDialogTest, UserNameThatCannotBeReadEndsTheSetUp) {
    Machine();
    sim::FailCall("GetUserNameA", 2, ERROR_ACCESS_DENIED);
    EXPECT_EQ(2, Run(IeOeSaveDialogProc));
    ASSERT_EQ(1u, Boxes());
    EXPECT_TRUE(IsSystemErrorBox(sim::MessageBoxes()[0], "ユーザ名を取得できません。"));
}

TEST_F(IeOeDialogTest, EmptyUserNameIsATwoByteRecord) {
    PutIdentity(kGuidA, "", nullptr);
    Put(kShared, RegTree{});
    EXPECT_EQ(1, SaveWith());
    EXPECT_EQ(std::string("\0\0", 2), ReadBytes(Work("gateway")));
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

TEST_F(IeOeLoadTest, OkPutsTheInternetSettingsBackWithTheMachinesFive) {
    SaveAndChange();
    EXPECT_EQ(1, LoadWith([](HWND dialog) {
        EXPECT_EQ("インターネットオプションをファイルからロードする。", Text(dialog, IDC_OPTIONS));
        EXPECT_EQ((UINT)BST_CHECKED, IsDlgButtonChecked(dialog, IDC_OPTIONS));
    }));
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

// ---- a tree that cannot be put back ------------------------------------------

// Values that can be written neither from the file nor back: Internet
// Settings and Taro's accounts are kept as two IE/OE profiles that this
// dialog loads, and loading them brings both trees back.
TEST_F(IeOeLoadTest, TreesThatCannotBePutBackAreKeptAsProfilesThatLoadThemBack) {
    SaveAndChange();
    const RegTree changedA = Dump(Accounts(kGuidA));
    const std::string temp = Dir() + "Temp\\";
    ASSERT_TRUE(CreateDirectoryA(temp.c_str(), nullptr));
    sim::SetTempPath(temp);
    EXPECT_EQ(1, LoadWith([&](HWND) {
        sim::FailCallsFrom("RegSetValueExA", 1, ERROR_ACCESS_DENIED, std::string(kSettings) + "\\ProxyEnable");
        sim::FailCallsFrom("RegSetValueExA", 1, ERROR_ACCESS_DENIED, Accounts(kGuidA) + "\\00000001\\POP3 Server");
    }));
    sim::ClearFaults();
    const std::string kept[] = {temp + "Brelvane-backup-1.ies", temp + "Brelvane-backup-2.ies"};
    const std::string keptIn[] = {kSettings, Accounts(kGuidA)};
    std::vector<std::string> keptBoxes;
    for (const auto& box : sim::MessageBoxes())
        if (box.text.find("元の設定はファイル") != std::string::npos) keptBoxes.push_back(box.text);
    ASSERT_EQ(2u, keptBoxes.size());
    for (int i = 0; i < 2; ++i)
        EXPECT_EQ("レジストリキー\"HKEY_CURRENT_USER\\" + keptIn[i] +
                      "\"に設定を書き込めず、元の設定にも戻せませんでした。元の設定はファイル\"" + kept[i] +
                      "\"に保存しました。このファイルをロードすると元の設定に戻ります。",
                  keptBoxes[i]);
    for (const std::string& file : kept) {
        EmptyWork();
        lstrcpyA(ProfileFilePath, file.c_str());
        EXPECT_EQ(1, LoadWith());
    }
    EXPECT_TRUE(before_ == Dump(kSettings));
    EXPECT_TRUE(changedA == Dump(Accounts(kGuidA)));
}
}  // namespace
