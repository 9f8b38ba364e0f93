// The walk over the live Outlook Express identities of the current user
// (the subkeys of HKEY_CURRENT_USER\Identities), each with its user name
// (the value "Username").
#pragma once

#include "settings/settings_group.h"
#include "winapi/winapi.h"

// The group's walk (LiveItemWalk): each identity in the registry's order,
// every key and buffer released on every path.
int WalkIdentities(HWND owner, LiveItemVisit visit, void* context);

// How many identities before `keyName`, in the registry's order, carry the
// user name `userName` (0 for the first of its name), or -1 after a
// reported failure. Tells apart identities that share a user name.
int LiveIdentityRank(HWND owner, LPCSTR keyName, LPCSTR userName);
