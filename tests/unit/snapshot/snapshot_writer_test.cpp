// SaveRegistryTree: the file format byte for byte, file naming, and (on the
// simulation) every failure with its message.
#include "snapshot/registry_snapshot.h"

#include <gtest/gtest.h>

#include <string>

#include "tests/unit/snapshot/snapshot_test_util.h"

using snaptest::Dword;
using snaptest::Hex;

namespace {

class SnapshotWriterTest : public BrvTest {
protected:
    int Save(const char* fileName = "proxy") { return SaveRegistryTree(nullptr, Root(), fileName, Dir().c_str()); }
    std::string File(const std::string& name) { return ReadBytes(Dir() + name); }
};

TEST_F(SnapshotWriterTest, DwordValueIsTheEighteenByteRecord) {
    RegTree tree;
    tree.values = {{"A", REG_DWORD, Dword(5)}};
    BuildTree(Root(), tree);

    ASSERT_EQ(1, Save());
    const std::string expected("\x04\0\0\0" "\x05\0\0\0" "\x04\0\0\0" "\x02\0\0\0" "A\0", 18);
    EXPECT_EQ(Hex(expected), Hex(File("proxy")));
}

TEST_F(SnapshotWriterTest, KeyWithoutContentsGivesAnEmptyFile) {
    ASSERT_EQ(1, Save());
    EXPECT_TRUE(FileExists(Dir() + "proxy"));
    EXPECT_EQ("", File("proxy"));
    EXPECT_EQ(std::vector<std::string>{"proxy"}, ListFiles(Dir()));
}

TEST_F(SnapshotWriterTest, DefaultValueHasAOneByteNameField) {
    RegTree tree;
    tree.values = {{"", REG_BINARY, std::string("\x01\x02", 2)}};
    BuildTree(Root(), tree);

    ASSERT_EQ(1, Save());
    const std::string expected("\x02\0\0\0" "\x01\x02" "\x03\0\0\0" "\x01\0\0\0" "\0", 15);
    EXPECT_EQ(Hex(expected), Hex(File("proxy")));
}

TEST_F(SnapshotWriterTest, EmptyValueHasNoDataBytes) {
    RegTree tree;
    tree.values = {{"E", REG_BINARY, ""}};
    BuildTree(Root(), tree);

    ASSERT_EQ(1, Save());
    const std::string expected("\0\0\0\0" "\x03\0\0\0" "\x02\0\0\0" "E\0", 14);
    EXPECT_EQ(Hex(expected), Hex(File("proxy")));
}

TEST_F(SnapshotWriterTest, FirstSubkeyRecordNamesProxyDotZero) {
    RegTree inner;
    inner.subkeys = {{"T", RegTree{}}};
    RegTree tree;
    tree.subkeys = {{"S", inner}};
    BuildTree(Root(), tree);

    ASSERT_EQ(1, Save());
    // D = 8: the seven characters proxy.0 and a NUL, then FF FF FF FF.
    const std::string expected("\x08\0\0\0" "proxy.0\0" "\xFF\xFF\xFF\xFF" "\x02\0\0\0" "S\0", 22);
    EXPECT_EQ(Hex(expected), Hex(File("proxy")));
    const std::string inProxy0("\x0A\0\0\0" "proxy.0.0\0" "\xFF\xFF\xFF\xFF" "\x02\0\0\0" "T\0", 24);
    EXPECT_EQ(Hex(inProxy0), Hex(File("proxy.0")));
    EXPECT_EQ("", File("proxy.0.0"));
}

TEST_F(SnapshotWriterTest, FilesAreNamedByRankAtEveryLevel) {
    RegTree first;
    first.subkeys = {{"Inner", RegTree{}}};
    RegTree tree;
    tree.subkeys = {{"First", first}, {"Second", RegTree{}}};
    BuildTree(Root(), tree);

    ASSERT_EQ(1, Save());
    EXPECT_EQ((std::vector<std::string>{"proxy", "proxy.0", "proxy.0.0", "proxy.1"}), ListFiles(Dir()));
}

TEST_F(SnapshotWriterTest, SubkeyRecordsComeBeforeValueRecords) {
    // The value is created first; the file still lists the subkey first.
    RegTree tree;
    tree.values = {{"V", REG_DWORD, Dword(7)}};
    BuildTree(Root(), tree);
    RegTree withKey;
    withKey.subkeys = {{"K", RegTree{}}};
    BuildTree(Root(), withKey);

    ASSERT_EQ(1, Save());
    const std::string subkey("\x08\0\0\0" "proxy.0\0" "\xFF\xFF\xFF\xFF" "\x02\0\0\0" "K\0", 22);
    const std::string value("\x04\0\0\0" "\x07\0\0\0" "\x04\0\0\0" "\x02\0\0\0" "V\0", 18);
    EXPECT_EQ(Hex(subkey + value), Hex(File("proxy")));
}

TEST_F(SnapshotWriterTest, StringValuesKeepTheirTerminators) {
    RegTree tree;
    tree.values = {{"S", REG_SZ, std::string("ab\0", 3)}};
    BuildTree(Root(), tree);
    ASSERT_EQ(1, Save());
    EXPECT_EQ(Hex(std::string("\x03\0\0\0" "ab\0" "\x01\0\0\0" "\x02\0\0\0" "S\0", 17)), Hex(File("proxy")));
}

TEST_F(SnapshotWriterTest, MultiStringKeepsItsDoubleNul) {
    RegTree tree;
    tree.values = {{"M", REG_MULTI_SZ, std::string("a\0b\0\0", 5)}};
    BuildTree(Root(), tree);
    ASSERT_EQ(1, Save());
    EXPECT_EQ(Hex(std::string("\x05\0\0\0" "a\0b\0\0" "\x07\0\0\0" "\x02\0\0\0" "M\0", 19)), Hex(File("proxy")));
}

TEST_F(SnapshotWriterTest, AnExistingFileIsReplaced) {
    WriteBytes(Dir() + "proxy", std::string(100, 'x'));
    ASSERT_EQ(1, Save());
    EXPECT_EQ("", File("proxy"));
}

TEST_F(SnapshotWriterTest, ValueLargerThanTheOutputBufferIsWrittenWhole) {
    std::string big(200 * 1024, '\0');
    for (size_t i = 0; i < big.size(); ++i) big[i] = static_cast<char>(i * 7);
    RegTree tree;
    tree.values = {{"small", REG_DWORD, Dword(1)}, {"big", REG_BINARY, big}, {"after", REG_DWORD, Dword(2)}};
    BuildTree(Root(), tree);

    ASSERT_EQ(1, Save());
    // Value records follow the registry's own enumeration order.
    std::string expected;
    for (const RegValue& v : DumpTree(Root()).values) expected += snaptest::Value(v.name, v.type, v.data);
    EXPECT_EQ(3u, DumpTree(Root()).values.size());
    EXPECT_TRUE(File("proxy") == expected);
}

#if BRV_SIM

using snaptest::OneInformationBox;
using snaptest::OneSystemErrorBox;

class SnapshotWriterFaultTest : public SnapshotWriterTest {
protected:
    // Root: values A, B; subkey S with subkey T (value X) and value Y.
    void SetUp() override {
        SnapshotWriterTest::SetUp();
        RegTree t;
        t.values = {{"X", REG_DWORD, Dword(1)}};
        RegTree s;
        s.subkeys = {{"T", t}};
        s.values = {{"Y", REG_DWORD, Dword(2)}};
        RegTree tree;
        tree.subkeys = {{"S", s}};
        tree.values = {{"A", REG_DWORD, Dword(3)}, {"B", REG_SZ, std::string("b\0", 2)}};
        BuildTree(Root(), tree);
    }
};

TEST_F(SnapshotWriterFaultTest, FileThatCannotBeCreated) {
    sim::FailCall("CreateFileA", 1, ERROR_ACCESS_DENIED, Dir() + "proxy");
    EXPECT_EQ(0, Save());
    EXPECT_TRUE(OneSystemErrorBox("レジストリをセーブするためのテンポラリファイル\"" + Dir() +
                                  "proxy\"に書き込みアクセスを適用できません。"));
}

TEST_F(SnapshotWriterFaultTest, SubkeyFileThatCannotBeCreatedIsReportedOnce) {
    sim::FailCall("CreateFileA", 1, ERROR_ACCESS_DENIED, Dir() + "proxy.0.0");
    EXPECT_EQ(0, Save());
    EXPECT_TRUE(OneSystemErrorBox("レジストリをセーブするためのテンポラリファイル\"" + Dir() +
                                  "proxy.0.0\"に書き込みアクセスを適用できません。"));
    // What was written before the failure stays.
    EXPECT_TRUE(FileExists(Dir() + "proxy"));
    EXPECT_TRUE(FileExists(Dir() + "proxy.0"));
}

TEST_F(SnapshotWriterFaultTest, SubkeyEnumerationFails) {
    sim::FailCall("RegEnumKeyExA", 1, ERROR_ACCESS_DENIED);
    EXPECT_EQ(0, Save());
    EXPECT_TRUE(OneSystemErrorBox("レジストリをセーブしようとしましたが、サブキーを列挙できません。"));
}

TEST_F(SnapshotWriterFaultTest, DeepSubkeyThatCannotBeOpenedIsNamedAlone) {
    sim::FailCall("RegOpenKeyExA", 1, ERROR_ACCESS_DENIED, "S\\T");
    EXPECT_EQ(0, Save());
    EXPECT_TRUE(OneSystemErrorBox(
        "レジストリをセーブしようとしましたが、レジストリキー\"T\"に読み込みアクセスを適用できません。"));
}

TEST_F(SnapshotWriterFaultTest, KeyDeniedReadAccessIsReported) {
    sim::RegDenyAccess(RootPath() + "\\S", KEY_READ);
    EXPECT_EQ(0, Save());
    EXPECT_TRUE(OneSystemErrorBox(
        "レジストリをセーブしようとしましたが、レジストリキー\"S\"に読み込みアクセスを適用できません。"));
}

TEST_F(SnapshotWriterFaultTest, WriteFailureInTheTopFile) {
    sim::FailCall("WriteFile", 1, ERROR_DISK_FULL, Dir() + "proxy");
    EXPECT_EQ(0, Save());
    EXPECT_TRUE(OneSystemErrorBox("レジストリの情報をテンポラリファイルに書き込めません。"));
}

TEST_F(SnapshotWriterFaultTest, WriteFailureDeepInTheTreeIsReportedOnce) {
    sim::FailCallsFrom("WriteFile", 1, ERROR_DISK_FULL, Dir() + "proxy.0.0");
    EXPECT_EQ(0, Save());
    EXPECT_TRUE(OneSystemErrorBox("レジストリの情報をテンポラリファイルに書き込めません。"));
}

TEST_F(SnapshotWriterFaultTest, ValueEnumerationFails) {
    sim::FailCall("RegEnumValueA", 1, ERROR_ACCESS_DENIED);
    EXPECT_EQ(0, Save());
    EXPECT_TRUE(OneSystemErrorBox("レジストリをセーブしようとしましたが、値を列挙できません。"));
}

TEST_F(SnapshotWriterFaultTest, ValueNameLongerThan255BytesFailsTheEnumeration) {
    sim::RegPut(RootPath(), std::string(256, 'n'), REG_DWORD, Dword(1));
    EXPECT_EQ(0, Save());
    EXPECT_TRUE(OneSystemErrorBox("レジストリをセーブしようとしましたが、値を列挙できません。"));
    // The subkey files were complete before the values of the top key.
    EXPECT_TRUE(FileExists(Dir() + "proxy.0.0"));
}

TEST_F(SnapshotWriterFaultTest, SizeQueryFails) {
    sim::FailCall("RegQueryValueExA", 1, ERROR_ACCESS_DENIED, "B");
    EXPECT_EQ(0, Save());
    EXPECT_TRUE(OneSystemErrorBox(
        "レジストリをセーブしようとしましたが、値\"B\"のサイズを取得できません。"));
}

TEST_F(SnapshotWriterFaultTest, DataQueryFails) {
    sim::FailCall("RegQueryValueExA", 2, ERROR_ACCESS_DENIED, "B");
    EXPECT_EQ(0, Save());
    EXPECT_TRUE(OneSystemErrorBox(
        "レジストリをセーブしようとしましたが、値\"B\"のタイプ・データを取得できません。"));
}

TEST_F(SnapshotWriterFaultTest, DeepValueFailureIsReportedOnce) {
    sim::FailCall("RegQueryValueExA", 2, ERROR_ACCESS_DENIED, "X");
    EXPECT_EQ(0, Save());
    EXPECT_TRUE(OneSystemErrorBox(
        "レジストリをセーブしようとしましたが、値\"X\"のタイプ・データを取得できません。"));
}

class SnapshotWriterAllocationTest : public SnapshotWriterFaultTest, public ::testing::WithParamInterface<int> {};

// Whichever allocation fails, the save either succeeds or ends with exactly
// one report; the fixture checks that nothing leaks.
TEST_P(SnapshotWriterAllocationTest, FailedAllocationIsReportedOnce) {
    sim::FailCall("HeapAlloc", GetParam(), ERROR_NOT_ENOUGH_MEMORY);
    int result = Save();
    EXPECT_EQ(result == 0 ? 1u : 0u, sim::MessageBoxes().size());
}

INSTANTIATE_TEST_SUITE_P(EachAllocation, SnapshotWriterAllocationTest, ::testing::Range(1, 7));

TEST_F(SnapshotWriterFaultTest, ValueOfTheSubkeyMarkerTypeIsRefused) {
    sim::RegPut(RootPath() + "\\S", "Odd", 0xFFFFFFFF, "zz");
    EXPECT_EQ(0, Save());
    EXPECT_TRUE(OneInformationBox(
        "レジストリをセーブしようとしましたが、値\"Odd\"のタイプ(0xFFFFFFFF)はファイルに保存できません。"));
    // Never a record that would read back as a subkey.
    const std::string file = File("proxy.0");
    EXPECT_EQ(std::string::npos, file.find("Odd"));
}

TEST_F(SnapshotWriterFaultTest, FileNameLongerThan255BytesIsRefused) {
    // 250 + ".0" + ".0" = 254 bytes is the last level that fits; T's own
    // subkey U would need 256.
    sim::RegPutKey(RootPath() + "\\S\\T\\U");
    const std::string top(250, 'p');
    EXPECT_EQ(0, Save(top.c_str()));
    EXPECT_TRUE(OneInformationBox("レジストリをセーブしようとしましたが、レジストリキー\"U\"の階層が深すぎるため、"
                                  "テンポラリファイルの名前が255バイトを超えます。"));
    EXPECT_TRUE(FileExists(Dir() + top + ".0.0"));
    // T's file holds no record for U.
    EXPECT_EQ("", File(top + ".0.0"));
}

#endif

}  // namespace
