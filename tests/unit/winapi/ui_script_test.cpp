// The scripted user of the simulation: message box and file dialog answers,
// dialog scripts (nested dialogs included), clicks, and the faults a test can
// inject into the UI functions. No Wine twin: on Windows a person plays this.
#include <sys/stat.h>

#include <cstdio>
#include <cstring>
#include <fstream>
#include <stdexcept>
#include <string>
#include <utility>
#include <vector>

#include "testenv.h"
#include "ui_contract_ids.h"
#include "winapi/sim/ui_resource.h"

namespace {

// What the test dialog procedure saw.
struct Seen {
    std::vector<std::pair<int, int>> commands;  // (id, notification)
    UINT checkAtClick = 99;
    LPARAM initParam = 0;
    HWND initFocus = nullptr;
    INT_PTR innerResult = 0;
    bool endDuringInit = false;
    bool ignoreCancel = false;
};

Seen* seen = nullptr;

INT_PTR CALLBACK InnerDialogProc(HWND dialog, UINT message, WPARAM wParam, LPARAM) {
    if (message == WM_COMMAND && (LOWORD(wParam) == IDOK || LOWORD(wParam) == IDCANCEL)) {
        EndDialog(dialog, LOWORD(wParam) == IDOK ? 11 : 12);
        return TRUE;
    }
    return FALSE;
}

// OK ends with 1, Cancel with 2; the inner button runs the shorthand dialog.
INT_PTR CALLBACK TestDialogProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
    case WM_INITDIALOG:
        seen->initParam = lParam;
        seen->initFocus = reinterpret_cast<HWND>(wParam);
        SetDlgItemTextA(dialog, IDC_PROMPT, "選択します。");
        if (seen->endDuringInit) EndDialog(dialog, 2);
        return TRUE;
    case WM_COMMAND:
        seen->commands.emplace_back(LOWORD(wParam), HIWORD(wParam));
        switch (LOWORD(wParam)) {
        case IDOK:
            EndDialog(dialog, 1);
            return TRUE;
        case IDCANCEL:
            if (!seen->ignoreCancel) EndDialog(dialog, 2);
            return TRUE;
        case IDC_CHECK:
            seen->checkAtClick = IsDlgButtonChecked(dialog, IDC_CHECK);
            return TRUE;
        case IDC_OPEN_INNER:
            seen->innerResult = DialogBoxParamA(reinterpret_cast<HINSTANCE>(GetWindowLongPtrA(dialog, GWLP_HINSTANCE)),
                                                MAKEINTRESOURCEA(IDD_UI_SHORTHAND), dialog, InnerDialogProc, 0);
            return TRUE;
        default:
            return FALSE;
        }
    default:
        return FALSE;
    }
}

class UiScriptTest : public BrvTest {
protected:
    void SetUp() override {
        BrvTest::SetUp();
        sim::SetResourceScript(BRV_UI_CONTRACT_RC);
        seen = &seen_;
    }
    void TearDown() override {
        seen = nullptr;
        BrvTest::TearDown();
    }
    INT_PTR RunDialog(LPARAM param = 0, HWND owner = nullptr) {
        return DialogBoxParamA(GetModuleHandleA(nullptr), MAKEINTRESOURCEA(IDD_UI_CONTRACT), owner, TestDialogProc,
                               param);
    }
    static std::string Text(HWND dialog, int id) {
        char buffer[256];
        GetDlgItemTextA(dialog, id, buffer, sizeof buffer);
        return buffer;
    }

    Seen seen_;
};

// ---- message boxes ----------------------------------------------------------

TEST_F(UiScriptTest, MessageBoxIsRecordedWithExactBytes) {
    HWND owner = sim::CreateOwnerWindow();
    EXPECT_EQ(IDOK, MessageBoxA(owner, "処理が完了しました。", "現行のIE/OEの設定をファイルにセーブ", MB_ICONINFORMATION));
    EXPECT_EQ(IDOK, MessageBoxA(nullptr, "x\r\ny", nullptr, MB_OK | MB_ICONEXCLAMATION));
    ASSERT_EQ(2u, sim::MessageBoxes().size());
    const sim::MessageBoxCall& first = sim::MessageBoxes()[0];
    EXPECT_EQ(owner, first.owner);
    EXPECT_EQ("\x8F\x88\x97\x9D\x82\xAA\x8A\xAE\x97\xB9\x82\xB5\x82\xDC\x82\xB5\x82\xBD\x81\x42", first.text);
    EXPECT_EQ("現行のIE/OEの設定をファイルにセーブ", first.caption);
    EXPECT_FALSE(first.captionNull);
    EXPECT_EQ((UINT)MB_ICONINFORMATION, first.style);
    const sim::MessageBoxCall& second = sim::MessageBoxes()[1];
    EXPECT_EQ(nullptr, second.owner);
    EXPECT_EQ("x\r\ny", second.text);
    EXPECT_TRUE(second.captionNull);
    EXPECT_EQ("", second.caption);
    EXPECT_EQ((UINT)(MB_OK | MB_ICONEXCLAMATION), second.style);
}

TEST_F(UiScriptTest, UnansweredBoxPressesItsFirstButton) {
    EXPECT_EQ(IDOK, MessageBoxA(nullptr, "a", nullptr, MB_OK));
    EXPECT_EQ(IDOK, MessageBoxA(nullptr, "b", nullptr, MB_OKCANCEL | MB_ICONQUESTION));
    EXPECT_EQ(IDYES, MessageBoxA(nullptr, "c", nullptr, MB_YESNO | MB_DEFBUTTON2));
    EXPECT_EQ(IDYES, MessageBoxA(nullptr, "d", nullptr, MB_YESNOCANCEL));
    EXPECT_EQ(IDRETRY, MessageBoxA(nullptr, "e", nullptr, MB_RETRYCANCEL));
    EXPECT_EQ(IDABORT, MessageBoxA(nullptr, "f", nullptr, MB_ABORTRETRYIGNORE));
    EXPECT_EQ(6u, sim::MessageBoxes().size());
}

TEST_F(UiScriptTest, QueuedAnswersAreUsedInOrder) {
    sim::QueueMessageBoxAnswer(IDCANCEL);
    sim::QueueMessageBoxAnswer(IDNO);
    EXPECT_EQ(IDCANCEL, MessageBoxA(nullptr, "q1", nullptr, MB_OKCANCEL));
    EXPECT_EQ(IDNO, MessageBoxA(nullptr, "q2", nullptr, MB_YESNO));
    EXPECT_EQ(IDOK, MessageBoxA(nullptr, "q3", nullptr, MB_OKCANCEL)) << "queue used up: first button";
}

TEST_F(UiScriptTest, AnswerThatIsNoButtonOfTheBoxIsATestError) {
    sim::QueueMessageBoxAnswer(IDYES);
    EXPECT_THROW(MessageBoxA(nullptr, "ok only", nullptr, MB_OK), std::invalid_argument);
}

TEST_F(UiScriptTest, BoxWithAStaleOwnerIsNotShown) {
    HWND dialogSeen = nullptr;
    sim::QueueDialogScript([&](HWND dialog, int) { dialogSeen = dialog; });
    RunDialog();
    EXPECT_EQ(-1, MessageBoxA(dialogSeen, "after the dialog", nullptr, MB_OK));
    EXPECT_EQ((DWORD)ERROR_INVALID_WINDOW_HANDLE, GetLastError());
    EXPECT_TRUE(sim::MessageBoxes().empty());
}

TEST_F(UiScriptTest, MessageBoxFaultFailsWithoutShowingAnything) {
    sim::FailCall("MessageBoxA", 1, ERROR_NOT_ENOUGH_MEMORY, "boom");
    EXPECT_EQ(IDOK, MessageBoxA(nullptr, "fine", nullptr, MB_OK));
    EXPECT_EQ(0, MessageBoxA(nullptr, "boom", nullptr, MB_OK));
    EXPECT_EQ((DWORD)ERROR_NOT_ENOUGH_MEMORY, GetLastError());
    EXPECT_EQ(1u, sim::MessageBoxes().size());
    EXPECT_EQ(2, sim::CallCount("MessageBoxA"));
}

// ---- file dialogs -------------------------------------------------------------

class UiFileDialogTest : public UiScriptTest {
protected:
    void SetUp() override {
        UiScriptTest::SetUp();
        std::memset(&ofn_, 0, sizeof ofn_);
        std::memset(file_, 0, sizeof file_);
        ofn_.lStructSize = OPENFILENAME_SIZE_VERSION_400A;
        ofn_.hwndOwner = nullptr;
        ofn_.lpstrFilter = kFilter;
        ofn_.lpstrFile = file_;
        ofn_.nMaxFile = MAX_PATH;
        ofn_.lpstrTitle = "現行のIE/OEの設定をファイルにセーブ";
        ofn_.lpstrDefExt = "ies";
    }
    static constexpr char kFilter[] = "IE/OE設定用ファイル(*.ies)\0*.ies\0すべてのファイル(*.*)\0*.*\0";
    OPENFILENAMEA ofn_;
    char file_[MAX_PATH];
};
constexpr char UiFileDialogTest::kFilter[];

TEST_F(UiFileDialogTest, SaveDialogRecordsTheRecordFilterTitleAndExtension) {
    sim::QueueFileDialogAnswer("C:\\Users\\tester\\a.ies");
    ofn_.hwndOwner = sim::CreateOwnerWindow();
    ASSERT_TRUE(GetSaveFileNameA(&ofn_));
    ASSERT_EQ(1u, sim::FileDialogs().size());
    const sim::FileDialogCall& call = sim::FileDialogs()[0];
    EXPECT_TRUE(call.save);
    EXPECT_EQ(std::string(kFilter, sizeof kFilter), call.filter) << "whole filter up to the double NUL";
    EXPECT_EQ("現行のIE/OEの設定をファイルにセーブ", call.title);
    EXPECT_EQ("ies", call.defExt);
    EXPECT_EQ(ofn_.hwndOwner, call.ofn.hwndOwner);
    EXPECT_EQ((DWORD)MAX_PATH, call.ofn.nMaxFile);
    EXPECT_EQ(file_, call.ofn.lpstrFile);
    EXPECT_EQ(0u, call.ofn.Flags);
    EXPECT_STREQ("C:\\Users\\tester\\a.ies", file_);
    EXPECT_EQ(16, ofn_.nFileOffset);
    EXPECT_EQ(18, ofn_.nFileExtension);
}

TEST_F(UiFileDialogTest, NameWithoutExtensionGetsTheDefaultOne) {
    sim::QueueFileDialogAnswer("C:\\dir.d\\profile");
    sim::QueueFileDialogAnswer("C:\\x\\notes.txt");
    ASSERT_TRUE(GetSaveFileNameA(&ofn_));
    EXPECT_STREQ("C:\\dir.d\\profile.ies", file_) << "a dot in a folder name is no extension";
    ASSERT_TRUE(GetSaveFileNameA(&ofn_));
    EXPECT_STREQ("C:\\x\\notes.txt", file_);
    ofn_.lpstrDefExt = nullptr;
    sim::QueueFileDialogAnswer("C:\\x\\bare");
    ASSERT_TRUE(GetSaveFileNameA(&ofn_));
    EXPECT_STREQ("C:\\x\\bare", file_);
    EXPECT_EQ(9, ofn_.nFileExtension) << "no extension: the offset of the NUL";
}

TEST_F(UiFileDialogTest, CancelLeavesTheBufferAlone) {
    std::strcpy(file_, "before");
    sim::QueueFileDialogCancel();
    EXPECT_FALSE(GetSaveFileNameA(&ofn_));
    EXPECT_FALSE(GetOpenFileNameA(&ofn_)) << "nothing queued: the user cancels";
    EXPECT_STREQ("before", file_);
    ASSERT_EQ(2u, sim::FileDialogs().size());
    EXPECT_FALSE(sim::FileDialogs()[1].save);
}

TEST_F(UiFileDialogTest, PathLongerThanTheBufferFailsWithTheSizeNeeded) {
    ofn_.nMaxFile = 10;
    sim::QueueFileDialogAnswer("C:\\abcdefgh.ies");
    EXPECT_FALSE(GetSaveFileNameA(&ofn_));
    WORD needed;
    std::memcpy(&needed, file_, sizeof needed);
    EXPECT_EQ(16, needed);
    ofn_.nMaxFile = 16;
    sim::QueueFileDialogAnswer("C:\\abcdefgh.ies");
    EXPECT_TRUE(GetSaveFileNameA(&ofn_)) << "exactly fits with its NUL";
}

TEST_F(UiFileDialogTest, WrongSizeIsRefusedBeforeAnythingIsShown) {
    ofn_.lStructSize = 76 + (sizeof(void*) == 8 ? 0 : 4);
    sim::QueueFileDialogAnswer("C:\\a.ies");
    EXPECT_FALSE(GetSaveFileNameA(&ofn_));
    EXPECT_TRUE(sim::FileDialogs().empty());
    ofn_.lStructSize = sizeof(OPENFILENAMEA);
    EXPECT_TRUE(GetSaveFileNameA(&ofn_)) << "the answer is still queued";
}

TEST_F(UiFileDialogTest, OpenDialogOnlyReturnsExistingFilesWhenAskedTo) {
    ofn_.Flags = OFN_FILEMUSTEXIST | OFN_HIDEREADONLY;
    WriteBytes(Dir() + "there.ies", "x");
    sim::QueueFileDialogAnswer(Dir() + "there");
    ASSERT_TRUE(GetOpenFileNameA(&ofn_));
    EXPECT_EQ(Dir() + "there.ies", std::string(file_));
    sim::QueueFileDialogAnswer(Dir() + "missing.ies");
    EXPECT_THROW(GetOpenFileNameA(&ofn_), std::invalid_argument);
}

TEST_F(UiFileDialogTest, FaultFailsTheDialog) {
    sim::FailCall("GetSaveFileNameA", 1, ERROR_NOT_ENOUGH_MEMORY);
    sim::QueueFileDialogAnswer("C:\\a.ies");
    EXPECT_FALSE(GetSaveFileNameA(&ofn_));
    EXPECT_STREQ("", file_);
    EXPECT_TRUE(GetSaveFileNameA(&ofn_)) << "the answer waits for the next dialog";
}

// ---- dialogs and the scripted user --------------------------------------------

TEST_F(UiScriptTest, ScriptPlaysTheDialogAfterInitDialog) {
    int scriptedTemplate = 0;
    sim::QueueDialogScript([&](HWND dialog, int templateId) {
        scriptedTemplate = templateId;
        EXPECT_EQ("選択します。", Text(dialog, IDC_PROMPT)) << "WM_INITDIALOG ran before the user";
        EXPECT_EQ("テスト用ダイアログ", [&] {
            char caption[64];
            GetWindowTextA(dialog, caption, sizeof caption);
            return std::string(caption);
        }());
        EXPECT_FALSE(sim::DialogEnded(dialog));
        sim::Click(dialog, IDOK);
        EXPECT_TRUE(sim::DialogEnded(dialog));
    });
    EXPECT_EQ(1, RunDialog(42));
    EXPECT_EQ(IDD_UI_CONTRACT, scriptedTemplate);
    EXPECT_EQ(42, seen_.initParam);
    ASSERT_EQ(1u, sim::Dialogs().size());
    EXPECT_EQ(IDD_UI_CONTRACT, sim::Dialogs()[0].templateId);
    EXPECT_EQ(nullptr, sim::Dialogs()[0].owner);
    EXPECT_EQ(42, sim::Dialogs()[0].param);
    EXPECT_EQ(1, sim::Dialogs()[0].result);
    EXPECT_EQ((std::vector<std::pair<int, int>>{{IDOK, BN_CLICKED}}), seen_.commands);
}

TEST_F(UiScriptTest, InitDialogGetsTheFirstTabStopAsFocus) {
    HWND ok = nullptr;
    sim::QueueDialogScript([&](HWND dialog, int) { ok = GetDlgItem(dialog, IDOK); });
    RunDialog();
    EXPECT_NE(nullptr, seen_.initFocus);
    EXPECT_EQ(ok, seen_.initFocus);
}

TEST_F(UiScriptTest, WithoutScriptTheCloseBoxCancels) {
    EXPECT_EQ(2, RunDialog());
    EXPECT_EQ((std::vector<std::pair<int, int>>{{IDCANCEL, BN_CLICKED}}), seen_.commands);
}

TEST_F(UiScriptTest, DialogThatWillNotCloseEndsWithMinusOne) {
    seen_.ignoreCancel = true;
    sim::QueueDialogScript([](HWND, int) {});
    EXPECT_EQ(-1, RunDialog());
    EXPECT_EQ(-1, sim::Dialogs().back().result);
}

TEST_F(UiScriptTest, CloseBoxDoesNothingWhileCancelIsDisabled) {
    sim::QueueDialogScript([&](HWND dialog, int) {
        EnableWindow(GetDlgItem(dialog, IDCANCEL), FALSE);
        sim::Click(dialog, IDCANCEL);
        EXPECT_FALSE(sim::DialogEnded(dialog));
    });
    EXPECT_EQ(-1, RunDialog());
    EXPECT_TRUE(seen_.commands.empty());
}

TEST_F(UiScriptTest, ClickOnADisabledControlDoesNothing) {
    sim::QueueDialogScript([&](HWND dialog, int) {
        sim::Click(dialog, IDC_DISABLED);
        EXPECT_TRUE(seen_.commands.empty());
        EnableWindow(GetDlgItem(dialog, IDC_DISABLED), TRUE);
        sim::Click(dialog, IDC_DISABLED);
        EXPECT_EQ((std::vector<std::pair<int, int>>{{IDC_DISABLED, BN_CLICKED}}), seen_.commands);
        EnableWindow(GetDlgItem(dialog, IDOK), FALSE);
        sim::Click(dialog, IDOK);
        EXPECT_FALSE(sim::DialogEnded(dialog));
        EnableWindow(GetDlgItem(dialog, IDOK), TRUE);
        sim::Click(dialog, IDOK);
    });
    EXPECT_EQ(1, RunDialog());
}

TEST_F(UiScriptTest, ClickTogglesACheckBoxBeforeTheCommandArrives) {
    sim::QueueDialogScript([&](HWND dialog, int) {
        sim::Click(dialog, IDC_CHECK);
        EXPECT_EQ((UINT)BST_CHECKED, seen_.checkAtClick);
        sim::Click(dialog, IDC_CHECK);
        EXPECT_EQ((UINT)BST_UNCHECKED, seen_.checkAtClick);
        CheckDlgButton(dialog, IDC_CHECK, BST_CHECKED);
        sim::Click(dialog, IDC_CHECK);
        EXPECT_EQ((UINT)BST_UNCHECKED, seen_.checkAtClick);
        sim::Click(dialog, IDOK);
    });
    RunDialog();
    EXPECT_EQ(4u, seen_.commands.size());
}

TEST_F(UiScriptTest, ClicksThatNoUserCouldMakeAreTestErrors) {
    sim::QueueDialogScript([&](HWND dialog, int) {
        EXPECT_THROW(sim::Click(dialog, 4242), std::invalid_argument);
        EXPECT_THROW(sim::Click(dialog, IDC_SORTED), std::invalid_argument) << "a list box is no button";
        sim::Click(dialog, IDOK);
        sim::Click(dialog, IDCANCEL);  // the dialog has ended: nothing arrives
    });
    EXPECT_EQ(1, RunDialog());
    EXPECT_EQ(1u, seen_.commands.size());
}

TEST_F(UiScriptTest, TypingIntoAnEditNotifiesTheDialog) {
    sim::QueueDialogScript([&](HWND dialog, int) {
        SetDlgItemTextA(dialog, IDC_COMMENT, "コメント");
        sim::Click(dialog, IDOK);
    });
    RunDialog();
    EXPECT_EQ((std::vector<std::pair<int, int>>{
                  {IDC_COMMENT, EN_UPDATE}, {IDC_COMMENT, EN_CHANGE}, {IDOK, BN_CLICKED}}),
              seen_.commands);
}

TEST_F(UiScriptTest, UserTypesOnlyWhereAUserCan) {
    sim::QueueDialogScript([&](HWND dialog, int) {
        sim::Type(dialog, IDC_COMMENT, "コメント");
        EXPECT_EQ("コメント", Text(dialog, IDC_COMMENT));
        sim::Type(dialog, IDC_NAME, "intruder");
        EXPECT_EQ("", Text(dialog, IDC_NAME)) << "read-only";
        SendDlgItemMessageA(dialog, IDC_COMMENT, EM_LIMITTEXT, 3, 0);
        sim::Type(dialog, IDC_COMMENT, "ab漢字");
        EXPECT_EQ("ab漢", Text(dialog, IDC_COMMENT)) << "the limit counts characters";
        EnableWindow(GetDlgItem(dialog, IDC_COMMENT), FALSE);
        sim::Type(dialog, IDC_COMMENT, "x");
        EXPECT_EQ("ab漢", Text(dialog, IDC_COMMENT));
        EXPECT_THROW(sim::Type(dialog, IDC_SORTED, "x"), std::invalid_argument);
        sim::Click(dialog, IDOK);
    });
    RunDialog();
    EXPECT_EQ((std::vector<std::pair<int, int>>{{IDC_COMMENT, EN_UPDATE},
                                                 {IDC_COMMENT, EN_CHANGE},
                                                 {IDC_COMMENT, EN_UPDATE},
                                                 {IDC_COMMENT, EN_CHANGE},
                                                 {IDOK, BN_CLICKED}}),
              seen_.commands);
}

TEST_F(UiScriptTest, UserClicksListItems) {
    sim::QueueDialogScript([&](HWND dialog, int) {
        for (const char* t : {"b", "a", "c"}) {
            SendDlgItemMessageA(dialog, IDC_SORTED, LB_ADDSTRING, 0, reinterpret_cast<LPARAM>(t));
            SendDlgItemMessageA(dialog, IDC_SINGLE, LB_ADDSTRING, 0, reinterpret_cast<LPARAM>(t));
            SendDlgItemMessageA(dialog, IDC_PLAIN, LB_ADDSTRING, 0, reinterpret_cast<LPARAM>(t));
        }
        SendDlgItemMessageA(dialog, IDC_SORTED, LB_SETSEL, TRUE, -1);
        sim::ClickListItem(dialog, IDC_SORTED, 1);  // multiple selection: toggles
        EXPECT_EQ(0, SendDlgItemMessageA(dialog, IDC_SORTED, LB_GETSEL, 1, 0));
        EXPECT_EQ(2, SendDlgItemMessageA(dialog, IDC_SORTED, LB_GETSELCOUNT, 0, 0));
        sim::ClickListItem(dialog, IDC_SORTED, 1);
        EXPECT_EQ(3, SendDlgItemMessageA(dialog, IDC_SORTED, LB_GETSELCOUNT, 0, 0));
        sim::ClickListItem(dialog, IDC_SINGLE, 2);
        sim::ClickListItem(dialog, IDC_SINGLE, 2);  // no change, no notification
        EXPECT_EQ(2, SendDlgItemMessageA(dialog, IDC_SINGLE, LB_GETCURSEL, 0, 0));
        sim::ClickListItem(dialog, IDC_PLAIN, 0);  // no LBS_NOTIFY: silent
        EXPECT_EQ(1, SendDlgItemMessageA(dialog, IDC_PLAIN, LB_GETSELCOUNT, 0, 0));
        EXPECT_THROW(sim::ClickListItem(dialog, IDC_SORTED, 3), std::invalid_argument);
        EnableWindow(GetDlgItem(dialog, IDC_SORTED), FALSE);
        sim::ClickListItem(dialog, IDC_SORTED, 0);
        EXPECT_EQ(3, SendDlgItemMessageA(dialog, IDC_SORTED, LB_GETSELCOUNT, 0, 0)) << "disabled";
        sim::Click(dialog, IDOK);
    });
    RunDialog();
    EXPECT_EQ((std::vector<std::pair<int, int>>{{IDC_SORTED, LBN_SELCHANGE},
                                                 {IDC_SORTED, LBN_SELCHANGE},
                                                 {IDC_SINGLE, LBN_SELCHANGE},
                                                 {IDOK, BN_CLICKED}}),
              seen_.commands);
}

TEST_F(UiScriptTest, NestedDialogPlaysTheNextScriptWhileItsOwnerIsDisabled) {
    HWND outer = nullptr;
    sim::QueueDialogScript([&](HWND dialog, int templateId) {
        EXPECT_EQ(IDD_UI_CONTRACT, templateId);
        outer = dialog;
        sim::Click(dialog, IDC_OPEN_INNER);
        EXPECT_EQ(11, seen_.innerResult);
        EXPECT_TRUE(IsWindowEnabled(dialog)) << "enabled again when the inner dialog ends";
        sim::Click(dialog, IDOK);
    });
    sim::QueueDialogScript([&](HWND dialog, int templateId) {
        EXPECT_EQ(IDD_UI_SHORTHAND, templateId);
        EXPECT_NE(outer, dialog);
        EXPECT_FALSE(IsWindowEnabled(outer));
        sim::Click(outer, IDOK);  // the outer dialog cannot be reached
        EXPECT_FALSE(sim::DialogEnded(outer));
        sim::Click(dialog, IDOK);
    });
    EXPECT_EQ(1, RunDialog());
    ASSERT_EQ(2u, sim::Dialogs().size());
    EXPECT_EQ(IDD_UI_CONTRACT, sim::Dialogs()[0].templateId);
    EXPECT_EQ(1, sim::Dialogs()[0].result);
    EXPECT_EQ(IDD_UI_SHORTHAND, sim::Dialogs()[1].templateId);
    EXPECT_EQ(outer, sim::Dialogs()[1].owner);
    EXPECT_EQ(11, sim::Dialogs()[1].result);
}

TEST_F(UiScriptTest, DialogEndedDuringInitTakesNoScript) {
    seen_.endDuringInit = true;
    bool ran = false;
    sim::QueueDialogScript([&](HWND dialog, int) {
        ran = true;
        sim::Click(dialog, IDOK);
    });
    EXPECT_EQ(2, RunDialog());
    EXPECT_FALSE(ran);
    seen_.endDuringInit = false;
    EXPECT_EQ(1, RunDialog()) << "the script plays the next dialog";
    EXPECT_TRUE(ran);
}

TEST_F(UiScriptTest, HandlesDieWithTheirDialog) {
    HWND dialog = nullptr;
    HWND list = nullptr;
    sim::QueueDialogScript([&](HWND d, int) {
        dialog = d;
        list = GetDlgItem(d, IDC_SORTED);
    });
    RunDialog();
    EXPECT_TRUE(sim::DialogEnded(dialog));
    SetLastError(0);
    EXPECT_EQ(nullptr, GetDlgItem(dialog, IDC_SORTED));
    EXPECT_EQ((DWORD)ERROR_INVALID_WINDOW_HANDLE, GetLastError());
    EXPECT_EQ(0, SendMessageA(list, LB_GETCOUNT, 0, 0));
    EXPECT_FALSE(IsWindowEnabled(list));
}

TEST_F(UiScriptTest, UnknownTemplateAndBadOwnerFailAsOnWindows) {
    EXPECT_EQ(-1, DialogBoxParamA(nullptr, MAKEINTRESOURCEA(4321), nullptr, TestDialogProc, 0));
    EXPECT_EQ((DWORD)ERROR_RESOURCE_NAME_NOT_FOUND, GetLastError());
    HWND bogus = reinterpret_cast<HWND>(static_cast<uintptr_t>(0x4444));
    EXPECT_EQ(0, RunDialog(0, bogus));
    EXPECT_EQ((DWORD)ERROR_INVALID_WINDOW_HANDLE, GetLastError());
    ASSERT_EQ(2u, sim::Dialogs().size()) << "failed calls are recorded too";
    EXPECT_EQ(4321, sim::Dialogs()[0].templateId);
    EXPECT_EQ(-1, sim::Dialogs()[0].result);
    EXPECT_EQ(bogus, sim::Dialogs()[1].owner);
    EXPECT_EQ(0, sim::Dialogs()[1].result);
    EXPECT_EQ(12, DialogBoxParamA(nullptr, "#901", nullptr, InnerDialogProc, 0)) << "\"#901\" names template 901";
}

// Without the fixture: it resets the machine itself.
TEST(UiReset, ForgetsScriptsAnswersRecordsAndTheScriptPath) {
    sim::Reset();
    Seen local;
    seen = &local;
    sim::SetResourceScript(BRV_UI_CONTRACT_RC);
    sim::QueueDialogScript([](HWND dialog, int) { sim::Click(dialog, IDOK); });
    sim::QueueMessageBoxAnswer(IDCANCEL);
    sim::QueueFileDialogAnswer("C:\\a");
    EXPECT_EQ(IDCANCEL, MessageBoxA(nullptr, "x", nullptr, MB_OKCANCEL));
    sim::QueueMessageBoxAnswer(IDCANCEL);
    sim::Reset();
    EXPECT_TRUE(sim::MessageBoxes().empty());
    EXPECT_EQ(IDOK, MessageBoxA(nullptr, "y", nullptr, MB_OKCANCEL));
    OPENFILENAMEA ofn;
    std::memset(&ofn, 0, sizeof ofn);
    ofn.lStructSize = sizeof ofn;
    EXPECT_FALSE(GetOpenFileNameA(&ofn)) << "the queued answer is gone";
    sim::DialogTemplate t;
    std::string error;
    EXPECT_FALSE(sim::LoadDialogTemplate(IDD_UI_CONTRACT, &t, &error)) << "back to the product's script";
    sim::SetResourceScript(BRV_UI_CONTRACT_RC);
    EXPECT_EQ(2, DialogBoxParamA(nullptr, MAKEINTRESOURCEA(IDD_UI_CONTRACT), nullptr, TestDialogProc, 0))
        << "no script left: the close box";
    seen = nullptr;
    sim::Reset();
}

// ---- faults --------------------------------------------------------------------

TEST_F(UiScriptTest, DialogFaultFailsBeforeAnythingIsBuilt) {
    sim::FailCall("DialogBoxParamA", 1, ERROR_NOT_ENOUGH_MEMORY, std::to_string(IDD_UI_CONTRACT));
    EXPECT_EQ(-1, RunDialog());
    EXPECT_EQ((DWORD)ERROR_NOT_ENOUGH_MEMORY, GetLastError());
    EXPECT_EQ(nullptr, seen_.initFocus) << "the procedure never ran";
    EXPECT_EQ(2, RunDialog());
    ASSERT_EQ(2u, sim::Dialogs().size());
    EXPECT_EQ(-1, sim::Dialogs()[0].result);
}

TEST_F(UiScriptTest, ListBoxMessageFaultAimsAtOneControlAndMessage) {
    sim::FailCall("SendDlgItemMessageA", 1, ERROR_NOT_ENOUGH_MEMORY, "1007\\LB_SETSEL");
    sim::QueueDialogScript([&](HWND dialog, int) {
        SendDlgItemMessageA(dialog, IDC_SORTED, LB_ADDSTRING, 0, reinterpret_cast<LPARAM>("a"));
        EXPECT_EQ(LB_OKAY, SendDlgItemMessageA(dialog, IDC_PLAIN, LB_SETSEL, TRUE, -1));
        EXPECT_EQ(LB_ERR, SendDlgItemMessageA(dialog, IDC_SORTED, LB_SETSEL, TRUE, -1));
        EXPECT_EQ(0, SendDlgItemMessageA(dialog, IDC_SORTED, LB_GETSELCOUNT, 0, 0)) << "nothing was selected";
        EXPECT_EQ(LB_OKAY, SendDlgItemMessageA(dialog, IDC_SORTED, LB_SETSEL, TRUE, -1));
        sim::Click(dialog, IDOK);
    });
    RunDialog();
    EXPECT_EQ(5, sim::CallCount("SendDlgItemMessageA"));
}

TEST_F(UiScriptTest, TextFaultsFailTheCall) {
    sim::FailCall("SetDlgItemTextA", 1, ERROR_NOT_ENOUGH_MEMORY, std::to_string(IDD_UI_CONTRACT) + "\\1008");
    sim::FailCall("GetDlgItemTextA", 1, ERROR_NOT_ENOUGH_MEMORY);
    sim::QueueDialogScript([&](HWND dialog, int) {
        EXPECT_FALSE(SetDlgItemTextA(dialog, IDC_NAME, "tester"));
        char buffer[16] = "junk";
        EXPECT_EQ(0u, GetDlgItemTextA(dialog, IDC_NAME, buffer, sizeof buffer));
        EXPECT_STREQ("", buffer);
        EXPECT_TRUE(SetDlgItemTextA(dialog, IDC_NAME, "tester"));
        EXPECT_EQ("tester", Text(dialog, IDC_NAME));
        sim::Click(dialog, IDOK);
    });
    RunDialog();
}

// ---- a broken resource script ------------------------------------------------

TEST_F(UiScriptTest, BrokenScriptIsATestFailureNamingTheLine) {
    std::string path = sim::HostPath(Dir()) + "broken.rc";
    {
        std::ofstream out(path);
        out << "#pragma code_page(65001)\n900 DIALOGEX 0, 0, 10, 10\nBEGIN\n    CONTROL \"x\", 1, \"Button\", "
               "BS_NOSUCHSTYLE, 0, 0, 1, 1\nEND\n";
    }
    sim::SetResourceScript(path);
    try {
        RunDialog();
        ADD_FAILURE() << "no error for a broken script";
    } catch (const sim::ResourceScriptError& e) {
        EXPECT_NE(std::string::npos, std::string(e.what()).find("broken.rc:4: unknown name: `BS_NOSUCHSTYLE`"))
            << e.what();
    }
}

}  // namespace
