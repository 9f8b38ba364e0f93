// Walking the identities: every key, handle and buffer is held by a guard,
// so each way out releases exactly what is held at that moment.
#include "ieoe/identities.h"

#include "base/report.h"
#include "snapshot/registry_snapshot.h"
#include "snapshot/string_value.h"
#include "winapi/guards.h"

namespace {

int VisitIdentity(HKEY identities, LPCSTR keyName, ItemCallback callback, HWND owner, LPCSTR directory, int item);
BOOL ReadUserName(HWND owner, HKEY identity, HeapBlock* userName);

}  // namespace

int EnumIdentities(ItemCallback callback, HWND owner, LPCSTR directory, int item) {
    KeyGuard identities;
    SetLastError(RegOpenKeyExA(HKEY_CURRENT_USER, "Identities", 0, KEY_READ, &identities.key));
    if (GetLastError() != ERROR_SUCCESS) {
        identities.key = nullptr;
        ReportSystemError(owner, "レジストリキー\"HKEY_CURRENT_USER\\Identities\"に読み込みアクセスを適用できません。");
        return 0;
    }
    for (DWORD index = 0;; ++index) {
        CHAR keyName[kMaxRegistryName + 1];
        DWORD length = sizeof keyName;
        FILETIME lastWrite;
        SetLastError(RegEnumKeyExA(identities.key, index, keyName, &length, nullptr, nullptr, nullptr, &lastWrite));
        if (GetLastError() == ERROR_NO_MORE_ITEMS) return 1;
        if (GetLastError() != ERROR_SUCCESS) {
            ReportSystemError(owner, "レジストリキー\"HKEY_CURRENT_USER\\Identities\"のサブキーを列挙できません。");
            return 0;
        }
        int visited = VisitIdentity(identities.key, keyName, callback, owner, directory, item);
        if (visited != 1) return visited;
    }
}

namespace {

// 1 to go on, -1 when the callback stopped the walk, 0 after a failure.
int VisitIdentity(HKEY identities, LPCSTR keyName, ItemCallback callback, HWND owner, LPCSTR directory, int item) {
    KeyGuard identity;
    SetLastError(RegOpenKeyExA(identities, keyName, 0, KEY_READ, &identity.key));
    if (GetLastError() != ERROR_SUCCESS) {
        identity.key = nullptr;
        ReportSystemErrorWith(owner, "レジストリキー\"HKEY_CURRENT_USER\\Identities\\%s\"に読み込みアクセスを適用できません。",
                              keyName);
        return 0;
    }
    HeapBlock userName;
    if (!ReadUserName(owner, identity.key, &userName)) return 0;
    return callback(owner, directory, keyName, userName.text(), item) ? 1 : -1;
}

// The data of "Username", never read past the size the registry reports.
BOOL ReadUserName(HWND owner, HKEY identity, HeapBlock* userName) {
    const StringValueRead read = ReadStringValue(identity, "Username", userName);
    if (read == kStringValueSizeFailed) ReportSystemError(owner, "レジストリ値\"Username\"のサイズを取得できません。");
    if (read == kStringValueDataFailed) ReportSystemError(owner, "レジストリ値\"Username\"のデータを取得できません。");
    return read == kStringValueRead;
}

}  // namespace

int LiveIdentityRank(HWND owner, LPCSTR keyName, LPCSTR userName) {
    KeyGuard identities;
    SetLastError(RegOpenKeyExA(HKEY_CURRENT_USER, "Identities", 0, KEY_READ, &identities.key));
    if (GetLastError() != ERROR_SUCCESS) {
        identities.key = nullptr;
        ReportSystemError(owner, "レジストリキー\"HKEY_CURRENT_USER\\Identities\"に読み込みアクセスを適用できません。");
        return -1;
    }
    int rank = 0;
    for (DWORD index = 0;; ++index) {
        CHAR name[kMaxRegistryName + 1];
        DWORD length = sizeof name;
        FILETIME lastWrite;
        SetLastError(RegEnumKeyExA(identities.key, index, name, &length, nullptr, nullptr, nullptr, &lastWrite));
        // An identity that has gone meanwhile ranks after all the others.
        if (GetLastError() == ERROR_NO_MORE_ITEMS) return rank;
        if (GetLastError() != ERROR_SUCCESS) {
            ReportSystemError(owner, "レジストリキー\"HKEY_CURRENT_USER\\Identities\"のサブキーを列挙できません。");
            return -1;
        }
        if (lstrcmpiA(name, keyName) == 0) return rank;
        KeyGuard identity;
        SetLastError(RegOpenKeyExA(identities.key, name, 0, KEY_READ, &identity.key));
        if (GetLastError() != ERROR_SUCCESS) {
            identity.key = nullptr;
            ReportSystemErrorWith(owner,
                                  "レジストリキー\"HKEY_CURRENT_USER\\Identities\\%s\"に読み込みアクセスを適用できません。",
                                  name);
            return -1;
        }
        HeapBlock other;
        if (!ReadUserName(owner, identity.key, &other)) return -1;
        if (lstrcmpA(other.text(), userName) == 0) ++rank;
    }
}
