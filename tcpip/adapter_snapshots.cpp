// Finding and opening the Interfaces tree of one connection.
#include "tcpip/adapter_snapshots.h"

#include "base/report.h"
#include "settings/settings_group.h"
#include "snapshot/registry_snapshot.h"

static_assert(kItemTreePathSize >= kMaxRegistryName + sizeof kInterfacesFormat, "room for a key name");

BOOL OpenInterfacesKey(HWND owner, LPCSTR adapterKeyName, KeyGuard* key) {
    CHAR path[kItemTreePathSize];
    FindInterfacesTree(owner, adapterKeyName, path);
    SetLastError(RegOpenKeyExA(HKEY_LOCAL_MACHINE, path, 0, KEY_READ, &key->key));
    if (GetLastError() != ERROR_SUCCESS) {
        key->key = nullptr;
        ReportSystemErrorWith(owner, "レジストリキー\"HKEY_LOCAL_MACHINE\\%s\"に読み込みアクセスを適用できません。", path);
        return FALSE;
    }
    return TRUE;
}

int FindInterfacesTree(HWND, LPCSTR adapterKeyName, LPSTR path) {
    wsprintfA(path, kInterfacesFormat, adapterKeyName);
    return 1;
}
