// Replacing a live registry tree by a snapshot, with a backup to fall back
// on: a profile file may come from anywhere, and a step that fails half way
// must not leave the user without the settings he had.
#include "snapshot/tree_replace.h"

#include "app/report.h"
#include "snapshot/registry_clear.h"
#include "snapshot/registry_snapshot.h"
#include "winapi/guards.h"

namespace {

enum class Backup { kMade, kNoLiveTree, kFailed };

Backup BackUpLiveTree(HWND owner, const LiveTree& tree, LPCSTR fullName, LPCSTR directory);
int LoadInto(HWND owner, const LiveTree& tree, LPCSTR fullName, LPCSTR snapshotName, LPCSTR directory);
void RestoreLiveTree(HWND owner, const LiveTree& tree, LPCSTR fullName, LPCSTR directory, bool hadTree);

}  // namespace

int ReplaceLiveTree(HWND owner, const LiveTree& tree, LPCSTR snapshotName, LPCSTR directory,
                    AfterLoadStep afterLoad, const void* context) {
    if (!ValidateSnapshot(owner, snapshotName, directory)) return 0;
    CHAR fullName[kMessageBufferSize];
    wsprintfA(fullName, "%s\\%s", tree.rootName, tree.path);
    const Backup backup = BackUpLiveTree(owner, tree, fullName, directory);
    if (backup == Backup::kFailed) return 0;

    if (ClearRegistryTree(owner, tree.root, tree.path) && LoadInto(owner, tree, fullName, snapshotName, directory) &&
        (!afterLoad || afterLoad(owner, directory, context)))
        return 1;
    RestoreLiveTree(owner, tree, fullName, directory, backup == Backup::kMade);
    return 0;
}

namespace {

// Saves the live tree as the backup snapshot. A tree that does not exist
// needs none: putting it back means removing what the load made.
Backup BackUpLiveTree(HWND owner, const LiveTree& tree, LPCSTR fullName, LPCSTR directory) {
    KeyGuard key;
    SetLastError(RegOpenKeyExA(tree.root, tree.path, 0, KEY_READ, &key.key));
    if (GetLastError() == ERROR_FILE_NOT_FOUND) {
        key.key = nullptr;
        return Backup::kNoLiveTree;
    }
    if (GetLastError() != ERROR_SUCCESS) {
        key.key = nullptr;
        ReportSystemErrorWith(owner, "レジストリキー\"%s\"に読み込みアクセスを適用できません。", fullName);
        return Backup::kFailed;
    }
    return SaveRegistryTree(owner, key.key, kLiveTreeBackupName, directory) ? Backup::kMade : Backup::kFailed;
}

// Creates the (cleared) tree and loads the snapshot into it; 0 after a
// reported failure at key or file level.
int LoadInto(HWND owner, const LiveTree& tree, LPCSTR fullName, LPCSTR snapshotName, LPCSTR directory) {
    KeyGuard key;
    SetLastError(RegCreateKeyExA(tree.root, tree.path, 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, &key.key, nullptr));
    if (GetLastError() != ERROR_SUCCESS) {
        key.key = nullptr;
        ReportSystemErrorWith(owner, tree.createFailure, fullName);
        return 0;
    }
    return LoadWholeRegistryTree(owner, key.key, snapshotName, directory);
}

// Puts the tree back as the backup holds it and tells the user, once.
void RestoreLiveTree(HWND owner, const LiveTree& tree, LPCSTR fullName, LPCSTR directory, bool hadTree) {
    bool restored = ClearRegistryTree(owner, tree.root, tree.path) != 0;
    if (restored && hadTree) restored = LoadInto(owner, tree, fullName, kLiveTreeBackupName, directory) != 0;
    CHAR message[kMessageBufferSize];
    wsprintfA(message,
              restored ? "レジストリキー\"%s\"にファイルの設定を適用できなかったため、元の設定に戻しました。"
                       : "レジストリキー\"%s\"にファイルの設定を適用できず、元の設定にも戻せませんでした。",
              fullName);
    ShowInformation(owner, message);
}

}  // namespace
