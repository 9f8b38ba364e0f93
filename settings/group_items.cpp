// Every item of a group is reached through the group's one walk, with a
// visitor for each purpose; an entry is matched by name and rank alike for
// save, apply and the console tool's comparison.
#include "settings/group_items.h"

#include "resources/resource.h"
#include "snapshot/index_file.h"
#include "snapshot/registry_snapshot.h"
#include "settings/list_entry.h"

namespace {

struct EntryWalk {
    const SettingsGroup* group;
    HWND dialog;
    LPCSTR directory;
    int item;
    EntryOutcome outcome;
    LPSTR path;  // FindEntryItemTree's buffer
};

struct RankCount {
    LPCSTR keyName;
    LPCSTR displayName;
    int rank;
};

int AddEntry(void* context, LPCSTR, LPCSTR displayName);
int AddSavedEntry(void* context, LPCSTR displayName, int record);
int CountEarlierOfName(void* context, LPCSTR keyName, LPCSTR displayName);
int SaveIfEntrysItem(void* context, LPCSTR keyName, LPCSTR displayName);
int ApplyIfEntrysItem(void* context, LPCSTR keyName, LPCSTR displayName);
int TakeIfEntrysItem(void* context, LPCSTR keyName, LPCSTR displayName);

}  // namespace

// An entry the list refused has been reported and stops the listing.
BOOL ListLiveItems(const SettingsGroup& group, HWND dialog) { return group.walk(dialog, AddEntry, dialog) == 1; }

BOOL ListSavedItems(const SettingsGroup& group, HWND dialog, LPCSTR directory) {
    return VisitIndexNames(dialog, directory, group.indexName, AddSavedEntry, dialog) == 1;
}

int WalkLiveItems(HWND owner, HKEY root, LPCSTR path, LPCSTR name, LiveItemReader read, LiveItemVisit visit,
                  void* context) {
    KeyGuard parent;
    if (!OpenKey(owner, root, path, KEY_READ, &parent, {name})) return 0;
    for (DWORD index = 0;; ++index) {
        CHAR keyName[kMaxRegistryName + 1];
        DWORD length = sizeof keyName;
        FILETIME lastWrite;
        SetLastError(RegEnumKeyExA(parent.key, index, keyName, &length, nullptr, nullptr, nullptr, &lastWrite));
        if (GetLastError() == ERROR_NO_MORE_ITEMS) return 1;
        if (GetLastError() != ERROR_SUCCESS) {
            ReportFailureOn(owner, Named::kRegistryKey, name, kActionListSubkeys);
            return 0;
        }
        HeapBlock displayName;
        const Presence item = read(owner, parent.key, keyName, &displayName);
        if (item == Presence::kFailed) return 0;
        if (item == Presence::kPresent && !visit(context, keyName, displayName.text())) return -1;
    }
}

int RankOfLiveItem(LiveItemWalk walk, HWND owner, LPCSTR keyName, LPCSTR displayName) {
    RankCount count{keyName, displayName, 0};
    return walk(owner, CountEarlierOfName, &count) == 0 ? -1 : count.rank;
}

int SaveEntryItem(const SettingsGroup& group, HWND dialog, LPCSTR directory, int item, EntryOutcome* outcome) {
    EntryWalk walk{&group, dialog, directory, item, kEntryMissingHere, nullptr};
    const int walked = group.walk(dialog, SaveIfEntrysItem, &walk);
    *outcome = walked == 0 ? kEntryFailed : walk.outcome;
    return walked;
}

EntryOutcome ApplyEntryItem(const SettingsGroup& group, HWND dialog, LPCSTR directory, int item) {
    EntryWalk walk{&group, dialog, directory, item, kEntryMissingHere, nullptr};
    const int walked = group.walk(dialog, ApplyIfEntrysItem, &walk);
    return walked == 0 ? kEntryFailed : walk.outcome;
}

int FindEntryItemTree(const SettingsGroup& group, HWND dialog, int item, LPSTR path) {
    EntryWalk walk{&group, dialog, nullptr, item, kEntryMissingHere, path};
    // A walk that failed before the item was found has reported and found none.
    group.walk(dialog, TakeIfEntrysItem, &walk);
    if (walk.outcome == kEntryMissingHere) return 0;
    return walk.outcome == kEntryFailed ? -1 : 1;
}

namespace {

int AddEntry(void* context, LPCSTR, LPCSTR displayName) {
    return AddListEntry(static_cast<HWND>(context), IDC_ENTRY_LIST, displayName);
}

// Each entry carries the number of its record, which names its snapshot.
int AddSavedEntry(void* context, LPCSTR displayName, int record) {
    return AddNumberedListEntry(static_cast<HWND>(context), IDC_ENTRY_LIST, displayName, record);
}

// Stops at the item itself; key names are compared as the registry does.
int CountEarlierOfName(void* context, LPCSTR keyName, LPCSTR displayName) {
    RankCount* count = static_cast<RankCount*>(context);
    if (lstrcmpiA(keyName, count->keyName) == 0) return 0;
    if (lstrcmpA(displayName, count->displayName) == 0) ++count->rank;
    return 1;
}

// 1: not the entry's item. A list query that failed stops the walk.
int MatchEntry(EntryWalk* walk, LPCSTR keyName, LPCSTR displayName, EqualNameOrder order) {
    const int match = EntryStandsForLiveItem(walk->dialog, IDC_ENTRY_LIST, walk->item, keyName, displayName,
                                             walk->group->rank, order);
    if (match < 0) walk->outcome = kEntryFailed;
    return match;
}

// After the save the walk goes on over the other items, as it always has.
int SaveIfEntrysItem(void* context, LPCSTR keyName, LPCSTR displayName) {
    EntryWalk* walk = static_cast<EntryWalk*>(context);
    const int match = MatchEntry(walk, keyName, displayName, kByListPosition);
    if (match != 1) return match < 0 ? 0 : 1;
    const SettingsGroup& group = *walk->group;
    const int saved = SaveIndexedSnapshot(walk->dialog, walk->directory, group.indexName, keyName, displayName,
                                          group.openItemTree);
    walk->outcome = saved ? kEntrySaved : kEntryFailed;
    return saved;
}

// The entry's item ends the walk whatever the apply's outcome.
int ApplyIfEntrysItem(void* context, LPCSTR keyName, LPCSTR displayName) {
    EntryWalk* walk = static_cast<EntryWalk*>(context);
    const int match = MatchEntry(walk, keyName, displayName, kByEntryNumber);
    if (match != 1) return match < 0 ? 0 : 1;
    const SettingsGroup& group = *walk->group;
    CHAR path[kItemTreePathSize];
    walk->outcome = kEntryFailed;
    if (!group.findItemTree(walk->dialog, keyName, path)) return 0;
    // Kept as a profile, the tree is a file of the group holding this item alone.
    CHAR kept[kIndexSnapshotNameSize];
    FormIndexSnapshotName(group.indexName, 0, kept);
    const LiveTree target{group.root, group.rootName, path, nullptr, nullptr, group.createAction,
                          {group.headerKind, group.indexName, displayName, kept}};
    if (ApplyIndexedSnapshot(walk->dialog, walk->directory, group.indexName, IDC_ENTRY_LIST, walk->item, target))
        walk->outcome = kEntryApplied;
    return 0;
}

int TakeIfEntrysItem(void* context, LPCSTR keyName, LPCSTR displayName) {
    EntryWalk* walk = static_cast<EntryWalk*>(context);
    const int match = MatchEntry(walk, keyName, displayName, kByEntryNumber);
    if (match != 1) return match < 0 ? 0 : 1;
    walk->outcome = walk->group->findItemTree(walk->dialog, keyName, walk->path) ? kEntryApplied : kEntryFailed;
    return 0;
}

}  // namespace
