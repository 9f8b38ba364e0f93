// The account tree of each identity: its own when it has one, else the
// identity-less tree. Saved as numbered snapshots ("gateway.%d") with the
// index file "gateway".
#pragma once

#include "winapi/guards.h"
#include "winapi/winapi.h"

// The index of the saved identities in an IE/OE profile.
constexpr char kGatewayIndexName[] = "gateway";

// Below HKEY_CURRENT_USER; %s: the identity's key name.
constexpr char kIdentityAccountsFormat[] =
    "Identities\\%s\\Software\\Microsoft\\Internet Account Manager\\Accounts";

// Opens the identity's account tree, or the identity-less one when the
// identity has none, for reading. FALSE after a reported failure.
BOOL OpenAccountTree(HWND owner, LPCSTR keyName, KeyGuard* key);

// The account tree an apply replaces for the live identity `keyName`: its own
// when it has one, else the identity-less tree. Writes the path below
// HKEY_CURRENT_USER into `path` (kItemTreePathSize bytes) and returns 1, or
// 0 after a reported failure of the probe.
int FindLiveAccountTree(HWND owner, LPCSTR keyName, LPSTR path);
