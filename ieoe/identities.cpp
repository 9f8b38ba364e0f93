// Walking the identities: one walk serves both the group's walk and the rank
// of an identity among those of its name, so both see the same identities
// in the same order and report failures alike.
#include "ieoe/identities.h"

#include "base/registry_key.h"
#include "base/report.h"
#include "settings/group_items.h"
#include "snapshot/registry_snapshot.h"
#include "snapshot/string_value.h"
#include "winapi/guards.h"

namespace {

constexpr char kIdentitiesName[] = "HKEY_CURRENT_USER\\Identities";

int VisitIdentity(HWND owner, HKEY identities, LPCSTR keyName, LiveItemVisit visit, void* context);
BOOL ReadUserName(HWND owner, HKEY identity, HeapBlock* userName);

}  // namespace

int WalkIdentities(HWND owner, LiveItemVisit visit, void* context) {
    KeyGuard identities;
    if (!OpenKey(owner, HKEY_CURRENT_USER, "Identities", KEY_READ, &identities, {kIdentitiesName})) return 0;
    for (DWORD index = 0;; ++index) {
        CHAR keyName[kMaxRegistryName + 1];
        DWORD length = sizeof keyName;
        FILETIME lastWrite;
        SetLastError(RegEnumKeyExA(identities.key, index, keyName, &length, nullptr, nullptr, nullptr, &lastWrite));
        if (GetLastError() == ERROR_NO_MORE_ITEMS) return 1;
        if (GetLastError() != ERROR_SUCCESS) {
            ReportFailureOn(owner, Named::kRegistryKey, kIdentitiesName, kActionListSubkeys);
            return 0;
        }
        const int visited = VisitIdentity(owner, identities.key, keyName, visit, context);
        if (visited != 1) return visited;
    }
}

int LiveIdentityRank(HWND owner, LPCSTR keyName, LPCSTR userName) {
    return RankOfLiveItem(WalkIdentities, owner, keyName, userName);
}

namespace {

// 1 to go on, -1 when `visit` stopped the walk, 0 after a failure.
int VisitIdentity(HWND owner, HKEY identities, LPCSTR keyName, LiveItemVisit visit, void* context) {
    CHAR name[kMessageBufferSize];
    KeyGuard identity;
    if (!OpenKey(owner, identities, keyName, KEY_READ, &identity, {ComposeKeyName(name, kIdentitiesName, keyName)}))
        return 0;
    HeapBlock userName;
    if (!ReadUserName(owner, identity.key, &userName)) return 0;
    return visit(context, keyName, userName.text()) ? 1 : -1;
}

// The data of "Username", never read past the size the registry reports.
BOOL ReadUserName(HWND owner, HKEY identity, HeapBlock* userName) {
    const StringValueRead read = ReadStringValue(identity, "Username", userName);
    if (read == kStringValueSizeFailed) ReportFailureOn(owner, Named::kRegistryValue, "Username", kActionGetSize);
    if (read == kStringValueDataFailed) ReportFailureOn(owner, Named::kRegistryValue, "Username", kActionGetData);
    return read == kStringValueRead;
}

}  // namespace
