// The restart prompt: its three buttons and the close box, the shutdown
// request with the privilege it needs, and a report for each failing step.
// Under Wine only the ways that end no session run, on the real template.
#include <string>
#include <vector>

#include "app/restart_prompt.h"
#include "dialog_user.h"
#include "resources/resource.h"

#if BRV_SIM
#include "testenv.h"
#endif

namespace {

class RestartPromptTest : public BrvTest {
protected:
    BOOL Run(HWND owner) {
        BOOL result = RestartPrompt(owner, GetModuleHandleA(nullptr));
        user::Finish();
        return result;
    }
    // Checks what the user sees, then presses `button`.
    static void Choose(int button) {
        user::PlayDialog(IDC_RESTART, [button](HWND dialog) {
            CHAR caption[64] = "";
            GetWindowTextA(dialog, caption, sizeof caption);
            EXPECT_EQ(std::string("シャットダウン"), caption);
            CHAR text[64] = "";
            GetDlgItemTextA(dialog, IDC_CONTINUE, text, sizeof text);
            EXPECT_EQ(std::string("続行"), text);
            // None of the three is the default button: Enter must not end the session.
            for (int id : {IDC_CONTINUE, IDC_SHUTDOWN, IDC_RESTART})
                EXPECT_EQ(BS_PUSHBUTTON, GetWindowLongPtrA(GetDlgItem(dialog, id), GWL_STYLE) & BS_TYPEMASK) << id;
            user::Press(dialog, button);
        });
    }
};

TEST_F(RestartPromptTest, ContinueDoesNothing) {
    Choose(IDC_CONTINUE);
    EXPECT_FALSE(Run(nullptr));
#if BRV_SIM
    ASSERT_EQ(1u, sim::Dialogs().size());
    EXPECT_EQ(IDD_RESTART, sim::Dialogs()[0].templateId);
    EXPECT_EQ(IDC_CONTINUE, sim::Dialogs()[0].result);
    EXPECT_EQ(0, sim::CallCount("OpenProcessToken"));
    EXPECT_TRUE(sim::MessageBoxes().empty());
    EXPECT_TRUE(sim::ExitWindowsCalls().empty());
#endif
}

TEST_F(RestartPromptTest, CloseBoxIsContinue) {
    // The simulation closes a dialog its user leaves open as the close box would.
    user::PlayDialog(IDC_RESTART, [](HWND dialog) {
#if BRV_SIM
        (void)dialog;
#else
        SendMessageA(dialog, WM_CLOSE, 0, 0);
#endif
    });
    EXPECT_FALSE(Run(nullptr));
#if BRV_SIM
    ASSERT_EQ(1u, sim::Dialogs().size());
    EXPECT_EQ(IDCANCEL, sim::Dialogs()[0].result);
    EXPECT_EQ(0, sim::CallCount("OpenProcessToken"));
    EXPECT_TRUE(sim::MessageBoxes().empty());
    EXPECT_TRUE(sim::ExitWindowsCalls().empty());
#endif
}

// The dialog procedure alone, safe under Wine for every button: it only
// ends the dialog with the button's id.
TEST_F(RestartPromptTest, EachButtonEndsTheDialogWithItsId) {
    for (int button : {IDC_CONTINUE, IDC_SHUTDOWN, IDC_RESTART}) {
        Choose(button);
        INT_PTR result = DialogBoxParamA(GetModuleHandleA(nullptr), MAKEINTRESOURCEA(IDD_RESTART), nullptr,
                                         RestartDialogProc, 0);
        user::Finish();
        EXPECT_EQ(button, result);
    }
}

#if BRV_SIM

TEST_F(RestartPromptTest, ShutDownAndRestartAskWindowsToEndTheSession) {
    HWND owner = sim::CreateOwnerWindow();
    Choose(IDC_SHUTDOWN);
    EXPECT_TRUE(Run(owner));
    Choose(IDC_RESTART);
    EXPECT_TRUE(Run(owner));

    EXPECT_EQ((std::vector<UINT>{EWX_SHUTDOWN, EWX_REBOOT}), sim::ExitWindowsCalls());
    ASSERT_EQ(2u, sim::Dialogs().size());
    EXPECT_EQ(owner, sim::Dialogs()[0].owner);
    EXPECT_EQ(0, sim::Dialogs()[0].param);
    EXPECT_TRUE(sim::MessageBoxes().empty());
    // The fixture checks that both tokens were closed.
}

TEST_F(RestartPromptTest, DialogThatCannotBeShownDoesNothing) {
    sim::FailCall("DialogBoxParamA", 1, ERROR_NOT_ENOUGH_MEMORY);
    EXPECT_FALSE(Run(nullptr));
    EXPECT_EQ(0, sim::CallCount("OpenProcessToken"));
    EXPECT_TRUE(sim::ExitWindowsCalls().empty());
}

struct FailingStep {
    const char* function;
    const char* context;
};

class RestartPromptFailureTest : public RestartPromptTest, public ::testing::WithParamInterface<FailingStep> {};

// Each failing step is reported once, owned by the caller's window, and
// nothing after it runs; the token is closed all the same (the fixture).
TEST_P(RestartPromptFailureTest, ReportsTheStepAndStops) {
    HWND owner = sim::CreateOwnerWindow();
    sim::FailCall(GetParam().function, 1, ERROR_ACCESS_DENIED);
    Choose(IDC_RESTART);
    EXPECT_FALSE(Run(owner));

    ASSERT_EQ(1u, sim::MessageBoxes().size());
    const sim::MessageBoxCall& box = sim::MessageBoxes()[0];
    EXPECT_EQ(owner, box.owner);
    EXPECT_TRUE(box.captionNull);
    EXPECT_EQ(static_cast<UINT>(MB_OK | MB_ICONEXCLAMATION), box.style);
    EXPECT_EQ(ExpectedReport(GetParam().context, ERROR_ACCESS_DENIED), box.text);
    EXPECT_TRUE(sim::ExitWindowsCalls().empty());
}

INSTANTIATE_TEST_SUITE_P(
    EveryStep, RestartPromptFailureTest,
    ::testing::Values(
        FailingStep{"OpenProcessToken", "シャットダウンしようとしましたが、プロセストークンを取得できません。"},
        FailingStep{"LookupPrivilegeValueA", "シャットダウンしようとしましたが、シャットダウン特権を取得できません。"},
        FailingStep{"AdjustTokenPrivileges",
                    "シャットダウンしようとしましたが、シャットダウン特権をプロセストークンに調整できません。"},
        FailingStep{"ExitWindowsEx", "シャットダウンできません。"}),
    [](const ::testing::TestParamInfo<FailingStep>& info) { return std::string(info.param.function); });

// A user without the privilege: the adjustment succeeds without assigning it,
// and Windows' refusal is what the user reads.
TEST_F(RestartPromptTest, UserWithoutThePrivilegeLearnsThatWindowsRefused) {
    sim::SetShutdownPrivilegeHeld(false);
    Choose(IDC_SHUTDOWN);
    EXPECT_FALSE(Run(nullptr));

    ASSERT_EQ(1u, sim::MessageBoxes().size());
    EXPECT_EQ(nullptr, sim::MessageBoxes()[0].owner);
    EXPECT_EQ(ExpectedReport("シャットダウンできません。", ERROR_PRIVILEGE_NOT_HELD), sim::MessageBoxes()[0].text);
    EXPECT_TRUE(sim::ExitWindowsCalls().empty());
}

#endif

}  // namespace
