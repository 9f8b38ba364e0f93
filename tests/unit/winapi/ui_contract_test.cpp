// Dialog, control and list box behaviour the program relies on, checked on
// the simulation and under Wine with the same template (ui_contract.rc): the
// checks run inside WM_INITDIALOG and the dialog ends itself, so no user is
// needed on either side. Expected values are Wine's.
#include <cstring>
#include <functional>
#include <string>
#include <utility>
#include <vector>

#include "support/testenv.h"
#include "ui_contract_ids.h"

namespace {

struct Probe {
    std::function<void(HWND)> check;
    std::vector<std::pair<int, int>> commands;  // (id, notification) of WM_COMMAND
    HWND dialog = nullptr;
};

Probe* current = nullptr;

INT_PTR CALLBACK ContractDialogProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == WM_INITDIALOG) {
        Probe* probe = reinterpret_cast<Probe*>(lParam);
        probe->dialog = dialog;
        probe->commands.clear();
        probe->check(dialog);
        EndDialog(dialog, 7);
        return TRUE;
    }
    if (message == WM_COMMAND && current) {
        current->commands.emplace_back(LOWORD(wParam), HIWORD(wParam));
        return TRUE;
    }
    return FALSE;
}

class UiContractTest : public BrvTest {
protected:
    void SetUp() override {
        BrvTest::SetUp();
#if BRV_SIM
        sim::SetResourceScript(BRV_UI_CONTRACT_RC);
#endif
    }

    // Runs the test dialog with `check` as its set-up; the dialog ends itself.
    void Run(std::function<void(HWND)> check) {
        probe_.check = std::move(check);
        current = &probe_;
        INT_PTR result = DialogBoxParamA(GetModuleHandleA(nullptr), MAKEINTRESOURCEA(IDD_UI_CONTRACT), nullptr,
                                         ContractDialogProc, reinterpret_cast<LPARAM>(&probe_));
        current = nullptr;
        ASSERT_EQ(7, result) << "the test dialog did not run (error " << GetLastError() << ")";
    }

    static LRESULT Send(HWND dialog, int id, UINT message, WPARAM wParam = 0, LPARAM lParam = 0) {
        return SendDlgItemMessageA(dialog, id, message, wParam, lParam);
    }
    static LRESULT Add(HWND dialog, int id, const char* text) {
        return Send(dialog, id, LB_ADDSTRING, 0, reinterpret_cast<LPARAM>(text));
    }
    static std::vector<std::string> Items(HWND dialog, int id) {
        std::vector<std::string> items;
        LRESULT count = Send(dialog, id, LB_GETCOUNT);
        for (LRESULT i = 0; i < count; ++i) {
            char buffer[256];
            LRESULT n = Send(dialog, id, LB_GETTEXT, (WPARAM)i, reinterpret_cast<LPARAM>(buffer));
            items.push_back(n >= 0 ? std::string(buffer, (size_t)n) : "<LB_ERR>");
        }
        return items;
    }

    Probe probe_;
};

TEST_F(UiContractTest, SortedListOrdersMixedCaseDigitsSymbolsAndJapaneseAsTheSystem) {
    const char* texts[] = {"zeta", "Zeta", "abc", "ABD", "Abc", "ab", "a-b", "a'b", "a b", "a_b", "AB",
                           "_x", "~x", "-x", "x-", "[a]", "!", "#", "@", "1x", "10", "9", "0", "２", "ａｂｃ",
                           "ＡＢＣ", "ローカル エリア接続 2", "ローカル エリア接続", "ﾛｰｶﾙ", "あいう", "アイウ", "ｱｲｳ",
                           "ダ", "ﾀﾞ", "タ", "漢字", "表示", "亜", "腕", "ー", "カー", "Local Area Connection",
                           "Local Area Connection 2", "山田 太郎", "ﾔﾏﾀﾞ ﾀﾛｳ", "ユーザー", "user1", "User10", "user2",
                           "Main Identity", ""};
    // Where each LB_ADDSTRING put its text, and the final order (Wine, ja-JP).
    const std::vector<int> positions = {0,  0,  0,  1,  0,  0,  1,  1,  0,  1,  2,  0,  1,  11, 11, 0,  0,
                                        1,  2,  6,  6,  8,  6,  9,  19, 19, 26, 26, 26, 26, 26, 26, 29, 30,
                                        29, 35, 36, 35, 38, 39, 29, 22, 23, 40, 35, 36, 24, 25, 26, 24, 0};
    const std::vector<int> order = {50, 16, 17, 18, 15, 11, 12, 22, 20, 19, 23, 21, 8,  9,  10, 5,  7,
                                    6,  4,  2,  25, 24, 3,  41, 42, 49, 46, 47, 48, 14, 13, 1,  0,  31,
                                    30, 29, 40, 34, 32, 33, 44, 45, 28, 27, 26, 37, 35, 43, 36, 38, 39};
    Run([&](HWND dialog) {
        std::vector<int> got;
        for (size_t i = 0; i < sizeof texts / sizeof texts[0]; ++i) {
            LRESULT at = Add(dialog, IDC_SORTED, texts[i]);
            got.push_back((int)at);
            EXPECT_NE(LB_ERR, Send(dialog, IDC_SORTED, LB_SETITEMDATA, (WPARAM)at, (LPARAM)i));
        }
        EXPECT_EQ(positions, got);
        std::vector<std::string> expected;
        std::vector<int> data;
        for (int i : order) expected.push_back(texts[i]);
        for (size_t i = 0; i < order.size(); ++i) data.push_back((int)Send(dialog, IDC_SORTED, LB_GETITEMDATA, i));
        EXPECT_EQ(expected, Items(dialog, IDC_SORTED));
        EXPECT_EQ(order, data) << "item data must travel with its text while others are inserted";
    });
}

TEST_F(UiContractTest, SelectAllWorksOnEmptyAndFullLists) {
    Run([&](HWND dialog) {
        EXPECT_EQ(LB_OKAY, Send(dialog, IDC_SORTED, LB_SETSEL, TRUE, -1));
        EXPECT_EQ(0, Send(dialog, IDC_SORTED, LB_GETSELCOUNT));
        EXPECT_EQ(LB_ERR, Send(dialog, IDC_SORTED, LB_GETSEL, 0));
        EXPECT_EQ(LB_ERR, Send(dialog, IDC_SORTED, LB_GETCURSEL));
        for (const char* t : {"c", "a", "b"}) Add(dialog, IDC_SORTED, t);
        EXPECT_EQ(LB_OKAY, Send(dialog, IDC_SORTED, LB_SETSEL, TRUE, -1));
        EXPECT_EQ(3, Send(dialog, IDC_SORTED, LB_GETSELCOUNT));
        for (WPARAM i = 0; i < 3; ++i) EXPECT_GT(Send(dialog, IDC_SORTED, LB_GETSEL, i), 0);
        EXPECT_EQ(LB_OKAY, Send(dialog, IDC_SORTED, LB_SETSEL, FALSE, 1));
        EXPECT_EQ(0, Send(dialog, IDC_SORTED, LB_GETSEL, 1));
        int selected[4] = {-7, -7, -7, -7};
        EXPECT_EQ(2, Send(dialog, IDC_SORTED, LB_GETSELITEMS, 4, reinterpret_cast<LPARAM>(selected)));
        EXPECT_EQ(0, selected[0]);
        EXPECT_EQ(2, selected[1]);
        EXPECT_EQ(-7, selected[2]);
        EXPECT_EQ(1, Send(dialog, IDC_SORTED, LB_GETSELITEMS, 1, reinterpret_cast<LPARAM>(selected)));
        EXPECT_EQ(LB_OKAY, Send(dialog, IDC_SORTED, LB_SETSEL, FALSE, -1));
        EXPECT_EQ(0, Send(dialog, IDC_SORTED, LB_GETSELCOUNT));
        EXPECT_EQ(LB_ERR, Send(dialog, IDC_SORTED, LB_SETSEL, TRUE, 3));
        EXPECT_EQ(LB_ERR, Send(dialog, IDC_SORTED, LB_SETSEL, TRUE, -2));
        EXPECT_EQ(LB_ERR, Send(dialog, IDC_SORTED, LB_SETCURSEL, 0)) << "no current selection in a multiple-selection box";
    });
}

TEST_F(UiContractTest, BadIndexGivesLbErrAndLeavesTheBufferAlone) {
    Run([&](HWND dialog) {
        Add(dialog, IDC_SORTED, "one");
        Add(dialog, IDC_SORTED, "two");
        for (WPARAM bad : {(WPARAM)2, (WPARAM)-1, (WPARAM)100}) {
            char buffer[8];
            std::memset(buffer, '#', sizeof buffer);
            EXPECT_EQ(LB_ERR, Send(dialog, IDC_SORTED, LB_GETTEXT, bad, reinterpret_cast<LPARAM>(buffer)));
            EXPECT_EQ('#', buffer[0]);
            EXPECT_EQ(LB_ERR, Send(dialog, IDC_SORTED, LB_GETTEXTLEN, bad));
            EXPECT_EQ(LB_ERR, Send(dialog, IDC_SORTED, LB_GETSEL, bad));
            EXPECT_EQ(LB_ERR, Send(dialog, IDC_SORTED, LB_GETITEMDATA, bad));
            EXPECT_EQ(LB_ERR, Send(dialog, IDC_SORTED, LB_SETITEMDATA, bad, 5));
            EXPECT_EQ(LB_ERR, Send(dialog, IDC_SORTED, LB_DELETESTRING, bad));
        }
        EXPECT_EQ(3, Send(dialog, IDC_SORTED, LB_GETTEXTLEN, 0));
        EXPECT_EQ(2, Send(dialog, IDC_SORTED, LB_GETCOUNT));
        EXPECT_EQ(LB_ERR, Send(dialog, IDC_PLAIN, LB_GETTEXT, 0, reinterpret_cast<LPARAM>(nullptr)));
    });
}

TEST_F(UiContractTest, UnsortedBoxAppendsInsertsDeletesAndFinds) {
    Run([&](HWND dialog) {
        EXPECT_EQ(0, Add(dialog, IDC_PLAIN, "b"));
        EXPECT_EQ(1, Add(dialog, IDC_PLAIN, "a"));
        EXPECT_EQ(1, Send(dialog, IDC_PLAIN, LB_INSERTSTRING, 1, reinterpret_cast<LPARAM>("Abc")));
        EXPECT_EQ(3, Send(dialog, IDC_PLAIN, LB_INSERTSTRING, (WPARAM)-1, reinterpret_cast<LPARAM>("end")));
        EXPECT_EQ(LB_ERR, Send(dialog, IDC_PLAIN, LB_INSERTSTRING, 9, reinterpret_cast<LPARAM>("far")));
        EXPECT_EQ((std::vector<std::string>{"b", "Abc", "a", "end"}), Items(dialog, IDC_PLAIN));
        EXPECT_EQ(1, Send(dialog, IDC_PLAIN, LB_FINDSTRING, (WPARAM)-1, reinterpret_cast<LPARAM>("ab")));
        EXPECT_EQ(1, Send(dialog, IDC_PLAIN, LB_FINDSTRING, 3, reinterpret_cast<LPARAM>("A"))) << "wraps around";
        EXPECT_EQ(LB_ERR, Send(dialog, IDC_PLAIN, LB_FINDSTRING, (WPARAM)-1, reinterpret_cast<LPARAM>("")));
        EXPECT_EQ(2, Send(dialog, IDC_PLAIN, LB_FINDSTRINGEXACT, (WPARAM)-1, reinterpret_cast<LPARAM>("A")));
        EXPECT_EQ(LB_ERR, Send(dialog, IDC_PLAIN, LB_FINDSTRINGEXACT, (WPARAM)-1, reinterpret_cast<LPARAM>("en")));
        EXPECT_EQ(3, Send(dialog, IDC_PLAIN, LB_SELECTSTRING, (WPARAM)-1, reinterpret_cast<LPARAM>("EN")));
        EXPECT_GT(Send(dialog, IDC_PLAIN, LB_GETSEL, 3), 0);
        Send(dialog, IDC_PLAIN, LB_SETSEL, TRUE, 1);
        EXPECT_EQ(3, Send(dialog, IDC_PLAIN, LB_DELETESTRING, 0));
        EXPECT_GT(Send(dialog, IDC_PLAIN, LB_GETSEL, 0), 0) << "the selection moves with the item";
        EXPECT_EQ(2, Send(dialog, IDC_PLAIN, LB_GETSELCOUNT));
        EXPECT_EQ(LB_OKAY, Send(dialog, IDC_PLAIN, LB_RESETCONTENT));
        EXPECT_EQ(0, Send(dialog, IDC_PLAIN, LB_GETCOUNT));
        EXPECT_EQ(0, Send(dialog, IDC_PLAIN, LB_GETSELCOUNT));
    });
}

TEST_F(UiContractTest, SingleSelectionBox) {
    Run([&](HWND dialog) {
        EXPECT_EQ(LB_ERR, Send(dialog, IDC_SINGLE, LB_SETCURSEL, 0));
        Add(dialog, IDC_SINGLE, "b");
        Add(dialog, IDC_SINGLE, "a");
        EXPECT_EQ(LB_ERR, Send(dialog, IDC_SINGLE, LB_GETCURSEL));
        EXPECT_EQ(1, Send(dialog, IDC_SINGLE, LB_SETCURSEL, 1));
        EXPECT_EQ(1, Send(dialog, IDC_SINGLE, LB_GETCURSEL));
        EXPECT_EQ(1, Send(dialog, IDC_SINGLE, LB_GETSEL, 1));
        EXPECT_EQ(0, Send(dialog, IDC_SINGLE, LB_GETSEL, 0));
        EXPECT_EQ(LB_ERR, Send(dialog, IDC_SINGLE, LB_GETSELCOUNT));
        EXPECT_EQ(LB_ERR, Send(dialog, IDC_SINGLE, LB_GETSELITEMS, 0, 0));
        // Wine takes LB_SETSEL on a single-selection box as a new current
        // item, whatever wParam says.
        EXPECT_EQ(LB_OKAY, Send(dialog, IDC_SINGLE, LB_SETSEL, FALSE, 0));
        EXPECT_EQ(0, Send(dialog, IDC_SINGLE, LB_GETCURSEL));
        EXPECT_EQ(LB_OKAY, Send(dialog, IDC_SINGLE, LB_SETSEL, TRUE, -1));
        EXPECT_EQ(LB_ERR, Send(dialog, IDC_SINGLE, LB_GETCURSEL));
        EXPECT_EQ(0, Add(dialog, IDC_SINGLE, "0"));
        Send(dialog, IDC_SINGLE, LB_SETCURSEL, 2);
        EXPECT_EQ(LB_ERR, Send(dialog, IDC_SINGLE, LB_SETCURSEL, 5));
        EXPECT_EQ(2, Send(dialog, IDC_SINGLE, LB_GETCURSEL)) << "a bad index changes nothing";
        EXPECT_EQ(LB_ERR, Send(dialog, IDC_SINGLE, LB_SETCURSEL, (WPARAM)-1));
        EXPECT_EQ(LB_ERR, Send(dialog, IDC_SINGLE, LB_GETCURSEL)) << "-1 clears the selection";
        EXPECT_EQ(2, Send(dialog, IDC_SINGLE, LB_SELECTSTRING, (WPARAM)-1, reinterpret_cast<LPARAM>("B")));
        EXPECT_EQ(2, Send(dialog, IDC_SINGLE, LB_GETCURSEL));
        Send(dialog, IDC_SINGLE, LB_DELETESTRING, 0);
        EXPECT_EQ(1, Send(dialog, IDC_SINGLE, LB_GETCURSEL)) << "the selection moves with the item";
        Send(dialog, IDC_SINGLE, LB_DELETESTRING, 1);
        EXPECT_EQ(LB_ERR, Send(dialog, IDC_SINGLE, LB_GETCURSEL));
    });
}

TEST_F(UiContractTest, ReadOnlyEditCanBeToggled) {
    Run([&](HWND dialog) {
        HWND name = GetDlgItem(dialog, IDC_NAME);
        HWND comment = GetDlgItem(dialog, IDC_COMMENT);
        ASSERT_NE(nullptr, name);
        EXPECT_NE(0, GetWindowLongPtrA(name, GWL_STYLE) & ES_READONLY);
        EXPECT_EQ(0, GetWindowLongPtrA(comment, GWL_STYLE) & ES_READONLY);
        EXPECT_NE(0, SendMessageA(comment, EM_SETREADONLY, TRUE, 0));
        EXPECT_NE(0, GetWindowLongPtrA(comment, GWL_STYLE) & ES_READONLY);
        EXPECT_NE(0, SendMessageA(name, EM_SETREADONLY, FALSE, 0));
        EXPECT_EQ(0, GetWindowLongPtrA(name, GWL_STYLE) & ES_READONLY);
        // Read-only stops the user, not the program.
        EXPECT_TRUE(SetDlgItemTextA(dialog, IDC_COMMENT, "text"));
        char buffer[16];
        EXPECT_EQ(4u, GetDlgItemTextA(dialog, IDC_COMMENT, buffer, sizeof buffer));
        EXPECT_STREQ("text", buffer);
    });
}

TEST_F(UiContractTest, CheckBoxState) {
    Run([&](HWND dialog) {
        EXPECT_EQ((UINT)BST_UNCHECKED, IsDlgButtonChecked(dialog, IDC_CHECK));
        EXPECT_TRUE(CheckDlgButton(dialog, IDC_CHECK, BST_CHECKED));
        EXPECT_EQ((UINT)BST_CHECKED, IsDlgButtonChecked(dialog, IDC_CHECK));
        EXPECT_EQ(BST_CHECKED, Send(dialog, IDC_CHECK, BM_GETCHECK));
        Send(dialog, IDC_CHECK, BM_SETCHECK, BST_INDETERMINATE);
        EXPECT_EQ((UINT)BST_CHECKED, IsDlgButtonChecked(dialog, IDC_CHECK)) << "a two-state box has no third state";
        Send(dialog, IDC_CHECK, BM_SETCHECK, BST_UNCHECKED);
        EXPECT_EQ((UINT)BST_UNCHECKED, IsDlgButtonChecked(dialog, IDC_CHECK));
        Send(dialog, IDOK, BM_SETCHECK, BST_CHECKED);
        EXPECT_EQ((UINT)BST_UNCHECKED, IsDlgButtonChecked(dialog, IDOK)) << "a push button keeps no check";
        EXPECT_EQ((LONG_PTR)BS_AUTOCHECKBOX, GetWindowLongPtrA(GetDlgItem(dialog, IDC_CHECK), GWL_STYLE) & BS_TYPEMASK);
        EXPECT_TRUE(probe_.commands.empty()) << "setting a check notifies nobody";
    });
}

TEST_F(UiContractTest, TextsAreCp932Bytes) {
    Run([&](HWND dialog) {
        char buffer[64];
        EXPECT_EQ(18, GetWindowTextA(dialog, buffer, sizeof buffer));
        EXPECT_STREQ("テスト用ダイアログ", buffer);
        EXPECT_STREQ("\x83\x65\x83\x58\x83\x67\x97\x70\x83\x5F\x83\x43\x83\x41\x83\x8D", std::string(buffer).substr(0, 16).c_str());
        EXPECT_EQ(15u, GetDlgItemTextA(dialog, IDC_LABEL, buffer, sizeof buffer));
        EXPECT_STREQ("保存元ユーザ名:", buffer);
        EXPECT_EQ(5u, GetDlgItemTextA(dialog, IDCANCEL, buffer, sizeof buffer)) << "half-width katakana are one byte";
        EXPECT_TRUE(SetWindowTextA(dialog, "現行のIE/OEの設定をファイルにセーブ"));
        EXPECT_EQ(35, GetWindowTextLengthA(dialog));
        EXPECT_TRUE(SetDlgItemTextA(dialog, IDC_PROMPT, "ファイルにセーブするアカウントの項目を選択します。"));
        EXPECT_EQ(50, GetWindowTextLengthA(GetDlgItem(dialog, IDC_PROMPT)));
        GetDlgItemTextA(dialog, IDC_PROMPT, buffer, sizeof buffer);
        EXPECT_STREQ("ファイルにセーブするアカウントの項目を選択します。", buffer);
        // A short buffer keeps whole characters and the NUL; an edit control
        // cuts bytewise, even inside a character.
        std::memset(buffer, '#', sizeof buffer);
        EXPECT_EQ(2, GetWindowTextA(GetDlgItem(dialog, IDC_PROMPT), buffer, 4));
        EXPECT_EQ(std::string("\x83\x74\0#", 4), std::string(buffer, 4));
        std::memset(buffer, '#', sizeof buffer);
        EXPECT_EQ(0, SendMessageA(GetDlgItem(dialog, IDC_PROMPT), WM_GETTEXT, 2, reinterpret_cast<LPARAM>(buffer)));
        EXPECT_EQ('\0', buffer[0]);
        std::memset(buffer, '#', sizeof buffer);
        EXPECT_EQ(0, SendMessageA(GetDlgItem(dialog, IDC_PROMPT), WM_GETTEXT, 0, reinterpret_cast<LPARAM>(buffer)));
        EXPECT_EQ('#', buffer[0]);
        SetDlgItemTextA(dialog, IDC_COMMENT, "ファイル");
        std::memset(buffer, '#', sizeof buffer);
        EXPECT_EQ(3, GetWindowTextA(GetDlgItem(dialog, IDC_COMMENT), buffer, 4));
        EXPECT_EQ(std::string("\x83\x74\x83\0", 4), std::string(buffer, 4));
        EXPECT_EQ(8, GetWindowTextLengthA(GetDlgItem(dialog, IDC_COMMENT)));
    });
}

TEST_F(UiContractTest, TextsMakeTheTripThroughUtf16) {
    // Controls keep UTF-16: NEC-selected IBM characters come back with their
    // IBM codes, NEC row-13 duplicates with the JIS ones.
    Run([&](HWND dialog) {
        const std::string nec = "\xED\x40\x87\x90";  // U+7E8A, U+2252
        const std::string back = "\xFA\x5C\x81\xE0";
        char buffer[16];
        SetDlgItemTextA(dialog, IDC_PROMPT, nec.c_str());
        GetDlgItemTextA(dialog, IDC_PROMPT, buffer, sizeof buffer);
        EXPECT_EQ(back, std::string(buffer));
        SetDlgItemTextA(dialog, IDC_COMMENT, nec.c_str());
        GetDlgItemTextA(dialog, IDC_COMMENT, buffer, sizeof buffer);
        EXPECT_EQ(back, std::string(buffer));
        Add(dialog, IDC_PLAIN, nec.c_str());
        EXPECT_EQ(back, Items(dialog, IDC_PLAIN).at(0));
        EXPECT_EQ(0, Send(dialog, IDC_PLAIN, LB_FINDSTRINGEXACT, (WPARAM)-1, reinterpret_cast<LPARAM>(nec.c_str())));
    });
}

TEST_F(UiContractTest, SingleLineEditTellsItsDialogAboutNewText) {
    Run([&](HWND dialog) {
        probe_.commands.clear();
        SetDlgItemTextA(dialog, IDC_COMMENT, "x");
        EXPECT_EQ((std::vector<std::pair<int, int>>{{IDC_COMMENT, EN_UPDATE}, {IDC_COMMENT, EN_CHANGE}}),
                  probe_.commands);
        probe_.commands.clear();
        SetDlgItemTextA(dialog, IDC_PROMPT, "x");
        Add(dialog, IDC_SORTED, "x");
        Send(dialog, IDC_SORTED, LB_SETSEL, TRUE, 0);
        EXPECT_TRUE(probe_.commands.empty()) << "statics and list boxes do not notify on program changes";
    });
}

TEST_F(UiContractTest, ControlsAndDialogKnowTheirIdsStylesAndInstance) {
    Run([&](HWND dialog) {
        EXPECT_EQ(reinterpret_cast<LONG_PTR>(GetModuleHandleA(nullptr)), GetWindowLongPtrA(dialog, GWLP_HINSTANCE));
        HWND list = GetDlgItem(dialog, IDC_SORTED);
        EXPECT_EQ(IDC_SORTED, GetWindowLongPtrA(list, GWLP_ID));
        LONG_PTR style = GetWindowLongPtrA(list, GWL_STYLE);
        EXPECT_EQ(LBS_SORT | LBS_MULTIPLESEL | WS_CHILD | WS_VISIBLE | WS_TABSTOP,
                  style & (LBS_SORT | LBS_MULTIPLESEL | WS_CHILD | WS_VISIBLE | WS_TABSTOP));
        EXPECT_EQ(nullptr, GetDlgItem(dialog, 4242));
        char buffer[4] = "abc";
        EXPECT_EQ(0u, GetDlgItemTextA(dialog, 4242, buffer, sizeof buffer));
        EXPECT_STREQ("", buffer);
        EXPECT_EQ(0, SendDlgItemMessageA(dialog, 4242, LB_GETCOUNT, 0, 0));
        EXPECT_FALSE(SetDlgItemTextA(dialog, 4242, "x"));
        EXPECT_EQ(0u, IsDlgButtonChecked(dialog, 4242));
        EXPECT_TRUE(CheckDlgButton(dialog, 4242, BST_CHECKED)) << "CheckDlgButton does not look";
    });
}

TEST_F(UiContractTest, StylesAfterCreation) {
    Run([&](HWND dialog) {
        // (id, style, extended style) as the window manager leaves them.
        const struct {
            int id;
            DWORD style, exStyle;
        } expected[] = {
            {0, 0x84C800C4, 0x00010101},     {IDOK, 0x50010001, 0x4},         {IDCANCEL, 0x50010000, 0x4},
            {IDC_CHECK, 0x50012003, 0x4},    {IDC_PROMPT, 0x50020000, 0x4},   {IDC_SORTED, 0x5001010B, 0x204},
            {IDC_LABEL, 0x50000000, 0x4},    {IDC_NAME, 0x50010880, 0x204},   {IDC_COMMENT, 0x50010080, 0x204},
            {IDC_PLAIN, 0x50000008, 0x204},  {IDC_SINGLE, 0x50000003, 0x204}, {IDC_DISABLED, 0x58010000, 0x4},
            {IDC_OPEN_INNER, 0x50010000, 0x4},
        };
        for (const auto& e : expected) {
            HWND window = e.id ? GetDlgItem(dialog, e.id) : dialog;
            LONG_PTR style = GetWindowLongPtrA(window, GWL_STYLE);
            EXPECT_EQ(e.style, (DWORD)style) << "control " << e.id;
            EXPECT_EQ(e.exStyle, (DWORD)GetWindowLongPtrA(window, GWL_EXSTYLE)) << "control " << e.id;
            if (sizeof(LONG_PTR) == 8) {
                EXPECT_GE(style, 0) << "zero-extended, not sign-extended";
            }
        }
    });
}

TEST_F(UiContractTest, EnableWindowReportsTheOldState) {
    Run([&](HWND dialog) {
        HWND disabled = GetDlgItem(dialog, IDC_DISABLED);
        HWND ok = GetDlgItem(dialog, IDOK);
        EXPECT_FALSE(IsWindowEnabled(disabled));
        EXPECT_NE(0, GetWindowLongPtrA(disabled, GWL_STYLE) & WS_DISABLED);
        EXPECT_TRUE(IsWindowEnabled(ok));
        EXPECT_FALSE(EnableWindow(ok, FALSE)) << "was enabled";
        EXPECT_TRUE(EnableWindow(ok, FALSE)) << "was disabled";
        EXPECT_FALSE(IsWindowEnabled(ok));
        EXPECT_NE(0, GetWindowLongPtrA(ok, GWL_STYLE) & WS_DISABLED);
        EXPECT_TRUE(EnableWindow(ok, TRUE));
        EXPECT_TRUE(IsWindowEnabled(ok));
        EXPECT_TRUE(EnableWindow(disabled, TRUE));
        EXPECT_TRUE(IsWindowEnabled(disabled));
    });
}

struct OwnerSeen {
    HWND owner;
    BOOL enabledDuringInit;
};

INT_PTR CALLBACK SelfEndingDialogProc(HWND dialog, UINT message, WPARAM, LPARAM lParam) {
    if (message != WM_INITDIALOG) return FALSE;
    OwnerSeen* seen = reinterpret_cast<OwnerSeen*>(lParam);
    seen->enabledDuringInit = IsWindowEnabled(seen->owner);
    EndDialog(dialog, 5);
    return TRUE;
}

TEST_F(UiContractTest, NestedDialogDisablesItsOwnerFromItsSetUpOn) {
    Run([&](HWND dialog) {
        OwnerSeen seen = {dialog, FALSE};
        EXPECT_EQ(5, DialogBoxParamA(GetModuleHandleA(nullptr), MAKEINTRESOURCEA(IDD_UI_SHORTHAND), dialog,
                                     SelfEndingDialogProc, reinterpret_cast<LPARAM>(&seen)));
        EXPECT_FALSE(seen.enabledDuringInit);
        EXPECT_TRUE(IsWindowEnabled(dialog)) << "enabled again when the inner dialog is gone";
    });
}

TEST_F(UiContractTest, EndDialogTwiceKeepsTheLastResult) {
    // The procedure ends the dialog with 7 after this; Run() expects 7.
    Run([&](HWND dialog) {
        EXPECT_TRUE(EndDialog(dialog, 3));
        char caption[8];
        EXPECT_LT(0, GetWindowTextA(dialog, caption, sizeof caption)) << "still there until its set-up returns";
    });
}

TEST_F(UiContractTest, MissingTemplateFails) {
    SetLastError(0);
    EXPECT_EQ(-1, DialogBoxParamA(GetModuleHandleA(nullptr), MAKEINTRESOURCEA(999), nullptr, ContractDialogProc, 0));
    EXPECT_EQ((DWORD)ERROR_RESOURCE_NAME_NOT_FOUND, GetLastError());
}

TEST_F(UiContractTest, CallsWithInvalidWindowsFail) {
    HWND bogus = reinterpret_cast<HWND>(static_cast<uintptr_t>(0x1234));
    SetLastError(0);
    EXPECT_EQ(-1, MessageBoxA(bogus, "text", nullptr, MB_OK)) << "nothing is shown";
    EXPECT_EQ((DWORD)ERROR_INVALID_WINDOW_HANDLE, GetLastError());
    SetLastError(0);
    EXPECT_FALSE(SetWindowTextA(bogus, "x"));
    EXPECT_EQ((DWORD)ERROR_INVALID_WINDOW_HANDLE, GetLastError());
    EXPECT_EQ(nullptr, GetDlgItem(bogus, IDOK));
    EXPECT_FALSE(EndDialog(bogus, 1));
}

TEST_F(UiContractTest, FileDialogRefusesARecordOfAnotherSize) {
    char file[MAX_PATH] = "";
    OPENFILENAMEA ofn;
    std::memset(&ofn, 0, sizeof ofn);
    ofn.lpstrFile = file;
    ofn.nMaxFile = sizeof file;
    ofn.lStructSize = OPENFILENAME_SIZE_VERSION_400A + 4;
    EXPECT_FALSE(GetOpenFileNameA(&ofn));
    EXPECT_FALSE(GetSaveFileNameA(&ofn));
    if (sizeof(void*) == 8) {
        // The 32-bit record size is no size at all on 64-bit Windows.
        ofn.lStructSize = 76;
        EXPECT_FALSE(GetSaveFileNameA(&ofn));
    }
    EXPECT_STREQ("", file);
}

}  // namespace
