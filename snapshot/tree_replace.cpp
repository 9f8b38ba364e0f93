// The one way a live registry tree is replaced by a snapshot. Faults may
// last: a key that cannot be deleted now cannot be deleted a moment later
// either, so nothing is cleared before every key is known to be deletable,
// and a way back never repeats the step that failed.
#include "snapshot/tree_replace.h"

#include "base/registry_key.h"
#include "base/report.h"
#include "snapshot/index_file.h"
#include "snapshot/profile_file.h"
#include "snapshot/profile_header.h"
#include "snapshot/registry_clear.h"
#include "snapshot/registry_snapshot.h"
#include "snapshot/snapshot_memory.h"
#include "winapi/guards.h"

namespace {

// The step of a replacement that failed.
enum class Failed { kNothing, kClear, kWrite };

// What the replacement read: the snapshot, read once and validated, and
// what it saved of the live tree before clearing it. The kept subkey is
// saved as files in the directory, as the format's apply does; the whole
// live tree, the program's own safeguard, is kept in memory and becomes
// files only when it has to be kept as a profile.
struct Replacement {
    LPCSTR snapshotName;
    LPCSTR directory;
    SnapshotMemory snapshot;
    SnapshotMemory tree;
    CHAR folder[kMessageBufferSize];  // where the saved tree becomes files; ends with a backslash
    bool hadTree;
    bool hadKept;
};

// How many numbers a kept profile's name may try before giving up.
constexpr int kMaxKeptProfiles = 9999;

BOOL ProveTreeDeletable(HWND owner, const LiveTree& tree);
BOOL SaveLiveTree(HWND owner, const LiveTree& tree, Replacement* backup);
Presence SaveKeyIfPresent(HWND owner, const LiveTree& tree, LPCSTR path, LPCSTR snapshotName, LPCSTR directory,
                          SnapshotMemory* memory);
Failed ReplaceTree(HWND owner, const LiveTree& tree, const Replacement& replacement);
BOOL WriteTree(HWND owner, const LiveTree& tree, LPCSTR path, LPCSTR snapshotName, const SnapshotMemory* memory,
               LPCSTR directory);
BOOL PutKeptSubkeyBack(HWND owner, const LiveTree& tree, const Replacement& replacement);
void RestoreLiveTree(HWND owner, const LiveTree& tree, const Replacement& backup, Failed failed);
BOOL PutLiveTreeBack(HWND owner, const LiveTree& tree, const Replacement& backup, Failed failed);
BOOL KeepBackupAsProfile(HWND owner, const LiveTree& tree, const Replacement& backup, LPSTR keptPath);
BOOL WriteBackupFiles(HWND owner, const LiveTree& tree, const Replacement& backup);
BOOL WriteBackupHeader(HWND owner, const LiveTree& tree, LPCSTR folder);
BOOL WriteBackupIndex(HWND owner, const TreeProfile& profile, LPCSTR folder);
BOOL ReserveKeptProfilePath(HWND owner, BYTE kind, LPSTR path);
BOOL MakeBackupFolder(HWND owner, LPCSTR folder);
void DeleteFolderFiles(LPCSTR folder);
void FormFullPath(const LiveTree& tree, LPCSTR path, LPSTR fullPath);
void FormKeptPath(const LiveTree& tree, LPSTR path);

}  // namespace

int ReplaceLiveTree(HWND owner, const LiveTree& tree, LPCSTR snapshotName, LPCSTR directory) {
    Replacement replacement{snapshotName, directory, {}, {}, "", false, false};
    wsprintfA(replacement.folder, "%s%s\\", directory, kLiveBackupFolder);
    if (!ReadValidSnapshot(owner, snapshotName, directory, &replacement.snapshot)) return 0;
    if (!SaveLiveTree(owner, tree, &replacement) || !ProveTreeDeletable(owner, tree)) return 0;
    const Failed failed = ReplaceTree(owner, tree, replacement);
    if (failed == Failed::kNothing) return 1;
    RestoreLiveTree(owner, tree, replacement, failed);
    return 0;
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
BOOL SaveLiveTree(HWND owner, const LiveTree& tree, Replacement* backup) {
    backup->hadKept = false;
    if (tree.keptSubkey) {
        CHAR keptPath[kMessageBufferSize];
        FormKeptPath(tree, keptPath);
        Presence kept = SaveKeyIfPresent(owner, tree, keptPath, tree.keptSnapshotName, backup->directory, nullptr);
        if (kept == Presence::kFailed) return FALSE;
        backup->hadKept = kept == Presence::kPresent;
    }
    Presence whole = SaveKeyIfPresent(owner, tree, tree.path, tree.profile.snapshotName, nullptr, &backup->tree);
    backup->hadTree = whole == Presence::kPresent;
    return whole != Presence::kFailed;
}

// Into `memory`, or as files into `directory` when `memory` is null.
Presence SaveKeyIfPresent(HWND owner, const LiveTree& tree, LPCSTR path, LPCSTR snapshotName, LPCSTR directory,
                          SnapshotMemory* memory) {
    CHAR fullPath[kMessageBufferSize];
    FormFullPath(tree, path, fullPath);
    KeyGuard key;
    const Presence found = OpenKeyIfPresent(owner, tree.root, path, KEY_READ, &key, {fullPath});
    if (found != Presence::kPresent) return found;
    const int saved = memory ? SaveRegistryTreeToMemory(owner, key.key, snapshotName, memory)
                             : SaveRegistryTree(owner, key.key, snapshotName, directory);
    return saved ? Presence::kPresent : Presence::kFailed;
}

Failed ReplaceTree(HWND owner, const LiveTree& tree, const Replacement& replacement) {
    if (!ClearRegistryTree(owner, tree.root, tree.path)) return Failed::kClear;
    if (!WriteTree(owner, tree, tree.path, replacement.snapshotName, &replacement.snapshot, replacement.directory) ||
        !PutKeptSubkeyBack(owner, tree, replacement))
        return Failed::kWrite;
    return Failed::kNothing;
}

// Creates the key at `path` and loads the snapshot into it: the one held in
// `memory` (`directory` then names where its files are or would be), or
// the files in `directory`. FALSE when the key, a subkey or a value cannot
// be written or a file cannot be read (reported).
BOOL WriteTree(HWND owner, const LiveTree& tree, LPCSTR path, LPCSTR snapshotName, const SnapshotMemory* memory,
               LPCSTR directory) {
    CHAR fullPath[kMessageBufferSize];
    FormFullPath(tree, path, fullPath);
    KeyGuard key;
    if (!CreateKey(owner, tree.root, path, 0, KEY_ALL_ACCESS, &key, {fullPath, tree.createAction})) return FALSE;
    if (!memory) return LoadWholeRegistryTree(owner, key.key, snapshotName, directory) != 0;
    return LoadWholeRegistryTreeFromMemory(owner, key.key, snapshotName, *memory, directory) != 0;
}

// The snapshot's own version of the kept subkey goes; the machine's comes
// back, if it had one.
BOOL PutKeptSubkeyBack(HWND owner, const LiveTree& tree, const Replacement& replacement) {
    if (!tree.keptSubkey) return TRUE;
    CHAR keptPath[kMessageBufferSize];
    FormKeptPath(tree, keptPath);
    if (!ClearRegistryTree(owner, tree.root, keptPath)) return FALSE;
    return !replacement.hadKept ||
           WriteTree(owner, tree, keptPath, tree.keptSnapshotName, nullptr, replacement.directory);
}

// Puts the saved live tree back, or keeps it as a profile file, and tells
// the user which tree it was and how it ended.
void RestoreLiveTree(HWND owner, const LiveTree& tree, const Replacement& backup, Failed failed) {
    CHAR fullPath[kMessageBufferSize];
    FormFullPath(tree, tree.path, fullPath);
    CHAR message[kMessageBufferSize];
    CHAR keptPath[kMessageBufferSize];
    if (PutLiveTreeBack(owner, tree, backup, failed)) {
        wsprintfA(message, "レジストリキー\"%s\"に設定を書き込めなかったため、元の設定に戻しました。", fullPath);
    } else if (backup.hadTree && KeepBackupAsProfile(owner, tree, backup, keptPath)) {
        wsprintfA(message,
                  "レジストリキー\"%s\"に設定を書き込めず、元の設定にも戻せませんでした。元の設定はファイル\"%s\"に"
                  "保存しました。このファイルをロードすると元の設定に戻ります。",
                  fullPath, keptPath);
    } else {
        wsprintfA(message, "レジストリキー\"%s\"に設定を書き込めず、元の設定にも戻せませんでした。", fullPath);
    }
    ShowInformation(owner, message);
}

// After a failed clear every key that is left is an original one, so the
// saved tree loaded over them is exact, and a second clear would only meet
// the same fault. After a failed write what was written goes first.
BOOL PutLiveTreeBack(HWND owner, const LiveTree& tree, const Replacement& backup, Failed failed) {
    if (failed == Failed::kWrite && !ClearRegistryTree(owner, tree.root, tree.path)) return FALSE;
    return !backup.hadTree ||
           WriteTree(owner, tree, tree.path, tree.profile.snapshotName, &backup.tree, backup.folder);
}

// The saved tree becomes a whole profile in a folder of its own: its files,
// a header and the index the load dialog of its kind needs, packed outside
// the work area so that the end of the program does not remove it. The
// folder goes once the profile is made; when it cannot be made, the folder
// stays with what could be written of the tree.
BOOL KeepBackupAsProfile(HWND owner, const LiveTree& tree, const Replacement& backup, LPSTR keptPath) {
    if (!WriteBackupFiles(owner, tree, backup) || !ReserveKeptProfilePath(owner, tree.profile.kind, keptPath))
        return FALSE;
    if (PackProfileFile(owner, keptPath, backup.folder)) {
        DeleteFolderFiles(backup.folder);
        RemoveDirectoryA(backup.folder);
        return TRUE;
    }
    // The reserved name, or what a failed pack left of it.
    DeleteFileA(keptPath);
    return FALSE;
}

BOOL WriteBackupFiles(HWND owner, const LiveTree& tree, const Replacement& backup) {
    return MakeBackupFolder(owner, backup.folder) && WriteSnapshotFiles(owner, backup.tree, backup.folder) &&
           WriteBackupHeader(owner, tree, backup.folder) && WriteBackupIndex(owner, tree.profile, backup.folder);
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
        ReportFailureOn(owner, Named::kTemporaryFile, path, kActionCreateWriteAccess);
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
    ReportFailureOn(owner, Named::kFile, path, kActionCreateWriteAccess);
    return FALSE;
}

// A folder left by an earlier run is emptied, so that nothing of it can
// ride along into a kept profile.
BOOL MakeBackupFolder(HWND owner, LPCSTR folder) {
    if (!CreateDirectoryA(folder, nullptr) && GetLastError() != ERROR_ALREADY_EXISTS) {
        ReportFailureOn(owner, Named::kDirectory, folder, kActionCreate);
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
