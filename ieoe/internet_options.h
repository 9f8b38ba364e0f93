// The Internet options of Internet Explorer, the current user's tree
// "Software\Microsoft\Windows\CurrentVersion\Internet Settings", as the
// snapshot "proxy", saved and applied when check box 1010 is checked.
#pragma once

#include "winapi/winapi.h"

// Saves the tree as "proxy" in WorkDirectory. 0 when the box is unchecked or
// after a reported failure, else the writer's result.
int SaveInternetOptions(HWND dialog);

// Replaces the live tree by "proxy", keeping the machine's own "5.0"
// subtree. Nothing happens when the box is unchecked. After any failure the
// tree is either the saved one with the machine's "5.0", or exactly what it
// was before (everything reported).
void ApplyInternetOptions(HWND dialog);
