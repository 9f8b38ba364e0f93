// ClearWorkDirectory: plain files go, folders and read-only files are passed
// over silently, anything else is reported once and stops the clearing.
#include <string>

#include "base/workarea.h"
#include "testenv.h"

namespace {

class ClearWorkDirectoryTest : public BrvTest {
protected:
    void SetUp() override {
        BrvTest::SetUp();
        wsprintfA(WorkDirectory, "%s", (Dir() + "brv\\").c_str());
        ASSERT_TRUE(CreateDirectoryA(WorkDirectory, nullptr));
    }
    std::string Work(const std::string& name) const { return std::string(WorkDirectory) + name; }
};

TEST_F(ClearWorkDirectoryTest, DeletesPlainFilesAndPassesOverTheRest) {
    WriteBytes(Work("profile"), "abc");
    WriteBytes(Work("proxy.0.1"), "");
    WriteBytes(Work("readonly"), "x");
    ASSERT_TRUE(SetFileAttributesA(Work("readonly").c_str(), FILE_ATTRIBUTE_READONLY));
    ASSERT_TRUE(CreateDirectoryA(Work("sub").c_str(), nullptr));
    WriteBytes(Work("sub\\inner"), "y");

    EXPECT_TRUE(ClearWorkDirectory(WorkDirectory));

    EXPECT_TRUE(sim::MessageBoxes().empty());
    EXPECT_FALSE(FileExists(Work("profile")));
    EXPECT_FALSE(FileExists(Work("proxy.0.1")));
    EXPECT_TRUE(FileExists(Work("readonly")));
    EXPECT_TRUE(FileExists(Work("sub\\inner")));  // no descent into folders
}

TEST_F(ClearWorkDirectoryTest, EmptyDirectorySucceeds) {
    EXPECT_TRUE(ClearWorkDirectory(WorkDirectory));
    EXPECT_TRUE(sim::MessageBoxes().empty());
}

TEST_F(ClearWorkDirectoryTest, FileHeldOpenIsReportedAndStopsTheClearing) {
    WriteBytes(Work("a"), "1");
    WriteBytes(Work("b"), "2");
    WriteBytes(Work("c"), "3");
    HANDLE held = sim::HoldFileOpen(Work("b"), 0);

    EXPECT_FALSE(ClearWorkDirectory(WorkDirectory));

    ASSERT_EQ(1u, sim::MessageBoxes().size());
    EXPECT_EQ(nullptr, sim::MessageBoxes()[0].owner);  // always without owner
    EXPECT_EQ(ExpectedReport("テンポラリディレクトリを初期化しようとしましたが、ファイル\"" + Work("b") +
                                 "\"を削除できません。",
                             ERROR_SHARING_VIOLATION),
              sim::MessageBoxes()[0].text);
    EXPECT_FALSE(FileExists(Work("a")));
    EXPECT_TRUE(FileExists(Work("c")));  // nothing after the failure
    CloseHandle(held);
}

TEST_F(ClearWorkDirectoryTest, ListingFailuresAreReportedWithTheDirectory) {
    const std::string expected = ExpectedReport(
        std::string("テンポラリディレクトリを初期化しようとしましたが、ディレクトリ\"") + WorkDirectory +
            "\"のファイルを列挙できません。",
        ERROR_ACCESS_DENIED);

    sim::FailCall("FindFirstFileA", 1, ERROR_ACCESS_DENIED);
    EXPECT_FALSE(ClearWorkDirectory(WorkDirectory));
    ASSERT_EQ(1u, sim::MessageBoxes().size());
    EXPECT_EQ(expected, sim::MessageBoxes()[0].text);

    WriteBytes(Work("a"), "1");
    sim::FailCall("FindNextFileA", 1, ERROR_ACCESS_DENIED);
    EXPECT_FALSE(ClearWorkDirectory(WorkDirectory));  // the search handle is closed: the fixture checks
    ASSERT_EQ(2u, sim::MessageBoxes().size());
    EXPECT_EQ(expected, sim::MessageBoxes()[1].text);
}

TEST_F(ClearWorkDirectoryTest, UnexpectedDeleteErrorIsReported) {
    WriteBytes(Work("a"), "1");
    sim::FailCall("DeleteFileA", 1, ERROR_WRITE_FAULT, Work("a"));
    EXPECT_FALSE(ClearWorkDirectory(WorkDirectory));
    ASSERT_EQ(1u, sim::MessageBoxes().size());
    EXPECT_EQ(ExpectedReport("テンポラリディレクトリを初期化しようとしましたが、ファイル\"" + Work("a") +
                                 "\"を削除できません。",
                             ERROR_WRITE_FAULT),
              sim::MessageBoxes()[0].text);
}

}  // namespace
