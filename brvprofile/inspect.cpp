// show and check: what a profile file holds, and whether everything a load
// would read is there and well formed, without touching the registry.
#include <cstdio>

#include "base/workarea.h"
#include "brvprofile/opened_profile.h"
#include "brvprofile/snapshot_tree.h"
#include "brvprofile/tool.h"

namespace {

void PrintSummary(const OpenedProfile& profile, const ToolConsole& console);
void PrintHeader(const OpenedProfile& profile, const ToolConsole& console);
void PrintEntries(const OpenedProfile& profile, const ToolConsole& console);
int PrintTrees(const OpenedProfile& profile, const ToolConsole& console);
int PrintTree(const std::string& snapshot, const std::string& path, const ToolConsole& console);

}  // namespace

int ShowProfileFile(const ToolRequest& request, const ToolConsole& console) {
    OpenedProfile profile;
    int code = kExitRefused;
    if (OpenProfile(*request.kind, ProfileFilePath, WorkDirectory, &profile)) {
        PrintSummary(profile, console);
        code = !request.tree || PrintTrees(profile, console) ? kExitDone : kExitRefused;
    }
    CloseProfile(&profile);
    return code;
}

int CheckProfileFile(const ToolRequest& request, const ToolConsole& console) {
    OpenedProfile profile;
    const int whole = OpenProfile(*request.kind, ProfileFilePath, WorkDirectory, &profile) && ValidateProfileSnapshots(profile);
    if (whole) Print(console, "問題はありません。ファイル\"" + std::string(ProfileFilePath) + "\"はロードできます。\n");
    CloseProfile(&profile);
    return whole ? kExitDone : kExitRefused;
}

namespace {

void PrintSummary(const OpenedProfile& profile, const ToolConsole& console) {
    Print(console, "ファイル: " + std::string(ProfileFilePath) + "\n");
    Print(console, "種類: " + std::string(profile.kind->label) + "\n");
    PrintHeader(profile, console);
    if (profile.kind->options)
        Print(console, std::string("インターネットオプション: ") + (profile.hasOptions ? "あり" : "なし") + "\n");
    PrintEntries(profile, console);
}

// A header revision without comment fields is told apart from an empty comment.
void PrintHeader(const OpenedProfile& profile, const ToolConsole& console) {
    if (profile.headerResult != kProfileHeaderRead) {
        Print(console, "プロフィール情報: なし\n");
        return;
    }
    Print(console, std::string(profile.kind->sourceLabel) + ": " + profile.header.sourceName + "\n");
    Print(console, std::string("保存者コメント: ") +
                       (profile.header.hasComment ? profile.header.comment : "(記録なし)") + "\n");
}

void PrintEntries(const OpenedProfile& profile, const ToolConsole& console) {
    char count[16];
    std::snprintf(count, sizeof count, "%u", static_cast<unsigned>(profile.names.size()));
    Print(console, std::string(profile.kind->entryLabel) + "の項目: " + count + "\n");
    for (size_t record = 0; record < profile.names.size(); ++record) {
        char number[16];
        std::snprintf(number, sizeof number, "%u", static_cast<unsigned>(record));
        Print(console, std::string("  レコード ") + number + ": \"" + profile.names[record] + "\" スナップショット " +
                           EntrySnapshotName(*profile.kind, static_cast<int>(record)) + "\n");
    }
}

// Each snapshot below the path an apply writes it to; the first damaged
// one ends the listing.
int PrintTrees(const OpenedProfile& profile, const ToolConsole& console) {
    if (profile.hasOptions && !PrintTree(profile.kind->options->snapshot, OptionsTreeName(*profile.kind), console))
        return 0;
    for (size_t record = 0; record < profile.names.size(); ++record) {
        const std::string snapshot = EntrySnapshotName(*profile.kind, static_cast<int>(record));
        if (!PrintTree(snapshot, EntryApplyPath(*profile.kind, profile.names[record]), console)) return 0;
    }
    return 1;
}

int PrintTree(const std::string& snapshot, const std::string& path, const ToolConsole& console) {
    TreeKey tree;
    if (!ReadSnapshotTree(WorkDirectory, snapshot.c_str(), &tree)) return 0;
    std::string text = "\n; " + snapshot + "\n";
    AppendRegKeyText(&text, path, tree);
    Print(console, text);
    return 1;
}

}  // namespace
