// The adapter walk and the tcpip reader, against the simulation and, under
// Wine, the real registry; on the simulation also every failure of the walk
// with its message.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "snapshot/index_file.h"
#include "tcpip/adapters.h"
#include "tcpip/tcpip_group.h"
#include "tests/unit/tcpip/tcpip_test_util.h"
#include "walk_recorder.h"

namespace {

using tcpiptest::AdapterPath;
using tcpiptest::kGuidEthernet;
using tcpiptest::kGuidExtra;
using tcpiptest::kGuidLocal2;
using tcpiptest::kGuidWifi;
using tcpiptest::StaticInterface;
using tcpiptest::Sz;

using walktest::Visit;
walktest::WalkRecorder recorder;
std::vector<Visit>& visits = recorder.visits;

class AdapterWalkTest : public TcpipTest {
protected:
    void SetUp() override {
        TcpipTest::SetUp();
        recorder.Reset();
    }
    int Walk() { return recorder.Walk(WalkAdapters); }
    int ReadIndex(const std::string& bytes) {
        WriteBytes(std::string(WorkDirectory) + "tcpip", bytes);
        return recorder.ReadIndex(kTcpipGroup.indexName);
    }
    std::vector<std::string> Names() const { return recorder.Names(); }
    void ThreeConnections() {
        PutConnection(kGuidLocal2, "ローカル エリア接続 2");
        PutConnection(kGuidEthernet, "イーサネット");
        PutConnection(kGuidWifi, "Wi-Fi");
        PutOtherSubkeys();
    }
};

TEST_F(AdapterWalkTest, VisitsEveryConnectionInTheRegistrysOrderAndNothingElse) {
    ThreeConnections();
    ASSERT_EQ(1, Walk());
    ASSERT_EQ(3u, visits.size()) << "neither the Ndi subkey nor Descriptions";
    EXPECT_EQ(kGuidEthernet, visits[0].key);
    EXPECT_EQ("イーサネット", visits[0].name);
    EXPECT_EQ(kGuidWifi, visits[1].key);
    EXPECT_EQ("Wi-Fi", visits[1].name);
    EXPECT_EQ(kGuidLocal2, visits[2].key);
    EXPECT_EQ("ローカル エリア接続 2", visits[2].name);
}

TEST_F(AdapterWalkTest, SubkeyWithNdiIsNeverVisitedEvenWithAConnectionName) {
    PutOtherSubkeys();
    EXPECT_EQ(1, Walk());
    EXPECT_TRUE(visits.empty());
}

TEST_F(AdapterWalkTest, ClassKeyWithoutSubkeysIsAnEmptyWalk) {
    Put(tcpiptest::kClassKey, RegTree{});
    EXPECT_EQ(1, Walk());
    EXPECT_TRUE(visits.empty());
}

TEST_F(AdapterWalkTest, CallbackStoppingAtTheSecondEndsTheWalk) {
    ThreeConnections();
    recorder.stopAt = 1;
    EXPECT_EQ(-1, Walk());
    EXPECT_EQ(2u, visits.size());
}

TEST_F(AdapterWalkTest, NameWithoutTerminatorIsReadToItsSize) {
    RegTree connection;
    connection.values = {{"Name", REG_BINARY, "LAN9"}};
    Put(AdapterPath(kGuidEthernet) + "\\Connection", connection);
    RegTree cut;
    cut.values = {{"Name", REG_BINARY, std::string("AB\0CD", 5)}};
    Put(AdapterPath(kGuidWifi) + "\\Connection", cut);
    ASSERT_EQ(1, Walk());
    EXPECT_EQ((std::vector<std::string>{"LAN9", "AB"}), Names());
}

TEST_F(AdapterWalkTest, RankCountsEarlierConnectionsOfTheSameName) {
    PutConnection(kGuidEthernet, "LAN");
    PutConnection(kGuidWifi, "lan");
    PutConnection(kGuidLocal2, "LAN");
    PutConnection(kGuidExtra, "LAN");
    PutOtherSubkeys();
    EXPECT_EQ(0, LiveAdapterRank(nullptr, kGuidEthernet, "LAN"));
    EXPECT_EQ(1, LiveAdapterRank(nullptr, kGuidLocal2, "LAN"));
    EXPECT_EQ(2, LiveAdapterRank(nullptr, kGuidExtra, "LAN"));
    EXPECT_EQ(0, LiveAdapterRank(nullptr, kGuidWifi, "lan"));
    EXPECT_EQ(3, LiveAdapterRank(nullptr, "{gone}", "LAN")) << "a connection gone ranks after the others";
}

// ---- the tcpip reader ----------------------------------------------------------

TEST_F(AdapterWalkTest, IndexOfLan1AndLan2GivesTwoNamesWithoutKeyName) {
    ASSERT_EQ(1, ReadIndex(std::string("\x4C\x41\x4E\x31\0\0\x4C\x41\x4E\x32\0\0", 12)));
    ASSERT_EQ(2u, visits.size());
    EXPECT_EQ("LAN1", visits[0].name);
    EXPECT_EQ("LAN2", visits[1].name);
    for (const Visit& v : visits) EXPECT_EQ("<null>", v.key);
}

TEST_F(AdapterWalkTest, IndexReaderStaysInsideTheData) {
    EXPECT_EQ(1, ReadIndex(""));
    EXPECT_TRUE(visits.empty()) << "a 0-byte index";
    EXPECT_EQ(1, ReadIndex(std::string("Wi-Fi\0\0LAN\0", 11)));
    EXPECT_EQ((std::vector<std::string>{"Wi-Fi", "LAN"}), Names()) << "last pad byte missing";
    visits.clear();
    EXPECT_EQ(1, ReadIndex(std::string("Wi-Fi\0\0", 7) + "イーサ"));
    EXPECT_EQ((std::vector<std::string>{"Wi-Fi", "イーサ"}), Names()) << "last terminator missing";
    visits.clear();
    recorder.stopAt = 0;
    EXPECT_EQ(-1, ReadIndex(std::string("A\0\0B\0\0", 6)));
    EXPECT_EQ(1u, visits.size());
}

#if BRV_SIM

using snaptest::OneSystemErrorBox;

const std::string kClassName = "HKEY_LOCAL_MACHINE\\SYSTEM\\CurrentControlSet\\Control\\Network\\"
                               "{4D36E972-E325-11CE-BFC1-08002BE10318}";

TEST_F(AdapterWalkTest, NoClassKey) {
    EXPECT_EQ(0, Walk());
    EXPECT_TRUE(OneSystemErrorBox("レジストリキー\"" + kClassName + "\"に読み込みアクセスを適用できません。",
                                  ERROR_FILE_NOT_FOUND));
}

TEST_F(AdapterWalkTest, EnumerationFailureKeepsWhatWasVisited) {
    ThreeConnections();
    sim::FailCall("RegEnumKeyExA", 4, ERROR_ACCESS_DENIED, "{4D36E972-E325-11CE-BFC1-08002BE10318}");
    EXPECT_EQ(0, Walk());
    EXPECT_TRUE(OneSystemErrorBox("レジストリキー\"" + kClassName + "\"のサブキーを列挙できません。",
                                  ERROR_ACCESS_DENIED));
    EXPECT_EQ(1u, visits.size()) << "Descriptions, {0B...} (Ndi), イーサネット, then the failure";
}

TEST_F(AdapterWalkTest, AdapterKeyThatCannotBeOpenedNamesSystemTwice) {
    ThreeConnections();
    sim::RegDenyAccess("HKEY_LOCAL_MACHINE\\" + AdapterPath(kGuidWifi), KEY_READ);
    EXPECT_EQ(0, Walk());
    EXPECT_TRUE(OneSystemErrorBox("レジストリキー\"HKEY_LOCAL_MACHINE\\SYSTEM\\SYSTEM\\CurrentControlSet\\Control\\"
                                  "Network\\{4D36E972-E325-11CE-BFC1-08002BE10318}\\" + std::string(kGuidWifi) +
                                      "\"に読み込みアクセスを適用できません。",
                                  ERROR_ACCESS_DENIED));
    EXPECT_EQ(1u, visits.size()) << "the connections after it are not visited";
}

TEST_F(AdapterWalkTest, NdiThatCannotBeOpenedOtherThanMissing) {
    ThreeConnections();
    sim::FailCall("RegOpenKeyExA", 1, ERROR_ACCESS_DENIED, kGuidEthernet + std::string("\\Ndi"));
    EXPECT_EQ(0, Walk());
    EXPECT_TRUE(OneSystemErrorBox("レジストリキー\"" + kClassName + "\\" + kGuidEthernet +
                                      "\\Ndi\"に読み込みアクセスを適用できません。",
                                  ERROR_ACCESS_DENIED));
    EXPECT_TRUE(visits.empty());
}

TEST_F(AdapterWalkTest, ConnectionThatCannotBeOpenedOtherThanMissing) {
    ThreeConnections();
    sim::FailCall("RegOpenKeyExA", 1, ERROR_ACCESS_DENIED, kGuidWifi + std::string("\\Connection"));
    EXPECT_EQ(0, Walk());
    EXPECT_TRUE(OneSystemErrorBox("レジストリキー\"" + kClassName + "\\" + kGuidWifi +
                                      "\\Connection\"に読み込みアクセスを適用できません。",
                                  ERROR_ACCESS_DENIED));
    EXPECT_EQ(1u, visits.size());
}

TEST_F(AdapterWalkTest, ConnectionWithoutNameEndsTheWalkWithTheSizeMessage) {
    ThreeConnections();
    Put(AdapterPath("{00000000-0000-0000-0000-000000000000}") + "\\Connection", RegTree{});
    EXPECT_EQ(0, Walk());
    EXPECT_TRUE(OneSystemErrorBox("レジストリキー\"" + kClassName +
                                      "\\{00000000-0000-0000-0000-000000000000}\\Connection\\Name\"のサイズを取得できません。",
                                  ERROR_FILE_NOT_FOUND));
    EXPECT_TRUE(visits.empty()) << "it sorts first; nothing after it is visited";
}

TEST_F(AdapterWalkTest, NameDataThatCannotBeRead) {
    ThreeConnections();
    sim::FailCall("RegQueryValueExA", 2, ERROR_ACCESS_DENIED, "Name");
    EXPECT_EQ(0, Walk());
    EXPECT_TRUE(OneSystemErrorBox("レジストリキー\"" + kClassName + "\\" + kGuidEthernet +
                                      "\\Connection\\Name\"のデータを取得できません。",
                                  ERROR_ACCESS_DENIED));
    sim::ClearFaults();
    sim::FailCall("HeapAlloc", 1, ERROR_NOT_ENOUGH_MEMORY);
    EXPECT_EQ(0, Walk());
    ASSERT_EQ(2u, sim::MessageBoxes().size());
    EXPECT_TRUE(snaptest::IsSystemErrorBox(sim::MessageBoxes()[1], "レジストリキー\"" + kClassName + "\\" +
                                                                       kGuidEthernet +
                                                                       "\\Connection\\Name\"のデータを取得できません。"));
}

TEST_F(AdapterWalkTest, RankAfterAReportedFailureIsMinusOne) {
    ThreeConnections();
    sim::FailCall("RegOpenKeyExA", 1, ERROR_ACCESS_DENIED, "{4D36E972-E325-11CE-BFC1-08002BE10318}");
    EXPECT_EQ(-1, LiveAdapterRank(nullptr, kGuidWifi, "Wi-Fi"));
    EXPECT_EQ(1u, sim::MessageBoxes().size());
}

TEST_F(AdapterWalkTest, IndexThatCannotBeOpened) {
    EXPECT_EQ(0, recorder.ReadIndex(kTcpipGroup.indexName));
    EXPECT_TRUE(OneSystemErrorBox("テンポラリファイル\"" + std::string(WorkDirectory) +
                                      "tcpip\"に読み込みアクセスを適用できません。",
                                  ERROR_FILE_NOT_FOUND));
}

#endif

}  // namespace
