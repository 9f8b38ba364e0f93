// Finding and opening the account tree of one identity.
#include "ieoe/accounts.h"

#include "base/report.h"
#include "settings/settings_group.h"
#include "snapshot/registry_snapshot.h"

namespace {

constexpr char kSharedAccountsPath[] = "Software\\Microsoft\\Internet Account Manager\\Accounts";
static_assert(kItemTreePathSize >= kMaxRegistryName + sizeof kIdentityAccountsFormat, "room for a key name");

}  // namespace

int FindLiveAccountTree(HWND owner, LPCSTR keyName, LPSTR path) {
    wsprintfA(path, kIdentityAccountsFormat, keyName);
    // Only the status counts: the key is closed again at once.
    DWORD status;
    {
        KeyGuard probe;
        SetLastError(RegOpenKeyExA(HKEY_CURRENT_USER, path, 0, KEY_READ, &probe.key));
        status = GetLastError();
        if (status != ERROR_SUCCESS) probe.key = nullptr;
    }
    if (status != ERROR_SUCCESS && status != ERROR_FILE_NOT_FOUND) {
        SetLastError(status);
        ReportSystemErrorWith(owner, "レジストリキー\"HKEY_CURRENT_USER\\%s\"が見つかりません。", path);
        return 0;
    }
    if (status == ERROR_FILE_NOT_FOUND) lstrcpyA(path, kSharedAccountsPath);
    return 1;
}

BOOL OpenAccountTree(HWND owner, LPCSTR keyName, KeyGuard* key) {
    CHAR identityPath[kItemTreePathSize];
    wsprintfA(identityPath, kIdentityAccountsFormat, keyName);
    LPCSTR path = identityPath;
    SetLastError(RegOpenKeyExA(HKEY_CURRENT_USER, path, 0, KEY_READ, &key->key));
    if (GetLastError() == ERROR_FILE_NOT_FOUND) {
        path = kSharedAccountsPath;
        SetLastError(RegOpenKeyExA(HKEY_CURRENT_USER, path, 0, KEY_READ, &key->key));
    }
    if (GetLastError() != ERROR_SUCCESS) {
        key->key = nullptr;
        ReportSystemErrorWith(owner, "レジストリキー\"HKEY_CURRENT_USER\\%s\"に読み込みアクセスを適用できません。", path);
        return FALSE;
    }
    return TRUE;
}
