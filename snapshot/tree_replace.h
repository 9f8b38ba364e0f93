// Replacing a live registry tree by a snapshot without ever losing it: the
// snapshot is validated before anything is touched, the live tree is saved
// as a backup snapshot in the work directory, and when clearing, re-creating
// or loading fails the backup is put back and the user is told so.
#pragma once

#include "winapi/winapi.h"

// The live tree a load replaces.
struct LiveTree {
    HKEY root;             // HKEY_CURRENT_USER, HKEY_LOCAL_MACHINE
    LPCSTR rootName;       // the root spelled out, for messages
    LPCSTR path;           // below the root
    // Context of the report when the key cannot be created with
    // KEY_ALL_ACCESS; one %s, the full name ("<rootName>\<path>").
    LPCSTR createFailure;
};

// A step that belongs to the replacement and runs after the snapshot has
// been loaded (the Internet options put the machine's own "5.0" back there).
// Returns nonzero on success, 0 after a reported failure, which puts the
// backup back as a failed load does.
typedef int (*AfterLoadStep)(HWND owner, LPCSTR directory, const void* context);

// Name of the backup snapshot in the work directory; no profile member is
// called so, and each replacement writes it anew.
constexpr char kLiveTreeBackupName[] = "backup";

// Replaces `tree` by the snapshot `snapshotName` in `directory` (ending with a
// backslash):
//  1. ValidateSnapshot; a missing or damaged snapshot is reported as the
//     loader reports it and the live tree is not touched;
//  2. the live tree (when it exists) is saved as kLiveTreeBackupName; when
//     it cannot be opened or saved, that is reported and nothing is touched;
//  3. clear, create with KEY_ALL_ACCESS, LoadRegistryTree, then `afterLoad`
//     (may be null). When one of them fails at file level, the tree is
//     cleared again and the backup loaded back (or, when there was no live
//     tree, the tree is removed), and one information box names the tree and
//     says whether its settings were put back.
// Record-level skips of the loader do not count as failures. Returns 1 when
// the tree now holds the snapshot, 0 otherwise (everything reported).
int ReplaceLiveTree(HWND owner, const LiveTree& tree, LPCSTR snapshotName, LPCSTR directory,
                    AfterLoadStep afterLoad, const void* context);
