// Deleting a key with its subtree: the registry deletes only keys without
// subkeys, so the tree is taken down depth first, bottom up.
#include "snapshot/registry_clear.h"

#include "base/registry_key.h"
#include "base/report.h"
#include "snapshot/registry_snapshot.h"
#include "winapi/guards.h"

namespace {

// Opened so: list the subkeys, delete the key (KEY_ALL_ACCESS holds DELETE).
constexpr REGSAM kClearAccess = KEY_ALL_ACCESS;
constexpr char kClearing[] = "レジストリをクリアしようとしましたが、";

BOOL CheckKeyDeletable(HKEY parent, LPCSTR name, bool top, int pathLength, UndeletableKey* found);

}  // namespace

int ClearRegistryTree(HWND owner, HKEY parent, LPCSTR subkeyPath) {
    {
        KeyGuard key;
        const Presence found =
            OpenKeyIfPresent(owner, parent, subkeyPath, kClearAccess, &key, {subkeyPath, kActionFullAccess, kClearing});
        if (found != Presence::kPresent) return found == Presence::kAbsent ? 1 : 0;

        // Always the first subkey: the one just deleted is no longer listed.
        CHAR previous[kMaxRegistryName + 1] = "";
        for (;;) {
            CHAR name[kMaxRegistryName + 1];
            DWORD nameLength = sizeof name;
            FILETIME lastWrite;
            SetLastError(RegEnumKeyExA(key.key, 0, name, &nameLength, nullptr, nullptr, nullptr, &lastWrite));
            if (GetLastError() == ERROR_NO_MORE_ITEMS) break;
            if (GetLastError() != ERROR_SUCCESS) {
                ReportSystemError(owner, "レジストリをクリアしようとしましたが、サブキーを列挙できません。");
                return 0;
            }
            // A subkey that is listed but reported missing when opened would
            // be listed first again and again; stop instead of looping.
            if (previous[0] && lstrcmpiA(previous, name) == 0) {
                SetLastError(ERROR_FILE_NOT_FOUND);
                ReportFailureOn(owner, Named::kRegistryKey, name, kActionFullAccess, kClearing);
                return 0;
            }
            if (!ClearRegistryTree(owner, key.key, name)) return 0;
            lstrcpynA(previous, name, sizeof previous);
        }
    }

    SetLastError(RegDeleteKeyA(parent, subkeyPath));
    if (GetLastError() != ERROR_SUCCESS) {
        ReportFailureOn(owner, Named::kRegistryKey, subkeyPath, kActionDelete, kClearing);
        return 0;
    }
    return 1;
}

int CheckTreeDeletable(HKEY root, LPCSTR path, UndeletableKey* found) {
    lstrcpynA(found->path, path, sizeof found->path);
    found->error = ERROR_SUCCESS;
    return CheckKeyDeletable(root, path, true, lstrlenA(found->path), found);
}

namespace {

// One key and, depth first, its subkeys; `found->path` holds the key's path
// (its first `pathLength` bytes) while it is checked.
BOOL CheckKeyDeletable(HKEY parent, LPCSTR name, bool top, int pathLength, UndeletableKey* found) {
    KeyGuard key;
    LONG status = key.Open(parent, name, kClearAccess);
    if (status != ERROR_SUCCESS) {
        // A missing tree has nothing to delete; a listed subkey that is
        // missing when opened would stop the clearing.
        if (top && status == ERROR_FILE_NOT_FOUND) return TRUE;
        found->error = static_cast<DWORD>(status);
        return FALSE;
    }
    for (DWORD index = 0;; ++index) {
        CHAR subkey[kMaxRegistryName + 1];
        DWORD length = sizeof subkey;
        FILETIME lastWrite;
        status = RegEnumKeyExA(key.key, index, subkey, &length, nullptr, nullptr, nullptr, &lastWrite);
        if (status == ERROR_NO_MORE_ITEMS) return TRUE;
        if (status != ERROR_SUCCESS) {
            found->error = static_cast<DWORD>(status);
            return FALSE;
        }
        // The subkey's path, as far as the buffer holds it.
        int subkeyPathLength = pathLength;
        if (pathLength + 1 + lstrlenA(subkey) < static_cast<int>(sizeof found->path)) {
            subkeyPathLength = wsprintfA(found->path + pathLength, "\\%s", subkey) + pathLength;
        }
        if (!CheckKeyDeletable(key.key, subkey, false, subkeyPathLength, found)) return FALSE;
        found->path[pathLength] = '\0';
    }
}

}  // namespace
