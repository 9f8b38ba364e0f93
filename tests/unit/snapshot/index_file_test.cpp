// Index files: the byte layout of appended records, the reader on whole,
// cut and damaged files, and (on the simulation) every failure with its
// message.
#include "snapshot/index_file.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "tests/unit/snapshot/snapshot_test_util.h"

namespace {

// Index names as the two groups use them.
constexpr char kGatewayIndexName[] = "gateway";
constexpr char kTcpipIndexName[] = "tcpip";

struct Visit {
    std::string name;
    int item;
    bool keyNameNull;
};

// What the reader passed to the callback, across one test.
std::vector<Visit> visits;
int stopAfter = -1;  // the callback returns 0 at this visit (0-based)

int Record(HWND, LPCSTR, LPCSTR keyName, LPCSTR displayName, int item) {
    visits.push_back({displayName, item, keyName == nullptr});
    return static_cast<int>(visits.size()) - 1 == stopAfter ? 0 : 1;
}

class IndexFileTest : public BrvTest {
protected:
    void SetUp() override {
        BrvTest::SetUp();
        visits.clear();
        stopAfter = -1;
    }
    int Append(const std::string& name) { return AppendIndexRecord(nullptr, Dir().c_str(), kGatewayIndexName, name.c_str()); }
    int Read(int item = -1) { return ReadIndexFile(kGatewayIndexName, Record, nullptr, Dir().c_str(), item); }
    std::vector<std::string> Names() const {
        std::vector<std::string> names;
        for (const Visit& v : visits) names.push_back(v.name);
        return names;
    }
    std::string Path() const { return Dir() + kGatewayIndexName; }
};

TEST_F(IndexFileTest, TwoRecordsGiveSixBytesAndReadBackInOrder) {
    ASSERT_EQ(1, Append("A"));
    ASSERT_EQ(1, Append("B"));
    EXPECT_EQ(std::string("A\0\0B\0\0", 6), ReadBytes(Path()));
    EXPECT_EQ(1, Read(3));
    EXPECT_EQ((std::vector<std::string>{"A", "B"}), Names());
    for (const Visit& v : visits) {
        EXPECT_EQ(3, v.item);
        EXPECT_TRUE(v.keyNameNull);
    }
}

TEST_F(IndexFileTest, EmptyAndJapaneseNames) {
    ASSERT_EQ(1, Append(""));
    ASSERT_EQ(1, Append("ローカル エリア接続 2"));
    EXPECT_EQ(std::string("\0\0", 2) + "ローカル エリア接続 2" + std::string("\0\0", 2), ReadBytes(Path()));
    EXPECT_EQ(1, Read());
    EXPECT_EQ((std::vector<std::string>{"", "ローカル エリア接続 2"}), Names());
}

TEST_F(IndexFileTest, ReaderStaysWithinTheBytesRead) {
    struct {
        std::string bytes;
        std::vector<std::string> names;
    } cases[] = {
        {"", {}},                                            // no record at all
        {std::string("LAN1\0", 5), {"LAN1"}},                // the last record lacks its pad byte
        {std::string("LAN1\0\0LAN2", 10), {"LAN1", "LAN2"}},  // ... or its terminator too
        {std::string("A\0\x7F" "B\0\0", 6), {"A", "B"}},       // the pad byte's value does not matter
        {std::string("\0\0\0\0", 4), {"", ""}},
        {std::string("\0", 1), {""}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(snaptest::Hex(c.bytes));
        visits.clear();
        WriteBytes(Path(), c.bytes);
        EXPECT_EQ(1, Read());
        EXPECT_EQ(c.names, Names());
    }
}

TEST_F(IndexFileTest, CallbackStopsTheWalk) {
    WriteBytes(Path(), std::string("A\0\0B\0\0C\0\0", 9));
    stopAfter = 1;
    EXPECT_EQ(-1, Read());
    EXPECT_EQ((std::vector<std::string>{"A", "B"}), Names());
    visits.clear();
    WriteBytes(Path(), std::string("A\0\0BC", 5));
    EXPECT_EQ(-1, Read());  // the unterminated last name stops it as well
    EXPECT_EQ((std::vector<std::string>{"A", "BC"}), Names());
}

TEST_F(IndexFileTest, TcpipIndexIsAFileOfItsOwn) {
    ASSERT_EQ(1, AppendIndexRecord(nullptr, Dir().c_str(), kTcpipIndexName, "LAN1"));
    ASSERT_EQ(1, AppendIndexRecord(nullptr, Dir().c_str(), kTcpipIndexName, "LAN2"));
    EXPECT_EQ(std::string("LAN1\0\0LAN2\0\0", 12), ReadBytes(Dir() + "tcpip"));
    EXPECT_FALSE(FileExists(Path()));
}

#if BRV_SIM
TEST_F(IndexFileTest, MissingIndexIsReported) {
    EXPECT_EQ(0, Read());
    EXPECT_TRUE(snaptest::OneSystemErrorBox(
        "テンポラリファイル\"" + Path() + "\"に読み込みアクセスを適用できません。", ERROR_FILE_NOT_FOUND));
    EXPECT_TRUE(visits.empty());
}

TEST_F(IndexFileTest, AppendFailures) {
    struct {
        const char* function;
        int nth;
        DWORD error;
        std::string context;
    } faults[] = {
        {"CreateFileA", 1, ERROR_ACCESS_DENIED,
         "テンポラリファイル\"" + Path() + "\"を作成し、書き込みアクセスを適用できません。"},
        {"SetFilePointer", 1, ERROR_INVALID_PARAMETER, "ファイルポインタを終端に移動できません。"},
        {"WriteFile", 1, ERROR_DISK_FULL, "アダプタの情報をテンポラリファイル\"" + Path() + "\"に書き込めません。"},
        {"WriteFile", 2, ERROR_DISK_FULL, "アダプタの情報をテンポラリファイル\"" + Path() + "\"に書き込めません。"},
    };
    for (const auto& f : faults) {
        SCOPED_TRACE(std::string(f.function) + " " + std::to_string(f.nth));
        const size_t before = sim::MessageBoxes().size();
        sim::FailCall(f.function, f.nth, f.error, kGatewayIndexName);
        EXPECT_EQ(0, Append("A"));
        ASSERT_EQ(before + 1, sim::MessageBoxes().size());
        EXPECT_EQ(ExpectedReport(f.context, f.error), sim::MessageBoxes().back().text);
        DeleteFileA(Path().c_str());
    }
}

// The pad byte cannot be written, and the half record cannot be cut off
// either: the index is no longer whole, and the user hears of both.
TEST_F(IndexFileTest, HalfRecordThatCannotBeCutOffIsReported) {
    const struct {
        const char* function;
        int nth;
    } faults[] = {{"SetFilePointer", 2}, {"SetEndOfFile", 1}};
    for (const auto& f : faults) {
        SCOPED_TRACE(f.function);
        DeleteFileA(Path().c_str());
        ASSERT_EQ(1, Append("A"));
        const size_t before = sim::MessageBoxes().size();
        sim::FailCall("WriteFile", 2, ERROR_DISK_FULL, kGatewayIndexName);
        sim::FailCall(f.function, f.nth, ERROR_ACCESS_DENIED, kGatewayIndexName);
        EXPECT_EQ(0, Append("B"));
        ASSERT_EQ(before + 2, sim::MessageBoxes().size());
        EXPECT_EQ(ExpectedReport("アダプタの情報をテンポラリファイル\"" + Path() + "\"に書き込めません。", ERROR_DISK_FULL),
                  sim::MessageBoxes()[before].text);
        EXPECT_EQ(ExpectedReport("テンポラリファイル\"" + Path() + "\"から書きかけのレコードを削除できません。",
                                 ERROR_ACCESS_DENIED),
                  sim::MessageBoxes()[before + 1].text);
        EXPECT_EQ(std::string("A\0\0B\0", 5), ReadBytes(Path()));
    }
}

TEST_F(IndexFileTest, ReadFailures) {
    WriteBytes(Path(), std::string("A\0\0", 3));
    struct {
        const char* function;
        DWORD error;
        std::string context;
    } faults[] = {
        {"GetFileSize", ERROR_ACCESS_DENIED, "テンポラリファイル\"" + Path() + "\"のサイズを取得できません。"},
        {"ReadFile", ERROR_READ_FAULT, "アダプタの情報をテンポラリファイル\"" + Path() + "\"から読み込めません。"},
        {"HeapAlloc", ERROR_NOT_ENOUGH_MEMORY,
         "アダプタの情報をテンポラリファイル\"" + Path() + "\"から読み込めません。"},
    };
    for (const auto& f : faults) {
        SCOPED_TRACE(f.function);
        const size_t before = sim::MessageBoxes().size();
        visits.clear();
        sim::FailCall(f.function, 1, f.error, f.function == std::string("HeapAlloc") ? "" : kGatewayIndexName);
        EXPECT_EQ(0, Read());
        ASSERT_EQ(before + 1, sim::MessageBoxes().size());
        EXPECT_EQ(ExpectedReport(f.context, f.error), sim::MessageBoxes().back().text);
        EXPECT_TRUE(visits.empty());
    }
}
#endif

}  // namespace
