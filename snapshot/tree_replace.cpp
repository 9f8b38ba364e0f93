// The one way a live registry tree is replaced by a snapshot.
#include "snapshot/tree_replace.h"

#include "base/report.h"
#include "snapshot/registry_clear.h"
#include "snapshot/registry_snapshot.h"
#include "winapi/guards.h"

namespace {

// What the replacement saved of the live tree before clearing it.
struct Backup {
    bool hadTree;
    bool hadKept;
};

BOOL SaveLiveTree(HWND owner, const LiveTree& tree, LPCSTR directory, Backup* backup);
Presence SaveKeyIfPresent(HWND owner, const LiveTree& tree, LPCSTR path, LPCSTR snapshotName, LPCSTR directory);
BOOL WriteTree(HWND owner, const LiveTree& tree, LPCSTR path, LPCSTR snapshotName, LPCSTR directory,
               bool* skipped = nullptr);
BOOL PutKeptSubkeyBack(HWND owner, const LiveTree& tree, bool hadKept, LPCSTR directory, bool* skipped);
int RestoreLiveTree(HWND owner, const LiveTree& tree, const Backup& backup, LPCSTR directory);
void FormKeptPath(const LiveTree& tree, LPSTR path);

}  // namespace

int ReplaceLiveTree(HWND owner, const LiveTree& tree, LPCSTR snapshotName, LPCSTR directory) {
    if (!ValidateSnapshot(owner, snapshotName, directory)) return 0;
    Backup backup{};
    if (!SaveLiveTree(owner, tree, directory, &backup)) return 0;

    bool skipped = false;
    if (!ClearRegistryTree(owner, tree.root, tree.path) ||
        !WriteTree(owner, tree, tree.path, snapshotName, directory, &skipped) ||
        !PutKeptSubkeyBack(owner, tree, backup.hadKept, directory, &skipped))
        return RestoreLiveTree(owner, tree, backup, directory);
    return skipped ? 2 : 1;
}

namespace {

// The kept subkey on its own, then the whole live tree; nothing is changed.
BOOL SaveLiveTree(HWND owner, const LiveTree& tree, LPCSTR directory, Backup* backup) {
    backup->hadKept = false;
    if (tree.keptSubkey) {
        CHAR keptPath[kMessageBufferSize];
        FormKeptPath(tree, keptPath);
        Presence kept = SaveKeyIfPresent(owner, tree, keptPath, tree.keptSnapshotName, directory);
        if (kept == Presence::kFailed) return FALSE;
        backup->hadKept = kept == Presence::kPresent;
    }
    Presence whole = SaveKeyIfPresent(owner, tree, tree.path, kLiveBackupName, directory);
    backup->hadTree = whole == Presence::kPresent;
    return whole != Presence::kFailed;
}

Presence SaveKeyIfPresent(HWND owner, const LiveTree& tree, LPCSTR path, LPCSTR snapshotName, LPCSTR directory) {
    KeyGuard key;
    SetLastError(RegOpenKeyExA(tree.root, path, 0, KEY_READ, &key.key));
    if (GetLastError() == ERROR_FILE_NOT_FOUND) {
        key.key = nullptr;
        return Presence::kAbsent;
    }
    if (GetLastError() != ERROR_SUCCESS) {
        key.key = nullptr;
        DWORD error = GetLastError();
        CHAR fullPath[kMessageBufferSize];
        wsprintfA(fullPath, "%s\\%s", tree.rootName, path);
        SetLastError(error);
        ReportSystemErrorWith(owner, "レジストリキー\"%s\"に読み込みアクセスを適用できません。", fullPath);
        return Presence::kFailed;
    }
    return SaveRegistryTree(owner, key.key, snapshotName, directory) ? Presence::kPresent : Presence::kFailed;
}

// Creates the key at `path` and loads the snapshot into it; FALSE when the
// key cannot be created or a file of the snapshot cannot be read (reported).
BOOL WriteTree(HWND owner, const LiveTree& tree, LPCSTR path, LPCSTR snapshotName, LPCSTR directory,
               bool* skipped) {
    KeyGuard key;
    SetLastError(RegCreateKeyExA(tree.root, path, 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, &key.key, nullptr));
    if (GetLastError() != ERROR_SUCCESS) {
        key.key = nullptr;
        ReportSystemErrorWith(owner, tree.createFailure, path);
        return FALSE;
    }
    return LoadWholeRegistryTree(owner, key.key, snapshotName, directory, skipped) != 0;
}

// The snapshot's own version of the kept subkey goes; the machine's comes
// back, if it had one.
BOOL PutKeptSubkeyBack(HWND owner, const LiveTree& tree, bool hadKept, LPCSTR directory, bool* skipped) {
    if (!tree.keptSubkey) return TRUE;
    CHAR keptPath[kMessageBufferSize];
    FormKeptPath(tree, keptPath);
    if (!ClearRegistryTree(owner, tree.root, keptPath)) return FALSE;
    return !hadKept || WriteTree(owner, tree, keptPath, tree.keptSnapshotName, directory, skipped);
}

// Clears what a failed replacement left and loads the saved live tree back,
// then tells the user which tree it was and whether it is whole again.
int RestoreLiveTree(HWND owner, const LiveTree& tree, const Backup& backup, LPCSTR directory) {
    BOOL restored = ClearRegistryTree(owner, tree.root, tree.path);
    if (restored && backup.hadTree) restored = WriteTree(owner, tree, tree.path, kLiveBackupName, directory);
    CHAR fullPath[kMessageBufferSize];
    wsprintfA(fullPath, "%s\\%s", tree.rootName, tree.path);
    CHAR message[kMessageBufferSize];
    wsprintfA(message,
              restored ? "レジストリキー\"%s\"に設定を書き込めなかったため、元の設定に戻しました。"
                       : "レジストリキー\"%s\"に設定を書き込めず、元の設定にも戻せませんでした。",
              fullPath);
    ShowInformation(owner, message);
    return 0;
}

void FormKeptPath(const LiveTree& tree, LPSTR path) { wsprintfA(path, "%s\\%s", tree.path, tree.keptSubkey); }

}  // namespace
