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

Presence ReadIdentity(HWND owner, HKEY identities, LPCSTR keyName, HeapBlock* userName);
BOOL ReadUserName(HWND owner, HKEY identity, HeapBlock* userName);

}  // namespace

int WalkIdentities(HWND owner, LiveItemVisit visit, void* context) {
    return WalkLiveItems(owner, HKEY_CURRENT_USER, "Identities", kIdentitiesName, ReadIdentity, visit, context);
}

int LiveIdentityRank(HWND owner, LPCSTR keyName, LPCSTR userName) {
    return RankOfLiveItem(WalkIdentities, owner, keyName, userName);
}

namespace {

// An identity's display name is its user name.
Presence ReadIdentity(HWND owner, HKEY identities, LPCSTR keyName, HeapBlock* userName) {
    CHAR name[kMessageBufferSize];
    KeyGuard identity;
    if (!OpenKey(owner, identities, keyName, KEY_READ, &identity, {ComposeKeyName(name, kIdentitiesName, keyName)}))
        return Presence::kFailed;
    return ReadUserName(owner, identity.key, userName) ? Presence::kPresent : Presence::kFailed;
}

// The data of "Username", never read past the size the registry reports.
BOOL ReadUserName(HWND owner, HKEY identity, HeapBlock* userName) {
    const StringValueRead read = ReadStringValue(identity, "Username", userName);
    if (read == kStringValueSizeFailed) ReportFailureOn(owner, Named::kRegistryValue, "Username", kActionGetSize);
    if (read == kStringValueDataFailed) ReportFailureOn(owner, Named::kRegistryValue, "Username", kActionGetData);
    return read == kStringValueRead;
}

}  // namespace
