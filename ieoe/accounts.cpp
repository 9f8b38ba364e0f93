// Finding and opening the account tree of one identity.
#include "ieoe/accounts.h"

#include "base/registry_key.h"
#include "settings/settings_group.h"
#include "snapshot/registry_snapshot.h"

namespace {

constexpr char kSharedAccountsPath[] = "Software\\Microsoft\\Internet Account Manager\\Accounts";
static_assert(kItemTreePathSize >= kMaxRegistryName + sizeof kIdentityAccountsFormat, "room for a key name");

}  // namespace

int FindLiveAccountTree(HWND owner, LPCSTR keyName, LPSTR path) {
    wsprintfA(path, kIdentityAccountsFormat, keyName);
    // Only whether it is there counts: the key is closed again at once.
    CHAR name[kMessageBufferSize];
    KeyGuard probe;
    const Presence found = OpenKeyIfPresent(owner, HKEY_CURRENT_USER, path, KEY_READ, &probe,
                                            {ComposeKeyName(name, "HKEY_CURRENT_USER", path), kActionNotFound});
    if (found == Presence::kFailed) return 0;
    if (found == Presence::kAbsent) lstrcpyA(path, kSharedAccountsPath);
    return 1;
}

BOOL OpenAccountTree(HWND owner, LPCSTR keyName, KeyGuard* key) {
    CHAR path[kItemTreePathSize];
    wsprintfA(path, kIdentityAccountsFormat, keyName);
    CHAR name[kMessageBufferSize];
    const Presence own = OpenKeyIfPresent(owner, HKEY_CURRENT_USER, path, KEY_READ, key,
                                          {ComposeKeyName(name, "HKEY_CURRENT_USER", path)});
    if (own != Presence::kAbsent) return own == Presence::kPresent;
    return OpenKey(owner, HKEY_CURRENT_USER, kSharedAccountsPath, KEY_READ, key,
                   {ComposeKeyName(name, "HKEY_CURRENT_USER", kSharedAccountsPath)});
}
