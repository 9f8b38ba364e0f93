// Walking the network connections. One walk serves both the group's walk
// and the rank of a connection among those of its name, so both see the
// same connections in the same order and report failures alike.
#include "tcpip/adapters.h"

#include "base/registry_key.h"
#include "settings/group_items.h"
#include "snapshot/registry_snapshot.h"
#include "snapshot/string_value.h"
#include "snapshot/tree_replace.h"
#include "winapi/guards.h"

namespace {

#define BRV_CLASS_KEY "SYSTEM\\CurrentControlSet\\Control\\Network\\{4D36E972-E325-11CE-BFC1-08002BE10318}"
constexpr char kClassKeyPath[] = BRV_CLASS_KEY;
constexpr char kClassKeyName[] = "HKEY_LOCAL_MACHINE\\" BRV_CLASS_KEY;
// The doubled SYSTEM is the wording users and their support know.
constexpr char kAdapterKeyName[] = "HKEY_LOCAL_MACHINE\\SYSTEM\\" BRV_CLASS_KEY;

int VisitAdapterKey(HWND owner, HKEY classKey, LPCSTR keyName, LiveItemVisit visit, void* context);
Presence OpenAdapterSubkey(HWND owner, HKEY adapter, LPCSTR subkey, LPCSTR keyName, KeyGuard* key);
BOOL ReadConnectionName(HWND owner, HKEY connection, LPCSTR keyName, HeapBlock* name);

}  // namespace

int WalkAdapters(HWND owner, LiveItemVisit visit, void* context) {
    KeyGuard classKey;
    if (!OpenKey(owner, HKEY_LOCAL_MACHINE, kClassKeyPath, KEY_READ, &classKey, {kClassKeyName})) return 0;
    for (DWORD index = 0;; ++index) {
        CHAR keyName[kMaxRegistryName + 1];
        DWORD length = sizeof keyName;
        FILETIME lastWrite;
        SetLastError(RegEnumKeyExA(classKey.key, index, keyName, &length, nullptr, nullptr, nullptr, &lastWrite));
        if (GetLastError() == ERROR_NO_MORE_ITEMS) return 1;
        if (GetLastError() != ERROR_SUCCESS) {
            ReportFailureOn(owner, Named::kRegistryKey, kClassKeyName, kActionListSubkeys);
            return 0;
        }
        const int visited = VisitAdapterKey(owner, classKey.key, keyName, visit, context);
        if (visited != 1) return visited;
    }
}

int LiveAdapterRank(HWND owner, LPCSTR keyName, LPCSTR connectionName) {
    return RankOfLiveItem(WalkAdapters, owner, keyName, connectionName);
}

namespace {

// One subkey of the class key: passed over unless it is a connection. 1 to
// go on, -1 when `visit` stopped the walk, 0 after a reported failure.
int VisitAdapterKey(HWND owner, HKEY classKey, LPCSTR keyName, LiveItemVisit visit, void* context) {
    CHAR adapterName[kMessageBufferSize];
    KeyGuard adapter;
    if (!OpenKey(owner, classKey, keyName, KEY_READ, &adapter, {ComposeKeyName(adapterName, kAdapterKeyName, keyName)}))
        return 0;
    KeyGuard ndi;
    const Presence hasNdi = OpenAdapterSubkey(owner, adapter.key, "Ndi", keyName, &ndi);
    if (hasNdi != Presence::kAbsent) return hasNdi == Presence::kPresent ? 1 : 0;
    KeyGuard connection;
    const Presence hasConnection = OpenAdapterSubkey(owner, adapter.key, "Connection", keyName, &connection);
    if (hasConnection != Presence::kPresent) return hasConnection == Presence::kAbsent ? 1 : 0;
    HeapBlock name;
    if (!ReadConnectionName(owner, connection.key, keyName, &name)) return 0;
    return visit(context, keyName, name.text()) ? 1 : -1;
}

// Opens `subkey` of the adapter for reading; a missing one is no failure.
Presence OpenAdapterSubkey(HWND owner, HKEY adapter, LPCSTR subkey, LPCSTR keyName, KeyGuard* key) {
    CHAR name[kMessageBufferSize];
    wsprintfA(name, "%s\\%s\\%s", kClassKeyName, keyName, subkey);
    return OpenKeyIfPresent(owner, adapter, subkey, KEY_READ, key, {name});
}

// The data of "Name", never read past the size the registry reports.
BOOL ReadConnectionName(HWND owner, HKEY connection, LPCSTR keyName, HeapBlock* name) {
    const StringValueRead read = ReadStringValue(connection, "Name", name);
    if (read != kStringValueSizeFailed && read != kStringValueDataFailed) return read == kStringValueRead;
    CHAR valueName[kMessageBufferSize];
    wsprintfA(valueName, "%s\\%s\\Connection\\Name", kClassKeyName, keyName);
    // Named a key, as users and their support know it.
    ReportFailureOn(owner, Named::kRegistryKey, valueName,
                    read == kStringValueSizeFailed ? kActionGetSize : kActionGetData);
    return read == kStringValueRead;
}

}  // namespace
