// The profile header: its bytes, reading it back, and (on the simulation)
// every refusal and failure with its message, including the named damaged
// headers of tests/data/snapshot.
#include "snapshot/profile_header.h"

#include <gtest/gtest.h>

#include <string>

#include "base/workarea.h"
#include "tests/unit/snapshot/snapshot_test_util.h"

using snaptest::Dword;
using snaptest::Hex;

namespace {

class ProfileHeaderTest : public BrvTest {
protected:
    void SetUp() override {
        BrvTest::SetUp();
        lstrcpynA(WorkDirectory, Dir().c_str(), kWorkDirectorySize);
    }
    void TearDown() override {
        FreeProfileHeader(&header_);
        BrvTest::TearDown();
    }
    std::string Path() const { return Dir() + "profile"; }
    ProfileHeaderResult Read(BYTE kind, BOOL required) {
        return ReadProfileHeader(nullptr, WorkDirectory, kind, required, &header_);
    }

    ProfileHeader header_{};
};

TEST_F(ProfileHeaderTest, IeOeHeaderWithAnEmptyCommentIsFifteenBytes) {
    ASSERT_EQ(1, WriteProfileHeader(nullptr, WorkDirectory, kProfileKindIeOe, "Taro1", ""));
    const std::string expected("\x00\x01" "\x05\0\0\0" "Taro1" "\0\0\0\0", 15);
    EXPECT_EQ(Hex(expected), Hex(ReadBytes(Path())));
}

TEST_F(ProfileHeaderTest, TcpipHeaderStartsWithKindAndRevisionOne) {
    ASSERT_EQ(1, WriteProfileHeader(nullptr, WorkDirectory, kProfileKindTcpip, "TESTPC", "\x83\x52\x83\x81\x83\x93\x83\x67"));
    const std::string bytes = ReadBytes(Path());
    const std::string expected = std::string("\x01\x01", 2) + Dword(6) + "TESTPC" + Dword(8) +
                                 "\x83\x52\x83\x81\x83\x93\x83\x67";
    EXPECT_EQ(Hex(expected), Hex(bytes));
}

TEST_F(ProfileHeaderTest, WrittenHeaderReadsBack) {
    ASSERT_EQ(1, WriteProfileHeader(nullptr, WorkDirectory, kProfileKindTcpip, "TESTPC", "a comment"));
    ASSERT_EQ(kProfileHeaderRead, Read(kProfileKindTcpip, TRUE));
    EXPECT_STREQ("TESTPC", header_.sourceName);
    EXPECT_STREQ("a comment", header_.comment);
    EXPECT_TRUE(header_.hasComment);
}

TEST_F(ProfileHeaderTest, MissingHeaderIsAbsentWhenNotRequired) {
    EXPECT_EQ(kProfileHeaderAbsent, Read(kProfileKindIeOe, FALSE));
    EXPECT_EQ(nullptr, header_.sourceName);
    EXPECT_EQ(nullptr, header_.comment);
}

TEST_F(ProfileHeaderTest, RevisionZeroHasNoComment) {
    WriteBytes(Path(), std::string("\x00\x00", 2) + Dword(3) + "abc");
    ASSERT_EQ(kProfileHeaderRead, Read(kProfileKindIeOe, FALSE));
    EXPECT_STREQ("abc", header_.sourceName);
    EXPECT_STREQ("", header_.comment);
    EXPECT_FALSE(header_.hasComment);
}

TEST_F(ProfileHeaderTest, NegativeRevisionCountsAsBelowOne) {
    // 0x80 is -128 as a signed byte: no comment fields, even though the
    // bytes after the name would make a valid comment.
    WriteBytes(Path(), std::string("\x01\x80", 2) + Dword(2) + "pc" + Dword(1) + "c");
    ASSERT_EQ(kProfileHeaderRead, Read(kProfileKindTcpip, TRUE));
    EXPECT_STREQ("pc", header_.sourceName);
    EXPECT_STREQ("", header_.comment);
    EXPECT_FALSE(header_.hasComment);
}

TEST_F(ProfileHeaderTest, ExtraBytesAfterTheCommentAreIgnored) {
    WriteBytes(Path(), std::string("\x00\x01", 2) + Dword(1) + "u" + Dword(2) + "hi" + "trailing");
    ASSERT_EQ(kProfileHeaderRead, Read(kProfileKindIeOe, FALSE));
    EXPECT_STREQ("u", header_.sourceName);
    EXPECT_STREQ("hi", header_.comment);
}

TEST_F(ProfileHeaderTest, TextsWithNulBytesAreCutThereButStayInBounds) {
    WriteBytes(Path(), std::string("\x00\x01", 2) + Dword(3) + std::string("a\0b", 3) + Dword(0));
    ASSERT_EQ(kProfileHeaderRead, Read(kProfileKindIeOe, FALSE));
    EXPECT_STREQ("a", header_.sourceName);
    EXPECT_STREQ("", header_.comment);
}

#if BRV_SIM

using snaptest::DataFile;
using snaptest::OneInformationBox;
using snaptest::OneSystemErrorBox;

TEST_F(ProfileHeaderTest, HeaderThatCannotBeCreated) {
    sim::FailCall("CreateFileA", 1, ERROR_ACCESS_DENIED, Path());
    EXPECT_EQ(0, WriteProfileHeader(nullptr, WorkDirectory, kProfileKindIeOe, "u", "c"));
    EXPECT_TRUE(OneSystemErrorBox("テンポラリファイル\"" + Path() + "\"を作成し、書き込みアクセスを適用できません。",
                                  ERROR_ACCESS_DENIED));
}

TEST_F(ProfileHeaderTest, HeaderThatCannotBeWritten) {
    sim::FailCall("WriteFile", 1, ERROR_DISK_FULL, Path());
    EXPECT_EQ(0, WriteProfileHeader(nullptr, WorkDirectory, kProfileKindIeOe, "u", "c"));
    EXPECT_TRUE(OneSystemErrorBox("プロフィールの情報をテンポラリファイル\"" + Path() + "\"に書き込めません。",
                                  ERROR_DISK_FULL));
}

TEST_F(ProfileHeaderTest, MissingHeaderIsAFailureWhenRequired) {
    EXPECT_EQ(kProfileHeaderFailed, Read(kProfileKindTcpip, TRUE));
    EXPECT_TRUE(OneSystemErrorBox("テンポラリファイル\"" + Path() + "\"に読み込みアクセスを適用できません。",
                                  ERROR_FILE_NOT_FOUND));
    EXPECT_EQ(nullptr, header_.sourceName);
}

TEST_F(ProfileHeaderTest, AbsentHeaderShowsNothing) {
    EXPECT_EQ(kProfileHeaderAbsent, Read(kProfileKindIeOe, FALSE));
    EXPECT_EQ(0u, sim::MessageBoxes().size());
}

TEST_F(ProfileHeaderTest, SizeThatCannotBeObtained) {
    ASSERT_EQ(1, WriteProfileHeader(nullptr, WorkDirectory, kProfileKindIeOe, "u", "c"));
    sim::FailCall("GetFileSize", 1, ERROR_ACCESS_DENIED, Path());
    EXPECT_EQ(kProfileHeaderFailed, Read(kProfileKindIeOe, FALSE));
    EXPECT_TRUE(OneSystemErrorBox("テンポラリファイル\"" + Path() + "\"のサイズを取得できません。",
                                  ERROR_ACCESS_DENIED));
}

TEST_F(ProfileHeaderTest, ReadFailure) {
    ASSERT_EQ(1, WriteProfileHeader(nullptr, WorkDirectory, kProfileKindIeOe, "u", "c"));
    sim::FailCall("ReadFile", 1, ERROR_READ_FAULT, Path());
    EXPECT_EQ(kProfileHeaderFailed, Read(kProfileKindIeOe, FALSE));
    EXPECT_TRUE(OneSystemErrorBox("プロフィールの情報をテンポラリファイル\"" + Path() + "\"から読み込めません。",
                                  ERROR_READ_FAULT));
}

TEST_F(ProfileHeaderTest, OtherKindIsRefused) {
    ASSERT_EQ(1, WriteProfileHeader(nullptr, WorkDirectory, kProfileKindTcpip, "pc", ""));
    EXPECT_EQ(kProfileHeaderFailed, Read(kProfileKindIeOe, FALSE));
    EXPECT_TRUE(OneInformationBox("バージョンが一致しません。"));
    EXPECT_EQ(nullptr, header_.sourceName);
}

TEST_F(ProfileHeaderTest, IeOeHeaderIsRefusedByTheTcpipReader) {
    ASSERT_EQ(1, WriteProfileHeader(nullptr, WorkDirectory, kProfileKindIeOe, "user", ""));
    EXPECT_EQ(kProfileHeaderFailed, Read(kProfileKindTcpip, TRUE));
    EXPECT_TRUE(OneInformationBox("バージョンが一致しません。"));
}

class DamagedHeaderTest : public ProfileHeaderTest, public ::testing::WithParamInterface<const char*> {};

// Each named damaged header is refused as damaged, whether or not a header
// is required, with nothing handed out.
TEST_P(DamagedHeaderTest, IsRefusedAsDamaged) {
    WriteBytes(Path(), DataFile(std::string(GetParam()) + ".profile"));
    EXPECT_EQ(kProfileHeaderFailed, Read(kProfileKindIeOe, FALSE));
    EXPECT_TRUE(OneInformationBox("ファイルが破損しています。"));
    EXPECT_EQ(nullptr, header_.sourceName);
    EXPECT_EQ(nullptr, header_.comment);
}

INSTANTIATE_TEST_SUITE_P(NamedInputs, DamagedHeaderTest,
                         ::testing::Values("header-0-bytes", "header-1-byte", "header-5-bytes", "header-6-bytes",
                                           "header-9-bytes", "header-name-past-end", "header-name-huge",
                                           "header-comment-past-end", "header-comment-huge"));

TEST_F(ProfileHeaderTest, KindIsCheckedBeforeTheLengths) {
    // Five bytes of the other kind: the kind check comes first.
    WriteBytes(Path(), DataFile("header-5-bytes.profile"));
    EXPECT_EQ(kProfileHeaderFailed, Read(kProfileKindTcpip, TRUE));
    EXPECT_TRUE(OneInformationBox("バージョンが一致しません。"));
}

TEST_F(ProfileHeaderTest, SixBytesWithRevisionZeroIsAnEmptyName) {
    WriteBytes(Path(), std::string("\x00\x00", 2) + Dword(0));
    ASSERT_EQ(kProfileHeaderRead, Read(kProfileKindIeOe, FALSE));
    EXPECT_STREQ("", header_.sourceName);
    EXPECT_EQ(0u, sim::MessageBoxes().size());
}

TEST_F(ProfileHeaderTest, ExactSizeIsEnough) {
    WriteBytes(Path(), std::string("\x00\x01", 2) + Dword(2) + "ab" + Dword(3) + "xyz");
    ASSERT_EQ(kProfileHeaderRead, Read(kProfileKindIeOe, FALSE));
    EXPECT_STREQ("ab", header_.sourceName);
    EXPECT_STREQ("xyz", header_.comment);
}

#endif

}  // namespace
