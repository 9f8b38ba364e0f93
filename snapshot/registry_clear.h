// Deleting a registry key with everything below it.
#pragma once

#include "winapi/winapi.h"

// Deletes `subkeyPath` (one or more components) below `parent` with its whole
// subtree, bottom up; the keys on the way to it stay. Returns 1 when the key
// is gone, also when it did not exist (silently), 0 after a reported failure.
// Nothing is undone after a failure.
int ClearRegistryTree(HWND owner, HKEY parent, LPCSTR subkeyPath);
