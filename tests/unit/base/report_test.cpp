// The standard warning box: caller's context, the system's text for the last
// error, fixed advice; no caption; released buffers.
#include <string>

#include "base/report.h"
#include "resources/resource.h"
#include "testenv.h"

namespace {

class ReportSystemErrorTest : public BrvTest {};

const char kAdvice[] =
    "ほかのプログラムを終了してから、やり直してください。問題が解決しない場合は、システムを再起動してください。";

INT_PTR CALLBACK QuietDialogProc(HWND, UINT, WPARAM, LPARAM) { return FALSE; }

TEST_F(ReportSystemErrorTest, ShowsContextSystemTextAndAdvice) {
    // Reported while a dialog handles a command: the box belongs to it.
    HWND owner = nullptr;
    sim::QueueDialogScript([&owner](HWND dialog, int) {
        owner = dialog;
        SetLastError(ERROR_ACCESS_DENIED);
        ReportSystemError(dialog, "レジストリキー\"HKEY_CURRENT_USER\\x\"が見つかりません。");
        EndDialog(dialog, IDOK);
    });
    EXPECT_EQ(IDOK, DialogBoxParamA(nullptr, MAKEINTRESOURCEA(IDD_RESTART), nullptr, QuietDialogProc, 0));

    ASSERT_EQ(1u, sim::MessageBoxes().size());
    const sim::MessageBoxCall& box = sim::MessageBoxes()[0];
    ASSERT_NE(nullptr, owner);
    EXPECT_EQ(owner, box.owner);
    EXPECT_TRUE(box.captionNull);
    EXPECT_EQ(static_cast<UINT>(MB_OK | MB_ICONEXCLAMATION), box.style);
    EXPECT_EQ(ExpectedReport("レジストリキー\"HKEY_CURRENT_USER\\x\"が見つかりません。", ERROR_ACCESS_DENIED), box.text);
    // The system text brings its own line break before the advice.
    EXPECT_NE(std::string::npos, box.text.find(std::string("\r\n") + kAdvice));
}

TEST_F(ReportSystemErrorTest, NullOwnerGivesAnOwnerlessBox) {
    SetLastError(ERROR_FILE_NOT_FOUND);
    ReportSystemError(nullptr, "x");
    ASSERT_EQ(1u, sim::MessageBoxes().size());
    EXPECT_EQ(nullptr, sim::MessageBoxes()[0].owner);
}

// A caller that reports a short read the system did not flag: the text for
// code 0 still stands on line 3.
TEST_F(ReportSystemErrorTest, LastErrorZeroShowsTheTextForZero) {
    SetLastError(0);
    ReportSystemError(nullptr, "ctx");
    ASSERT_EQ(1u, sim::MessageBoxes().size());
    EXPECT_EQ(ExpectedReport("ctx", 0), sim::MessageBoxes()[0].text);
}

// The error code is read before anything else runs: FormatMessageA and the
// heap may change the last error, the report must not.
TEST_F(ReportSystemErrorTest, ReportsTheCodeOfTheFailedCall) {
    SetLastError(ERROR_SHARING_VIOLATION);
    ReportSystemError(nullptr, "ctx");
    EXPECT_EQ(ExpectedReport("ctx", ERROR_SHARING_VIOLATION), sim::MessageBoxes().at(0).text);
}

TEST_F(ReportSystemErrorTest, NoSystemTextLeavesTheAdviceAlone) {
    sim::FailCall("FormatMessageA", 1, 317);
    SetLastError(ERROR_ACCESS_DENIED);
    ReportSystemError(nullptr, "ctx");
    ASSERT_EQ(1u, sim::MessageBoxes().size());
    EXPECT_EQ(std::string("予期せぬエラーが発生しました。\r\nctx\r\n") + kAdvice, sim::MessageBoxes()[0].text);
}

TEST_F(ReportSystemErrorTest, LongTextIsCutAt1023Bytes) {
    std::string context(2000, 'x');
    SetLastError(ERROR_ACCESS_DENIED);
    ReportSystemError(nullptr, context.c_str());
    ASSERT_EQ(1u, sim::MessageBoxes().size());
    const std::string& text = sim::MessageBoxes()[0].text;
    EXPECT_EQ(1023u, text.size());
    EXPECT_EQ(ExpectedReport(context, ERROR_ACCESS_DENIED).substr(0, 1023), text);
}

// With no heap block for the composition the user still sees the whole text.
TEST_F(ReportSystemErrorTest, HeapFailureStillShowsTheFullText) {
    sim::FailCall("HeapAlloc", 1, ERROR_NOT_ENOUGH_MEMORY);
    SetLastError(ERROR_ACCESS_DENIED);
    ReportSystemError(nullptr, "ctx");
    ASSERT_EQ(1u, sim::MessageBoxes().size());
    EXPECT_EQ(ExpectedReport("ctx", ERROR_ACCESS_DENIED), sim::MessageBoxes()[0].text);
}

}  // namespace
