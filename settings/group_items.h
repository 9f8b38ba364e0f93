// The items of a settings group in its dialogs' entry list: listing the
// live items or the saved ones, and saving or applying the one item an
// entry stands for (the k-th entry of a name for the k-th live item of that
// name, so items that share a name each keep their own settings).
#pragma once

#include "base/registry_key.h"
#include "settings/outcome.h"
#include "settings/settings_group.h"
#include "winapi/winapi.h"

// Adds the display name of every live item to list 1007 of `dialog`.
// FALSE after a reported failure of the walk or of the list.
BOOL ListLiveItems(const SettingsGroup& group, HWND dialog);

// Adds the name of every record of the group's index in `directory` to
// list 1007, each with its record number as item data, so that an entry
// always names the snapshot of its own record. FALSE after a reported
// failure (the index could not be read, or the list refused an entry or its
// number).
BOOL ListSavedItems(const SettingsGroup& group, HWND dialog, LPCSTR directory);

// Reads one subkey of a group's live-items key during a walk: the item's
// display name into `displayName`. kAbsent passes the subkey over (it is no
// item); kFailed after a reported failure.
typedef Presence (*LiveItemReader)(HWND owner, HKEY parent, LPCSTR keyName, HeapBlock* displayName);

// A group's walk (see LiveItemWalk) over the subkeys of root\path, `name`
// being its full name for the reports: each subkey is read by `read`, each
// item is handed to `visit` after its keys are closed again.
int WalkLiveItems(HWND owner, HKEY root, LPCSTR path, LPCSTR name, LiveItemReader read, LiveItemVisit visit,
                  void* context);

// The rank `walk` gives the live item `keyName` among those named
// `displayName` (see LiveRankFunction); an item gone meanwhile ranks after
// all the others. -1 after a reported failure.
int RankOfLiveItem(LiveItemWalk walk, HWND owner, LPCSTR keyName, LPCSTR displayName);

// Saves the live item entry `item` stands for into `directory`: its index
// record, then its tree as the snapshot the record numbers. `outcome` says
// saved, failed (reported, or a list query that failed) or missing here.
// Returns the walk's result: 0 after a failure of the walk itself, which
// ends a save.
int SaveEntryItem(const SettingsGroup& group, HWND dialog, LPCSTR directory, int item, EntryOutcome* outcome);

// Replaces the tree of the live item entry `item` stands for by the
// snapshot of the entry's record number. Returns the outcome: applied,
// failed (reported) or missing here.
EntryOutcome ApplyEntryItem(const SettingsGroup& group, HWND dialog, LPCSTR directory, int item);

// Finds the live item entry `item` stands for as an apply does and writes
// the path of its tree below the root (kItemTreePathSize bytes). 1 when
// found; 0 when none was found (also after a reported failure of the walk
// before it); -1 after a failed list query or a reported failure to find
// the item's tree.
int FindEntryItemTree(const SettingsGroup& group, HWND dialog, int item, LPSTR path);
