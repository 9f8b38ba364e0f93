// Adding, reading and matching the entries of a dialog's entry list. Names
// are compared bytewise and case-sensitively (lstrcmpA), so a name that a
// machine has only in another letter case does not match.
#include "settings/list_entry.h"

#include "base/report.h"

namespace {

LRESULT AddEntry(HWND dialog, int listId, LPCSTR displayName);
void ReportListFailure(HWND dialog, LRESULT result, LPCSTR displayName);
int EqualNameRank(HWND dialog, int listId, int item, LPCSTR displayName, EqualNameOrder order);

}  // namespace

int AddListEntry(HWND dialog, int listId, LPCSTR displayName) {
    return AddEntry(dialog, listId, displayName) >= 0 ? 1 : 0;
}

int AddNumberedListEntry(HWND dialog, int listId, LPCSTR displayName, int number) {
    const LRESULT index = AddEntry(dialog, listId, displayName);
    if (index < 0) return 0;
    const LRESULT set = SendDlgItemMessageA(dialog, listId, LB_SETITEMDATA, index, number);
    if (set != LB_ERR && set != LB_ERRSPACE) return 1;
    SendDlgItemMessageA(dialog, listId, LB_DELETESTRING, index, 0);
    ReportListFailure(dialog, set, displayName);
    return 0;
}

BOOL ReadListEntryText(HWND dialog, int listId, int item, HeapBlock* text) {
    const LRESULT length = SendDlgItemMessageA(dialog, listId, LB_GETTEXTLEN, item, 0);
    if (length == LB_ERR || length < 0) return FALSE;
    if (!text->Allocate(static_cast<SIZE_T>(length) + 1)) return FALSE;
    const LRESULT got = SendDlgItemMessageA(dialog, listId, LB_GETTEXT, item, reinterpret_cast<LPARAM>(text->block));
    if (got == LB_ERR || got < 0 || got > length) return FALSE;
    text->text()[got] = 0;
    return TRUE;
}

int ListEntryNumber(HWND dialog, int listId, int item) {
    const LRESULT number = SendDlgItemMessageA(dialog, listId, LB_GETITEMDATA, item, 0);
    if (number == LB_ERR || number < 0 || number > 0x7FFFFFFF) return -1;
    return static_cast<int>(number);
}

int ListEntryHasName(HWND dialog, int listId, int item, LPCSTR displayName) {
    HeapBlock text;
    if (!ReadListEntryText(dialog, listId, item, &text)) return -1;
    return lstrcmpA(text.text(), displayName) == 0 ? 1 : 0;
}

int MatchListEntry(HWND dialog, int listId, int item, LPCSTR displayName, int liveRank, EqualNameOrder order) {
    const int named = ListEntryHasName(dialog, listId, item, displayName);
    if (named != 1) return named;
    const int rank = EqualNameRank(dialog, listId, item, displayName, order);
    if (rank < 0) return -1;
    return rank == liveRank ? 1 : 0;
}

int EntryStandsForLiveItem(HWND dialog, int listId, int item, LPCSTR keyName, LPCSTR displayName,
                           LiveRankFunction liveRank, EqualNameOrder order) {
    if (!keyName) return 0;
    const int named = ListEntryHasName(dialog, listId, item, displayName);
    if (named != 1) return named;
    const int rank = liveRank(dialog, keyName, displayName);
    if (rank < 0) return -1;
    return MatchListEntry(dialog, listId, item, displayName, rank, order);
}

namespace {

// The new entry's index, or -1 after a reported failure.
LRESULT AddEntry(HWND dialog, int listId, LPCSTR displayName) {
    const LRESULT index =
        SendDlgItemMessageA(dialog, listId, LB_ADDSTRING, 0, reinterpret_cast<LPARAM>(displayName));
    if (index >= 0) return index;
    ReportListFailure(dialog, index, displayName);
    return -1;
}

// A list box gives no error code of its own: LB_ERRSPACE is its want of
// memory, LB_ERR a refused index.
void ReportListFailure(HWND dialog, LRESULT result, LPCSTR displayName) {
    SetLastError(result == LB_ERRSPACE ? ERROR_NOT_ENOUGH_MEMORY : ERROR_INVALID_INDEX);
    ReportSystemErrorWith(dialog, "項目\"%s\"を一覧に追加できません。", displayName);
}

// How many entries of the same name come before entry `item` in `order`.
int EqualNameRank(HWND dialog, int listId, int item, LPCSTR displayName, EqualNameOrder order) {
    const LRESULT count = SendDlgItemMessageA(dialog, listId, LB_GETCOUNT, 0, 0);
    if (count == LB_ERR || count < 0) return -1;
    int ownNumber = 0;
    if (order == kByEntryNumber && (ownNumber = ListEntryNumber(dialog, listId, item)) < 0) return -1;
    const int end = order == kByListPosition ? item : static_cast<int>(count);
    int rank = 0;
    for (int other = 0; other < end; ++other) {
        if (other == item) continue;
        const int named = ListEntryHasName(dialog, listId, other, displayName);
        if (named < 0) return -1;
        if (!named) continue;
        if (order == kByListPosition) {
            ++rank;
            continue;
        }
        const int number = ListEntryNumber(dialog, listId, other);
        if (number < 0) return -1;
        if (number < ownNumber) ++rank;
    }
    return rank;
}

}  // namespace
