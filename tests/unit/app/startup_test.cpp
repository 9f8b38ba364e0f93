// Start-up and shut-down: the work area in the temporary directory, the lock
// held without sharing, and every way start-up can end early.
#include <string>

#include "app/startup.h"
#include "base/workarea.h"
#include "testenv.h"

namespace {

const char kTemp[] = "C:\\Users\\tester\\Temp\\";
const char kBase[] = "C:\\Users\\tester\\Temp\\Morvik\\";
const char kLock[] = "C:\\Users\\tester\\Temp\\Morvik\\brv.lok";
const char kWork[] = "C:\\Users\\tester\\Temp\\Morvik\\brv\\";

const char kLockBusy[] =
    "ロックファイルが使用中です。プログラム\"Brelvane\"はすでに動作中であるものと考えられます。"
    "このプログラムは同時に2つ以上動作させることができません。"
    "このプログラムが1つも動作していない状態でこの問題が発生する場合は、"
    "このプログラムがスタートアップに登録されていないことを確認し、システムを再起動してから再試行してください。";

class StartupTest : public BrvTest {
protected:
    void SetUp() override {
        BrvTest::SetUp();
        sim::SetTempPath(kTemp);
        CreateDirectoryA("C:\\Users", nullptr);
        CreateDirectoryA("C:\\Users\\tester", nullptr);
        ASSERT_TRUE(CreateDirectoryA(kTemp, nullptr));
    }
    int Run(const char* arguments) {
        std::string copy = arguments;
        return RunProgram(nullptr, &copy[0]);
    }
};

TEST_F(StartupTest, PlainRunLeavesNothingBehind) {
    EXPECT_EQ(0, Run(""));
    EXPECT_STREQ(kWork, WorkDirectory);
    EXPECT_TRUE(sim::MessageBoxes().empty());
    EXPECT_EQ(INVALID_FILE_ATTRIBUTES, GetFileAttributesA(kBase));
}

TEST_F(StartupTest, StaleFilesInTheWorkDirectoryAreEmptied) {
    ASSERT_TRUE(CreateDirectoryA(kBase, nullptr));
    ASSERT_TRUE(CreateDirectoryA(kWork, nullptr));
    WriteBytes(std::string(kWork) + "gateway.3", "old");
    WriteBytes(kLock, "");  // left by a crashed run: no handle holds it

    EXPECT_EQ(0, Run(""));
    EXPECT_TRUE(sim::MessageBoxes().empty());
    EXPECT_EQ(INVALID_FILE_ATTRIBUTES, GetFileAttributesA(kBase));
}

TEST_F(StartupTest, SecondCopyShowsTheLockMessageAndTouchesNothing) {
    ASSERT_TRUE(CreateDirectoryA(kBase, nullptr));
    ASSERT_TRUE(CreateDirectoryA(kWork, nullptr));
    WriteBytes(std::string(kWork) + "profile", "first copy's");
    HANDLE held = sim::HoldFileOpen(kLock, 0);

    EXPECT_EQ(0, Run("\"C:\\a.ies\" /ies"));

    ASSERT_EQ(1u, sim::MessageBoxes().size());
    const sim::MessageBoxCall& box = sim::MessageBoxes()[0];
    EXPECT_EQ(nullptr, box.owner);
    EXPECT_TRUE(box.captionNull);
    EXPECT_EQ(static_cast<UINT>(MB_OK | MB_ICONINFORMATION), box.style);
    EXPECT_EQ(kLockBusy, box.text);
    EXPECT_EQ("first copy's", ReadBytes(std::string(kWork) + "profile"));
    CloseHandle(held);
    EXPECT_TRUE(FileExists(kLock));
}

TEST_F(StartupTest, BaseFolderThatCannotBeCreatedIsReported) {
    sim::FailCall("CreateDirectoryA", 1, ERROR_ACCESS_DENIED);
    EXPECT_EQ(0, Run(""));
    ASSERT_EQ(1u, sim::MessageBoxes().size());
    EXPECT_EQ(nullptr, sim::MessageBoxes()[0].owner);
    EXPECT_EQ(static_cast<UINT>(MB_OK | MB_ICONEXCLAMATION), sim::MessageBoxes()[0].style);
    EXPECT_EQ(ExpectedReport(std::string("ディレクトリ\"") + kBase + "\"を作成できません。", ERROR_ACCESS_DENIED),
              sim::MessageBoxes()[0].text);
    EXPECT_FALSE(FileExists(kLock));
}

TEST_F(StartupTest, TemporaryPathThatCannotBeHadEndsTheRun) {
    sim::FailCall("GetTempPathA", 1, ERROR_ACCESS_DENIED);
    int directoriesBefore = sim::CallCount("CreateDirectoryA");
    EXPECT_EQ(0, Run(""));
    ASSERT_EQ(1u, sim::MessageBoxes().size());
    EXPECT_EQ(ExpectedReport("テンポラリディレクトリのパスを取得できません。", ERROR_ACCESS_DENIED),
              sim::MessageBoxes()[0].text);
    EXPECT_EQ(directoriesBefore, sim::CallCount("CreateDirectoryA"));
}

// GetTempPathA tells a path too long for the buffer only by its length and
// leaves the last error as it was: the report must not show a stale text.
TEST_F(StartupTest, TemporaryPathTooLongIsReportedAsSuch) {
    sim::SetTempPath("C:\\" + std::string(300, 't') + "\\");
    SetLastError(ERROR_FILE_NOT_FOUND);
    EXPECT_EQ(0, Run(""));
    ASSERT_EQ(1u, sim::MessageBoxes().size());
    EXPECT_EQ(ExpectedReport("テンポラリディレクトリのパスを取得できません。", ERROR_INSUFFICIENT_BUFFER),
              sim::MessageBoxes()[0].text);
}

TEST_F(StartupTest, ExistingBaseFolderIsNotAnError) {
    ASSERT_TRUE(CreateDirectoryA(kBase, nullptr));
    EXPECT_EQ(0, Run(""));
    EXPECT_TRUE(sim::MessageBoxes().empty());
}

TEST_F(StartupTest, LockFileThatCannotBeCreatedIsReported) {
    sim::FailCall("CreateFileA", 1, ERROR_ACCESS_DENIED, kLock);
    EXPECT_EQ(0, Run(""));
    ASSERT_EQ(1u, sim::MessageBoxes().size());
    EXPECT_EQ(ExpectedReport("テンポラリディレクトリのフォルダ\"Morvik\"にロックファイル\"brv.lok\"を作成できません。",
                             ERROR_ACCESS_DENIED),
              sim::MessageBoxes()[0].text);
    EXPECT_EQ(INVALID_FILE_ATTRIBUTES, GetFileAttributesA(kWork));
}

// The lock handle is closed even here (the fixture counts handles); the lock
// file itself stays, which blocks nobody.
TEST_F(StartupTest, WorkDirectoryThatCannotBeCreatedIsReported) {
    sim::FailCall("CreateDirectoryA", 2, ERROR_ACCESS_DENIED);
    EXPECT_EQ(0, Run("x /ies"));
    ASSERT_EQ(1u, sim::MessageBoxes().size());
    EXPECT_EQ(ExpectedReport(std::string("ディレクトリ\"") + kWork + "\"を作成できません。", ERROR_ACCESS_DENIED),
              sim::MessageBoxes()[0].text);
    EXPECT_TRUE(FileExists(kLock));
}

// A failure to empty the work directory is reported, and the run goes on to
// its mode and a normal shut-down.
TEST_F(StartupTest, ClearingFailureDoesNotStopTheRun) {
    sim::FailCall("FindFirstFileA", 1, ERROR_ACCESS_DENIED);
    EXPECT_EQ(0, Run(""));
    ASSERT_EQ(1u, sim::MessageBoxes().size());
    EXPECT_EQ(INVALID_FILE_ATTRIBUTES, GetFileAttributesA(kBase));
}

}  // namespace
