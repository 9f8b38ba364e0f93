#include "settings/outcome.h"

void DialogOutcome::Start(HWND dialog, int listId) {
    const LRESULT count = SendDlgItemMessageA(dialog, listId, LB_GETCOUNT, 0, 0);
    entryCount = count > 0 ? static_cast<int>(count) : 0;
    if (!entries.Allocate(static_cast<SIZE_T>(entryCount) + 1)) entryCount = 0;
    for (int i = 0; i < entryCount; ++i) entries.bytes()[i] = kEntryNotTried;
    options = kEntryNotTried;
    fileWritten = FALSE;
    missingEntry = -1;
}

void DialogOutcome::Note(int item, EntryOutcome outcome) {
    if (item >= 0 && item < entryCount) entries.bytes()[item] = outcome;
}

EntryOutcome DialogOutcome::Entry(int item) const {
    return item >= 0 && item < entryCount ? static_cast<EntryOutcome>(entries.bytes()[item]) : kEntryNotTried;
}
