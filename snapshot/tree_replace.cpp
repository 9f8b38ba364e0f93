// The one way a live registry tree is replaced by a snapshot. Faults may
// last: a key that cannot be deleted now cannot be deleted a moment later
// either, so nothing is cleared before every key is known to be deletable,
// and a way back never repeats the step that failed.
#include "snapshot/tree_replace.h"

#include "base/report.h"
#include "snapshot/index_file.h"
#include "snapshot/profile_file.h"
#include "snapshot/profile_header.h"
#include "snapshot/registry_clear.h"
#include "snapshot/registry_snapshot.h"
#include "winapi/guards.h"

namespace {

// The step of a replacement that failed.
enum class Failed { kNothing, kClear, kWrite };

// What the replacement saved of the live tree before clearing it.
struct Backup {
    CHAR folder[kMessageBufferSize];  // ends with a backslash
    bool hadTree;
    bool hadKept;
};

// How many numbers a kept profile's name may try before giving up.
constexpr int kMaxKeptProfiles = 9999;

BOOL ProveTreeDeletable(HWND owner, const LiveTree& tree);
BOOL SaveLiveTree(HWND owner, const LiveTree& tree, LPCSTR directory, Backup* backup);
Presence SaveKeyIfPresent(HWND owner, const LiveTree& tree, LPCSTR path, LPCSTR snapshotName, LPCSTR directory);
Failed ReplaceTree(HWND owner, const LiveTree& tree, LPCSTR snapshotName, LPCSTR directory, const Backup& backup);
BOOL WriteTree(HWND owner, const LiveTree& tree, LPCSTR path, LPCSTR snapshotName, LPCSTR directory);
BOOL PutKeptSubkeyBack(HWND owner, const LiveTree& tree, bool hadKept, LPCSTR directory);
bool RestoreLiveTree(HWND owner, const LiveTree& tree, const Backup& backup, Failed failed);
BOOL PutLiveTreeBack(HWND owner, const LiveTree& tree, const Backup& backup, Failed failed);
BOOL KeepBackupAsProfile(HWND owner, const LiveTree& tree, const Backup& backup, LPSTR keptPath);
BOOL WriteBackupHeader(HWND owner, const LiveTree& tree, LPCSTR folder);
BOOL WriteBackupIndex(HWND owner, const TreeProfile& profile, LPCSTR folder);
BOOL ReserveKeptProfilePath(HWND owner, BYTE kind, LPSTR path);
BOOL MakeBackupFolder(HWND owner, LPCSTR folder);
void DeleteFolderFiles(LPCSTR folder);
void FormFullPath(const LiveTree& tree, LPCSTR path, LPSTR fullPath);
void FormKeptPath(const LiveTree& tree, LPSTR path);

}  // namespace

int ReplaceLiveTree(HWND owner, const LiveTree& tree, LPCSTR snapshotName, LPCSTR directory) {
    if (!ValidateSnapshot(owner, snapshotName, directory)) return 0;
    Backup backup{};
    wsprintfA(backup.folder, "%s%s\\", directory, kLiveBackupFolder);
    if (!MakeBackupFolder(owner, backup.folder)) return 0;

    bool done = false;
    bool keepFolder = false;
    if (SaveLiveTree(owner, tree, directory, &backup) && ProveTreeDeletable(owner, tree)) {
        const Failed failed = ReplaceTree(owner, tree, snapshotName, directory, backup);
        done = failed == Failed::kNothing;
        // The folder may hold the only copy of the live tree.
        if (!done) keepFolder = !RestoreLiveTree(owner, tree, backup, failed);
    }
    if (!keepFolder) {
        DeleteFolderFiles(backup.folder);
        RemoveDirectoryA(backup.folder);
    }
    return done ? 1 : 0;
}

namespace {

// Clearing opens every key with the right to delete it; a key that refuses
// would stop the clearing half-way, so it is found before anything changes.
BOOL ProveTreeDeletable(HWND owner, const LiveTree& tree) {
    UndeletableKey found;
    if (CheckTreeDeletable(tree.root, tree.path, &found)) return TRUE;
    CHAR fullPath[kMessageBufferSize];
    FormFullPath(tree, found.path, fullPath);
    SetLastError(found.error);
    ReportSystemErrorWith(owner, "レジストリキー\"%s\"を削除できないため、設定を書き込みませんでした。元の設定のままです。",
                          fullPath);
    return FALSE;
}

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
    Presence whole = SaveKeyIfPresent(owner, tree, tree.path, tree.profile.snapshotName, backup->folder);
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
        FormFullPath(tree, path, fullPath);
        SetLastError(error);
        ReportSystemErrorWith(owner, "レジストリキー\"%s\"に読み込みアクセスを適用できません。", fullPath);
        return Presence::kFailed;
    }
    return SaveRegistryTree(owner, key.key, snapshotName, directory) ? Presence::kPresent : Presence::kFailed;
}

Failed ReplaceTree(HWND owner, const LiveTree& tree, LPCSTR snapshotName, LPCSTR directory, const Backup& backup) {
    if (!ClearRegistryTree(owner, tree.root, tree.path)) return Failed::kClear;
    if (!WriteTree(owner, tree, tree.path, snapshotName, directory) ||
        !PutKeptSubkeyBack(owner, tree, backup.hadKept, directory))
        return Failed::kWrite;
    return Failed::kNothing;
}

// Creates the key at `path` and loads the snapshot into it; FALSE when the
// key, a subkey or a value cannot be written or a file of the snapshot
// cannot be read (reported).
BOOL WriteTree(HWND owner, const LiveTree& tree, LPCSTR path, LPCSTR snapshotName, LPCSTR directory) {
    KeyGuard key;
    SetLastError(RegCreateKeyExA(tree.root, path, 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, &key.key, nullptr));
    if (GetLastError() != ERROR_SUCCESS) {
        key.key = nullptr;
        ReportSystemErrorWith(owner, tree.createFailure, path);
        return FALSE;
    }
    return LoadWholeRegistryTree(owner, key.key, snapshotName, directory) != 0;
}

// The snapshot's own version of the kept subkey goes; the machine's comes
// back, if it had one.
BOOL PutKeptSubkeyBack(HWND owner, const LiveTree& tree, bool hadKept, LPCSTR directory) {
    if (!tree.keptSubkey) return TRUE;
    CHAR keptPath[kMessageBufferSize];
    FormKeptPath(tree, keptPath);
    if (!ClearRegistryTree(owner, tree.root, keptPath)) return FALSE;
    return !hadKept || WriteTree(owner, tree, keptPath, tree.keptSnapshotName, directory);
}

// Puts the saved live tree back, or keeps it as a profile file, and tells
// the user which tree it was and how it ended. False only when the saved
// tree is neither back nor kept: its folder is then the only copy.
bool RestoreLiveTree(HWND owner, const LiveTree& tree, const Backup& backup, Failed failed) {
    CHAR fullPath[kMessageBufferSize];
    FormFullPath(tree, tree.path, fullPath);
    CHAR message[kMessageBufferSize];
    CHAR keptPath[kMessageBufferSize];
    bool safe = true;
    if (PutLiveTreeBack(owner, tree, backup, failed)) {
        wsprintfA(message, "レジストリキー\"%s\"に設定を書き込めなかったため、元の設定に戻しました。", fullPath);
    } else if (backup.hadTree && KeepBackupAsProfile(owner, tree, backup, keptPath)) {
        wsprintfA(message,
                  "レジストリキー\"%s\"に設定を書き込めず、元の設定にも戻せませんでした。元の設定はファイル\"%s\"に"
                  "保存しました。このファイルをロードすると元の設定に戻ります。",
                  fullPath, keptPath);
    } else {
        wsprintfA(message, "レジストリキー\"%s\"に設定を書き込めず、元の設定にも戻せませんでした。", fullPath);
        safe = !backup.hadTree;
    }
    ShowInformation(owner, message);
    return safe;
}

// After a failed clear every key that is left is an original one, so the
// saved tree loaded over them is exact, and a second clear would only meet
// the same fault. After a failed write what was written goes first.
BOOL PutLiveTreeBack(HWND owner, const LiveTree& tree, const Backup& backup, Failed failed) {
    if (failed == Failed::kWrite && !ClearRegistryTree(owner, tree.root, tree.path)) return FALSE;
    return !backup.hadTree || WriteTree(owner, tree, tree.path, tree.profile.snapshotName, backup.folder);
}

// The backup folder becomes a whole profile: the saved tree, a header and
// the index the load dialog of its kind needs, packed outside the work area
// so that the end of the program does not remove it.
BOOL KeepBackupAsProfile(HWND owner, const LiveTree& tree, const Backup& backup, LPSTR keptPath) {
    if (!WriteBackupHeader(owner, tree, backup.folder) || !WriteBackupIndex(owner, tree.profile, backup.folder) ||
        !ReserveKeptProfilePath(owner, tree.profile.kind, keptPath))
        return FALSE;
    if (PackProfileFile(owner, keptPath, backup.folder)) return TRUE;
    // The reserved name, or what a failed pack left of it.
    DeleteFileA(keptPath);
    return FALSE;
}

// The source name is who or which computer saved, as the save dialog of the
// kind writes it; when the system cannot say, the header goes without it.
BOOL WriteBackupHeader(HWND owner, const LiveTree& tree, LPCSTR folder) {
    CHAR source[257] = "";
    DWORD size = sizeof source;
    const BOOL named =
        tree.profile.kind == kProfileKindTcpip ? GetComputerNameA(source, &size) : GetUserNameA(source, &size);
    if (!named) source[0] = '\0';
    CHAR fullPath[kMessageBufferSize];
    FormFullPath(tree, tree.path, fullPath);
    CHAR comment[kMessageBufferSize];
    wsprintfA(comment, "レジストリキー\"%s\"の元の設定です。", fullPath);
    return WriteProfileHeader(owner, folder, tree.profile.kind, source, comment);
}

BOOL WriteBackupIndex(HWND owner, const TreeProfile& profile, LPCSTR folder) {
    CHAR path[kMessageBufferSize];
    wsprintfA(path, "%s%s", folder, profile.indexName);
    FileGuard index(CreateFileA(path, GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr));
    if (!index.valid()) {
        ReportSystemErrorWith(owner, "テンポラリファイル\"%s\"を作成し、書き込みアクセスを適用できません。", path);
        return FALSE;
    }
    index.Close();
    return !profile.indexRecord || AppendIndexRecord(owner, folder, profile.indexName, profile.indexRecord);
}

// The first free name in the user's temporary folder, taken by creating it
// empty: never an existing file.
BOOL ReserveKeptProfilePath(HWND owner, BYTE kind, LPSTR path) {
    CHAR tempPath[MAX_PATH];
    SetLastError(ERROR_SUCCESS);
    const DWORD length = GetTempPathA(sizeof tempPath, tempPath);
    if (length == 0 || length >= sizeof tempPath) {
        if (length != 0) SetLastError(ERROR_INSUFFICIENT_BUFFER);
        ReportSystemError(owner, "テンポラリディレクトリのパスを取得できません。");
        return FALSE;
    }
    const LPCSTR extension = kind == kProfileKindTcpip ? ".ips" : ".ies";
    for (int number = 1; number <= kMaxKeptProfiles; ++number) {
        wsprintfA(path, "%s%s%d%s", tempPath, kKeptProfilePrefix, number, extension);
        FileGuard file(CreateFileA(path, GENERIC_WRITE, 0, nullptr, CREATE_NEW, FILE_ATTRIBUTE_NORMAL, nullptr));
        if (file.valid()) return TRUE;
        if (GetLastError() != ERROR_FILE_EXISTS) break;
    }
    ReportSystemErrorWith(owner, "ファイル\"%s\"を作成し、書き込みアクセスを適用できません。", path);
    return FALSE;
}

// A folder left by an earlier run is emptied, so that nothing of it can
// ride along into a kept profile.
BOOL MakeBackupFolder(HWND owner, LPCSTR folder) {
    if (!CreateDirectoryA(folder, nullptr) && GetLastError() != ERROR_ALREADY_EXISTS) {
        ReportSystemErrorWith(owner, "ディレクトリ\"%s\"を作成できません。", folder);
        return FALSE;
    }
    DeleteFolderFiles(folder);
    return TRUE;
}

// Best effort, as the work directory is emptied at the end of a flow: a file
// that stays is removed with the next replacement's folder.
void DeleteFolderFiles(LPCSTR folder) {
    CHAR pattern[kMessageBufferSize];
    wsprintfA(pattern, "%s*.*", folder);
    WIN32_FIND_DATAA entry;
    FindGuard search{FindFirstFileA(pattern, &entry)};
    if (search.handle == INVALID_HANDLE_VALUE) return;
    do {
        CHAR path[kMessageBufferSize];
        wsprintfA(path, "%s%s", folder, entry.cFileName);
        if (!(entry.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY)) DeleteFileA(path);
    } while (FindNextFileA(search.handle, &entry));
}

void FormFullPath(const LiveTree& tree, LPCSTR path, LPSTR fullPath) {
    wsprintfA(fullPath, "%s\\%s", tree.rootName, path);
}

void FormKeptPath(const LiveTree& tree, LPSTR path) { wsprintfA(path, "%s\\%s", tree.path, tree.keptSubkey); }

}  // namespace
