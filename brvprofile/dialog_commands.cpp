// diff, apply and save on Windows. apply and save play the user of the
// program's own dialogs (created, never shown): the console and the program
// cannot drift apart. An apply checks the whole file first, so that a
// damaged file changes nothing; each entry then gets an OK of its own, so
// that a missing or failed one is named and the others still go on.
#include <algorithm>

#include "base/report.h"
#include "base/workarea.h"
#include "brvprofile/hidden_dialog.h"
#include "brvprofile/opened_profile.h"
#include "brvprofile/report_marks.h"
#include "brvprofile/snapshot_tree.h"
#include "brvprofile/tool.h"
#include "brvprofile/tree_diff.h"
#include "resources/resource.h"
#include "settings/list_entry.h"

namespace {

int CheckWholeFile(const ToolRequest& request);
bool IsChosen(const ToolRequest& request, const std::string& name);
bool NameEveryUnknown(const ToolRequest& request, const std::vector<std::string>& known, LPCSTR format);
int ApplyThroughDialog(HWND dialog, const ToolRequest& request, const ToolConsole& console);
bool ApplyInternetOptionsOnly(HWND dialog, const ToolRequest& request, const ToolConsole& console);
int SaveThroughDialog(HWND dialog, const ToolRequest& request, const ToolConsole& console);
bool SelectChosenEntries(HWND dialog, const ToolRequest& request);
int DiffThroughDialog(HWND dialog, const ToolRequest& request, const ToolConsole& console);
bool DiffInternetOptions(const ProfileKind& kind, const ToolConsole& console);
bool DiffEntry(HWND dialog, const ProfileKind& kind, int item, const std::string& name, const ToolConsole& console);
void PrintDiff(const std::string& title, const std::string& path, const TreeKey& live, const TreeKey& saved,
               const char* kept, const ToolConsole& console);
std::string Composed(LPCSTR format, const std::string& text);

constexpr char kOptionsTitle[] = "インターネットオプション";

}  // namespace

int ApplyProfileFile(const ToolRequest& request, const ToolConsole& console) {
    const int checked = CheckWholeFile(request);
    if (checked == kExitRefused) return kExitRefused;
    HWND dialog = CreateHiddenDialog(*request.kind, true);
    if (!dialog) return kExitRefused;
    const int code = ApplyThroughDialog(dialog, request, console);
    DestroyHiddenDialog(dialog);
    return code == kExitDone ? checked : code;
}

int SaveProfileFile(const ToolRequest& request, const ToolConsole& console) {
    HWND dialog = CreateHiddenDialog(*request.kind, false);
    if (!dialog) return kExitRefused;
    const int code = SaveThroughDialog(dialog, request, console);
    DestroyHiddenDialog(dialog);
    return code;
}

int DiffProfileFile(const ToolRequest& request, const ToolConsole& console) {
    const int checked = CheckWholeFile(request);
    if (checked == kExitRefused) return kExitRefused;
    HWND dialog = CreateHiddenDialog(*request.kind, true);
    if (!dialog) return kExitRefused;
    const int code = DiffThroughDialog(dialog, request, console);
    DestroyHiddenDialog(dialog);
    return code == kExitDone ? checked : code;
}

namespace {

// Everything a load could read, as check does; names asked for that the
// file does not hold are named. The work directory is emptied again for
// the dialog. kExitRefused, kExitPartly (unknown names) or kExitDone.
int CheckWholeFile(const ToolRequest& request) {
    OpenedProfile profile;
    const int whole = OpenProfile(*request.kind, &profile) && ValidateProfileSnapshots(profile);
    const bool known = !whole || NameEveryUnknown(request, profile.names, "ファイルに\"%s\"の項目はありません。");
    CloseProfile(&profile);
    ClearWorkDirectory(nullptr);
    if (!whole) return kExitRefused;
    return known ? kExitDone : kExitPartly;
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

// A set-up that reported has refused the file and ended the dialog.
int ApplyThroughDialog(HWND dialog, const ToolRequest& request, const ToolConsole& console) {
    if (ReportCount(dialog) > 0) return kExitRefused;
    bool whole = ApplyInternetOptionsOnly(dialog, request, console);
    const std::vector<std::string> entries = ListEntries(dialog);
    int applied = 0;
    for (size_t item = 0; item < entries.size(); ++item) {
        if (!IsChosen(request, entries[item])) continue;
        SelectOnlyEntry(dialog, static_cast<int>(item));
        if (PressOk(dialog) > 0) {
            ShowInformation(nullptr, Composed("項目\"%s\"を適用できませんでした。", entries[item]).c_str());
            whole = false;
            continue;
        }
        Print(console, "適用しました: \"" + entries[item] + "\"\n");
        ++applied;
    }
    if (applied > 0 && request.kind == &kTcpipProfile)
        Print(console, "TCP/IPの設定を有効にするには、Windowsを再起動してください。\n");
    return whole ? kExitDone : kExitPartly;
}

// The Internet options on an OK of their own, with no entry selected; the
// box is cleared afterwards so that the entries' OKs do not apply them again.
bool ApplyInternetOptionsOnly(HWND dialog, const ToolRequest& request, const ToolConsole& console) {
    if (!request.kind->optionsSnapshot || !IsWindowEnabled(GetDlgItem(dialog, IDC_OPTIONS))) return true;
    bool applied = true;
    if (!request.noInternetOptions) {
        CheckDlgButton(dialog, IDC_OPTIONS, BST_CHECKED);
        SelectOnlyEntry(dialog, -1);
        applied = PressOk(dialog) == 0;
        if (applied) Print(console, "インターネットオプションを適用しました。\n");
        if (!applied) ShowInformation(nullptr, "インターネットオプションを適用できませんでした。");
    }
    CheckDlgButton(dialog, IDC_OPTIONS, BST_UNCHECKED);
    return applied;
}

// One OK for everything: the index numbers the snapshots in one pass. A
// report during it means a part failed; whether the file was still written
// is told by the file itself.
int SaveThroughDialog(HWND dialog, const ToolRequest& request, const ToolConsole& console) {
    if (ReportCount(dialog) > 0) return kExitRefused;
    if (request.hasComment) SetDlgItemTextA(dialog, IDC_COMMENT, request.comment.c_str());
    if (request.noInternetOptions) CheckDlgButton(dialog, IDC_OPTIONS, BST_UNCHECKED);
    const bool allFound = SelectChosenEntries(dialog, request);
    WIN32_FILE_ATTRIBUTE_DATA before{};
    const BOOL existed = GetFileAttributesExA(ProfileFilePath, GetFileExInfoStandard, &before);
    if (PressOk(dialog) == 0) {
        Print(console, "セーブしました: " + std::string(ProfileFilePath) + "\n");
        return allFound ? kExitDone : kExitPartly;
    }
    WIN32_FILE_ATTRIBUTE_DATA after{};
    const bool written = GetFileAttributesExA(ProfileFilePath, GetFileExInfoStandard, &after) &&
                         (!existed || CompareFileTime(&before.ftLastWriteTime, &after.ftLastWriteTime) != 0 ||
                          before.nFileSizeLow != after.nFileSizeLow);
    if (!written) return kExitRefused;
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
    if (ReportCount(dialog) > 0) return kExitRefused;
    const ProfileKind& kind = *request.kind;
    bool allFound = true;
    if (kind.optionsSnapshot && IsWindowEnabled(GetDlgItem(dialog, IDC_OPTIONS)))
        allFound = DiffInternetOptions(kind, console);
    const std::vector<std::string> entries = ListEntries(dialog);
    for (size_t item = 0; item < entries.size(); ++item)
        if (IsChosen(request, entries[item]) && !DiffEntry(dialog, kind, static_cast<int>(item), entries[item], console))
            allFound = false;
    return allFound ? kExitDone : kExitPartly;
}

// The 5.0 subtree is left out: an apply keeps the machine's own. False
// after a reported failure to read either tree.
bool DiffInternetOptions(const ProfileKind& kind, const ToolConsole& console) {
    TreeKey saved;
    TreeKey live;
    const std::string path = kind.optionsPath;
    const size_t cut = path.find('\\');
    if (!ReadSnapshotTree(kind.optionsSnapshot, &saved) ||
        !ReadLiveTree(HKEY_CURRENT_USER, "HKEY_CURRENT_USER", path.substr(cut + 1).c_str(), &live))
        return false;
    PrintDiff(kOptionsTitle, path, live, saved, kind.optionsKeptSubkey, console);
    return true;
}

// The live item the load dialog would choose for entry `item`, found by
// the same walk and the same match as its apply. The walk's callback has
// no context of its own: it finds it on the dialog.
struct LiveChoice {
    const DialogKind* dialogs;
    bool found;
    bool failed;
    CHAR path[kLivePathSize];
};
constexpr char kChoiceProperty[] = "brvprofile.choice";

int TakeEntrysItem(HWND dialog, LPCSTR, LPCSTR keyName, LPCSTR displayName, int item) {
    LiveChoice* choice = static_cast<LiveChoice*>(GetPropA(dialog, kChoiceProperty));
    const int match = EntryStandsForLiveItem(dialog, IDC_ENTRY_LIST, item, keyName, displayName,
                                             choice->dialogs->liveRank, kByEntryNumber);
    if (match == 0) return 1;
    choice->failed = match < 0 || !choice->dialogs->livePath(dialog, keyName, choice->path);
    choice->found = !choice->failed;
    return 0;
}

bool DiffEntry(HWND dialog, const ProfileKind& kind, int item, const std::string& name, const ToolConsole& console) {
    LiveChoice choice{&DialogKindOf(kind), false, false, ""};
    SetPropA(dialog, kChoiceProperty, &choice);
    choice.dialogs->walker(TakeEntrysItem, dialog, WorkDirectory, item);
    RemovePropA(dialog, kChoiceProperty);
    const std::string title = std::string(kind.entryLabel) + " \"" + name + "\"";
    if (!choice.found) {
        if (!choice.failed) Print(console, "\n" + title + ": このコンピュータに一致する項目がありません。\n");
        return false;
    }
    TreeKey saved;
    TreeKey live;
    const std::string snapshot = EntrySnapshotName(kind, ListEntryNumber(dialog, IDC_ENTRY_LIST, item));
    if (!ReadSnapshotTree(snapshot.c_str(), &saved) ||
        !ReadLiveTree(choice.dialogs->root, choice.dialogs->rootName, choice.path, &live))
        return false;
    PrintDiff(title, std::string(choice.dialogs->rootName) + "\\" + choice.path, live, saved, nullptr, console);
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
