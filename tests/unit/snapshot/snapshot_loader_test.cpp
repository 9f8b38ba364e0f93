// LoadRegistryTree and ValidateSnapshot on well-formed snapshots: the round
// trip through the writer and the clearing, the loader's additive behaviour,
// and (on the simulation) every failure with its message.
#include "snapshot/registry_snapshot.h"

#include <gtest/gtest.h>

#include <string>

#include "snapshot/registry_clear.h"
#include "tests/unit/snapshot/snapshot_test_util.h"

using snaptest::Dword;
using snaptest::Subkey;
using snaptest::Value;

namespace {

class SnapshotLoaderTest : public BrvTest {
protected:
    int Load(const char* fileName = "proxy") { return LoadRegistryTree(nullptr, Root(), fileName, Dir().c_str()); }
    int Validate(const char* fileName = "proxy") { return ValidateSnapshot(nullptr, fileName, Dir().c_str()); }
    void Put(const std::string& name, const std::string& bytes) { WriteBytes(Dir() + name, bytes); }
};

std::string Sz(const std::string& text) { return text + std::string(1, '\0'); }

// Every registry type, empty values, default values, cp932 names (including
// trail bytes of 0x5C), five levels deep and 1,000 siblings.
RegTree RichTree() {
    RegTree leaf;
    leaf.values = {{"", REG_SZ, Sz("deepest")}, {"level5", REG_DWORD, Dword(5)}};
    RegTree level4;
    level4.subkeys = {{"L5", leaf}};
    level4.values = {{"n", REG_NONE, ""}};
    RegTree level3;
    level3.subkeys = {{"L4", level4}};
    RegTree level2;
    level2.subkeys = {{"L3", level3}};
    level2.values = {{"", REG_BINARY, ""}};

    RegTree siblings;
    for (int i = 0; i < 1000; ++i) {
        RegTree one;
        one.values = {{"i", REG_DWORD, Dword(static_cast<uint32_t>(i))}};
        char name[16];
        snprintf(name, sizeof name, "k%04d", i);
        siblings.subkeys.push_back({name, one});
    }

    RegTree cp932;
    // 表示 (95 5C 8E A6) and ソフト (83 5C 83 74 83 67): the 0x5C is a trail byte.
    cp932.values = {{"\x95\x5C\x8E\xA6", REG_SZ, Sz("\x83\x5C\x83\x74\x83\x67")},
                    {"\x83\x5C", REG_EXPAND_SZ, Sz("%TEMP%\\\x95\x5C")}};

    RegTree top;
    top.subkeys = {{"Level2", level2}, {"Siblings", siblings}, {"\x83\x5C\x83\x74\x83\x67", cp932}};
    std::string binary(300, '\0');
    for (size_t i = 0; i < binary.size(); ++i) binary[i] = static_cast<char>(i);
    top.values = {
        {"", REG_SZ, Sz("default")},
        {"none", REG_NONE, std::string("\x01\x00\x02", 3)},
        {"sz", REG_SZ, Sz("ProxyServer=host:8080")},
        {"emptySz", REG_SZ, ""},
        {"expand", REG_EXPAND_SZ, Sz("%SystemRoot%\\x")},
        {"binary", REG_BINARY, binary},
        {"emptyBinary", REG_BINARY, ""},
        {"dword", REG_DWORD, Dword(0xDEADBEEF)},
        {"bigEndian", REG_DWORD_BIG_ENDIAN, std::string("\x12\x34\x56\x78", 4)},
        {"multi", REG_MULTI_SZ, std::string("one\0two\0\0", 9)},
        {"resourceList", REG_RESOURCE_LIST, std::string("\x01\x02\x03\x04", 4)},
        {"fullResource", REG_FULL_RESOURCE_DESCRIPTOR, std::string("\x05\x06", 2)},
        {"requirements", REG_RESOURCE_REQUIREMENTS_LIST, std::string("\x07", 1)},
        {"qword", REG_QWORD, std::string("\x01\x02\x03\x04\x05\x06\x07\x08", 8)},
        {"ownType", 0x7FFF0001, std::string("own", 3)},
        {"C:\\Program Files\\app.exe", REG_SZ, Sz("value names may hold backslashes")},
    };
    return top;
}

size_t CountKeys(const RegTree& tree) {
    size_t n = 1;
    for (const auto& sub : tree.subkeys) n += CountKeys(sub.second);
    return n;
}

TEST_F(SnapshotLoaderTest, SaveClearLoadGivesTheSameTree) {
    const std::string srcPath = RootSubPath() + "\\src";
    HKEY src = nullptr;
    ASSERT_EQ(ERROR_SUCCESS, RegCreateKeyExA(Root(), "src", 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, &src, nullptr));
    BuildTree(src, RichTree());
    const RegTree before = DumpTree(src);
    const int saved = SaveRegistryTree(nullptr, src, "proxy", Dir().c_str());
    RegCloseKey(src);
    ASSERT_EQ(CountKeys(RichTree()), CountKeys(before));
    ASSERT_EQ(1, saved);
    EXPECT_EQ(CountKeys(before), ListFiles(Dir()).size());

    ASSERT_EQ(1, ClearRegistryTree(nullptr, RootParent(), srcPath.c_str()));
    HKEY gone = nullptr;
    EXPECT_EQ(ERROR_FILE_NOT_FOUND, RegOpenKeyExA(Root(), "src", 0, KEY_READ, &gone));

    EXPECT_EQ(1, Validate());
    ASSERT_EQ(ERROR_SUCCESS, RegCreateKeyExA(Root(), "src", 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, &src, nullptr));
    EXPECT_EQ(1, LoadRegistryTree(nullptr, src, "proxy", Dir().c_str()));
    const RegTree after = DumpTree(src);
    RegCloseKey(src);
    EXPECT_EQ(before, after);
}

TEST_F(SnapshotLoaderTest, TheEighteenByteRecordLoadsAsADword) {
    Put("proxy", std::string("\x04\0\0\0" "\x05\0\0\0" "\x04\0\0\0" "\x02\0\0\0" "A\0", 18));
    EXPECT_EQ(1, Validate());
    EXPECT_EQ(1, Load());
    RegTree expected;
    expected.values = {{"A", REG_DWORD, Dword(5)}};
    EXPECT_EQ(snaptest::Sorted(expected), snaptest::Sorted(DumpTree(Root())));
}

TEST_F(SnapshotLoaderTest, EmptyFileLoadsNothing) {
    Put("proxy", "");
    EXPECT_EQ(1, Validate());
    EXPECT_EQ(1, Load());
    EXPECT_EQ(RegTree{}, DumpTree(Root()));
}

TEST_F(SnapshotLoaderTest, LoadingAddsToWhatIsThere) {
    RegTree live;
    live.values = {{"keep", REG_SZ, Sz("mine")}, {"over", REG_SZ, Sz("old")}};
    live.subkeys = {{"Sub", RegTree{{{"inner", REG_DWORD, Dword(1)}}, {}}}};
    BuildTree(Root(), live);
    Put("proxy", Subkey("Sub", "proxy.0") + Value("over", REG_DWORD, Dword(9)));
    Put("proxy.0", Value("added", REG_BINARY, "\x01"));

    EXPECT_EQ(1, Load());
    RegTree expected;
    expected.values = {{"keep", REG_SZ, Sz("mine")}, {"over", REG_DWORD, Dword(9)}};
    expected.subkeys = {{"Sub", RegTree{{{"inner", REG_DWORD, Dword(1)}, {"added", REG_BINARY, "\x01"}}, {}}}};
    EXPECT_EQ(snaptest::Sorted(expected), snaptest::Sorted(DumpTree(Root())));
}

TEST_F(SnapshotLoaderTest, BytesAfterTheFileNameInTheDataFieldAreIgnored) {
    // D = 11: "proxy.0", its NUL and three more bytes.
    const std::string data("proxy.0\0xyz", 11);
    Put("proxy", snaptest::RawRecord(11, data, 0xFFFFFFFF, 2, std::string("S\0", 2)) + Value("v", REG_DWORD, Dword(3)));
    Put("proxy.0", Value("w", REG_DWORD, Dword(4)));

    EXPECT_EQ(1, Validate());
    EXPECT_EQ(1, Load());
    RegTree expected;
    expected.values = {{"v", REG_DWORD, Dword(3)}};
    expected.subkeys = {{"S", RegTree{{{"w", REG_DWORD, Dword(4)}}, {}}}};
    EXPECT_EQ(snaptest::Sorted(expected), snaptest::Sorted(DumpTree(Root())));
}

TEST_F(SnapshotLoaderTest, ValueNameWithBackslashesIsOneValue) {
    // Unlike a key name, a value name is not a path: the registry keeps it.
    Put("proxy", Value("C:\\dir\\file", REG_DWORD, Dword(1)));
    EXPECT_EQ(1, Validate());
    EXPECT_EQ(1, Load());
    RegTree expected;
    expected.values = {{"C:\\dir\\file", REG_DWORD, Dword(1)}};
    EXPECT_EQ(expected, DumpTree(Root()));
}

TEST_F(SnapshotLoaderTest, ValidationTouchesNoRegistryKey) {
    Put("proxy", Subkey("S", "proxy.0") + Value("v", REG_DWORD, Dword(3)));
    Put("proxy.0", Value("w", REG_DWORD, Dword(4)));
    EXPECT_EQ(1, Validate());
    EXPECT_EQ(RegTree{}, DumpTree(Root()));
}

#if BRV_SIM

using snaptest::OneSystemErrorBox;

TEST_F(SnapshotLoaderTest, FileThatCannotBeOpened) {
    EXPECT_EQ(0, Load());
    EXPECT_TRUE(OneSystemErrorBox("レジストリをロードするためのテンポラリファイル\"" + Dir() +
                                  "proxy\"に読み込みアクセスを適用できません。"));
}

TEST_F(SnapshotLoaderTest, ReadFailure) {
    Put("proxy", Value("v", REG_DWORD, Dword(3)));
    sim::FailCall("ReadFile", 1, ERROR_READ_FAULT, Dir() + "proxy");
    EXPECT_EQ(0, Load());
    EXPECT_TRUE(OneSystemErrorBox("レジストリの情報をテンポラリファイルから読み込めません。"));
    EXPECT_EQ(RegTree{}, DumpTree(Root()));
}

TEST_F(SnapshotLoaderTest, SizeFailureIsAReadFailure) {
    Put("proxy", Value("v", REG_DWORD, Dword(3)));
    sim::FailCall("GetFileSize", 1, ERROR_ACCESS_DENIED, Dir() + "proxy");
    EXPECT_EQ(0, Load());
    EXPECT_TRUE(OneSystemErrorBox("レジストリの情報をテンポラリファイルから読み込めません。"));
}

TEST_F(SnapshotLoaderTest, AllocationFailureIsAReadFailure) {
    Put("proxy", Value("v", REG_DWORD, Dword(3)));
    sim::FailCall("HeapAlloc", 1, ERROR_NOT_ENOUGH_MEMORY);
    EXPECT_EQ(0, Load());
    EXPECT_TRUE(OneSystemErrorBox("レジストリの情報をテンポラリファイルから読み込めません。"));
}

TEST_F(SnapshotLoaderTest, SubkeyThatCannotBeCreatedIsSkipped) {
    Put("proxy", Subkey("Bad", "proxy.0") + Subkey("Good", "proxy.1") + Value("v", REG_DWORD, Dword(3)));
    Put("proxy.0", Value("x", REG_DWORD, Dword(1)));
    Put("proxy.1", Value("y", REG_DWORD, Dword(2)));
    sim::FailCall("RegCreateKeyExA", 1, ERROR_ACCESS_DENIED, "Bad");

    EXPECT_EQ(1, Load());
    EXPECT_TRUE(OneSystemErrorBox("レジストリをロードしようとしましたが、レジストリキー\"Bad\"を作成し, "
                                  "読み込みアクセスを適用できません。"));
    RegTree expected;
    expected.values = {{"v", REG_DWORD, Dword(3)}};
    expected.subkeys = {{"Good", RegTree{{{"y", REG_DWORD, Dword(2)}}, {}}}};
    EXPECT_EQ(snaptest::Sorted(expected), snaptest::Sorted(DumpTree(Root())));
}

TEST_F(SnapshotLoaderTest, ValueThatCannotBeSetIsSkipped) {
    Put("proxy", Value("first", REG_DWORD, Dword(1)) + Value("denied", REG_DWORD, Dword(2)) +
                     Value("last", REG_DWORD, Dword(3)));
    sim::FailCall("RegSetValueExA", 1, ERROR_ACCESS_DENIED, "denied");

    EXPECT_EQ(1, Load());
    EXPECT_TRUE(OneSystemErrorBox("レジストリをロードしようとしましたが、値\"denied\"を設定できません。"));
    RegTree expected;
    expected.values = {{"first", REG_DWORD, Dword(1)}, {"last", REG_DWORD, Dword(3)}};
    EXPECT_EQ(snaptest::Sorted(expected), snaptest::Sorted(DumpTree(Root())));
}

TEST_F(SnapshotLoaderTest, DeepFailuresAreReportedOnceAndTheRestIsLoaded) {
    Put("proxy", Subkey("A", "proxy.0") + Value("top", REG_DWORD, Dword(1)));
    Put("proxy.0", Subkey("B", "proxy.0.0") + Value("mid", REG_DWORD, Dword(2)));
    Put("proxy.0.0", Value("deep", REG_DWORD, Dword(3)) + Value("deeper", REG_DWORD, Dword(4)));
    sim::FailCall("RegSetValueExA", 1, ERROR_ACCESS_DENIED, "deep");

    EXPECT_EQ(1, Load());
    EXPECT_TRUE(OneSystemErrorBox("レジストリをロードしようとしましたが、値\"deep\"を設定できません。"));
    RegTree b;
    b.values = {{"deeper", REG_DWORD, Dword(4)}};
    RegTree a;
    a.subkeys = {{"B", b}};
    a.values = {{"mid", REG_DWORD, Dword(2)}};
    RegTree expected;
    expected.subkeys = {{"A", a}};
    expected.values = {{"top", REG_DWORD, Dword(1)}};
    EXPECT_EQ(snaptest::Sorted(expected), snaptest::Sorted(DumpTree(Root())));
}

TEST_F(SnapshotLoaderTest, DeepReadFailureIsReportedOnce) {
    Put("proxy", Subkey("A", "proxy.0") + Value("top", REG_DWORD, Dword(1)));
    Put("proxy.0", Value("mid", REG_DWORD, Dword(2)));
    sim::FailCall("ReadFile", 1, ERROR_READ_FAULT, Dir() + "proxy.0");

    EXPECT_EQ(1, Load());
    EXPECT_TRUE(OneSystemErrorBox("レジストリの情報をテンポラリファイルから読み込めません。"));
    RegTree expected;
    expected.subkeys = {{"A", RegTree{}}};
    expected.values = {{"top", REG_DWORD, Dword(1)}};
    EXPECT_EQ(snaptest::Sorted(expected), snaptest::Sorted(DumpTree(Root())));
}

TEST_F(SnapshotLoaderTest, ValidationReportsAnUnreadableSubkeyFileOnce) {
    Put("proxy", Subkey("A", "proxy.0") + Value("top", REG_DWORD, Dword(1)));
    Put("proxy.0", Value("mid", REG_DWORD, Dword(2)));
    sim::FailCall("ReadFile", 1, ERROR_READ_FAULT, Dir() + "proxy.0");
    EXPECT_EQ(0, Validate());
    EXPECT_TRUE(OneSystemErrorBox("レジストリの情報をテンポラリファイルから読み込めません。"));
}

TEST_F(SnapshotLoaderTest, ValidationOfAMissingFile) {
    EXPECT_EQ(0, Validate());
    EXPECT_TRUE(OneSystemErrorBox("レジストリをロードするためのテンポラリファイル\"" + Dir() +
                                  "proxy\"に読み込みアクセスを適用できません。"));
}

#endif

}  // namespace

