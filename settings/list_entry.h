// The dialogs' entry list as both settings subsystems use it: adding a
// display name in list mode, reading an entry back, and telling apart the
// entries that carry the same name. On load every entry carries as item data
// the number of the index record it was read from, which names its snapshot.
#pragma once

#include "winapi/guards.h"
#include "winapi/winapi.h"

// Adds `displayName` to list box `listId` of `dialog` (sorted by the box).
// Returns 1, so that a walk in list mode goes on, or 0 after a reported
// failure: an entry missing from the list is never passed over in silence.
int AddListEntry(HWND dialog, int listId, LPCSTR displayName);

// AddListEntry, and gives the new entry `number` as item data. Returns 1, or
// 0 after a reported failure; an entry whose number could not be set is
// taken out of the list again, so that no entry names a wrong snapshot.
int AddNumberedListEntry(HWND dialog, int listId, LPCSTR displayName, int number);

// Reads the text of entry `item` into a process-heap block one byte longer
// than LB_GETTEXTLEN says. FALSE when either query returns LB_ERR.
BOOL ReadListEntryText(HWND dialog, int listId, int item, HeapBlock* text);

// The item data of entry `item`, or -1 when the query returns LB_ERR.
int ListEntryNumber(HWND dialog, int listId, int item);

// How the entries with one name are told apart: by their place in the list
// (save: the k-th such entry saves the k-th live item of that name), or by
// their item data (load: the entry of the k-th record of that name, in file
// order, goes to the k-th live item of that name).
enum EqualNameOrder : int {
    kByListPosition = 0,
    kByEntryNumber = 1,
};

// Whether entry `item` stands for the live item `displayName` that is the
// `liveRank`-th (from 0) live item of that name: its text must equal the name
// (lstrcmpA) and its rank among the entries of that name, in `order`, must be
// `liveRank`. Returns 1 when it does, 0 when not, -1 when a list query
// returned LB_ERR (nothing is reported).
int MatchListEntry(HWND dialog, int listId, int item, LPCSTR displayName, int liveRank, EqualNameOrder order);

// Whether entry `item`'s text equals `displayName`: 1, 0, or -1 on LB_ERR.
int ListEntryHasName(HWND dialog, int listId, int item, LPCSTR displayName);

// How many live items before the one with key name `keyName`, in the walk's
// order, carry `displayName` (0 for the first of its name), or -1 after a
// reported failure.
typedef int (*LiveRankFunction)(HWND owner, LPCSTR keyName, LPCSTR displayName);

// Whether the live item (`keyName`, `displayName`) that a walk visits is the
// one entry `item` stands for: same name, and the same rank among the live
// items (from `liveRank`) as the entry among the entries of that name (in
// `order`). The live rank is asked only when the names are equal. Returns 1
// when it is, 0 when not (also for a null key name), -1 after a failed list
// query (not reported) or a reported failure of `liveRank`.
int EntryStandsForLiveItem(HWND dialog, int listId, int item, LPCSTR keyName, LPCSTR displayName,
                           LiveRankFunction liveRank, EqualNameOrder order);
