// Replacing a live registry tree by a saved snapshot without ever losing
// the live settings: the snapshot is validated before anything is touched,
// the live tree is saved first, and when a step that would leave the tree
// empty or half-written fails, the saved live tree is put back.
#pragma once

#include "winapi/winapi.h"

// The live tree a snapshot replaces.
struct LiveTree {
    HKEY root;         // HKEY_CURRENT_USER or HKEY_LOCAL_MACHINE
    LPCSTR rootName;   // the root spelled out, for messages
    LPCSTR path;       // the tree below the root
    // A subkey of the tree (one component) that keeps what this machine
    // had, whatever the snapshot holds, and the snapshot name its live
    // content is saved under meanwhile; both null when none is kept. A
    // machine without it has none afterwards either.
    LPCSTR keptSubkey;
    LPCSTR keptSnapshotName;
    // Context of the report when a key cannot be created: one %s, taking
    // the key's path below the root.
    LPCSTR createFailure;
};

// Whether a key is there: opened, not there, or a reported failure to open it.
enum class Presence { kPresent, kAbsent, kFailed };

// Where the live tree is saved during a replacement: a name no profile
// member uses.
constexpr char kLiveBackupName[] = "~live";

// Validates the snapshot `snapshotName` in `directory`, saves the live tree
// there as kLiveBackupName, clears the tree, re-creates its key and loads the
// snapshot (then puts the kept subkey back). Returns 1 when the tree holds
// the snapshot, 2 when it holds it but for records the loader reported and
// skipped (a value it could not set, a subkey it could not create): those do
// not put the live tree back. Returns 0 after a reported failure; the live
// tree is then as it was before (put back, and the user told so, when the
// failure came after the tree was cleared).
int ReplaceLiveTree(HWND owner, const LiveTree& tree, LPCSTR snapshotName, LPCSTR directory);
