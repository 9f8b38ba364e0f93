// Finding and opening the Interfaces tree of one connection.
#include "tcpip/adapter_snapshots.h"

#include "base/registry_key.h"
#include "settings/settings_group.h"
#include "snapshot/registry_snapshot.h"

static_assert(kItemTreePathSize >= kMaxRegistryName + sizeof kInterfacesFormat, "room for a key name");

BOOL OpenInterfacesKey(HWND owner, LPCSTR adapterKeyName, KeyGuard* key) {
    CHAR path[kItemTreePathSize];
    FindInterfacesTree(owner, adapterKeyName, path);
    CHAR name[kMessageBufferSize];
    return OpenKey(owner, HKEY_LOCAL_MACHINE, path, KEY_READ, key, {ComposeKeyName(name, "HKEY_LOCAL_MACHINE", path)});
}

int FindInterfacesTree(HWND, LPCSTR adapterKeyName, LPSTR path) {
    wsprintfA(path, kInterfacesFormat, adapterKeyName);
    return 1;
}
