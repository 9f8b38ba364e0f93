// What the TCP/IP dialogs on template 111 are further asked, played by the
// scripted user: records that stay with their snapshots whatever was
// skipped on save, the header it requires, and the failure rows of an apply
// one connection at a time. The dialog bodies both groups share are tested
// over both records in tests/unit/settings/dialogs_test.cpp.
#include <gtest/gtest.h>

#include <functional>
#include <map>
#include <string>
#include <vector>

#include "snapshot/profile_file.h"
#include "snapshot/registry_snapshot.h"
#include "tcpip/tcpip_group.h"
#include "tests/unit/tcpip/tcpip_test_util.h"

namespace {

using snaptest::IsInformationBox;
using snaptest::IsSystemErrorBox;
using tcpiptest::AdapterPath;
using tcpiptest::DhcpInterface;
using tcpiptest::InterfacesPath;
using tcpiptest::kGuidEthernet;
using tcpiptest::kGuidExtra;
using tcpiptest::kGuidLocal2;
using tcpiptest::kGuidWifi;
using tcpiptest::StaticInterface;
using tcpiptest::Sz;
using Strings = std::vector<std::string>;

const char kMissingFormat[] =
    "選択したネットワークの項目のうち、\"%s\"を設定できません。ファイルのこのネットワークの設定は現行の設定に"
    "適用できません。Control Panelのネットワーク設定でこの名前のネットワークをあらかじめ作成しておいてから"
    "再試行する必要があります。";

std::string MissingMessage(const std::string& name) {
    char text[2048];
    wsprintfA(text, kMissingFormat, name.c_str());
    return text;
}

std::string Text(HWND dialog, int id) {
    char buffer[1024] = "";
    GetDlgItemTextA(dialog, id, buffer, sizeof buffer);
    return buffer;
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

class TcpipDialogTest : public TcpipTest {
protected:
    INT_PTR Run(DLGPROC proc, std::function<void(HWND)> script = nullptr) {
        if (script) sim::QueueDialogScript([script](HWND dialog, int) { script(dialog); });
        return DialogBoxParamA(GetModuleHandleA(nullptr), MAKEINTRESOURCEA(IDD_TCPIP), nullptr, proc, 0);
    }
    INT_PTR SaveWith(std::function<void(HWND)> before = nullptr) { return PressOk(TcpipSaveDialogProc, before); }
    INT_PTR LoadWith(std::function<void(HWND)> before = nullptr) { return PressOk(TcpipLoadDialogProc, before); }
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
    void EmptyWork() { ASSERT_TRUE(ClearWorkDirectory(WorkDirectory)); }
    // Unpacks the saved profile, lets `change` alter its files and packs it again.
    void RepackWith(const std::function<void()>& change) {
        ASSERT_NE(0, UnpackProfileFile(nullptr, ProfileFilePath, WorkDirectory));
        change();
        ASSERT_NE(0, PackProfileFile(nullptr, ProfileFilePath, WorkDirectory));
        EmptyWork();
    }
    // Three connections as a notebook has them, plus what else the class key holds.
    void Machine() {
        PutAdapter(kGuidEthernet, "イーサネット", StaticInterface("192.168.10.21", "192.168.10.1"));
        PutAdapter(kGuidWifi, "Wi-Fi", DhcpInterface("192.168.0.7"));
        PutAdapter(kGuidLocal2, "ローカル エリア接続 2", StaticInterface("10.0.0.5", "10.0.0.1"));
        PutOtherSubkeys();
    }
    size_t Boxes() const { return sim::MessageBoxes().size(); }
    // A tree that no save produced: what a change to the live machine leaves.
    static RegTree Changed(const std::string& marker) {
        RegTree tree = StaticInterface("172.16.0.9", "172.16.0.1");
        tree.values.push_back({"ChangedBy", REG_SZ, Sz(marker)});
        return tree;
    }
    void ReplaceLive(const std::string& guid, const RegTree& tree) {
        DeleteKeyTree(HKEY_LOCAL_MACHINE, InterfacesPath(guid));
        Put(InterfacesPath(guid), tree);
    }
};

// ---- save -------------------------------------------------------------------

TEST_F(TcpipDialogTest, PositionsOneAndThreeOfFourAreSavedAsZeroAndOne) {
    PutAdapter(kGuidEthernet, "A", StaticInterface("10.0.0.1", "10.0.0.254"));
    PutAdapter(kGuidWifi, "B", StaticInterface("10.0.0.2", "10.0.0.254"));
    PutAdapter(kGuidLocal2, "C", StaticInterface("10.0.0.3", "10.0.0.254"));
    PutAdapter(kGuidExtra, "D", StaticInterface("10.0.0.4", "10.0.0.254"));
    EXPECT_EQ(1, SaveWith([](HWND dialog) {
        Deselect(dialog);
        sim::ClickListItem(dialog, IDC_ENTRY_LIST, 1);
        sim::ClickListItem(dialog, IDC_ENTRY_LIST, 3);
    }));
    EXPECT_EQ(std::string("B\0\0D\0\0", 6), ReadBytes(Work("tcpip")));
    EXPECT_NE(std::string::npos, ReadBytes(Work("tcpip.0")).find("10.0.0.2"));
    EXPECT_NE(std::string::npos, ReadBytes(Work("tcpip.1")).find("10.0.0.4"));
    EXPECT_FALSE(FileExists(Work("tcpip.2")));
    EmptyWork();

    // Loading only the second entry (D) puts tcpip.1 into D and nothing else.
    const RegTree savedD = Dump(InterfacesPath(kGuidExtra));
    ReplaceLive(kGuidWifi, Changed("B"));
    ReplaceLive(kGuidExtra, Changed("D"));
    const RegTree changedB = Dump(InterfacesPath(kGuidWifi));
    EXPECT_EQ(1, LoadWith([](HWND dialog) {
        EXPECT_EQ((Strings{"B", "D"}), Entries(dialog));
        sim::ClickListItem(dialog, IDC_ENTRY_LIST, 0);
    }));
    EXPECT_EQ(savedD, Dump(InterfacesPath(kGuidExtra)));
    EXPECT_EQ(changedB, Dump(InterfacesPath(kGuidWifi)));
}

TEST_F(TcpipDialogTest, EmptyCommentIsALengthOfZeroWithRevisionOne) {
    PutAdapter(kGuidEthernet, "LAN1", StaticInterface("10.0.0.1", "10.0.0.254"));
    sim::SetComputerName("MYPC");
    EXPECT_EQ(1, SaveWith());
    EXPECT_EQ(std::string("\x01\x01\x04\0\0\0MYPC\0\0\0\0", 14), ReadBytes(Work("profile")));
}

// A folder that does not exist cannot take the file: the same message as
// a target that cannot be replaced.
TEST_F(TcpipDialogTest, TargetInAFolderThatDoesNotExistIsReportedOnceAndTheDialogStays) {
    Machine();
    wsprintfA(ProfileFilePath, "%sno such folder\\saved.ips", Dir().c_str());
    EXPECT_TRUE(StaysOpenAfterOk(TcpipSaveDialogProc));
    ASSERT_EQ(1u, Boxes());
    EXPECT_TRUE(IsSystemErrorBox(sim::MessageBoxes()[0], std::string(ProfileFilePath) + "に上書きできません。"));
    EXPECT_TRUE(ListFiles(WorkDirectory).empty());
}

// ---- save: a connection that is not saved leaves no gap ----------------------

class TcpipPairingTest : public TcpipDialogTest {
protected:
    void FourConnections() {
        PutAdapter(kGuidEthernet, "A", StaticInterface("10.0.0.1", "10.0.0.254"));
        PutAdapter(kGuidWifi, "B", StaticInterface("10.0.0.2", "10.0.0.254"));
        PutAdapter(kGuidLocal2, "C", StaticInterface("10.0.0.3", "10.0.0.254"));
        PutAdapter(kGuidExtra, "D", StaticInterface("10.0.0.4", "10.0.0.254"));
        for (const char* guid : {kGuidEthernet, kGuidWifi, kGuidLocal2, kGuidExtra})
            saved_[guid] = Dump(InterfacesPath(guid));
    }
    // Empties the work directory, changes every live tree and loads the
    // saved file with everything selected.
    void ChangeAndLoadAll() {
        EmptyWork();
        for (const auto& entry : saved_) ReplaceLive(entry.first, Changed(entry.first));
        boxesBefore_ = Boxes();
        ASSERT_EQ(1, LoadWith());
    }
    bool HasSaved(const char* guid) { return Dump(InterfacesPath(guid)) == saved_[guid]; }
    bool IsChanged(const char* guid) { return Dump(InterfacesPath(guid)) == snaptest::Sorted(Changed(guid)); }
    std::map<std::string, RegTree> saved_;
    size_t boxesBefore_ = 0;
};

TEST_F(TcpipPairingTest, ConnectionRenamedBeforeOkShiftsNothing) {
    FourConnections();
    EXPECT_EQ(1, SaveWith([](HWND) {
        // The user renames B in the Control Panel while the dialog is open.
        sim::RegPut("HKEY_LOCAL_MACHINE\\" + AdapterPath(kGuidWifi) + "\\Connection", "Name", REG_SZ, Sz("B2"));
    }));
    EXPECT_EQ(std::string("A\0\0C\0\0D\0\0", 9), ReadBytes(Work("tcpip")));
    EXPECT_EQ(0u, Boxes()) << "a connection gone since set-up is passed over silently";
    ChangeAndLoadAll();
    EXPECT_TRUE(HasSaved(kGuidEthernet));
    EXPECT_TRUE(HasSaved(kGuidLocal2));
    EXPECT_TRUE(HasSaved(kGuidExtra));
    EXPECT_TRUE(IsChanged(kGuidWifi));
}

TEST_F(TcpipPairingTest, RecordThatCannotBeWrittenShiftsNothing) {
    FourConnections();
    // The second record's terminator fails: the partial record is cut off.
    EXPECT_EQ(1, SaveWith([](HWND) { sim::FailCall("WriteFile", 4, ERROR_DISK_FULL, "tcpip"); }));
    EXPECT_EQ(std::string("A\0\0C\0\0D\0\0", 9), ReadBytes(Work("tcpip")));
    ASSERT_EQ(1u, Boxes());
    EXPECT_TRUE(IsSystemErrorBox(sim::MessageBoxes()[0],
                                 "アダプタの情報をテンポラリファイル\"" + Work("tcpip") + "\"に書き込めません。"));
    ChangeAndLoadAll();
    EXPECT_TRUE(HasSaved(kGuidEthernet));
    EXPECT_TRUE(IsChanged(kGuidWifi));
    EXPECT_TRUE(HasSaved(kGuidLocal2));
    EXPECT_TRUE(HasSaved(kGuidExtra));
}

TEST_F(TcpipPairingTest, IndexThatCannotBeOpenedOrMovedInSkipsOnlyThatConnection) {
    FourConnections();
    // CreateFileA on "tcpip": A's append (A's count finds no file), B's
    // count, B's append; SetFilePointer: A's append, C's append.
    EXPECT_EQ(1, SaveWith([](HWND) {
        sim::FailCall("CreateFileA", 3, ERROR_SHARING_VIOLATION, "tcpip");
        sim::FailCall("SetFilePointer", 2, ERROR_ACCESS_DENIED, "tcpip");
    }));
    EXPECT_EQ(std::string("A\0\0D\0\0", 6), ReadBytes(Work("tcpip")));
    ASSERT_EQ(2u, Boxes());
    EXPECT_TRUE(IsSystemErrorBox(sim::MessageBoxes()[0],
                                 "テンポラリファイル\"" + Work("tcpip") + "\"を作成し、書き込みアクセスを適用できません。"));
    EXPECT_TRUE(IsSystemErrorBox(sim::MessageBoxes()[1], "ファイルポインタを終端に移動できません。"));
    ChangeAndLoadAll();
    EXPECT_TRUE(HasSaved(kGuidEthernet));
    EXPECT_TRUE(IsChanged(kGuidWifi));
    EXPECT_TRUE(IsChanged(kGuidLocal2));
    EXPECT_TRUE(HasSaved(kGuidExtra));
}

TEST_F(TcpipPairingTest, InterfacesKeyThatCannotBeReadLeavesARecordWithoutSnapshot) {
    FourConnections();
    // The walk itself never opens an Interfaces key.
    sim::FailCall("RegOpenKeyExA", 1, ERROR_ACCESS_DENIED, InterfacesPath(kGuidWifi));
    EXPECT_EQ(1, SaveWith());
    EXPECT_EQ(std::string("A\0\0B\0\0C\0\0D\0\0", 12), ReadBytes(Work("tcpip")));
    EXPECT_FALSE(FileExists(Work("tcpip.1")));
    ASSERT_EQ(1u, Boxes());
    EXPECT_TRUE(IsSystemErrorBox(sim::MessageBoxes()[0],
                                 "レジストリキー\"HKEY_LOCAL_MACHINE\\SYSTEM\\CurrentControlSet\\Services\\Tcpip\\"
                                 "Parameters\\Interfaces\\" + std::string(kGuidWifi) +
                                     "\"に読み込みアクセスを適用できません。"));
    ChangeAndLoadAll();
    EXPECT_TRUE(HasSaved(kGuidEthernet));
    EXPECT_TRUE(IsChanged(kGuidWifi)) << "its snapshot is missing: the live tree stays";
    EXPECT_TRUE(HasSaved(kGuidLocal2));
    EXPECT_TRUE(HasSaved(kGuidExtra));
    ASSERT_EQ(boxesBefore_ + 1, Boxes());
    EXPECT_TRUE(IsSystemErrorBox(sim::MessageBoxes().back(), "レジストリをロードするためのテンポラリファイル\"" +
                                                                 Work("tcpip.1") + "\"に読み込みアクセスを適用できません。"));
}

// ---- load -------------------------------------------------------------------

class TcpipLoadTest : public TcpipDialogTest {
protected:
    // Saves the machine with a comment, empties the work directory and
    // changes every live tree.
    void SaveAndChange() {
        Machine();
        ASSERT_EQ(1, SaveWith([](HWND dialog) { sim::Type(dialog, IDC_COMMENT, "自宅"); }));
        EmptyWork();
        for (const char* guid : {kGuidEthernet, kGuidWifi, kGuidLocal2}) {
            saved_[guid] = Dump(InterfacesPath(guid));
            ReplaceLive(guid, Changed(guid));
            changed_[guid] = Dump(InterfacesPath(guid));
        }
        sim::ForgetCallCounts();
        boxesBefore_ = Boxes();
    }
    bool Is(const std::map<std::string, RegTree>& trees, const char* guid) {
        return Dump(InterfacesPath(guid)) == trees.at(guid);
    }
    std::map<std::string, RegTree> saved_, changed_;
    size_t boxesBefore_ = 0;
};

TEST_F(TcpipLoadTest, InterfacesKeyThatDoesNotExistYetIsCreated) {
    SaveAndChange();
    DeleteKeyTree(HKEY_LOCAL_MACHINE, InterfacesPath(kGuidWifi));
    EXPECT_EQ(1, LoadWith());
    EXPECT_TRUE(Is(saved_, kGuidWifi));
    EXPECT_EQ(boxesBefore_, Boxes());
}

TEST_F(TcpipLoadTest, MiddleConnectionMissingStopsThereUntilItIsDeselected) {
    SaveAndChange();
    // "イーサネット" (position 1) does not exist on this machine.
    DeleteKeyTree(HKEY_LOCAL_MACHINE, AdapterPath(kGuidEthernet));
    INT_PTR result = Run(TcpipLoadDialogProc, [&](HWND dialog) {
        sim::Click(dialog, IDOK);
        EXPECT_FALSE(sim::DialogEnded(dialog));
        ASSERT_EQ(boxesBefore_ + 1, Boxes());
        EXPECT_TRUE(IsInformationBox(sim::MessageBoxes().back(), MissingMessage("イーサネット")));
        EXPECT_TRUE(Is(saved_, kGuidWifi)) << "the first was applied";
        EXPECT_TRUE(Is(changed_, kGuidLocal2)) << "the third was not";
        sim::ClickListItem(dialog, IDC_ENTRY_LIST, 1);
        sim::Click(dialog, IDOK);
    });
    EXPECT_EQ(1, result);
    EXPECT_TRUE(Is(saved_, kGuidWifi));
    EXPECT_TRUE(Is(saved_, kGuidLocal2));
    EXPECT_TRUE(Is(changed_, kGuidEthernet));
    EXPECT_EQ(boxesBefore_ + 1, Boxes());
}

TEST_F(TcpipLoadTest, EveryItemDeselectedEndsWithOneWithoutTouchingTheRegistry) {
    SaveAndChange();
    const int writes = sim::CallCount("RegSetValueExA") + sim::CallCount("RegDeleteKeyA");
    EXPECT_EQ(1, LoadWith(Deselect));
    EXPECT_EQ(writes, sim::CallCount("RegSetValueExA") + sim::CallCount("RegDeleteKeyA"));
    for (const char* guid : {kGuidEthernet, kGuidWifi, kGuidLocal2}) EXPECT_TRUE(Is(changed_, guid)) << guid;
}

TEST_F(TcpipLoadTest, CancelEndsWithTwoWithoutTouchingTheRegistry) {
    SaveAndChange();
    EXPECT_EQ(2, Run(TcpipLoadDialogProc, [](HWND dialog) { sim::Click(dialog, IDCANCEL); }));
    for (const char* guid : {kGuidEthernet, kGuidWifi, kGuidLocal2}) EXPECT_TRUE(Is(changed_, guid)) << guid;
}

TEST_F(TcpipLoadTest, HeaderOfFiveBytesIsDamaged) {
    SaveAndChange();
    RepackWith([&] { WriteBytes(Work("profile"), std::string("\x01\x01\x06\0\0", 5)); });
    EXPECT_EQ(2, Run(TcpipLoadDialogProc));
    ASSERT_EQ(boxesBefore_ + 1, Boxes());
    EXPECT_TRUE(IsInformationBox(sim::MessageBoxes().back(), "ファイルが破損しています。"));
}

TEST_F(TcpipLoadTest, FileWithoutHeaderIsRefused) {
    SaveAndChange();
    RepackWith([&] { DeleteFileA(Work("profile").c_str()); });
    EXPECT_EQ(2, Run(TcpipLoadDialogProc));
    ASSERT_EQ(boxesBefore_ + 1, Boxes());
    EXPECT_TRUE(IsSystemErrorBox(sim::MessageBoxes().back(),
                                 "テンポラリファイル\"" + Work("profile") + "\"に読み込みアクセスを適用できません。"));
}

TEST_F(TcpipLoadTest, RevisionZeroShowsAnEmptyReadOnlyComment) {
    SaveAndChange();
    RepackWith([&] { WriteBytes(Work("profile"), std::string("\x01\x00\x06\0\0\0HOMEPC", 12)); });
    EXPECT_EQ(1, LoadWith([](HWND dialog) {
        EXPECT_EQ("HOMEPC", Text(dialog, IDC_SOURCE_NAME));
        EXPECT_EQ("", Text(dialog, IDC_COMMENT));
        sim::Type(dialog, IDC_COMMENT, "typed");
        EXPECT_EQ("", Text(dialog, IDC_COMMENT)) << "read-only";
    }));
}

TEST_F(TcpipLoadTest, EmptyIndexGivesAnEmptyListAndOkEndsWithOne) {
    SaveAndChange();
    RepackWith([&] { WriteBytes(Work("tcpip"), ""); });
    EXPECT_EQ(1, LoadWith([](HWND dialog) { EXPECT_TRUE(Entries(dialog).empty()); }));
    EXPECT_EQ(boxesBefore_, Boxes());
}

TEST_F(TcpipLoadTest, IndexThatCannotBeReadEndsTheSetUp) {
    SaveAndChange();
    sim::FailCall("ReadFile", 1, ERROR_READ_FAULT, "tcpip");
    EXPECT_EQ(2, Run(TcpipLoadDialogProc));
    ASSERT_EQ(boxesBefore_ + 1, Boxes());
    EXPECT_TRUE(IsSystemErrorBox(sim::MessageBoxes().back(),
                                 "アダプタの情報をテンポラリファイル\"" + Work("tcpip") + "\"から読み込めません。"));
    sim::FailCall("GetFileSize", 1, ERROR_ACCESS_DENIED, "tcpip");
    EXPECT_EQ(2, Run(TcpipLoadDialogProc));
    ASSERT_EQ(boxesBefore_ + 2, Boxes());
    EXPECT_TRUE(IsSystemErrorBox(sim::MessageBoxes().back(),
                                 "テンポラリファイル\"" + Work("tcpip") + "\"のサイズを取得できません。"));
}

TEST_F(TcpipLoadTest, KeyThatCannotBeCreatedIsReportedPutBackAndTheNextGoesOn) {
    SaveAndChange();
    const std::string path = InterfacesPath(kGuidWifi);
    EXPECT_EQ(1, LoadWith([&](HWND) { sim::FailCall("RegCreateKeyExA", 1, ERROR_ACCESS_DENIED, path); }));
    EXPECT_TRUE(Is(changed_, kGuidWifi)) << "the live tree is back";
    EXPECT_TRUE(Is(saved_, kGuidEthernet));
    EXPECT_TRUE(Is(saved_, kGuidLocal2));
    ASSERT_EQ(boxesBefore_ + 2, Boxes());
    const auto& boxes = sim::MessageBoxes();
    EXPECT_TRUE(IsSystemErrorBox(boxes[boxesBefore_],
                                 "レジストリキー\"HKEY_LOCAL_MACHINE\\" + path + "\"を作成し、フルアクセスを適用できません。"));
    EXPECT_TRUE(IsInformationBox(boxes[boxesBefore_ + 1], "レジストリキー\"HKEY_LOCAL_MACHINE\\" + path +
                                                              "\"に設定を書き込めなかったため、元の設定に戻しました。"));
}

TEST_F(TcpipLoadTest, TreeThatCannotBeClearedIsPutBackAndTheNextGoesOn) {
    SaveAndChange();
    const std::string path = InterfacesPath(kGuidWifi);
    EXPECT_EQ(1, LoadWith([&](HWND) { sim::FailCall("RegDeleteKeyA", 1, ERROR_ACCESS_DENIED, path); }));
    EXPECT_TRUE(Is(changed_, kGuidWifi));
    EXPECT_TRUE(Is(saved_, kGuidEthernet));
    EXPECT_TRUE(Is(saved_, kGuidLocal2));
    ASSERT_EQ(boxesBefore_ + 2, Boxes());
    EXPECT_EQ(std::string::npos, sim::MessageBoxes()[boxesBefore_].text.find("元の設定"));
    EXPECT_TRUE(IsInformationBox(sim::MessageBoxes()[boxesBefore_ + 1], "レジストリキー\"HKEY_LOCAL_MACHINE\\" + path +
                                                                            "\"に設定を書き込めなかったため、元の設定に戻しました。"));
}

TEST_F(TcpipLoadTest, FailedWalkIsReportedAndTheNextEntriesAreStillTried) {
    SaveAndChange();
    EXPECT_EQ(1, LoadWith([](HWND) {
        sim::FailCall("RegOpenKeyExA", 1, ERROR_ACCESS_DENIED, "{4D36E972-E325-11CE-BFC1-08002BE10318}");
    }));
    EXPECT_TRUE(Is(changed_, kGuidWifi));
    EXPECT_TRUE(Is(saved_, kGuidEthernet));
    EXPECT_TRUE(Is(saved_, kGuidLocal2));
    ASSERT_EQ(boxesBefore_ + 1, Boxes());
    EXPECT_TRUE(IsSystemErrorBox(sim::MessageBoxes().back(),
                                 "レジストリキー\"HKEY_LOCAL_MACHINE\\SYSTEM\\CurrentControlSet\\Control\\Network\\"
                                 "{4D36E972-E325-11CE-BFC1-08002BE10318}\"に読み込みアクセスを適用できません。"));
}

TEST_F(TcpipLoadTest, ApplyingTwiceGivesTheSameAsOnce) {
    SaveAndChange();
    INT_PTR result = Run(TcpipLoadDialogProc, [&](HWND dialog) {
        // The first OK stops at a connection removed meanwhile, the second applies all.
        const std::string connection = "HKEY_LOCAL_MACHINE\\" + AdapterPath(kGuidLocal2) + "\\Connection";
        sim::RegPut(connection, "Name", REG_SZ, Sz("gone"));
        sim::Click(dialog, IDOK);
        sim::RegPut(connection, "Name", REG_SZ, Sz("ローカル エリア接続 2"));
        sim::Click(dialog, IDOK);
    });
    EXPECT_EQ(1, result);
    for (const char* guid : {kGuidEthernet, kGuidWifi, kGuidLocal2}) EXPECT_TRUE(Is(saved_, guid)) << guid;
}

// ---- a tree that cannot be put back ------------------------------------------

// A value that can be written neither from the file nor back: the
// connection's tree is kept as a TCP/IP profile that this dialog loads, and
// loading it brings the tree back.
TEST_F(TcpipLoadTest, TreeThatCannotBePutBackIsKeptAsAProfileThatLoadsItBack) {
    SaveAndChange();
    const std::string temp = Dir() + "Temp\\";
    ASSERT_TRUE(CreateDirectoryA(temp.c_str(), nullptr));
    sim::SetTempPath(temp);
    const std::string kept = temp + "Brelvane-backup-1.ips";
    EXPECT_EQ(1, LoadWith([&](HWND) {
        sim::FailCallsFrom("RegSetValueExA", 1, ERROR_ACCESS_DENIED, InterfacesPath(kGuidWifi) + "\\EnableDHCP");
    }));
    sim::ClearFaults();
    EXPECT_TRUE(IsInformationBox(sim::MessageBoxes().back(),
                                 "レジストリキー\"HKEY_LOCAL_MACHINE\\" + InterfacesPath(kGuidWifi) +
                                     "\"に設定を書き込めず、元の設定にも戻せませんでした。元の設定はファイル\"" + kept +
                                     "\"に保存しました。このファイルをロードすると元の設定に戻ります。"));
    EXPECT_TRUE(Is(saved_, kGuidEthernet));
    EXPECT_TRUE(Is(saved_, kGuidLocal2));
    EmptyWork();
    lstrcpyA(ProfileFilePath, kept.c_str());
    EXPECT_EQ(1, LoadWith([](HWND dialog) { EXPECT_EQ((Strings{"Wi-Fi"}), Entries(dialog)); }));
    EXPECT_TRUE(Is(changed_, kGuidWifi));
    EXPECT_TRUE(Is(saved_, kGuidEthernet));
}
}  // namespace
