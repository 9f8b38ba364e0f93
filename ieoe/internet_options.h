// The Internet options of Internet Explorer (the current user's tree
// "Internet Settings") as the snapshot "proxy" in the work directory. Both
// sides act only while check box 1010 of the owner dialog is checked.
#pragma once

#include "winapi/winapi.h"

// Saves the live tree as "proxy" in WorkDirectory. Returns 0 when the box is
// not checked or after a reported failure, else nonzero.
int SaveInternetOptions(HWND dialog);

// Replaces the live tree by "proxy", keeping this machine's own "5.0"
// subtree (none afterwards when it had none). A missing or damaged snapshot
// changes nothing; a step that fails after the tree was cleared puts the
// live tree back. Every failure is reported.
void ApplyInternetOptions(HWND dialog);
