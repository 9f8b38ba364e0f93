// Walking the identities. The user name is read whole into a buffer one
// byte longer than the registry reports and terminated there, so a value
// stored without its terminator is never read past.
#include "ieoe/identities.h"

#include "app/report.h"
#include "snapshot/registry_snapshot.h"
#include "winapi/guards.h"

namespace {

// One identity as the walk sees it; returns nonzero to go on.
typedef int (*IdentityVisitor)(LPCSTR keyName, LPCSTR userName, void* context);

int WalkIdentities(HWND owner, IdentityVisitor visit, void* context);
BOOL ReadUserName(HWND owner, HKEY identities, LPCSTR keyName, HeapBlock* userName);

struct CallbackVisit {
    ItemCallback callback;
    HWND owner;
    LPCSTR directory;
    int item;
};

int VisitWithCallback(LPCSTR keyName, LPCSTR userName, void* context) {
    const CallbackVisit* visit = static_cast<const CallbackVisit*>(context);
    return visit->callback(visit->owner, visit->directory, keyName, userName, visit->item);
}

struct RankCount {
    LPCSTR keyName;
    LPCSTR userName;
    int rank;
};

int CountEarlierNamesakes(LPCSTR keyName, LPCSTR userName, void* context) {
    RankCount* count = static_cast<RankCount*>(context);
    if (lstrcmpiA(keyName, count->keyName) == 0) return 0;
    if (lstrcmpA(userName, count->userName) == 0) ++count->rank;
    return 1;
}

}  // namespace

int EnumIdentities(ItemCallback callback, HWND owner, LPCSTR directory, int item) {
    CallbackVisit visit{callback, owner, directory, item};
    return WalkIdentities(owner, VisitWithCallback, &visit);
}

int LiveIdentityRank(HWND owner, LPCSTR keyName, LPCSTR userName) {
    RankCount count{keyName, userName, 0};
    return WalkIdentities(owner, CountEarlierNamesakes, &count) == kWalkFailed ? -1 : count.rank;
}

namespace {

int WalkIdentities(HWND owner, IdentityVisitor visit, void* context) {
    KeyGuard identities;
    SetLastError(RegOpenKeyExA(HKEY_CURRENT_USER, "Identities", 0, KEY_READ, &identities.key));
    if (GetLastError() != ERROR_SUCCESS) {
        identities.key = nullptr;
        ReportSystemError(owner, "レジストリキー\"HKEY_CURRENT_USER\\Identities\"に読み込みアクセスを適用できません。");
        return kWalkFailed;
    }
    for (DWORD index = 0;; ++index) {
        CHAR keyName[kMaxRegistryName + 1];
        DWORD length = sizeof keyName;
        FILETIME lastWrite;
        SetLastError(RegEnumKeyExA(identities.key, index, keyName, &length, nullptr, nullptr, nullptr, &lastWrite));
        if (GetLastError() == ERROR_NO_MORE_ITEMS) return kWalkDone;
        if (GetLastError() != ERROR_SUCCESS) {
            ReportSystemError(owner, "レジストリキー\"HKEY_CURRENT_USER\\Identities\"のサブキーを列挙できません。");
            return kWalkFailed;
        }
        HeapBlock userName;
        if (!ReadUserName(owner, identities.key, keyName, &userName)) return kWalkFailed;
        if (!visit(keyName, userName.text(), context)) return kWalkStopped;
    }
}

// Opens the identity's key and reads its "Username"; every failure reported.
BOOL ReadUserName(HWND owner, HKEY identities, LPCSTR keyName, HeapBlock* userName) {
    KeyGuard identity;
    SetLastError(RegOpenKeyExA(identities, keyName, 0, KEY_READ, &identity.key));
    if (GetLastError() != ERROR_SUCCESS) {
        identity.key = nullptr;
        ReportSystemErrorWith(owner, "レジストリキー\"HKEY_CURRENT_USER\\Identities\\%s\"に読み込みアクセスを適用できません。",
                              keyName);
        return FALSE;
    }
    DWORD size = 0;
    SetLastError(RegQueryValueExA(identity.key, "Username", nullptr, nullptr, nullptr, &size));
    if (GetLastError() != ERROR_SUCCESS) {
        ReportSystemError(owner, "レジストリ値\"Username\"のサイズを取得できません。");
        return FALSE;
    }
    if (size == 0xFFFFFFFF || !userName->Allocate(static_cast<SIZE_T>(size) + 1)) {
        SetLastError(ERROR_NOT_ENOUGH_MEMORY);
        ReportSystemError(owner, "レジストリ値\"Username\"のデータを取得できません。");
        return FALSE;
    }
    SetLastError(RegQueryValueExA(identity.key, "Username", nullptr, nullptr, userName->bytes(), &size));
    if (GetLastError() != ERROR_SUCCESS) {
        ReportSystemError(owner, "レジストリ値\"Username\"のデータを取得できません。");
        return FALSE;
    }
    userName->bytes()[size] = 0;
    return TRUE;
}

}  // namespace
