// The one callback shape of both settings subsystems: a walker over live
// items (identities, adapters) or over the names of a saved index file calls
// it once per item.
#pragma once

#include "winapi/winapi.h"

// Called with the owner window, the work directory, the live item's key name
// (null when the walker reads an index file), its display name (user name or
// connection name) and `item`: kListMode, or the index of one entry of the
// dialog's list. Returns nonzero to go on with the walk, 0 to stop it.
typedef int (*ItemCallback)(HWND owner, LPCSTR directory, LPCSTR keyName, LPCSTR displayName, int item);

// `item` of a walk that fills the dialog's list with the display names.
constexpr int kListMode = -1;

// Results of every walker: all items visited, stopped by the callback, or a
// failure that has been reported.
constexpr int kWalkDone = 1;
constexpr int kWalkStopped = -1;
constexpr int kWalkFailed = 0;
