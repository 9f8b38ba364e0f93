// The identity walk over identities laid out as Outlook Express keeps them,
// and the gateway reader, against the simulation and, under Wine, the real
// registry; on the simulation also every failure of the walk with its
// message.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "ieoe/identities.h"
#include "ieoe/ieoe_group.h"
#include "snapshot/index_file.h"
#include "walk_recorder.h"
#include "tests/unit/ieoe/ieoe_test_util.h"

namespace {

using ieoetest::Sz;

using walktest::Visit;
walktest::WalkRecorder recorder;
std::vector<Visit>& visits = recorder.visits;

class IdentityWalkTest : public IeOeTest {
protected:
    void SetUp() override {
        IeOeTest::SetUp();
        recorder.Reset();
    }
    int Walk() { return recorder.Walk(WalkIdentities); }
};

constexpr char kGuidA[] = "{0C3F1A60-5E2B-11D3-9A3B-00A0C9D1A1B1}";
constexpr char kGuidB[] = "{7E0F2B41-1C2D-4E5F-8A9B-0C1D2E3F4A5B}";
constexpr char kGuidC[] = "{9F8E7D63-4C5B-4A39-8271-6A5B4C3D2E03}";

TEST_F(IdentityWalkTest, VisitsEveryIdentityInTheRegistrysOrder) {
    RegTree accounts;
    accounts.subkeys = {{"00000001", RegTree{}}};
    PutIdentity(kGuidC, "Tanaka", &accounts);
    PutIdentity(kGuidB, "メインユーザー", &accounts);
    PutIdentity(kGuidA, "", nullptr);
    ASSERT_EQ(1, Walk());
    ASSERT_EQ(3u, visits.size());
    EXPECT_EQ(kGuidA, visits[0].key);
    EXPECT_EQ("", visits[0].name);
    EXPECT_EQ(kGuidB, visits[1].key);
    EXPECT_EQ("メインユーザー", visits[1].name);
    EXPECT_EQ(kGuidC, visits[2].key);
    EXPECT_EQ("Tanaka", visits[2].name);
}

TEST_F(IdentityWalkTest, IdentitiesKeyWithoutSubkeysIsAnEmptyWalk) {
    Put("Identities", RegTree{});
    EXPECT_EQ(1, Walk());
    EXPECT_TRUE(visits.empty());
}

TEST_F(IdentityWalkTest, CallbackStopsTheWalk) {
    PutIdentity(kGuidA, "Taro", nullptr);
    PutIdentity(kGuidB, "Hanako", nullptr);
    recorder.stopAt = 0;
    EXPECT_EQ(-1, Walk());
    EXPECT_EQ(1u, visits.size());
}

TEST_F(IdentityWalkTest, UserNameWithoutTerminatorIsReadToItsSize) {
    RegTree identity;
    identity.values = {{"Username", REG_BINARY, "Jiro"}};
    Put(std::string("Identities\\") + kGuidA, identity);
    ASSERT_EQ(1, Walk());
    ASSERT_EQ(1u, visits.size());
    EXPECT_EQ("Jiro", visits[0].name);
}

TEST_F(IdentityWalkTest, RankCountsEarlierIdentitiesOfTheSameName) {
    PutIdentity(kGuidA, "Taro", nullptr);
    PutIdentity(kGuidB, "Taro", nullptr);
    PutIdentity("{99999999-0000-0000-0000-000000000000}", "Taro", nullptr);
    PutIdentity("{11111111-0000-0000-0000-000000000000}", "taro", nullptr);
    EXPECT_EQ(0, LiveIdentityRank(nullptr, kGuidA, "Taro"));
    EXPECT_EQ(1, LiveIdentityRank(nullptr, kGuidB, "Taro"));
    EXPECT_EQ(2, LiveIdentityRank(nullptr, "{99999999-0000-0000-0000-000000000000}", "Taro"));
}

TEST_F(IdentityWalkTest, GatewayReaderHandsOnEveryName) {
    WriteBytes(std::string(WorkDirectory) + "gateway", std::string("A\0\0\0\0B\0\0", 8));
    ASSERT_EQ(1, recorder.ReadIndex(kIeOeGroup.indexName));
    ASSERT_EQ(3u, visits.size());
    EXPECT_EQ("<null>", visits[0].key);
    EXPECT_EQ("A", visits[0].name);
    EXPECT_EQ("", visits[1].name);
    EXPECT_EQ("B", visits[2].name);
}

TEST_F(IdentityWalkTest, RecordCountIsWhatAReadingVisits) {
    const std::string path = std::string(WorkDirectory) + "gateway";
    EXPECT_EQ(0, CountIndexRecords(nullptr, WorkDirectory, kIeOeGroup.indexName)) << "no file yet";
    WriteBytes(path, std::string("x\0\0y\0\0z\0\0", 9));
    EXPECT_EQ(3, CountIndexRecords(nullptr, WorkDirectory, kIeOeGroup.indexName));
    WriteBytes(path, std::string("A\0\0B\0", 5));
    EXPECT_EQ(2, CountIndexRecords(nullptr, WorkDirectory, kIeOeGroup.indexName)) << "last pad byte missing";
    WriteBytes(path, std::string("A\0\0Bob", 6));
    EXPECT_EQ(2, CountIndexRecords(nullptr, WorkDirectory, kIeOeGroup.indexName)) << "last terminator missing";
    CHAR name[kIndexSnapshotNameSize];
    FormIndexSnapshotName("tcpip", 10, name);
    EXPECT_STREQ("tcpip.10", name);
}

#if BRV_SIM

using snaptest::OneSystemErrorBox;

TEST_F(IdentityWalkTest, NoIdentitiesKey) {
    EXPECT_EQ(0, Walk());
    EXPECT_TRUE(OneSystemErrorBox("レジストリキー\"HKEY_CURRENT_USER\\Identities\"に読み込みアクセスを適用できません。",
                                  ERROR_FILE_NOT_FOUND));
}

TEST_F(IdentityWalkTest, EnumerationFailure) {
    PutIdentity(kGuidA, "Taro", nullptr);
    sim::FailCall("RegEnumKeyExA", 2, ERROR_ACCESS_DENIED, "Identities");
    EXPECT_EQ(0, Walk());
    EXPECT_TRUE(OneSystemErrorBox("レジストリキー\"HKEY_CURRENT_USER\\Identities\"のサブキーを列挙できません。",
                                  ERROR_ACCESS_DENIED));
    EXPECT_EQ(1u, visits.size()) << "what was visited stays visited";
}

TEST_F(IdentityWalkTest, IdentityKeyThatCannotBeOpened) {
    PutIdentity(kGuidA, "Taro", nullptr);
    sim::RegDenyAccess(std::string("HKEY_CURRENT_USER\\Identities\\") + kGuidA, KEY_READ);
    EXPECT_EQ(0, Walk());
    EXPECT_TRUE(OneSystemErrorBox(std::string("レジストリキー\"HKEY_CURRENT_USER\\Identities\\") + kGuidA +
                                  "\"に読み込みアクセスを適用できません。"));
}

TEST_F(IdentityWalkTest, MissingUsernameStopsTheWalkEvenWhenOthersAreFine) {
    PutIdentity(kGuidB, "Hanako", nullptr);
    Put(std::string("Identities\\") + kGuidA, RegTree{});
    EXPECT_EQ(0, Walk());
    EXPECT_TRUE(OneSystemErrorBox("レジストリ値\"Username\"のサイズを取得できません。", ERROR_FILE_NOT_FOUND));
    EXPECT_TRUE(visits.empty());
}

TEST_F(IdentityWalkTest, UsernameDataThatCannotBeRead) {
    PutIdentity(kGuidA, "Taro", nullptr);
    sim::FailCall("RegQueryValueExA", 2, ERROR_ACCESS_DENIED, "Username");
    EXPECT_EQ(0, Walk());
    EXPECT_TRUE(OneSystemErrorBox("レジストリ値\"Username\"のデータを取得できません。", ERROR_ACCESS_DENIED));
}

TEST_F(IdentityWalkTest, NoMemoryForTheUserName) {
    PutIdentity(kGuidA, "Taro", nullptr);
    sim::FailCall("HeapAlloc", 1, ERROR_NOT_ENOUGH_MEMORY);
    EXPECT_EQ(0, Walk());
    EXPECT_TRUE(OneSystemErrorBox("レジストリ値\"Username\"のデータを取得できません。", ERROR_NOT_ENOUGH_MEMORY));
    EXPECT_TRUE(visits.empty());
}

TEST_F(IdentityWalkTest, SecondIdentityThatCannotBeOpenedKeepsTheFirstVisit) {
    PutIdentity(kGuidA, "Taro", nullptr);
    PutIdentity(kGuidB, "Hanako", nullptr);
    sim::RegDenyAccess(std::string("HKEY_CURRENT_USER\\Identities\\") + kGuidB, KEY_READ);
    EXPECT_EQ(0, Walk());
    EXPECT_TRUE(OneSystemErrorBox(std::string("レジストリキー\"HKEY_CURRENT_USER\\Identities\\") + kGuidB +
                                  "\"に読み込みアクセスを適用できません。"));
    EXPECT_EQ(1u, visits.size());
}

#endif

}  // namespace
