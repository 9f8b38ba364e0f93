// The named bad profiles of tests/data/tcpip, each packed into a profile
// file and loaded through the load dialog with everything selected, on a
// machine with the connections LAN1 and LAN2.
#include <gtest/gtest.h>

#include <fstream>
#include <iterator>
#include <string>

#include "snapshot/profile_file.h"
#include "tcpip/tcpip_group.h"
#include "tests/support/unpacked_profile.h"
#include "tests/unit/tcpip/tcpip_test_util.h"

namespace {

using snaptest::IsInformationBox;
using snaptest::IsSystemErrorBox;
using tcpiptest::InterfacesPath;
using tcpiptest::kGuidEthernet;
using tcpiptest::kGuidWifi;

const char* const kNames[] = {"profile", "tcpip", "tcpip.0", "tcpip.1", "tcpip.2", "tcpip.0.0", "tcpip.1.0"};

// Whether the tree holds the address the bad profiles give that record.
bool HasAddress(const RegTree& tree, const std::string& address) {
    for (const RegValue& v : tree.values)
        if (v.name == "IPAddress" && v.data == address + std::string(2, '\0')) return true;
    return false;
}

class TcpipBadProfileTest : public TcpipTest {
protected:
    void SetUp() override {
        TcpipTest::SetUp();
        PutAdapter(kGuidEthernet, "LAN1", tcpiptest::StaticInterface("192.168.1.11", "192.168.1.1"));
        PutAdapter(kGuidWifi, "LAN2", tcpiptest::DhcpInterface("192.168.2.22"));
        lan1_ = Dump(InterfacesPath(kGuidEthernet));
        lan2_ = Dump(InterfacesPath(kGuidWifi));
    }
    // Packs the named bad profile and runs the load dialog, OK at once.
    INT_PTR Load(const std::string& name) {
        std::ifstream in(std::string(BRV_TEST_DATA) + "/tcpip/" + name, std::ios::binary);
        EXPECT_TRUE(in.good()) << name;
        const std::string bytes((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
        EXPECT_TRUE(unpacked::WriteParts(bytes, kNames, sizeof kNames / sizeof kNames[0], WorkDirectory));
        EXPECT_NE(0, PackProfileFile(nullptr, ProfileFilePath, WorkDirectory));
        EXPECT_TRUE(ClearWorkDirectory(WorkDirectory));
        sim::QueueDialogScript([](HWND dialog, int) { sim::Click(dialog, IDOK); });
        return DialogBoxParamA(nullptr, MAKEINTRESOURCEA(IDD_TCPIP), nullptr, TcpipLoadDialogProc, 0);
    }
    bool LiveUnchanged() { return Dump(InterfacesPath(kGuidEthernet)) == lan1_ && Dump(InterfacesPath(kGuidWifi)) == lan2_; }
    std::string Work(const std::string& name) const { return std::string(WorkDirectory) + name; }
    RegTree lan1_, lan2_;
};

TEST_F(TcpipBadProfileTest, MissingSnapshotLeavesItsConnectionAloneAndTheNextIsApplied) {
    EXPECT_EQ(1, Load("tcpip-snapshot-missing.unpacked"));
    EXPECT_EQ(lan1_, Dump(InterfacesPath(kGuidEthernet)));
    EXPECT_TRUE(HasAddress(Dump(InterfacesPath(kGuidWifi)), "10.2.2.2"));
    ASSERT_EQ(1u, sim::MessageBoxes().size());
    EXPECT_TRUE(IsSystemErrorBox(sim::MessageBoxes()[0], "レジストリをロードするためのテンポラリファイル\"" +
                                                             Work("tcpip.0") + "\"に読み込みアクセスを適用できません。"));
}

TEST_F(TcpipBadProfileTest, DamagedSnapshotLeavesItsConnectionAlone) {
    EXPECT_EQ(1, Load("tcpip-snapshot-damaged.unpacked"));
    EXPECT_EQ(lan1_, Dump(InterfacesPath(kGuidEthernet)));
    EXPECT_TRUE(HasAddress(Dump(InterfacesPath(kGuidWifi)), "10.2.2.2"));
    ASSERT_EQ(1u, sim::MessageBoxes().size());
    EXPECT_TRUE(IsInformationBox(sim::MessageBoxes()[0], "レジストリをロードしようとしましたが、テンポラリファイル\"" +
                                                             Work("tcpip.0") + "\"が破損しています。"));
}

TEST_F(TcpipBadProfileTest, MissingSubkeySnapshotLeavesItsConnectionAlone) {
    EXPECT_EQ(1, Load("tcpip-subkey-snapshot-missing.unpacked"));
    EXPECT_EQ(lan1_, Dump(InterfacesPath(kGuidEthernet)));
    EXPECT_TRUE(HasAddress(Dump(InterfacesPath(kGuidWifi)), "10.2.2.2"));
    ASSERT_EQ(1u, sim::MessageBoxes().size());
    EXPECT_NE(std::string::npos, sim::MessageBoxes()[0].text.find(Work("tcpip.0.0")));
}

TEST_F(TcpipBadProfileTest, RecordsOutOfOrderPairWithTheirOwnSnapshots) {
    EXPECT_EQ(1, Load("tcpip-out-of-order.unpacked"));
    EXPECT_TRUE(HasAddress(Dump(InterfacesPath(kGuidWifi)), "10.1.1.1")) << "LAN2 is record 0";
    EXPECT_TRUE(HasAddress(Dump(InterfacesPath(kGuidEthernet)), "10.2.2.2"));
    EXPECT_TRUE(sim::MessageBoxes().empty());
}

TEST_F(TcpipBadProfileTest, UnterminatedLastRecordIsTakenToTheEnd) {
    EXPECT_EQ(1, Load("tcpip-last-record-unterminated.unpacked"));
    EXPECT_TRUE(HasAddress(Dump(InterfacesPath(kGuidEthernet)), "10.1.1.1"));
    EXPECT_TRUE(HasAddress(Dump(InterfacesPath(kGuidWifi)), "10.2.2.2"));
    EXPECT_TRUE(sim::MessageBoxes().empty());
}

TEST_F(TcpipBadProfileTest, EmptyIndexChangesNothing) {
    EXPECT_EQ(1, Load("tcpip-empty.unpacked"));
    EXPECT_TRUE(LiveUnchanged());
    EXPECT_TRUE(sim::MessageBoxes().empty());
}

TEST_F(TcpipBadProfileTest, MissingIndexEndsTheSetUp) {
    EXPECT_EQ(2, Load("tcpip-missing.unpacked"));
    EXPECT_TRUE(LiveUnchanged());
    ASSERT_EQ(1u, sim::MessageBoxes().size());
    EXPECT_TRUE(IsSystemErrorBox(sim::MessageBoxes()[0],
                                 "テンポラリファイル\"" + Work("tcpip") + "\"に読み込みアクセスを適用できません。"));
}

TEST_F(TcpipBadProfileTest, HeadersThatAreForeignOrDamagedAreRefused) {
    const struct {
        const char* file;
        const char* text;
    } cases[] = {{"header-ieoe-kind.unpacked", "バージョンが一致しません。"},
                 {"header-too-short.unpacked", "ファイルが破損しています。"},
                 {"header-name-past-end.unpacked", "ファイルが破損しています。"}};
    size_t boxes = 0;
    for (const auto& c : cases) {
        SCOPED_TRACE(c.file);
        EXPECT_TRUE(ClearWorkDirectory(WorkDirectory));
        EXPECT_EQ(2, Load(c.file));
        ASSERT_EQ(++boxes, sim::MessageBoxes().size());
        EXPECT_TRUE(IsInformationBox(sim::MessageBoxes().back(), c.text));
        EXPECT_TRUE(LiveUnchanged());
    }
}

}  // namespace
