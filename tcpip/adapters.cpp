// Walking the network connections. One walk serves both the group's walk
// and the rank of a connection among those of its name, so both see the
// same connections in the same order and report failures alike.
#include "tcpip/adapters.h"

#include "base/report.h"
#include "settings/group_items.h"
#include "snapshot/registry_snapshot.h"
#include "snapshot/string_value.h"
#include "snapshot/tree_replace.h"
#include "winapi/guards.h"

namespace {

#define BRV_CLASS_KEY "SYSTEM\\CurrentControlSet\\Control\\Network\\{4D36E972-E325-11CE-BFC1-08002BE10318}"
constexpr char kClassKeyPath[] = BRV_CLASS_KEY;
constexpr char kClassKeyName[] = "HKEY_LOCAL_MACHINE\\" BRV_CLASS_KEY;

int VisitAdapterKey(HWND owner, HKEY classKey, LPCSTR keyName, LiveItemVisit visit, void* context);
Presence OpenAdapterSubkey(HWND owner, HKEY adapter, LPCSTR subkey, LPCSTR keyName, LPCSTR failure, KeyGuard* key);
BOOL ReadConnectionName(HWND owner, HKEY connection, LPCSTR keyName, HeapBlock* name);

}  // namespace

int WalkAdapters(HWND owner, LiveItemVisit visit, void* context) {
    KeyGuard classKey;
    SetLastError(RegOpenKeyExA(HKEY_LOCAL_MACHINE, kClassKeyPath, 0, KEY_READ, &classKey.key));
    if (GetLastError() != ERROR_SUCCESS) {
        classKey.key = nullptr;
        ReportSystemErrorWith(owner, "レジストリキー\"%s\"に読み込みアクセスを適用できません。", kClassKeyName);
        return 0;
    }
    for (DWORD index = 0;; ++index) {
        CHAR keyName[kMaxRegistryName + 1];
        DWORD length = sizeof keyName;
        FILETIME lastWrite;
        SetLastError(RegEnumKeyExA(classKey.key, index, keyName, &length, nullptr, nullptr, nullptr, &lastWrite));
        if (GetLastError() == ERROR_NO_MORE_ITEMS) return 1;
        if (GetLastError() != ERROR_SUCCESS) {
            ReportSystemErrorWith(owner, "レジストリキー\"%s\"のサブキーを列挙できません。", kClassKeyName);
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
    KeyGuard adapter;
    SetLastError(RegOpenKeyExA(classKey, keyName, 0, KEY_READ, &adapter.key));
    if (GetLastError() != ERROR_SUCCESS) {
        adapter.key = nullptr;
        // The doubled SYSTEM is the wording users and their support know.
        ReportSystemErrorWith(owner, "レジストリキー\"HKEY_LOCAL_MACHINE\\SYSTEM\\" BRV_CLASS_KEY
                                     "\\%s\"に読み込みアクセスを適用できません。", keyName);
        return 0;
    }
    KeyGuard ndi;
    const Presence hasNdi = OpenAdapterSubkey(owner, adapter.key, "Ndi", keyName,
                                              "レジストリキー\"HKEY_LOCAL_MACHINE\\" BRV_CLASS_KEY
                                              "\\%s\\Ndi\"に読み込みアクセスを適用できません。", &ndi);
    if (hasNdi != Presence::kAbsent) return hasNdi == Presence::kPresent ? 1 : 0;
    KeyGuard connection;
    const Presence hasConnection =
        OpenAdapterSubkey(owner, adapter.key, "Connection", keyName,
                          "レジストリキー\"HKEY_LOCAL_MACHINE\\" BRV_CLASS_KEY
                          "\\%s\\Connection\"に読み込みアクセスを適用できません。", &connection);
    if (hasConnection != Presence::kPresent) return hasConnection == Presence::kAbsent ? 1 : 0;
    HeapBlock name;
    if (!ReadConnectionName(owner, connection.key, keyName, &name)) return 0;
    return visit(context, keyName, name.text()) ? 1 : -1;
}

// Opens `subkey` of the adapter for reading; a failure other than a missing
// key is reported with `failure` composed with the adapter key name.
Presence OpenAdapterSubkey(HWND owner, HKEY adapter, LPCSTR subkey, LPCSTR keyName, LPCSTR failure, KeyGuard* key) {
    SetLastError(RegOpenKeyExA(adapter, subkey, 0, KEY_READ, &key->key));
    if (GetLastError() == ERROR_SUCCESS) return Presence::kPresent;
    key->key = nullptr;
    if (GetLastError() == ERROR_FILE_NOT_FOUND) return Presence::kAbsent;
    ReportSystemErrorWith(owner, failure, keyName);
    return Presence::kFailed;
}

// The data of "Name", never read past the size the registry reports.
BOOL ReadConnectionName(HWND owner, HKEY connection, LPCSTR keyName, HeapBlock* name) {
    const StringValueRead read = ReadStringValue(connection, "Name", name);
    if (read == kStringValueSizeFailed)
        ReportSystemErrorWith(owner,
                              "レジストリキー\"HKEY_LOCAL_MACHINE\\" BRV_CLASS_KEY
                              "\\%s\\Connection\\Name\"のサイズを取得できません。", keyName);
    if (read == kStringValueDataFailed)
        ReportSystemErrorWith(owner,
                              "レジストリキー\"HKEY_LOCAL_MACHINE\\" BRV_CLASS_KEY
                              "\\%s\\Connection\\Name\"のデータを取得できません。", keyName);
    return read == kStringValueRead;
}

}  // namespace
