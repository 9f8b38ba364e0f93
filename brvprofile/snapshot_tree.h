// Reading a registry tree into memory: from a snapshot in the work
// directory through the loader's own walk, or from the live registry.
#pragma once

#include "brvprofile/registry_text.h"
#include "winapi/winapi.h"

// The snapshot tree `fileName` in `directory`. Returns 1 when it is whole
// and well formed, 0 after the first problem has been reported as a load
// would report it.
int ReadSnapshotTree(LPCSTR directory, LPCSTR fileName, TreeKey* tree);

// The live tree at `path` below `root`, subkeys and values in the registry's
// order. Returns 1, 2 when the key does not exist (the tree is then empty),
// 0 after a reported failure.
int ReadLiveTree(HKEY root, LPCSTR rootName, LPCSTR path, TreeKey* tree);
