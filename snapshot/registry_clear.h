// Deleting a registry key with everything below it.
#pragma once

#include "winapi/message_size.h"
#include "winapi/winapi.h"

// Deletes `subkeyPath` (one or more components) below `parent` with its whole
// subtree, bottom up; the keys on the way to it stay. Returns 1 when the key
// is gone, also when it did not exist (silently), 0 after a reported failure.
// Nothing is undone after a failure.
int ClearRegistryTree(HWND owner, HKEY parent, LPCSTR subkeyPath);

// Where CheckTreeDeletable found a key that clearing would fail on.
struct UndeletableKey {
    CHAR path[kMessageBufferSize];  // below the root; cut short in a tree that deep
    DWORD error;      // the registry's status for it
};

// Whether ClearRegistryTree could take the tree at `path` below `root` down:
// opens every key of it as the clearing opens it (with the right to delete
// it) and lists its subkeys, changing nothing. Returns 1 when every key
// could be (also when the tree does not exist); otherwise 0 with the first
// key that could not be opened or listed in `found`. Reports nothing.
int CheckTreeDeletable(HKEY root, LPCSTR path, UndeletableKey* found);
