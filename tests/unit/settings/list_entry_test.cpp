// The entry list helpers on the product's dialog template 112, played by the
// scripted user: item data as given, an entry the list refuses, reading
// entries back (LB_ERR is no entry), and telling apart entries that carry
// the same name.
#include "settings/list_entry.h"

#include <gtest/gtest.h>

#include <functional>
#include <string>

#include "resources/resource.h"
#include "tests/unit/snapshot/snapshot_test_util.h"

namespace {

INT_PTR CALLBACK PlainDialogProc(HWND, UINT message, WPARAM, LPARAM) { return message == WM_INITDIALOG; }

class ListEntryTest : public BrvTest {
protected:
    // Runs `body` inside dialog 112 with the names added in this order.
    void WithList(std::initializer_list<const char*> names, const std::function<void(HWND)>& body) {
        std::vector<std::string> copy(names.begin(), names.end());
        bool ran = false;
        sim::QueueDialogScript([&](HWND dialog, int) {
            for (size_t i = 0; i < copy.size(); ++i)
                EXPECT_EQ(1, AddNumberedListEntry(dialog, IDC_ENTRY_LIST, copy[i].c_str(), static_cast<int>(i)));
            body(dialog);
            ran = true;
        });
        DialogBoxParamA(GetModuleHandleA(nullptr), MAKEINTRESOURCEA(IDD_IEOE), nullptr, PlainDialogProc, 0);
        EXPECT_TRUE(ran);
    }
    static std::string Text(HWND dialog, int item) {
        HeapBlock text;
        if (!ReadListEntryText(dialog, IDC_ENTRY_LIST, item, &text)) return "<LB_ERR>";
        return text.text();
    }
};

TEST_F(ListEntryTest, EntriesAreSortedAndCarryTheirAddOrder) {
    WithList({"Hanako", "Taro", "Akira"}, [](HWND dialog) {
        EXPECT_EQ("Akira", Text(dialog, 0));
        EXPECT_EQ("Hanako", Text(dialog, 1));
        EXPECT_EQ("Taro", Text(dialog, 2));
        EXPECT_EQ(2, ListEntryNumber(dialog, IDC_ENTRY_LIST, 0));
        EXPECT_EQ(0, ListEntryNumber(dialog, IDC_ENTRY_LIST, 1));
        EXPECT_EQ(1, ListEntryNumber(dialog, IDC_ENTRY_LIST, 2));
    });
}

// A refused entry or number is reported, and no entry is left without its
// own number: it would name another record's snapshot.
TEST_F(ListEntryTest, EntryOrNumberTheListRefusesIsReportedAndLeavesNoEntry) {
    for (const char* message : {"1007\\LB_ADDSTRING", "1007\\LB_SETITEMDATA"}) {
        SCOPED_TRACE(message);
        const size_t before = sim::MessageBoxes().size();
        WithList({"Akira"}, [message](HWND dialog) {
            sim::FailCall("SendDlgItemMessageA", 1, 0, message);
            EXPECT_EQ(0, AddNumberedListEntry(dialog, IDC_ENTRY_LIST, "Taro", 7));
            EXPECT_EQ(1, SendDlgItemMessageA(dialog, IDC_ENTRY_LIST, LB_GETCOUNT, 0, 0));
            EXPECT_EQ(1, AddNumberedListEntry(dialog, IDC_ENTRY_LIST, "Taro", 7));
            EXPECT_EQ(7, ListEntryNumber(dialog, IDC_ENTRY_LIST, 1));
            sim::FailCall("SendDlgItemMessageA", 1, 0, "1007\\LB_ADDSTRING");
            EXPECT_EQ(0, AddListEntry(dialog, IDC_ENTRY_LIST, "Jiro"));
        });
        ASSERT_EQ(before + 2, sim::MessageBoxes().size());
        EXPECT_EQ(ExpectedReport("項目\"Taro\"を一覧に追加できません。", ERROR_INVALID_INDEX),
                  sim::MessageBoxes()[before].text);
        EXPECT_EQ(ExpectedReport("項目\"Jiro\"を一覧に追加できません。", ERROR_INVALID_INDEX),
                  sim::MessageBoxes()[before + 1].text);
    }
}

TEST_F(ListEntryTest, EntryThatIsNotThereIsLbErr) {
    WithList({"Taro"}, [](HWND dialog) {
        EXPECT_EQ("<LB_ERR>", Text(dialog, 1));
        EXPECT_EQ(-1, ListEntryNumber(dialog, IDC_ENTRY_LIST, 5));
        EXPECT_EQ(-1, ListEntryHasName(dialog, IDC_ENTRY_LIST, 1, "Taro"));
        EXPECT_EQ(-1, MatchListEntry(dialog, IDC_ENTRY_LIST, 1, "Taro", 0, kByListPosition));
    });
}

TEST_F(ListEntryTest, FailedTextQueriesAreLbErr) {
    WithList({"Taro"}, [](HWND dialog) {
        sim::FailCall("SendDlgItemMessageA", 1, 0, "1007\\LB_GETTEXTLEN");
        EXPECT_EQ(-1, ListEntryHasName(dialog, IDC_ENTRY_LIST, 0, "Taro"));
        sim::FailCall("SendDlgItemMessageA", 1, 0, "1007\\LB_GETTEXT");
        EXPECT_EQ(-1, ListEntryHasName(dialog, IDC_ENTRY_LIST, 0, "Taro"));
        EXPECT_EQ(1, ListEntryHasName(dialog, IDC_ENTRY_LIST, 0, "Taro"));
    });
    EXPECT_TRUE(sim::MessageBoxes().empty());
}

TEST_F(ListEntryTest, NamesCompareCaseSensitively) {
    WithList({"taro", "ﾀﾛｳ"}, [](HWND dialog) {
        EXPECT_EQ(0, ListEntryHasName(dialog, IDC_ENTRY_LIST, 0, "Taro"));
        EXPECT_EQ(0, MatchListEntry(dialog, IDC_ENTRY_LIST, 0, "TARO", 0, kByListPosition));
        EXPECT_EQ(1, MatchListEntry(dialog, IDC_ENTRY_LIST, 0, "taro", 0, kByListPosition));
        EXPECT_EQ(1, ListEntryHasName(dialog, IDC_ENTRY_LIST, 1, "ﾀﾛｳ"));
    });
}

TEST_F(ListEntryTest, EqualNamesByListPositionCountAllEarlierEntries) {
    WithList({"Taro", "Akira", "Taro"}, [](HWND dialog) {
        ASSERT_EQ("Taro", Text(dialog, 1));
        ASSERT_EQ("Taro", Text(dialog, 2));
        EXPECT_EQ(1, MatchListEntry(dialog, IDC_ENTRY_LIST, 1, "Taro", 0, kByListPosition));
        EXPECT_EQ(0, MatchListEntry(dialog, IDC_ENTRY_LIST, 1, "Taro", 1, kByListPosition));
        EXPECT_EQ(1, MatchListEntry(dialog, IDC_ENTRY_LIST, 2, "Taro", 1, kByListPosition));
        EXPECT_EQ(0, MatchListEntry(dialog, IDC_ENTRY_LIST, 2, "Taro", 0, kByListPosition));
        EXPECT_EQ(0, MatchListEntry(dialog, IDC_ENTRY_LIST, 0, "Taro", 0, kByListPosition));
    });
}

TEST_F(ListEntryTest, EqualNamesByEntryNumberFollowTheAddOrderNotTheList) {
    // Records in file order: Taro (0), Akira (1), Taro (2), Taro (3).
    WithList({"Taro", "Akira", "Taro", "Taro"}, [](HWND dialog) {
        for (int item = 1; item <= 3; ++item) {
            const int number = ListEntryNumber(dialog, IDC_ENTRY_LIST, item);
            const int expectedRank = number == 0 ? 0 : number == 2 ? 1 : 2;
            for (int rank = 0; rank < 3; ++rank)
                EXPECT_EQ(rank == expectedRank ? 1 : 0,
                          MatchListEntry(dialog, IDC_ENTRY_LIST, item, "Taro", rank, kByEntryNumber))
                    << "item " << item << " number " << number << " rank " << rank;
        }
    });
}

}  // namespace
