// Saving and applying the TCP/IP parameters of one connection, and reading
// the index of the saved ones. Every list entry stands for exactly one
// connection: the k-th entry of a name for the k-th connection of that name.
#include "tcpip/adapter_snapshots.h"

#include "base/report.h"
#include "resources/resource.h"
#include "settings/indexed_snapshot.h"
#include "settings/list_entry.h"
#include "snapshot/registry_snapshot.h"
#include "snapshot/tree_replace.h"
#include "tcpip/adapters.h"
#include "winapi/guards.h"

namespace {

constexpr char kInterfacesFormat[] = "SYSTEM\\CurrentControlSet\\Services\\Tcpip\\Parameters\\Interfaces\\%s";
constexpr int kInterfacesPathSize = kMaxRegistryName + sizeof kInterfacesFormat;

BOOL OpenInterfacesKey(HWND owner, LPCSTR adapterKeyName, KeyGuard* key);

}  // namespace

int SaveAdapter(HWND owner, LPCSTR directory, LPCSTR adapterKeyName, LPCSTR connectionName, int item) {
    if (item == -1) return AddListEntry(owner, IDC_ENTRY_LIST, connectionName);
    const int match = EntryStandsForLiveItem(owner, IDC_ENTRY_LIST, item, adapterKeyName, connectionName,
                                             LiveAdapterRank, kByListPosition);
    if (match != 1) return match < 0 ? 0 : 1;
    return SaveIndexedSnapshot(owner, directory, kTcpipIndexName, adapterKeyName, connectionName, OpenInterfacesKey);
}

int ApplyAdapter(HWND owner, LPCSTR directory, LPCSTR adapterKeyName, LPCSTR connectionName, int item) {
    if (item == -1) return AddListEntry(owner, IDC_ENTRY_LIST, connectionName);
    const int match = EntryStandsForLiveItem(owner, IDC_ENTRY_LIST, item, adapterKeyName, connectionName,
                                             LiveAdapterRank, kByEntryNumber);
    if (match != 1) return match < 0 ? 0 : 1;
    CHAR path[kInterfacesPathSize];
    wsprintfA(path, kInterfacesFormat, adapterKeyName);
    const LiveTree target{HKEY_LOCAL_MACHINE, "HKEY_LOCAL_MACHINE", path, nullptr, nullptr,
                          "レジストリキー\"HKEY_LOCAL_MACHINE\\%s\"を作成し、フルアクセスを適用できません。"};
    ApplyIndexedSnapshot(owner, directory, kTcpipIndexName, IDC_ENTRY_LIST, item, target);
    return 0;
}

int ReadTcpipIndex(ItemCallback callback, HWND owner, LPCSTR directory, int item) {
    return ReadIndexFile(kTcpipIndexName, callback, owner, directory, item);
}

namespace {

BOOL OpenInterfacesKey(HWND owner, LPCSTR adapterKeyName, KeyGuard* key) {
    CHAR path[kInterfacesPathSize];
    wsprintfA(path, kInterfacesFormat, adapterKeyName);
    SetLastError(RegOpenKeyExA(HKEY_LOCAL_MACHINE, path, 0, KEY_READ, &key->key));
    if (GetLastError() != ERROR_SUCCESS) {
        key->key = nullptr;
        ReportSystemErrorWith(owner, "レジストリキー\"HKEY_LOCAL_MACHINE\\%s\"に読み込みアクセスを適用できません。", path);
        return FALSE;
    }
    return TRUE;
}

}  // namespace
