// The named bad profiles of tests/data/ieoe, each packed into a profile file
// and loaded through the load dialog with everything selected.
#include <gtest/gtest.h>

#include <fstream>
#include <iterator>
#include <string>

#include "ieoe/ieoe_group.h"
#include "resources/resource.h"
#include "snapshot/profile_file.h"
#include "tests/support/unpacked_profile.h"
#include "tests/unit/ieoe/ieoe_test_util.h"

namespace {

using ieoetest::Accounts;
using ieoetest::kSettings;
using ieoetest::MailAccount;

const char* const kNames[] = {"profile",     "gateway", "gateway.0", "gateway.1", "gateway.0.0",
                              "gateway.1.0", "proxy",   "proxy.0",   "proxy.1",   "proxy.0.0"};
constexpr char kGuidTaro[] = "{1A000000-0000-0000-0000-000000000000}";
constexpr char kGuidHanako[] = "{2B000000-0000-0000-0000-000000000000}";

class BadProfileTest : public IeOeTest {
protected:
    void SetUp() override {
        IeOeTest::SetUp();
        taro_ = MailAccount("live taro", "pop.t");
        hanako_ = MailAccount("live hanako", "pop.h");
        PutIdentity(kGuidTaro, "Taro", &taro_);
        PutIdentity(kGuidHanako, "Hanako", &hanako_);
        Put(kSettings, ieoetest::InternetSettings("live:80", "live"));
        settings_ = Dump(kSettings);
    }
    // Packs the named bad profile and runs the load dialog, OK at once.
    INT_PTR Load(const std::string& name) {
        std::ifstream in(std::string(BRV_TEST_DATA) + "/ieoe/" + name, std::ios::binary);
        EXPECT_TRUE(in.good()) << name;
        std::string bytes((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
        EXPECT_TRUE(unpacked::WriteParts(bytes, kNames, sizeof kNames / sizeof kNames[0], WorkDirectory));
        EXPECT_NE(0, PackProfileFile(nullptr, ProfileFilePath, WorkDirectory));
        EXPECT_TRUE(ClearWorkDirectory(WorkDirectory));
        sim::QueueDialogScript([](HWND dialog, int) { sim::Click(dialog, IDOK); });
        return DialogBoxParamA(nullptr, MAKEINTRESOURCEA(IDD_IEOE), nullptr, IeOeLoadDialogProc, 0);
    }
    static bool AccountNamed(const RegTree& tree, const std::string& name) {
        for (const auto& sub : tree.subkeys)
            for (const RegValue& v : sub.second.values)
                if (v.name == "Account Name" && v.data == name + std::string(1, '\0')) return true;
        return false;
    }
    RegTree taro_, hanako_, settings_;
};

TEST_F(BadProfileTest, RecordWhoseSnapshotIsMissingLeavesTheAccountsAlone) {
    EXPECT_EQ(1, Load("gateway-snapshot-missing.unpacked"));
    EXPECT_TRUE(snaptest::Sorted(taro_) == Dump(Accounts(kGuidTaro)));
    ASSERT_FALSE(sim::MessageBoxes().empty());
    EXPECT_NE(std::string::npos, sim::MessageBoxes()[0].text.find("gateway.0\"に読み込みアクセスを適用できません。"));
}

TEST_F(BadProfileTest, DamagedProxyLeavesInternetSettingsAloneAndTheAccountsGoOn) {
    EXPECT_EQ(1, Load("proxy-damaged.unpacked"));
    EXPECT_TRUE(settings_ == Dump(kSettings));
    EXPECT_TRUE(AccountNamed(Dump(Accounts(kGuidTaro)), "taro mail"));
    ASSERT_EQ(1u, sim::MessageBoxes().size());
    EXPECT_TRUE(snaptest::IsInformationBox(sim::MessageBoxes()[0],
                                           "レジストリをロードしようとしましたが、テンポラリファイル\"" +
                                               std::string(WorkDirectory) + "proxy\"が破損しています。"));
}

TEST_F(BadProfileTest, RecordsOutOfOrderPairWithTheirOwnSnapshots) {
    EXPECT_EQ(1, Load("gateway-out-of-order.unpacked"));
    EXPECT_TRUE(AccountNamed(Dump(Accounts(kGuidTaro)), "taro mail"));
    EXPECT_TRUE(AccountNamed(Dump(Accounts(kGuidHanako)), "hanako mail"));
    EXPECT_TRUE(sim::MessageBoxes().empty());
}

TEST_F(BadProfileTest, UnterminatedLastRecordIsTakenToTheEnd) {
    EXPECT_EQ(1, Load("gateway-last-record-unterminated.unpacked"));
    EXPECT_TRUE(AccountNamed(Dump(Accounts(kGuidTaro)), "taro mail"));
    EXPECT_TRUE(AccountNamed(Dump(Accounts(kGuidHanako)), "hanako mail"));
}

TEST_F(BadProfileTest, TcpipHeaderIsRefused) {
    EXPECT_EQ(2, Load("header-tcpip-kind.unpacked"));
    ASSERT_EQ(1u, sim::MessageBoxes().size());
    EXPECT_TRUE(snaptest::IsInformationBox(sim::MessageBoxes()[0], "バージョンが一致しません。"));
    EXPECT_TRUE(snaptest::Sorted(taro_) == Dump(Accounts(kGuidTaro)));
}

}  // namespace
