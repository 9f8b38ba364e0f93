// What a save or a load did, entry by entry: the dialogs turn it into their
// end, and brvprofile reads it without looking at the dialog.
#pragma once

#include "winapi/guards.h"
#include "winapi/winapi.h"

// What happened to one entry (or to the group's options part).
enum EntryOutcome : BYTE {
    kEntryNotTried = 0,  // not selected or not checked, or the OK stopped before it
    kEntrySaved,
    kEntryApplied,
    kEntryMissingHere,   // no live item of its name (and rank) on this machine
    kEntryFailed,        // reported where it failed
};

struct DialogOutcome {
    HeapBlock entries;         // one EntryOutcome per list entry, in list order
    int entryCount = 0;
    EntryOutcome options = kEntryNotTried;
    BOOL fileWritten = FALSE;  // a save packed the profile file
    int missingEntry = -1;     // the entry that stopped a load: no live item of its name

    // Makes room for the entries of list `listId`, every one not tried. When
    // the heap gives no room, the entries' outcomes are not kept (the work
    // itself goes on).
    void Start(HWND dialog, int listId);
    void Note(int item, EntryOutcome outcome);
    EntryOutcome Entry(int item) const;
};
