// The Outlook Express identities of the current user: the subkeys of
// HKEY_CURRENT_USER\Identities, each named for the user by its "Username".
#pragma once

#include "snapshot/item_callback.h"
#include "winapi/winapi.h"

// Calls `callback` with (owner, directory, key name, user name, item) for
// every identity in the registry's order. Returns kWalkDone, kWalkStopped
// when the callback returned 0, or kWalkFailed after a reported failure.
int EnumIdentities(ItemCallback callback, HWND owner, LPCSTR directory, int item);

// How many identities before `keyName`, in the registry's order, carry the
// user name `userName` (0 for the first of its name), or -1 after a
// reported failure of the walk.
int LiveIdentityRank(HWND owner, LPCSTR keyName, LPCSTR userName);
