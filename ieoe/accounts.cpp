// Saving and applying the accounts of one identity, and reading the index
// of the saved ones. Every list entry stands for exactly one identity: the
// k-th entry of a name for the k-th identity of that name, so identities
// that share a user name each keep their own accounts.
#include "ieoe/accounts.h"

#include "base/report.h"
#include "ieoe/identities.h"
#include "resources/resource.h"
#include "settings/index_file.h"
#include "settings/indexed_snapshot.h"
#include "settings/list_entry.h"
#include "snapshot/registry_snapshot.h"
#include "snapshot/tree_replace.h"
#include "winapi/guards.h"

namespace {

constexpr char kIdentityAccountsFormat[] =
    "Identities\\%s\\Software\\Microsoft\\Internet Account Manager\\Accounts";
constexpr char kSharedAccountsPath[] = "Software\\Microsoft\\Internet Account Manager\\Accounts";
static_assert(kAccountsPathSize >= kMaxRegistryName + sizeof kIdentityAccountsFormat, "room for a key name");

BOOL OpenAccountTree(HWND owner, LPCSTR keyName, KeyGuard* key);

}  // namespace

int SaveIdentity(HWND owner, LPCSTR directory, LPCSTR keyName, LPCSTR userName, int item) {
    if (item == -1) return AddListEntry(owner, IDC_ENTRY_LIST, userName);
    const int match =
        EntryStandsForLiveItem(owner, IDC_ENTRY_LIST, item, keyName, userName, LiveIdentityRank, kByListPosition);
    if (match != 1) return match < 0 ? 0 : 1;
    return SaveIndexedSnapshot(owner, directory, kGatewayIndexName, keyName, userName, OpenAccountTree);
}

int ApplyIdentity(HWND owner, LPCSTR directory, LPCSTR keyName, LPCSTR userName, int item) {
    if (item == -1) return AddListEntry(owner, IDC_ENTRY_LIST, userName);
    const int match =
        EntryStandsForLiveItem(owner, IDC_ENTRY_LIST, item, keyName, userName, LiveIdentityRank, kByEntryNumber);
    if (match != 1) return match < 0 ? 0 : 1;

    CHAR path[kAccountsPathSize];
    if (!FindLiveAccountTree(owner, keyName, path)) return 0;
    const LiveTree target{HKEY_CURRENT_USER, "HKEY_CURRENT_USER", path, nullptr, nullptr,
                          "レジストリキー\"HKEY_CURRENT_USER\\%s\"を作成し、フルアクセスを適用できません。"};
    ApplyIndexedSnapshot(owner, directory, kGatewayIndexName, IDC_ENTRY_LIST, item, target);
    return 0;
}

int ReadGatewayIndex(ItemCallback callback, HWND owner, LPCSTR directory, int item) {
    return ReadIndexFile(kGatewayIndexName, callback, owner, directory, item);
}

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

namespace {

// Opens the identity's account tree, or the identity-less one when the
// identity has none, for reading.
BOOL OpenAccountTree(HWND owner, LPCSTR keyName, KeyGuard* key) {
    CHAR identityPath[kAccountsPathSize];
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

}  // namespace
