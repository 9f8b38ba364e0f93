// EnumIdentities over identities laid out as Outlook Express keeps them,
// and (on the simulation) every failure with its message.
#include "ieoe/identities.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "testenv.h"

namespace {

struct Visit {
    std::string keyName;
    std::string userName;
    int item;
};

std::vector<Visit> visits;
int stopAt = -1;

int Record(HWND, LPCSTR, LPCSTR keyName, LPCSTR userName, int item) {
    visits.push_back({keyName, userName, item});
    return static_cast<int>(visits.size()) - 1 == stopAt ? 0 : 1;
}

const char kFirst[] = "{1D0E8A21-5D3B-4C1B-9B8E-0F5A7A3C1101}";
const char kSecond[] = "{5A0B7C32-2E4D-4F6A-8C9D-1E2F3A4B5C02}";
const char kThird[] = "{9F8E7D63-4C5B-4A39-8271-6A5B4C3D2E03}";

class IdentitiesTest : public BrvTest {
protected:
    void SetUp() override {
        BrvTest::SetUp();
        visits.clear();
        stopAt = -1;
        DeleteIdentities();
    }
    void TearDown() override {
        DeleteIdentities();
        BrvTest::TearDown();
    }
    static void DeleteIdentities() {
        HKEY key = nullptr;
        if (RegOpenKeyExA(HKEY_CURRENT_USER, "Identities", 0, KEY_ALL_ACCESS, &key) != ERROR_SUCCESS) return;
        RegCloseKey(key);
        DeleteKeyTree(HKEY_CURRENT_USER, "Identities");
    }
    // An identity with its user name (stored with its NUL unless told) and
    // the other values Outlook Express keeps beside it.
    static void AddIdentity(const std::string& keyName, const std::string* userName, bool terminated = true) {
        HKEY key = nullptr;
        std::string path = "Identities\\" + keyName;
        ASSERT_EQ(ERROR_SUCCESS,
                  RegCreateKeyExA(HKEY_CURRENT_USER, path.c_str(), 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, &key, nullptr));
        if (userName) {
            std::string data = *userName + (terminated ? std::string(1, '\0') : std::string());
            RegSetValueExA(key, "Username", 0, REG_SZ, reinterpret_cast<const BYTE*>(data.data()),
                           static_cast<DWORD>(data.size()));
        }
        DWORD flags = 1;
        RegSetValueExA(key, "User ID", 0, REG_SZ, reinterpret_cast<const BYTE*>(keyName.c_str()),
                       static_cast<DWORD>(keyName.size() + 1));
        RegSetValueExA(key, "Identity Flags", 0, REG_DWORD, reinterpret_cast<const BYTE*>(&flags), 4);
        HKEY accounts = nullptr;
        RegCreateKeyExA(key, "Software\\Microsoft\\Internet Account Manager\\Accounts\\00000001", 0, nullptr, 0,
                        KEY_ALL_ACCESS, nullptr, &accounts, nullptr);
        if (accounts) RegCloseKey(accounts);
        RegCloseKey(key);
    }
    static void AddThree() {
        const std::string a = "メイン ユーザー", b = "", c = "Tanaka";
        AddIdentity(kThird, &c);
        AddIdentity(kFirst, &a);
        AddIdentity(kSecond, &b);
    }
    static int Walk(int item = -1) { return EnumIdentities(Record, nullptr, "C:\\work\\", item); }
};

TEST_F(IdentitiesTest, EveryIdentityInRegistryOrder) {
    AddThree();
    EXPECT_EQ(1, Walk(4));
    ASSERT_EQ(3u, visits.size());
    EXPECT_EQ(kFirst, visits[0].keyName);
    EXPECT_EQ("メイン ユーザー", visits[0].userName);
    EXPECT_EQ(kSecond, visits[1].keyName);
    EXPECT_EQ("", visits[1].userName);
    EXPECT_EQ(kThird, visits[2].keyName);
    EXPECT_EQ("Tanaka", visits[2].userName);
    for (const Visit& v : visits) EXPECT_EQ(4, v.item);
}

TEST_F(IdentitiesTest, TheCallbackStopsTheWalk) {
    AddThree();
    stopAt = 1;
    EXPECT_EQ(-1, Walk());
    EXPECT_EQ(2u, visits.size());
}

TEST_F(IdentitiesTest, NoIdentitiesYet) {
    HKEY key = nullptr;
    ASSERT_EQ(ERROR_SUCCESS,
              RegCreateKeyExA(HKEY_CURRENT_USER, "Identities", 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, &key, nullptr));
    RegCloseKey(key);
    EXPECT_EQ(1, Walk());
    EXPECT_TRUE(visits.empty());
}

TEST_F(IdentitiesTest, AUserNameStoredWithoutItsTerminator) {
    const std::string name = "Suzuki";
    AddIdentity(kFirst, &name, false);
    EXPECT_EQ(1, Walk());
    ASSERT_EQ(1u, visits.size());
    EXPECT_EQ("Suzuki", visits[0].userName);
}

#if BRV_SIM
TEST_F(IdentitiesTest, NoIdentitiesKeyIsReported) {
    EXPECT_EQ(0, Walk());
    ASSERT_EQ(1u, sim::MessageBoxes().size());
    EXPECT_EQ(ExpectedReport("レジストリキー\"HKEY_CURRENT_USER\\Identities\"に読み込みアクセスを適用できません。",
                             ERROR_FILE_NOT_FOUND),
              sim::MessageBoxes()[0].text);
}

TEST_F(IdentitiesTest, AnIdentityWithoutUserNameEndsTheWalk) {
    const std::string a = "A";
    AddIdentity(kFirst, &a);
    AddIdentity(kSecond, nullptr);
    AddIdentity(kThird, &a);
    EXPECT_EQ(0, Walk());
    EXPECT_EQ(1u, visits.size());
    ASSERT_EQ(1u, sim::MessageBoxes().size());
    EXPECT_EQ(ExpectedReport("レジストリ値\"Username\"のサイズを取得できません。", ERROR_FILE_NOT_FOUND),
              sim::MessageBoxes()[0].text);
}

TEST_F(IdentitiesTest, EachFailureWithItsMessage) {
    struct {
        const char* function;
        int nth;
        DWORD error;
        std::string context;
        size_t visitsBefore;
    } faults[] = {
        {"RegEnumKeyExA", 2, ERROR_ACCESS_DENIED,
         "レジストリキー\"HKEY_CURRENT_USER\\Identities\"のサブキーを列挙できません。", 1},
        {"RegOpenKeyExA", 3, ERROR_ACCESS_DENIED,
         std::string("レジストリキー\"HKEY_CURRENT_USER\\Identities\\") + kSecond + "\"に読み込みアクセスを適用できません。", 1},
        {"RegQueryValueExA", 2, ERROR_ACCESS_DENIED, "レジストリ値\"Username\"のデータを取得できません。", 0},
        {"HeapAlloc", 1, ERROR_NOT_ENOUGH_MEMORY, "レジストリ値\"Username\"のデータを取得できません。", 0},
    };
    AddThree();
    for (const auto& f : faults) {
        SCOPED_TRACE(f.function);
        visits.clear();
        const size_t before = sim::MessageBoxes().size();
        sim::ForgetCallCounts();
        sim::FailCall(f.function, f.nth, f.error);
        EXPECT_EQ(0, Walk());
        sim::ClearFaults();
        EXPECT_EQ(f.visitsBefore, visits.size());
        ASSERT_EQ(before + 1, sim::MessageBoxes().size());
        EXPECT_EQ(ExpectedReport(f.context, f.error), sim::MessageBoxes().back().text);
    }
}
#endif

}  // namespace
