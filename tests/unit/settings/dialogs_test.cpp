// The save and load dialog bodies, once over each settings group's record,
// played by the scripted user on its dialog template: what each shows, what
// OK writes and applies, the failure rows with their texts and outcomes,
// records that stay with their snapshots, and the promise that an apply
// never loses a live tree, checked for every call it makes. What only one
// group has (the Internet options, the pairing of renamed connections) is
// in that group's own dialogs_test.cpp.
#include <gtest/gtest.h>

#include <functional>
#include <map>
#include <string>
#include <vector>

#include "ieoe/ieoe_group.h"
#include "settings/settings_dialog.h"
#include "snapshot/profile_file.h"
#include "snapshot/registry_snapshot.h"
#include "tcpip/tcpip_group.h"
#include "tests/unit/ieoe/ieoe_test_util.h"
#include "tests/unit/tcpip/tcpip_test_util.h"

namespace {

using snaptest::IsInformationBox;
using snaptest::IsSystemErrorBox;
using Strings = std::vector<std::string>;

std::string Le32(size_t value) {
    std::string bytes(4, '\0');
    for (int i = 0; i < 4; ++i) bytes[i] = static_cast<char>((value >> (8 * i)) & 0xFF);
    return bytes;
}

// What the shared cases need of the IE/OE group: identities with their
// account trees below HKEY_CURRENT_USER, and the machine's Internet Settings.
class IeOeSide : public IeOeTest {
protected:
    static const SettingsGroup& Group() { return kIeOeGroup; }
    static DLGPROC SaveProc() { return IeOeSaveDialogProc; }
    static DLGPROC LoadProc() { return IeOeLoadDialogProc; }
    static int Template() { return IDD_IEOE; }
    static const char* Key(int i) {
        static const char* const keys[] = {"{1A000000-0000-0000-0000-000000000000}",
                                           "{2B000000-0000-0000-0000-000000000000}",
                                           "{3C000000-0000-0000-0000-000000000000}"};
        return keys[i];
    }
    static std::string TreePath(int i) { return ieoetest::Accounts(Key(i)); }
    // A tree whose subkey file carries `marker`.
    static RegTree Tree(const std::string& marker) { return ieoetest::MailAccount(marker, "pop." + marker); }
    static void PutItem(int i, const std::string& name, const RegTree& tree) { PutIdentity(Key(i), name, &tree); }
    static void Rename(int i, const std::string& name) {
        RegTree identity;
        identity.values = {{"Username", REG_SZ, ieoetest::Sz(name)}};
        Put(std::string("Identities\\") + Key(i), identity);
    }
    static void PutRest() { Put(ieoetest::kSettings, ieoetest::InternetSettings("proxy.example.jp:8080", "machine")); }
    // The Internet options are saved and loaded with the entries.
    static Strings OtherTrees() { return {ieoetest::kSettings}; }
    // The name of a value in the subkey of every Tree().
    static std::string MarkedValue() { return "Account Name"; }
    static std::string Source() { return "tester"; }
    static BYTE Kind() { return 0; }
    static std::string SaveCaption() { return "現行のIE/OEの設定をファイルにセーブ"; }
    static std::string SavePrompt() { return "ファイルにセーブするアカウントの項目を選択します。"; }
    static std::string LoadCaption() { return "現行のIE/OEの設定をファイルにロード"; }
    static std::string LoadPrompt() { return "ファイルからロードするアカウントの項目を選択します。"; }
    static std::string WalkRootFailure() {
        return "レジストリキー\"HKEY_CURRENT_USER\\Identities\"に読み込みアクセスを適用できません。";
    }
    static void FailSourceName() { sim::FailCall("GetUserNameA", 1, ERROR_ACCESS_DENIED); }
    static std::string SourceNameFailure() { return "ユーザ名のサイズを取得できません。"; }
    static void FailWalk() { sim::FailCall("RegOpenKeyExA", 1, ERROR_ACCESS_DENIED, "Identities"); }
    static std::string WalkFailure() { return WalkRootFailure(); }
    static std::string OtherKindHeader() { return std::string("\x01\x01\x06\0\0\0TESTPC\0\0\0\0", 16); }
    static std::string Missing(const std::string& name) {
        return "選択したユーザの項目のうち、\"" + name +
               "\"を設定できません。ファイルのこのネットワークの設定は現行の設定に適用できません。Outlook Expressの"
               "ユーザ設定でこの名前のユーザをあらかじめ作成しておいてから再試行する必要があります。";
    }
    // How many single failures an apply of three entries at least makes.
    static int FailureRuns() { return 100; }
};

// What the shared cases need of the TCP/IP group: connections in the
// network class key with their Interfaces trees below HKEY_LOCAL_MACHINE.
class TcpipSide : public TcpipTest {
protected:
    static const SettingsGroup& Group() { return kTcpipGroup; }
    static DLGPROC SaveProc() { return TcpipSaveDialogProc; }
    static DLGPROC LoadProc() { return TcpipLoadDialogProc; }
    static int Template() { return IDD_TCPIP; }
    static const char* Key(int i) {
        static const char* const keys[] = {tcpiptest::kGuidEthernet, tcpiptest::kGuidWifi, tcpiptest::kGuidLocal2};
        return keys[i];
    }
    static std::string TreePath(int i) { return tcpiptest::InterfacesPath(Key(i)); }
    static RegTree Tree(const std::string& marker) {
        RegTree tree = tcpiptest::StaticInterface("10.0.0.1", "10.0.0.254");
        RegTree network;
        network.values = {{"DhcpServer", REG_SZ, tcpiptest::Sz(marker)}};
        tree.subkeys = {{"4d6f62696c65", network}};
        return tree;
    }
    static void PutItem(int i, const std::string& name, const RegTree& tree) { PutAdapter(Key(i), name, tree); }
    static void Rename(int i, const std::string& name) {
        sim::RegPut("HKEY_LOCAL_MACHINE\\" + tcpiptest::AdapterPath(Key(i)) + "\\Connection", "Name", REG_SZ,
                    tcpiptest::Sz(name));
    }
    static void PutRest() { PutOtherSubkeys(); }
    static Strings OtherTrees() { return {}; }
    static std::string MarkedValue() { return "DhcpServer"; }
    static std::string Source() { return "TESTPC"; }
    static BYTE Kind() { return 1; }
    static std::string SaveCaption() { return "現行のTCP/IPの設定をファイルにセーブ"; }
    static std::string SavePrompt() { return "ファイルにセーブするネットワークの項目を選択します。"; }
    static std::string LoadCaption() { return "現行のTCP/IPの設定をファイルにロード"; }
    static std::string LoadPrompt() { return "ファイルからロードするネットワークの項目を選択します。"; }
    static std::string WalkRootFailure() {
        return "レジストリキー\"HKEY_LOCAL_MACHINE\\SYSTEM\\CurrentControlSet\\Control\\Network\\"
               "{4D36E972-E325-11CE-BFC1-08002BE10318}\"に読み込みアクセスを適用できません。";
    }
    static void FailSourceName() { sim::FailCall("GetComputerNameA", 1, ERROR_ACCESS_DENIED); }
    static std::string SourceNameFailure() { return "コンピュータ名を取得できません。"; }
    static void FailWalk() {
        sim::FailCall("RegEnumKeyExA", 1, ERROR_ACCESS_DENIED, "{4D36E972-E325-11CE-BFC1-08002BE10318}");
    }
    static std::string WalkFailure() {
        return "レジストリキー\"HKEY_LOCAL_MACHINE\\SYSTEM\\CurrentControlSet\\Control\\Network\\"
               "{4D36E972-E325-11CE-BFC1-08002BE10318}\"のサブキーを列挙できません。";
    }
    static std::string OtherKindHeader() { return std::string("\0\x01\x06\0\0\0tester\0\0\0\0", 16); }
    static std::string Missing(const std::string& name) {
        return "選択したネットワークの項目のうち、\"" + name +
               "\"を設定できません。ファイルのこのネットワークの設定は現行の設定に適用できません。Control Panelの"
               "ネットワーク設定でこの名前のネットワークをあらかじめ作成しておいてから再試行する必要があります。";
    }
    static int FailureRuns() { return 150; }
};

std::string Text(HWND dialog, int id) {
    char buffer[1024] = "";
    GetDlgItemTextA(dialog, id, buffer, sizeof buffer);
    return buffer;
}

std::string Caption(HWND dialog) {
    char caption[256] = "";
    GetWindowTextA(dialog, caption, sizeof caption);
    return caption;
}

Strings Entries(HWND dialog) {
    Strings names;
    const LRESULT count = SendDlgItemMessageA(dialog, IDC_ENTRY_LIST, LB_GETCOUNT, 0, 0);
    for (LRESULT i = 0; i < count; ++i) {
        char buffer[256] = "";
        SendDlgItemMessageA(dialog, IDC_ENTRY_LIST, LB_GETTEXT, i, reinterpret_cast<LPARAM>(buffer));
        names.push_back(buffer);
    }
    return names;
}

void Deselect(HWND dialog) { SendDlgItemMessageA(dialog, IDC_ENTRY_LIST, LB_SETSEL, FALSE, -1); }

LPCSTR ProfilePath() { return ProfileFilePath; }

template <class Side>
class SettingsDialogTest : public Side {
protected:
    using Side::Dump;
    using Side::FileExists;
    using Side::ListFiles;
    using Side::Put;
    using Side::ReadBytes;
    using Side::WriteBytes;

    INT_PTR Run(DLGPROC proc, std::function<void(HWND)> script = nullptr) {
        if (script) sim::QueueDialogScript([script](HWND dialog, int) { script(dialog); });
        return DialogBoxParamA(GetModuleHandleA(nullptr), MAKEINTRESOURCEA(Side::Template()), nullptr, proc, 0);
    }
    INT_PTR SaveWith(std::function<void(HWND)> before = nullptr) { return PressOk(Side::SaveProc(), before); }
    INT_PTR LoadWith(std::function<void(HWND)> before = nullptr) { return PressOk(Side::LoadProc(), before); }
    INT_PTR PressOk(DLGPROC proc, std::function<void(HWND)> before) {
        return Run(proc, [before](HWND dialog) {
            if (before) before(dialog);
            sim::Click(dialog, IDOK);
        });
    }
    // Runs the dialog, presses OK once and tells whether it stayed open.
    bool StaysOpenAfterOk(DLGPROC proc, std::function<void(HWND)> before = nullptr) {
        bool open = false;
        Run(proc, [&](HWND dialog) {
            if (before) before(dialog);
            sim::Click(dialog, IDOK);
            open = !sim::DialogEnded(dialog);
        });
        return open;
    }
    std::string Work(const std::string& name) const { return std::string(WorkDirectory) + name; }
    std::string Index() const { return Side::Group().indexName; }
    void EmptyWork() { ASSERT_TRUE(ClearWorkDirectory(WorkDirectory)); }
    // Unpacks the saved profile, lets `change` alter its files and packs it again.
    void RepackWith(const std::function<void()>& change) {
        ASSERT_NE(0, UnpackProfileFile(nullptr, ProfileFilePath, WorkDirectory));
        change();
        ASSERT_NE(0, PackProfileFile(nullptr, ProfileFilePath, WorkDirectory));
        EmptyWork();
    }
    size_t Boxes() const { return sim::MessageBoxes().size(); }
    // Three items in the walk's order whose names sort the other way round
    // in the list, plus what else the machine holds.
    void Machine() {
        Side::PutItem(0, "Taro", Side::Tree("taro"));
        Side::PutItem(1, "Hanako", Side::Tree("hanako"));
        Side::PutItem(2, "Goro", Side::Tree("goro"));
        Side::PutRest();
    }
    RegTree Live(int i) { return Dump(Side::TreePath(i)); }
    void ReplaceLive(int i, const RegTree& tree) {
        DeleteKeyTree(Side::Group().root, Side::TreePath(i));
        Put(Side::TreePath(i), tree);
    }
    std::string Header(const std::string& comment) const {
        return std::string(1, static_cast<char>(Side::Kind())) + "\x01" + Le32(Side::Source().size()) +
               Side::Source() + Le32(comment.size()) + comment;
    }
    // Saves the machine with a comment, empties the work directory and
    // changes every live tree the load writes.
    void SaveAndChange() {
        Machine();
        ASSERT_EQ(1, SaveWith([](HWND dialog) { sim::Type(dialog, IDC_COMMENT, "自宅"); }));
        EmptyWork();
        for (int i = 0; i < 3; ++i) {
            saved_[i] = Live(i);
            ReplaceLive(i, Side::Tree("changed" + std::to_string(i)));
            changed_[i] = Live(i);
        }
        for (const std::string& path : Side::OtherTrees()) {
            DeleteKeyTree(Side::Group().root, path + "\\ZoneMap");
            otherBefore_.push_back(Dump(path));
        }
        sim::ForgetCallCounts();
        boxesBefore_ = Boxes();
    }
    bool Is(const std::map<int, RegTree>& trees, int i) { return Live(i) == trees.at(i); }
    std::map<int, RegTree> saved_, changed_;
    std::vector<RegTree> otherBefore_;
    size_t boxesBefore_ = 0;
};

using Groups = ::testing::Types<IeOeSide, TcpipSide>;
TYPED_TEST_SUITE(SettingsDialogTest, Groups);

// ---- save -------------------------------------------------------------------

TYPED_TEST(SettingsDialogTest, SaveShowsItsTextsTheSaverAndEveryItemSelected) {
    this->Machine();
    this->Run(TypeParam::SaveProc(), [](HWND dialog) {
        EXPECT_EQ(TypeParam::SaveCaption(), Caption(dialog));
        EXPECT_EQ(TypeParam::SavePrompt(), Text(dialog, IDC_PROMPT));
        EXPECT_EQ(TypeParam::Source(), Text(dialog, IDC_SOURCE_NAME));
        EXPECT_EQ("", Text(dialog, IDC_COMMENT));
        EXPECT_EQ((Strings{"Goro", "Hanako", "Taro"}), Entries(dialog));
        EXPECT_EQ(3, SendDlgItemMessageA(dialog, IDC_ENTRY_LIST, LB_GETSELCOUNT, 0, 0));
    });
    EXPECT_EQ(0u, this->Boxes());
}

TYPED_TEST(SettingsDialogTest, SaveWritesHeaderRecordsAndSnapshotsInListOrder) {
    this->Machine();
    EXPECT_EQ(1, this->SaveWith([](HWND dialog) { sim::Type(dialog, IDC_COMMENT, "会社のPC"); }));
    const std::string index = this->Index();
    EXPECT_EQ(std::string("Goro\0\0Hanako\0\0Taro\0\0", 20), this->ReadBytes(this->Work(index)));
    EXPECT_NE(std::string::npos, this->ReadBytes(this->Work(index + ".0.0")).find("goro")) << "the subkey's own file";
    EXPECT_NE(std::string::npos, this->ReadBytes(this->Work(index + ".1.0")).find("hanako"));
    EXPECT_NE(std::string::npos, this->ReadBytes(this->Work(index + ".2.0")).find("taro"));
    EXPECT_EQ(this->Header("会社のPC"), this->ReadBytes(this->Work("profile")));
    EXPECT_TRUE(this->FileExists(ProfileFilePath));
    EXPECT_EQ(0u, this->Boxes());
}

TYPED_TEST(SettingsDialogTest, OnlySelectedEntriesAreSavedNumberedWithoutGaps) {
    this->Machine();
    EXPECT_EQ(1, this->SaveWith([](HWND dialog) { sim::ClickListItem(dialog, IDC_ENTRY_LIST, 0); }));
    const std::string index = this->Index();
    EXPECT_EQ(std::string("Hanako\0\0Taro\0\0", 14), this->ReadBytes(this->Work(index)));
    EXPECT_NE(std::string::npos, this->ReadBytes(this->Work(index + ".0.0")).find("hanako"));
    EXPECT_NE(std::string::npos, this->ReadBytes(this->Work(index + ".1.0")).find("taro"));
    EXPECT_FALSE(this->FileExists(this->Work(index + ".2")));
}

TYPED_TEST(SettingsDialogTest, NothingSelectedWritesOnlyTheHeaderAndThatFileCannotBeLoaded) {
    this->Machine();
    EXPECT_EQ(1, this->SaveWith([](HWND dialog) {
        Deselect(dialog);
        if (TypeParam::Group().options) sim::Click(dialog, IDC_OPTIONS);
    }));
    EXPECT_EQ((Strings{"profile"}), this->ListFiles(WorkDirectory));
    this->EmptyWork();
    EXPECT_EQ(2, this->Run(TypeParam::LoadProc()));
    ASSERT_EQ(1u, this->Boxes());
    EXPECT_TRUE(IsSystemErrorBox(sim::MessageBoxes()[0], "テンポラリファイル\"" + this->Work(this->Index()) +
                                                             "\"に読み込みアクセスを適用できません。"));
}

TYPED_TEST(SettingsDialogTest, SetUpFailuresEndTheDialogWithTwo) {
    // Nothing to walk.
    EXPECT_EQ(2, this->Run(TypeParam::SaveProc()));
    ASSERT_EQ(1u, this->Boxes());
    EXPECT_TRUE(IsSystemErrorBox(sim::MessageBoxes()[0], TypeParam::WalkRootFailure()));
    this->Machine();
    TypeParam::FailSourceName();
    EXPECT_EQ(2, this->Run(TypeParam::SaveProc()));
    ASSERT_EQ(2u, this->Boxes());
    EXPECT_TRUE(IsSystemErrorBox(sim::MessageBoxes()[1], TypeParam::SourceNameFailure()));
    // Selecting the list fails: nothing is shown.
    sim::FailCall("SendDlgItemMessageA", 1, 0, "1007\\LB_SETSEL");
    EXPECT_EQ(2, this->Run(TypeParam::SaveProc()));
    EXPECT_EQ(2u, this->Boxes());
    for (const auto& call : sim::Dialogs()) EXPECT_EQ(2, call.result);
}

TYPED_TEST(SettingsDialogTest, HeaderThatCannotBeWrittenKeepsTheDialogOpen) {
    this->Machine();
    EXPECT_TRUE(this->StaysOpenAfterOk(TypeParam::SaveProc(),
                                       [](HWND) { sim::FailCall("CreateFileA", 1, ERROR_ACCESS_DENIED, "profile"); }));
    ASSERT_EQ(1u, this->Boxes());
    EXPECT_TRUE(IsSystemErrorBox(sim::MessageBoxes()[0], "テンポラリファイル\"" + this->Work("profile") +
                                                             "\"を作成し、書き込みアクセスを適用できません。"));
    EXPECT_FALSE(this->FileExists(this->Work(this->Index())));
    sim::FailCall("WriteFile", 1, ERROR_DISK_FULL, "profile");
    EXPECT_TRUE(this->StaysOpenAfterOk(TypeParam::SaveProc()));
    ASSERT_EQ(2u, this->Boxes());
    EXPECT_TRUE(IsSystemErrorBox(sim::MessageBoxes()[1], "プロフィールの情報をテンポラリファイル\"" +
                                                             this->Work("profile") + "\"に書き込めません。"));
}

TYPED_TEST(SettingsDialogTest, FailedWalkOnOkEmptiesTheWorkDirectoryAndStaysOpen) {
    this->Machine();
    EXPECT_TRUE(this->StaysOpenAfterOk(TypeParam::SaveProc(), [](HWND) { TypeParam::FailWalk(); }));
    EXPECT_TRUE(this->ListFiles(WorkDirectory).empty());
    ASSERT_EQ(1u, this->Boxes());
    EXPECT_TRUE(IsSystemErrorBox(sim::MessageBoxes()[0], TypeParam::WalkFailure()));
    EXPECT_FALSE(this->FileExists(ProfileFilePath));
}

TYPED_TEST(SettingsDialogTest, LockedTargetThenSecondOkHoldsEachItemOnce) {
    this->Machine();
    this->WriteBytes(ProfileFilePath, "old");
    HANDLE held = sim::HoldFileOpen(ProfileFilePath, 0);
    INT_PTR result = this->Run(TypeParam::SaveProc(), [&](HWND dialog) {
        sim::Click(dialog, IDOK);
        EXPECT_FALSE(sim::DialogEnded(dialog));
        EXPECT_TRUE(this->ListFiles(WorkDirectory).empty());
        CloseHandle(held);
        sim::Click(dialog, IDOK);
    });
    EXPECT_EQ(1, result);
    EXPECT_EQ(std::string("Goro\0\0Hanako\0\0Taro\0\0", 20), this->ReadBytes(this->Work(this->Index())));
    ASSERT_EQ(1u, this->Boxes());
    EXPECT_TRUE(IsSystemErrorBox(sim::MessageBoxes()[0], std::string(ProfileFilePath) + "に上書きできません。"));
}

// The disk stays full: the dialog stays open and the file the user chose
// to replace is still there, byte for byte.
TYPED_TEST(SettingsDialogTest, FullDiskDuringASaveOverAnExistingFileKeepsIt) {
    this->Machine();
    const std::string old = "an earlier profile " + std::string(5000, 'x');
    this->WriteBytes(ProfileFilePath, old);
    sim::FailCallsFrom("WriteFile", 1, ERROR_DISK_FULL, "~brv0000.tmp");
    EXPECT_TRUE(this->StaysOpenAfterOk(TypeParam::SaveProc()));
    sim::ClearFaults();
    ASSERT_EQ(1u, this->Boxes());
    EXPECT_EQ(old, this->ReadBytes(ProfileFilePath));
    EXPECT_EQ((Strings{"saved" + std::string(TypeParam::Group().extension)}), this->ListFiles(this->Dir()));
}

TYPED_TEST(SettingsDialogTest, CancelEndsWithTwoAndWritesNothing) {
    this->Machine();
    EXPECT_EQ(2, this->Run(TypeParam::SaveProc(), [](HWND dialog) { sim::Click(dialog, IDCANCEL); }));
    EXPECT_TRUE(this->ListFiles(WorkDirectory).empty());
}

// ---- save and load: the records stay with their items ------------------------

TYPED_TEST(SettingsDialogTest, RecordsOutOfListOrderStillApplyEachItemsOwn) {
    // A file as another machine's sort order might write it: Taro, Goro.
    this->Machine();
    const RegTree taro = this->Live(0);
    const RegTree goro = this->Live(2);
    const std::string index = this->Index();
    for (const auto& entry : {std::make_pair(0, ".0"), std::make_pair(2, ".1")}) {
        HKEY key = nullptr;
        ASSERT_EQ(ERROR_SUCCESS, RegOpenKeyExA(TypeParam::Group().root, TypeParam::TreePath(entry.first).c_str(), 0,
                                               KEY_READ, &key));
        ASSERT_EQ(1, SaveRegistryTree(nullptr, key, (index + entry.second).c_str(), WorkDirectory));
        RegCloseKey(key);
    }
    this->WriteBytes(this->Work(index), std::string("Taro\0\0Goro\0\0", 12));
    this->WriteBytes(this->Work("profile"), this->Header(""));
    ASSERT_NE(0, PackProfileFile(nullptr, ProfileFilePath, WorkDirectory));
    this->EmptyWork();
    for (int i = 0; i < 3; ++i) this->ReplaceLive(i, TypeParam::Tree("x" + std::to_string(i)));
    const RegTree hanako = this->Live(1);
    EXPECT_EQ(1, this->LoadWith());
    EXPECT_EQ(taro, this->Live(0));
    EXPECT_EQ(hanako, this->Live(1));
    EXPECT_EQ(goro, this->Live(2));
    EXPECT_EQ(0u, this->Boxes());
}

TYPED_TEST(SettingsDialogTest, TwoItemsOfOneNameKeepTheirOwnSettings) {
    TypeParam::PutItem(0, "Taro", TypeParam::Tree("first"));
    TypeParam::PutItem(1, "Taro", TypeParam::Tree("second"));
    TypeParam::PutItem(2, "Wi-Fi", TypeParam::Tree("third"));
    const RegTree first = this->Live(0);
    const RegTree second = this->Live(1);
    ASSERT_EQ(1, this->SaveWith());
    const std::string index = this->Index();
    EXPECT_EQ(std::string("Taro\0\0Taro\0\0Wi-Fi\0\0", 19), this->ReadBytes(this->Work(index)));
    EXPECT_NE(std::string::npos, this->ReadBytes(this->Work(index + ".0.0")).find("first"));
    EXPECT_NE(std::string::npos, this->ReadBytes(this->Work(index + ".1.0")).find("second"));
    this->EmptyWork();
    this->ReplaceLive(0, TypeParam::Tree("x"));
    this->ReplaceLive(1, TypeParam::Tree("y"));
    EXPECT_EQ(1, this->LoadWith());
    EXPECT_EQ(first, this->Live(0));
    EXPECT_EQ(second, this->Live(1));
}

// ---- load -------------------------------------------------------------------

// A list box that refuses an entry, or its number, would leave the later
// entries naming the snapshots of the ones before them. Set-up fails with a
// report instead, and nothing is applied.
TYPED_TEST(SettingsDialogTest, EntryTheLoadListRefusesAppliesNothing) {
    this->SaveAndChange();
    for (const char* message : {"1007\\LB_ADDSTRING", "1007\\LB_SETITEMDATA"}) {
        SCOPED_TRACE(message);
        const size_t before = this->Boxes();
        sim::FailCall("SendDlgItemMessageA", 2, 0, message);
        EXPECT_EQ(2, this->LoadWith());
        sim::ClearFaults();
        ASSERT_EQ(before + 1, this->Boxes());
        EXPECT_TRUE(IsSystemErrorBox(sim::MessageBoxes()[before], "項目\"Hanako\"を一覧に追加できません。"));
        for (int i = 0; i < 3; ++i) EXPECT_TRUE(this->Is(this->changed_, i)) << i;
        this->EmptyWork();
    }
}

TYPED_TEST(SettingsDialogTest, LoadShowsTheHeaderAndTheSavedEntriesSelected) {
    this->SaveAndChange();
    this->Run(TypeParam::LoadProc(), [](HWND dialog) {
        EXPECT_EQ(TypeParam::LoadCaption(), Caption(dialog));
        EXPECT_EQ(TypeParam::LoadPrompt(), Text(dialog, IDC_PROMPT));
        EXPECT_EQ(TypeParam::Source(), Text(dialog, IDC_SOURCE_NAME));
        EXPECT_EQ("自宅", Text(dialog, IDC_COMMENT));
        sim::Type(dialog, IDC_COMMENT, "typed");
        EXPECT_EQ("自宅", Text(dialog, IDC_COMMENT)) << "read-only";
        EXPECT_EQ((Strings{"Goro", "Hanako", "Taro"}), Entries(dialog));
        EXPECT_EQ(3, SendDlgItemMessageA(dialog, IDC_ENTRY_LIST, LB_GETSELCOUNT, 0, 0));
    });
    for (int i = 0; i < 3; ++i) EXPECT_TRUE(this->Is(this->changed_, i)) << i;
}

TYPED_TEST(SettingsDialogTest, OkPutsEverySavedTreeBack) {
    this->SaveAndChange();
    EXPECT_EQ(1, this->LoadWith());
    for (int i = 0; i < 3; ++i) EXPECT_TRUE(this->Is(this->saved_, i)) << i;
    EXPECT_EQ(this->boxesBefore_, this->Boxes());
}

TYPED_TEST(SettingsDialogTest, DeselectedEntryIsSkipped) {
    this->SaveAndChange();
    EXPECT_EQ(1, this->LoadWith([](HWND dialog) { sim::ClickListItem(dialog, IDC_ENTRY_LIST, 1); }));
    EXPECT_TRUE(this->Is(this->changed_, 1)) << "Hanako";
    EXPECT_TRUE(this->Is(this->saved_, 0));
    EXPECT_TRUE(this->Is(this->saved_, 2));
}

TYPED_TEST(SettingsDialogTest, NameOnlyInAnotherCaseIsMissingAndKeepsTheDialogOpen) {
    this->SaveAndChange();
    TypeParam::Rename(0, "TARO");
    EXPECT_TRUE(this->StaysOpenAfterOk(TypeParam::LoadProc()));
    ASSERT_EQ(this->boxesBefore_ + 1, this->Boxes());
    EXPECT_TRUE(IsInformationBox(sim::MessageBoxes().back(), TypeParam::Missing("Taro")));
    EXPECT_TRUE(this->Is(this->changed_, 0));
    EXPECT_TRUE(this->Is(this->saved_, 2)) << "the entries before it were applied";
    const Strings others = TypeParam::OtherTrees();
    for (size_t p = 0; p < others.size(); ++p)
        EXPECT_FALSE(this->otherBefore_[p] == this->Dump(others[p])) << "the options part came first";
}

TYPED_TEST(SettingsDialogTest, SnapshotMissingOrDamagedLeavesThatItemAsItWasAndGoesOn) {
    this->SaveAndChange();
    const std::string index = this->Index();
    // Hanako is record 1: its snapshot cut short.
    this->RepackWith([&] {
        const std::string whole = this->ReadBytes(this->Work(index + ".1"));
        this->WriteBytes(this->Work(index + ".1"), whole.substr(0, whole.size() - 3));
    });
    EXPECT_EQ(1, this->LoadWith());
    EXPECT_TRUE(this->Is(this->changed_, 1));
    EXPECT_TRUE(this->Is(this->saved_, 0));
    EXPECT_TRUE(this->Is(this->saved_, 2));
    ASSERT_EQ(this->boxesBefore_ + 1, this->Boxes());
    EXPECT_TRUE(IsInformationBox(sim::MessageBoxes().back(), "レジストリをロードしようとしましたが、テンポラリファイル\"" +
                                                                 this->Work(index + ".1") + "\"が破損しています。"));
    // Taro is record 2: its snapshot gone.
    for (int i = 0; i < 3; ++i) this->ReplaceLive(i, this->changed_[i]);
    this->RepackWith([&] {
        for (const std::string& name : this->ListFiles(WorkDirectory))
            if (name.compare(0, index.size() + 2, index + ".2") == 0) DeleteFileA(this->Work(name).c_str());
    });
    EXPECT_EQ(1, this->LoadWith());
    EXPECT_TRUE(this->Is(this->changed_, 0));
    EXPECT_TRUE(this->Is(this->saved_, 2));
}

TYPED_TEST(SettingsDialogTest, FileOfTheOtherKindIsRefusedBeforeAnyListIsShown) {
    this->SaveAndChange();
    this->RepackWith([&] { this->WriteBytes(this->Work("profile"), TypeParam::OtherKindHeader()); });
    EXPECT_EQ(2, this->Run(TypeParam::LoadProc()));
    ASSERT_EQ(this->boxesBefore_ + 1, this->Boxes());
    EXPECT_TRUE(IsInformationBox(sim::MessageBoxes().back(), "バージョンが一致しません。"));
    for (int i = 0; i < 3; ++i) EXPECT_TRUE(this->Is(this->changed_, i)) << i;
}

TYPED_TEST(SettingsDialogTest, FileThatIsNoArchiveEndsWithTwoWithoutAMessageOfItsOwn) {
    this->WriteBytes(ProfileFilePath, "not an archive");
    EXPECT_EQ(2, this->Run(TypeParam::LoadProc()));
    EXPECT_FALSE(sim::MessageBoxes().empty()) << "the archiver says why";
    for (const auto& box : sim::MessageBoxes()) EXPECT_EQ(std::string::npos, box.text.find("選択した")) << box.text;
}

// ---- what each OK did, entry by entry ------------------------------------------

TYPED_TEST(SettingsDialogTest, SaveOutcomeTellsEachEntryAndWhetherTheFileWasWritten) {
    this->Machine();
    this->Run(TypeParam::SaveProc(), [](HWND dialog) {
        sim::ClickListItem(dialog, IDC_ENTRY_LIST, 0);  // Goro not chosen
        TypeParam::Rename(1, "Hanako2");                // Hanako gone since set-up
        DialogOutcome outcome;
        EXPECT_EQ(1, SaveFromDialog(TypeParam::Group(), dialog, ProfilePath(), WorkDirectory, &outcome));
        EXPECT_EQ(kEntryNotTried, outcome.Entry(0));
        EXPECT_EQ(kEntryMissingHere, outcome.Entry(1));
        EXPECT_EQ(kEntrySaved, outcome.Entry(2));
        EXPECT_EQ(TypeParam::Group().options ? kEntrySaved : kEntryNotTried, outcome.options);
        EXPECT_TRUE(outcome.fileWritten);
        sim::Click(dialog, IDCANCEL);
    });
    EXPECT_EQ(std::string("Taro\0\0", 6), this->ReadBytes(this->Work(this->Index())));
    sim::FailCall("WriteFile", 1, ERROR_DISK_FULL, "profile");
    this->Run(TypeParam::SaveProc(), [](HWND dialog) {
        DialogOutcome outcome;
        EXPECT_EQ(0, SaveFromDialog(TypeParam::Group(), dialog, ProfilePath(), WorkDirectory, &outcome));
        EXPECT_FALSE(outcome.fileWritten);
        sim::Click(dialog, IDCANCEL);
    });
}

// A value the loader could not set fails that entry's load: its tree is put
// back and the entry was not applied.
TYPED_TEST(SettingsDialogTest, LoadOutcomeTellsEachEntryAndTheOneMissingHere) {
    this->SaveAndChange();
    TypeParam::Rename(0, "TARO");
    this->Run(TypeParam::LoadProc(), [](HWND dialog) {
        sim::FailCall("RegSetValueExA", 2, ERROR_ACCESS_DENIED, TypeParam::MarkedValue());
        DialogOutcome outcome;
        EXPECT_EQ(0, LoadFromDialog(TypeParam::Group(), dialog, WorkDirectory, &outcome));
        sim::ClearFaults();
        EXPECT_EQ(kEntryApplied, outcome.Entry(0)) << "Goro";
        EXPECT_EQ(kEntryFailed, outcome.Entry(1)) << "Hanako";
        EXPECT_EQ(kEntryMissingHere, outcome.Entry(2)) << "Taro";
        EXPECT_EQ(2, outcome.missingEntry);
        EXPECT_EQ(TypeParam::Group().options ? kEntryApplied : kEntryNotTried, outcome.options);
        sim::Click(dialog, IDCANCEL);
    });
    // The value's report, the tree put back, then the entry missing here.
    ASSERT_EQ(this->boxesBefore_ + 3, this->Boxes());
    EXPECT_NE(std::string::npos, sim::MessageBoxes()[this->boxesBefore_].text.find("を設定できません。"));
    EXPECT_NE(std::string::npos, sim::MessageBoxes()[this->boxesBefore_ + 1].text.find("元の設定に戻しました。"));
    EXPECT_TRUE(IsInformationBox(sim::MessageBoxes().back(), TypeParam::Missing("Taro")));
    EXPECT_TRUE(this->Is(this->changed_, 1)) << "Hanako's tree is put back";
}

// ---- an apply never loses the live settings ----------------------------------

// For every registry and file call the OK of the load makes, a run in which
// just that call fails leaves each live tree as it was or as the file holds
// it (a group's other trees too: Internet Settings with the machine's own
// 5.0): a key or value that cannot be written puts the tree back.
TYPED_TEST(SettingsDialogTest, EverySingleFailureLeavesEachTreeAsItWasOrAsTheFileHoldsIt) {
    this->SaveAndChange();
    const std::vector<std::string> functions = {
        "RegOpenKeyExA", "RegCreateKeyExA", "RegEnumKeyExA", "RegEnumValueA", "RegQueryValueExA", "RegSetValueExA",
        "RegDeleteKeyA", "CreateFileA",     "ReadFile",      "WriteFile",     "GetFileSize",      "HeapAlloc",
        "SetFilePointer"};
    Strings paths = TypeParam::OtherTrees();
    for (int i = 0; i < 3; ++i) paths.push_back(TypeParam::TreePath(i));
    std::vector<RegTree> before;
    for (const std::string& path : paths) before.push_back(this->Dump(path));
    auto restoreLive = [&] {
        sim::ClearFaults();
        for (size_t p = 0; p < paths.size(); ++p) {
            DeleteKeyTree(TypeParam::Group().root, paths[p]);
            this->Put(paths[p], before[p]);
        }
        this->EmptyWork();
    };
    // A clean run first, to count the calls of the OK alone.
    std::map<std::string, int> calls;
    this->LoadWith([&](HWND) {
        for (const auto& f : functions) calls[f] = -sim::CallCount(f);
    });
    for (const auto& f : functions) calls[f] += sim::CallCount(f);
    for (int i = 0; i < 3; ++i) ASSERT_TRUE(this->Is(this->saved_, i));
    std::vector<RegTree> after;
    for (const std::string& path : paths) after.push_back(this->Dump(path));

    int runs = 0;
    for (const auto& f : functions) {
        for (int nth = 1; nth <= calls[f]; ++nth) {
            SCOPED_TRACE(f + " #" + std::to_string(nth));
            restoreLive();
            this->LoadWith(
                [&](HWND) { sim::FailCall(f, nth, f == "HeapAlloc" ? ERROR_NOT_ENOUGH_MEMORY : ERROR_ACCESS_DENIED); });
            sim::ClearFaults();
            ++runs;
            for (size_t p = 0; p < paths.size(); ++p) {
                const RegTree now = this->Dump(paths[p]);
                EXPECT_TRUE(now == before[p] || now == after[p]) << paths[p] << " half-loaded";
            }
        }
    }
    EXPECT_GT(runs, TypeParam::FailureRuns());
}

}  // namespace
