// Deleting a key with its subtree: the registry deletes only keys without
// subkeys, so the tree is taken down depth first, bottom up.
#include "snapshot/registry_clear.h"

#include "base/report.h"
#include "snapshot/registry_snapshot.h"
#include "winapi/guards.h"

int ClearRegistryTree(HWND owner, HKEY parent, LPCSTR subkeyPath) {
    {
        KeyGuard key;
        SetLastError(RegOpenKeyExA(parent, subkeyPath, 0, KEY_ALL_ACCESS, &key.key));
        if (GetLastError() == ERROR_FILE_NOT_FOUND) return 1;
        if (GetLastError() != ERROR_SUCCESS) {
            key.key = nullptr;
            ReportSystemErrorWith(owner, "レジストリをクリアしようとしましたが、レジストリキー\"%s\"をフルアクセスを適用できません。",
                           subkeyPath);
            return 0;
        }

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
                ReportSystemErrorWith(owner,
                               "レジストリをクリアしようとしましたが、レジストリキー\"%s\"をフルアクセスを適用できません。",
                               name);
                return 0;
            }
            if (!ClearRegistryTree(owner, key.key, name)) return 0;
            lstrcpynA(previous, name, sizeof previous);
        }
    }

    SetLastError(RegDeleteKeyA(parent, subkeyPath));
    if (GetLastError() != ERROR_SUCCESS) {
        ReportSystemErrorWith(owner, "レジストリをクリアしようとしましたが、レジストリキー\"%s\"を削除できません。", subkeyPath);
        return 0;
    }
    return 1;
}
