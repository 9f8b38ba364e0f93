// Replacing a live registry tree by a saved snapshot without ever losing
// the live settings: the snapshot is validated and the live tree proved
// deletable before anything is touched, the live tree is saved first, and
// when a step that would leave the tree empty or half-written fails, the
// saved live tree is put back; when even that fails, it is kept as a profile
// file that the program's own load dialog brings back.
#pragma once

#include "base/registry_key.h"  // Presence
#include "winapi/winapi.h"

// How the live tree is laid out as a profile file when it has to be kept:
// the profile kind (0 IE/OE, .ies; 1 TCP/IP, .ips), its index file with one
// record (an empty index when `indexRecord` is null) and the name the tree's
// snapshot has in it, as the load dialog of that kind reads it.
struct TreeProfile {
    BYTE kind;
    LPCSTR indexName;
    LPCSTR indexRecord;
    LPCSTR snapshotName;
};

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
    // The action phrase of the report when a key cannot be created.
    LPCSTR createAction;
    TreeProfile profile;
};

// The folder in the work directory where the live tree becomes the files of
// a kept profile (saved as the snapshot its TreeProfile names), when even
// putting it back failed.
constexpr char kLiveBackupFolder[] = "~live";

// First part of the name of a kept profile: the user's temporary folder,
// this, a number that makes it new, and ".ies" or ".ips".
constexpr char kKeptProfilePrefix[] = "Brelvane-backup-";

// Reads and validates the snapshot `snapshotName` in `directory` (each of
// its files once), saves the live tree in memory, proves that every key of
// the live tree can be deleted, clears the tree, re-creates its key and
// loads the snapshot (then puts the kept subkey back). A value or key that
// cannot be written fails the load. Returns 1 when the tree holds the
// snapshot. Returns 0 after a reported failure; the live tree is then as it
// was before (put back, and the user told so, when the failure came after
// the tree was cleared), or, when even putting it back failed, kept as a
// profile file named in the message.
int ReplaceLiveTree(HWND owner, const LiveTree& tree, LPCSTR snapshotName, LPCSTR directory);
