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

Presence ReadAdapter(HWND owner, HKEY classKey, LPCSTR keyName, HeapBlock* name);
Presence OpenAdapterSubkey(HWND owner, HKEY adapter, LPCSTR subkey, LPCSTR keyName, KeyGuard* key);
BOOL ReadConnectionName(HWND owner, HKEY connection, LPCSTR keyName, HeapBlock* name);

}  // namespace

int WalkAdapters(HWND owner, LiveItemVisit visit, void* context) {
    return WalkLiveItems(owner, HKEY_LOCAL_MACHINE, kClassKeyPath, kClassKeyName, ReadAdapter, visit, context);
}

int LiveAdapterRank(HWND owner, LPCSTR keyName, LPCSTR connectionName) {
    return RankOfLiveItem(WalkAdapters, owner, keyName, connectionName);
}

namespace {

// One subkey of the class key: passed over (kAbsent) unless it is a
// connection, whose display name is its connection name.
Presence ReadAdapter(HWND owner, HKEY classKey, LPCSTR keyName, HeapBlock* name) {
    CHAR adapterName[kMessageBufferSize];
    KeyGuard adapter;
    if (!OpenKey(owner, classKey, keyName, KEY_READ, &adapter, {ComposeKeyName(adapterName, kAdapterKeyName, keyName)}))
        return Presence::kFailed;
    KeyGuard ndi;
    const Presence hasNdi = OpenAdapterSubkey(owner, adapter.key, "Ndi", keyName, &ndi);
    if (hasNdi != Presence::kAbsent) return hasNdi == Presence::kPresent ? Presence::kAbsent : Presence::kFailed;
    KeyGuard connection;
    const Presence hasConnection = OpenAdapterSubkey(owner, adapter.key, "Connection", keyName, &connection);
    if (hasConnection != Presence::kPresent) return hasConnection;
    return ReadConnectionName(owner, connection.key, keyName, name) ? Presence::kPresent : Presence::kFailed;
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
