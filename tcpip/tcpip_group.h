// The TCP/IP settings group: the TCP/IP parameters of each network
// connection, saved as ".ips" files. Its dialogs are on template 111; both
// are modal, take creation parameter 0 and read WorkDirectory and
// ProfileFilePath. They end with 1 when the file was written or every chosen
// connection was dealt with, and with 2 when cancelled or when the set-up
// failed; a failed OK leaves them open.
#pragma once

#include "settings/settings_group.h"
#include "winapi/winapi.h"

extern const SettingsGroup kTcpipGroup;

// Saves the TCP/IP parameters of the chosen network connections into the
// profile file at ProfileFilePath.
INT_PTR CALLBACK TcpipSaveDialogProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam);

// Unpacks the profile file at ProfileFilePath, shows the connections it
// holds and writes the chosen ones over the live connections of the same
// connection name. After a 1 the caller offers the restart of Windows.
INT_PTR CALLBACK TcpipLoadDialogProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam);
