// diff, apply and save on Windows. They run the program's own dialog steps
// on its dialogs (created, never shown) and read their outcomes: the console
// and the program cannot drift apart. An apply or a diff opens and checks
// the whole file first, so that a damaged file changes nothing, and fills the
// dialog from what that unpacked; each entry then gets an OK of its own, so
// that a missing or failed one is named and the others still go on.
#include <algorithm>

#include "base/report.h"
#include "base/workarea.h"
#include "brvprofile/hidden_dialog.h"
#include "brvprofile/opened_profile.h"
#include "brvprofile/snapshot_tree.h"
#include "brvprofile/tool.h"
#include "brvprofile/tree_diff.h"
#include "resources/resource.h"
#include "settings/group_items.h"
#include "settings/list_entry.h"
#include "settings/settings_dialog.h"

namespace {

int CheckWholeFile(const ToolRequest& request);
HWND ShowFileInHiddenDialog(const SettingsGroup& kind);
bool IsChosen(const ToolRequest& request, const std::string& name);
bool NameEveryUnknown(const ToolRequest& request, const std::vector<std::string>& known, LPCSTR format);
int ApplyThroughDialog(HWND dialog, const ToolRequest& request, const ToolConsole& console);
bool ApplyInternetOptionsOnly(HWND dialog, const ToolRequest& request, const ToolConsole& console);
int SaveThroughDialog(HWND dialog, const ToolRequest& request, const ToolConsole& console);
bool SelectChosenEntries(HWND dialog, const ToolRequest& request);
int DiffThroughDialog(HWND dialog, const ToolRequest& request, const ToolConsole& console);
bool DiffInternetOptions(const SettingsGroup& kind, const ToolConsole& console);
bool DiffEntry(HWND dialog, const SettingsGroup& kind, int item, const std::string& name, const ToolConsole& console);
void PrintDiff(const std::string& title, const std::string& path, const TreeKey& live, const TreeKey& saved,
               const char* kept, const ToolConsole& console);
std::string Composed(LPCSTR format, const std::string& text);

constexpr char kOptionsTitle[] = "インターネットオプション";

}  // namespace

int ApplyProfileFile(const ToolRequest& request, const ToolConsole& console) {
    const int checked = CheckWholeFile(request);
    if (checked == kExitRefused) return kExitRefused;
    HWND dialog = ShowFileInHiddenDialog(*request.kind);
    if (!dialog) return kExitRefused;
    const int code = ApplyThroughDialog(dialog, request, console);
    DestroyWindow(dialog);
    return code == kExitDone ? checked : code;
}

int SaveProfileFile(const ToolRequest& request, const ToolConsole& console) {
    HWND dialog = CreateHiddenDialog(*request.kind);
    if (!dialog) return kExitRefused;
    const int code = SetUpSaveDialog(*request.kind, dialog) ? SaveThroughDialog(dialog, request, console) : kExitRefused;
    DestroyWindow(dialog);
    return code;
}

int DiffProfileFile(const ToolRequest& request, const ToolConsole& console) {
    const int checked = CheckWholeFile(request);
    if (checked == kExitRefused) return kExitRefused;
    HWND dialog = ShowFileInHiddenDialog(*request.kind);
    if (!dialog) return kExitRefused;
    const int code = DiffThroughDialog(dialog, request, console);
    DestroyWindow(dialog);
    return code == kExitDone ? checked : code;
}

namespace {

// Everything a load could read, as check does; names asked for that the
// file does not hold are named. The file stays unpacked in the work
// directory for the dialog. kExitRefused, kExitPartly (unknown names) or
// kExitDone.
int CheckWholeFile(const ToolRequest& request) {
    OpenedProfile profile;
    const int whole = OpenProfile(*request.kind, ProfileFilePath, WorkDirectory, &profile) && ValidateProfileSnapshots(profile);
    const bool known = !whole || NameEveryUnknown(request, profile.names, "ファイルに\"%s\"の項目はありません。");
    CloseProfile(&profile);
    if (!whole) return kExitRefused;
    return known ? kExitDone : kExitPartly;
}

// The load dialog of `kind` on the file already unpacked and checked, as its
// set-up would show it. Null after a reported failure.
HWND ShowFileInHiddenDialog(const SettingsGroup& kind) {
    HWND dialog = CreateHiddenDialog(kind);
    if (!dialog) return nullptr;
    ShowLoadTexts(kind, dialog);
    if (ShowProfileContents(kind, dialog, WorkDirectory)) return dialog;
    DestroyWindow(dialog);
    return nullptr;
}

bool IsChosen(const ToolRequest& request, const std::string& name) {
    return request.only.empty() || std::find(request.only.begin(), request.only.end(), name) != request.only.end();
}

bool NameEveryUnknown(const ToolRequest& request, const std::vector<std::string>& known, LPCSTR format) {
    bool all = true;
    for (const std::string& name : request.only) {
        if (std::find(known.begin(), known.end(), name) != known.end()) continue;
        ShowInformation(nullptr, Composed(format, name).c_str());
        all = false;
    }
    return all;
}

int ApplyThroughDialog(HWND dialog, const ToolRequest& request, const ToolConsole& console) {
    bool whole = ApplyInternetOptionsOnly(dialog, request, console);
    const std::vector<std::string> entries = ListEntries(dialog);
    int applied = 0;
    for (size_t item = 0; item < entries.size(); ++item) {
        if (!IsChosen(request, entries[item])) continue;
        SelectOnlyEntry(dialog, static_cast<int>(item));
        DialogOutcome outcome;
        LoadFromDialog(*request.kind, dialog, WorkDirectory, &outcome);
        if (outcome.Entry(static_cast<int>(item)) != kEntryApplied) {
            ShowInformation(nullptr, Composed("項目\"%s\"を適用できませんでした。", entries[item]).c_str());
            whole = false;
            continue;
        }
        Print(console, "適用しました: \"" + entries[item] + "\"\n");
        ++applied;
    }
    if (applied > 0 && request.kind->restartAfterLoad)
        Print(console, "TCP/IPの設定を有効にするには、Windowsを再起動してください。\n");
    return whole ? kExitDone : kExitPartly;
}

// The Internet options on an OK of their own, with no entry selected; the
// box is cleared afterwards so that the entries' OKs do not apply them again.
bool ApplyInternetOptionsOnly(HWND dialog, const ToolRequest& request, const ToolConsole& console) {
    if (!request.kind->options || !IsWindowEnabled(GetDlgItem(dialog, IDC_OPTIONS))) return true;
    bool applied = true;
    if (!request.noInternetOptions) {
        CheckDlgButton(dialog, IDC_OPTIONS, BST_CHECKED);
        SelectOnlyEntry(dialog, -1);
        DialogOutcome outcome;
        LoadFromDialog(*request.kind, dialog, WorkDirectory, &outcome);
        applied = outcome.options == kEntryApplied;
        if (applied) Print(console, "インターネットオプションを適用しました。\n");
        if (!applied) ShowInformation(nullptr, "インターネットオプションを適用できませんでした。");
    }
    CheckDlgButton(dialog, IDC_OPTIONS, BST_UNCHECKED);
    return applied;
}

// One OK for everything: the index numbers the snapshots in one pass. A
// part that failed (reported) leaves the rest of the file written.
int SaveThroughDialog(HWND dialog, const ToolRequest& request, const ToolConsole& console) {
    if (request.hasComment) SetDlgItemTextA(dialog, IDC_COMMENT, request.comment.c_str());
    if (request.noInternetOptions) CheckDlgButton(dialog, IDC_OPTIONS, BST_UNCHECKED);
    const bool allFound = SelectChosenEntries(dialog, request);
    DialogOutcome outcome;
    if (!SaveFromDialog(*request.kind, dialog, ProfileFilePath, WorkDirectory, &outcome)) return kExitRefused;
    bool whole = outcome.options != kEntryFailed;
    for (int item = 0; item < outcome.entryCount; ++item)
        if (outcome.Entry(item) == kEntryFailed) whole = false;
    if (whole) {
        Print(console, "セーブしました: " + std::string(ProfileFilePath) + "\n");
        return allFound ? kExitDone : kExitPartly;
    }
    Print(console, "一部を除いてセーブしました: " + std::string(ProfileFilePath) + "\n");
    return kExitPartly;
}

// By name, every entry of that name; names this machine has not are named.
bool SelectChosenEntries(HWND dialog, const ToolRequest& request) {
    if (request.only.empty()) return true;
    const std::vector<std::string> entries = ListEntries(dialog);
    SelectOnlyEntry(dialog, -1);
    for (size_t item = 0; item < entries.size(); ++item)
        if (IsChosen(request, entries[item]))
            SendDlgItemMessageA(dialog, IDC_ENTRY_LIST, LB_SETSEL, TRUE, static_cast<LPARAM>(item));
    return NameEveryUnknown(request, entries, "このコンピュータに\"%s\"はありません。");
}

int DiffThroughDialog(HWND dialog, const ToolRequest& request, const ToolConsole& console) {
    const SettingsGroup& kind = *request.kind;
    bool allFound = true;
    if (kind.options && IsWindowEnabled(GetDlgItem(dialog, IDC_OPTIONS)))
        allFound = DiffInternetOptions(kind, console);
    const std::vector<std::string> entries = ListEntries(dialog);
    for (size_t item = 0; item < entries.size(); ++item)
        if (IsChosen(request, entries[item]) && !DiffEntry(dialog, kind, static_cast<int>(item), entries[item], console))
            allFound = false;
    return allFound ? kExitDone : kExitPartly;
}

// The kept subtree (5.0) is left out: an apply keeps the machine's own.
// False after a reported failure to read either tree.
bool DiffInternetOptions(const SettingsGroup& kind, const ToolConsole& console) {
    const LiveTree& tree = kind.options->tree;
    TreeKey saved;
    TreeKey live;
    if (!ReadSnapshotTree(WorkDirectory, kind.options->snapshot, &saved) || !ReadLiveTree(tree.root, tree.rootName, tree.path, &live))
        return false;
    PrintDiff(kOptionsTitle, OptionsTreeName(kind), live, saved, tree.keptSubkey, console);
    return true;
}

// The live item the load dialog would choose for entry `item`, found by
// the same walk and the same match as its apply.
bool DiffEntry(HWND dialog, const SettingsGroup& kind, int item, const std::string& name, const ToolConsole& console) {
    CHAR path[kItemTreePathSize];
    const int found = FindEntryItemTree(kind, dialog, item, path);
    const std::string title = std::string(kind.entryLabel) + " \"" + name + "\"";
    if (found != 1) {
        if (found == 0) Print(console, "\n" + title + ": このコンピュータに一致する項目がありません。\n");
        return false;
    }
    TreeKey saved;
    TreeKey live;
    const std::string snapshot = EntrySnapshotName(kind, ListEntryNumber(dialog, IDC_ENTRY_LIST, item));
    if (!ReadSnapshotTree(WorkDirectory, snapshot.c_str(), &saved) || !ReadLiveTree(kind.root, kind.rootName, path, &live))
        return false;
    PrintDiff(title, std::string(kind.rootName) + "\\" + path, live, saved, nullptr, console);
    return true;
}

void PrintDiff(const std::string& title, const std::string& path, const TreeKey& live, const TreeKey& saved,
               const char* kept, const ToolConsole& console) {
    std::vector<std::string> lines;
    DiffTrees(path, live, saved, kept, &lines);
    std::string text = "\n" + title + " → " + path + "\n";
    if (lines.empty()) text += "変更はありません。\n";
    for (const std::string& line : lines) text += line + "\n";
    Print(console, text);
}

std::string Composed(LPCSTR format, const std::string& text) {
    CHAR message[kMessageBufferSize];
    wsprintfA(message, format, text.c_str());
    return message;
}

}  // namespace
