// Index files: the record layout, the numbers appended records get, reading
// into a callback (also of damaged files) and, on the simulation, every
// failure with its message.
#include "snapshot/index_file.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "tests/unit/snapshot/snapshot_test_util.h"

namespace {

struct Visit {
    std::string directory;
    bool keyNameNull;
    std::string name;
    int item;
};
std::vector<Visit> visits;
int stopAfter = -1;  // the callback returns 0 at this visit (from 0)

int Record(HWND, LPCSTR directory, LPCSTR keyName, LPCSTR displayName, int item) {
    visits.push_back(Visit{directory, keyName == nullptr, displayName, item});
    return static_cast<int>(visits.size()) - 1 == stopAfter ? 0 : 1;
}

class IndexFileTest : public BrvTest {
protected:
    void SetUp() override {
        BrvTest::SetUp();
        visits.clear();
        stopAfter = -1;
    }
    std::string Path() const { return Dir() + "gateway"; }
    int Append(const char* name) { return AppendIndexRecord(nullptr, Dir().c_str(), kGatewayIndex, name); }
    int Read(int item = 3) { return ReadIndexFile(Record, nullptr, Dir().c_str(), kGatewayIndex, item); }
    std::vector<std::string> Names() const {
        std::vector<std::string> names;
        for (const Visit& v : visits) names.push_back(v.name);
        return names;
    }
};

using NameList = std::vector<std::string>;

TEST_F(IndexFileTest, TwoRecordsAreSixBytesNumberedInOrder) {
    EXPECT_EQ(0, Append("A"));
    EXPECT_EQ(1, Append("B"));
    EXPECT_EQ(std::string("A\0\0B\0\0", 6), ReadBytes(Path()));
}

TEST_F(IndexFileTest, EmptyNameIsTwoBytesAndCounts) {
    EXPECT_EQ(0, Append(""));
    EXPECT_EQ(1, Append("山田"));
    EXPECT_EQ(std::string("\0\0\x8E\x52\x93\x63\0\0", 8), ReadBytes(Path()));
    ASSERT_EQ(kWalkDone, Read());
    EXPECT_EQ((NameList{"", "山田"}), Names());
}

TEST_F(IndexFileTest, NumbersFollowTheRecordsAFileAlreadyHolds) {
    WriteBytes(Path(), std::string("x\0\0y\0\0z\0\0", 9));
    EXPECT_EQ(3, Append("w"));
}

TEST_F(IndexFileTest, TcpipKindNamesItsOwnFile) {
    EXPECT_EQ(0, AppendIndexRecord(nullptr, Dir().c_str(), kTcpipIndex, "LAN"));
    EXPECT_EQ(std::string("LAN\0\0", 5), ReadBytes(Dir() + "tcpip"));
    EXPECT_FALSE(FileExists(Path()));
    CHAR name[kIndexSnapshotNameSize];
    FormIndexSnapshotName(kTcpipIndex, 10, name);
    EXPECT_STREQ("tcpip.10", name);
    FormIndexSnapshotName(kGatewayIndex, 0, name);
    EXPECT_STREQ("gateway.0", name);
}

TEST_F(IndexFileTest, ReaderPassesEveryRecordWithNullKeyAndTheItem) {
    WriteBytes(Path(), std::string("Taro\0\0Hanako\0\0", 14));
    ASSERT_EQ(kWalkDone, Read(-1));
    ASSERT_EQ(2u, visits.size());
    EXPECT_EQ(Dir(), visits[0].directory);
    EXPECT_TRUE(visits[0].keyNameNull);
    EXPECT_EQ(-1, visits[1].item);
    EXPECT_EQ((NameList{"Taro", "Hanako"}), Names());
}

TEST_F(IndexFileTest, PadByteIsSkippedWhateverItsValue) {
    WriteBytes(Path(), std::string("A\0ZB\0\xFF", 6));
    ASSERT_EQ(kWalkDone, Read());
    EXPECT_EQ((NameList{"A", "B"}), Names());
}

TEST_F(IndexFileTest, LastRecordWithoutPadIsPassedOnAndEndsTheReading) {
    WriteBytes(Path(), std::string("A\0\0B\0", 5));
    ASSERT_EQ(kWalkDone, Read());
    EXPECT_EQ((NameList{"A", "B"}), Names());
    EXPECT_EQ(2, Append("C")) << "the counting agrees with the reading";
}

TEST_F(IndexFileTest, LastRecordWithoutTerminatorIsTakenToTheEnd) {
    WriteBytes(Path(), std::string("A\0\0Bob", 6));
    ASSERT_EQ(kWalkDone, Read());
    EXPECT_EQ((NameList{"A", "Bob"}), Names());
}

TEST_F(IndexFileTest, EmptyFileVisitsNothing) {
    WriteBytes(Path(), "");
    EXPECT_EQ(kWalkDone, Read());
    EXPECT_TRUE(visits.empty());
}

TEST_F(IndexFileTest, CallbackStopsTheWalk) {
    WriteBytes(Path(), std::string("A\0\0B\0\0C\0\0", 9));
    stopAfter = 1;
    EXPECT_EQ(kWalkStopped, Read());
    EXPECT_EQ((NameList{"A", "B"}), Names());
}

#if BRV_SIM

using snaptest::OneSystemErrorBox;

TEST_F(IndexFileTest, MissingFileIsReportedWithItsPath) {
    EXPECT_EQ(kWalkFailed, Read());
    EXPECT_TRUE(OneSystemErrorBox("テンポラリファイル\"" + Path() + "\"に読み込みアクセスを適用できません。",
                                  ERROR_FILE_NOT_FOUND));
    EXPECT_TRUE(visits.empty());
}

TEST_F(IndexFileTest, SizeFailureIsReported) {
    WriteBytes(Path(), std::string("A\0\0", 3));
    sim::FailCall("GetFileSize", 1, ERROR_ACCESS_DENIED, "gateway");
    EXPECT_EQ(kWalkFailed, Read());
    EXPECT_TRUE(OneSystemErrorBox("テンポラリファイル\"" + Path() + "\"のサイズを取得できません。",
                                  ERROR_ACCESS_DENIED));
}

TEST_F(IndexFileTest, ReadFailureIsReported) {
    WriteBytes(Path(), std::string("A\0\0", 3));
    sim::FailCall("ReadFile", 1, ERROR_READ_FAULT, "gateway");
    EXPECT_EQ(kWalkFailed, Read());
    EXPECT_TRUE(OneSystemErrorBox("アダプタの情報をテンポラリファイル\"" + Path() + "\"から読み込めません。",
                                  ERROR_READ_FAULT));
    EXPECT_TRUE(visits.empty());
}

TEST_F(IndexFileTest, BufferThatCannotBeHadIsAReadFailure) {
    WriteBytes(Path(), std::string("A\0\0", 3));
    sim::FailCall("HeapAlloc", 1, ERROR_NOT_ENOUGH_MEMORY);
    EXPECT_EQ(kWalkFailed, Read());
    EXPECT_TRUE(OneSystemErrorBox("アダプタの情報をテンポラリファイル\"" + Path() + "\"から読み込めません。",
                                  ERROR_NOT_ENOUGH_MEMORY));
}

TEST_F(IndexFileTest, FileThatCannotBeCreatedIsReported) {
    sim::FailCall("CreateFileA", 1, ERROR_ACCESS_DENIED, "gateway");
    EXPECT_EQ(-1, Append("A"));
    EXPECT_TRUE(OneSystemErrorBox("テンポラリファイル\"" + Path() + "\"を作成し、書き込みアクセスを適用できません。",
                                  ERROR_ACCESS_DENIED));
}

TEST_F(IndexFileTest, SeekFailureIsReportedWithoutPath) {
    sim::FailCall("SetFilePointer", 1, ERROR_INVALID_PARAMETER, "gateway");
    EXPECT_EQ(-1, Append("A"));
    EXPECT_TRUE(OneSystemErrorBox("ファイルポインタを終端に移動できません。", ERROR_INVALID_PARAMETER));
}

TEST_F(IndexFileTest, EitherWriteFailingIsReported) {
    for (int nth = 1; nth <= 2; ++nth) {
        DeleteFileA(Path().c_str());
        sim::FailCall("WriteFile", nth, ERROR_DISK_FULL, "gateway");
        EXPECT_EQ(-1, Append("A")) << nth;
        ASSERT_EQ(static_cast<size_t>(nth), sim::MessageBoxes().size());
        EXPECT_TRUE(snaptest::IsSystemErrorBox(
            sim::MessageBoxes().back(), "アダプタの情報をテンポラリファイル\"" + Path() + "\"に書き込めません。"))
            << nth;
        sim::ClearFaults();
    }
}

#endif

}  // namespace
