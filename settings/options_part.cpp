// Saving, applying and offering a group's whole-tree part.
#include "settings/options_part.h"

#include "base/registry_key.h"
#include "resources/resource.h"
#include "snapshot/registry_snapshot.h"
#include "winapi/guards.h"

namespace {

bool IsBoxChecked(HWND dialog) { return IsDlgButtonChecked(dialog, IDC_OPTIONS) == BST_CHECKED; }

}  // namespace

EntryOutcome SaveOptionsPart(HWND dialog, const OptionsPart& part, LPCSTR directory) {
    if (!IsBoxChecked(dialog)) return kEntryNotTried;
    CHAR name[kMessageBufferSize];
    ComposeKeyName(name, part.tree.rootName, part.tree.path);
    KeyGuard key;
    if (!OpenKey(dialog, part.tree.root, part.tree.path, KEY_READ, &key, {name})) return kEntryFailed;
    return SaveRegistryTree(dialog, key.key, part.snapshot, directory) ? kEntrySaved : kEntryFailed;
}

EntryOutcome ApplyOptionsPart(HWND dialog, const OptionsPart& part, LPCSTR directory) {
    if (!IsBoxChecked(dialog)) return kEntryNotTried;
    return ReplaceLiveTree(dialog, part.tree, part.snapshot, directory) ? kEntryApplied : kEntryFailed;
}

void OfferOptionsPart(HWND dialog, const OptionsPart& part, LPCSTR directory) {
    CHAR path[kMessageBufferSize];
    wsprintfA(path, "%s%s", directory, part.snapshot);
    FileGuard snapshot(CreateFileA(path, 0, 0, nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
    if (!snapshot.valid()) {
        EnableWindow(GetDlgItem(dialog, IDC_OPTIONS), FALSE);
        return;
    }
    CheckDlgButton(dialog, IDC_OPTIONS, BST_CHECKED);
}
