// Saving, applying and offering a group's whole-tree part.
#include "settings/options_part.h"

#include "base/report.h"
#include "resources/resource.h"
#include "snapshot/registry_snapshot.h"
#include "winapi/guards.h"

namespace {

bool IsBoxChecked(HWND dialog) { return IsDlgButtonChecked(dialog, IDC_OPTIONS) == BST_CHECKED; }

}  // namespace

EntryOutcome SaveOptionsPart(HWND dialog, const OptionsPart& part, LPCSTR directory) {
    if (!IsBoxChecked(dialog)) return kEntryNotTried;
    KeyGuard key;
    SetLastError(RegOpenKeyExA(part.tree.root, part.tree.path, 0, KEY_READ, &key.key));
    if (GetLastError() != ERROR_SUCCESS) {
        key.key = nullptr;
        CHAR name[kMessageBufferSize];
        wsprintfA(name, "%s\\%s", part.tree.rootName, part.tree.path);
        ReportSystemErrorWith(dialog, "レジストリキー\"%s\"に読み込みアクセスを適用できません。", name);
        return kEntryFailed;
    }
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
