// The walk over the machine's network connections: the subkeys of the
// network adapter class key that have a "Connection" subkey and no "Ndi",
// each with its connection name (Connection\Name).
#pragma once

#include "settings/settings_group.h"
#include "winapi/winapi.h"

// The group's walk (LiveItemWalk): each connection in the registry's order,
// every key and buffer released on every path.
int WalkAdapters(HWND owner, LiveItemVisit visit, void* context);

// How many connections before the adapter `keyName`, in the registry's
// order, carry the connection name `connectionName` (0 for the first of its
// name), or -1 after a reported failure. Tells apart connections that share
// a name.
int LiveAdapterRank(HWND owner, LPCSTR keyName, LPCSTR connectionName);
