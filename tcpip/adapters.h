// The walk over the machine's network connections: the subkeys of the
// network adapter class key that have a "Connection" subkey and no "Ndi",
// each handed with its connection name (Connection\Name) to an item callback.
#pragma once

#include "settings/index_file.h"
#include "winapi/winapi.h"

// Calls `callback` with (owner, directory, adapter key name, connection
// name, item) for each connection in the registry's order. Returns 1 when
// every subkey was visited, -1 when the callback returned 0 (the walk stops
// there), 0 after a failure reported with `owner` (subkeys after it are not
// visited). Every key and buffer is released on every path.
int EnumAdapters(ItemCallback callback, HWND owner, LPCSTR directory, int item);

// How many connections before the adapter `keyName`, in the registry's
// order, carry the connection name `connectionName` (0 for the first of its
// name), or -1 after a reported failure. Tells apart connections that share
// a name.
int LiveAdapterRank(HWND owner, LPCSTR keyName, LPCSTR connectionName);
