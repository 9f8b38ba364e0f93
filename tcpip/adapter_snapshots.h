// The TCP/IP parameters of each connection: its Interfaces tree, saved as
// numbered snapshots ("tcpip.%d") with the index file "tcpip".
#pragma once

#include "winapi/guards.h"
#include "winapi/winapi.h"

// Below HKEY_LOCAL_MACHINE; %s: the adapter's key name.
constexpr char kInterfacesFormat[] = "SYSTEM\\CurrentControlSet\\Services\\Tcpip\\Parameters\\Interfaces\\%s";

// Opens the adapter's Interfaces tree for reading. FALSE after a reported
// failure.
BOOL OpenInterfacesKey(HWND owner, LPCSTR adapterKeyName, KeyGuard* key);

// Writes the path of the adapter's Interfaces tree below HKEY_LOCAL_MACHINE
// into `path` (kItemTreePathSize bytes). Always 1: an apply creates a tree
// that is not there yet.
int FindInterfacesTree(HWND owner, LPCSTR adapterKeyName, LPSTR path);
