// The walk over the live Outlook Express identities of the current user
// (the subkeys of HKEY_CURRENT_USER\Identities), each handed with its user
// name (the value "Username") to an item callback.
#pragma once

#include "settings/index_file.h"
#include "winapi/winapi.h"

// Calls `callback` with (owner, directory, key name, user name, item) for
// each identity in the registry's order. Returns 1 when every identity was
// visited, -1 when the callback returned 0 (the walk stops there), 0 after a
// failure reported with `owner` (identities after it are not visited).
int EnumIdentities(ItemCallback callback, HWND owner, LPCSTR directory, int item);

// How many identities before `keyName`, in the registry's order, carry the
// user name `userName` (0 for the first of its name), or -1 after a
// reported failure. Tells apart identities that share a user name.
int LiveIdentityRank(HWND owner, LPCSTR keyName, LPCSTR userName);
