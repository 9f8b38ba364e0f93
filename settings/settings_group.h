// A settings group (the IE/OE settings, the TCP/IP settings) described once
// as data: its live items and their trees, its files, its dialogs, its file
// type in the shell and its words in the console tool. The save and load
// dialog bodies, the main window's flows, the association and brvprofile all
// read the same record; each group defines its own in its folder.
#pragma once

#include "settings/indexed_snapshot.h"
#include "settings/list_entry.h"
#include "settings/options_part.h"
#include "winapi/winapi.h"

// What a walk over a group's live items hands each item to: its key name and
// display name. Nonzero to go on, 0 to stop.
typedef int (*LiveItemVisit)(void* context, LPCSTR keyName, LPCSTR displayName);

// Visits the live items in the registry's order. Returns 1 when every item
// was visited, -1 when `visit` stopped the walk, 0 after a failure reported
// with `owner` (the items after it are not visited).
typedef int (*LiveItemWalk)(HWND owner, LiveItemVisit visit, void* context);

// The size of a buffer for the path of an item's tree below its root.
constexpr int kItemTreePathSize = 512;

struct SettingsGroup {
    // The live items and the tree of each.
    LiveItemWalk walk;
    LiveRankFunction rank;
    HKEY root;
    LPCSTR rootName;           // the root spelled out, for messages and listings
    LPCSTR itemTreeFormat;     // the tree an item's snapshot is applied to; %s: the key name
    // Opens the tree a save reads for `keyName`. FALSE after a reported failure.
    LiveTreeOpener openItemTree;
    // Writes the path below the root of the tree an apply replaces for
    // `keyName` (kItemTreePathSize bytes). 0 after a reported failure.
    int (*findItemTree)(HWND owner, LPCSTR keyName, LPSTR path);
    LPCSTR createAction;       // LiveTree::createAction of an item's tree

    // The profile file.
    LPCSTR indexName;          // "gateway", "tcpip"
    BYTE headerKind;
    BOOL headerRequired;       // a file without "profile" is refused
    const OptionsPart* options;  // null when the group has none

    // The save and load dialogs.
    int dialogTemplate;
    DLGPROC saveProc;
    DLGPROC loadProc;
    LPCSTR saveCaption;
    LPCSTR savePrompt;
    LPCSTR loadCaption;
    LPCSTR loadPrompt;
    // Shows the saver's name (user or computer) in the name box; FALSE
    // after a reported failure.
    BOOL (*showSourceName)(HWND dialog);
    // An entry with no live item of its name: one %s, the entry's text.
    LPCSTR missingEntryFormat;

    // The main window's flows.
    LPCSTR saveFlowTitle;
    LPCSTR loadFlowTitle;
    LPCSTR saveQuestion;       // null: none asked
    LPCSTR loadQuestion;
    LPCSTR saveCompletion;
    BOOL restartAfterLoad;

    // The file type.
    LPCSTR extension;          // ".ies"
    LPCSTR filter;             // NUL-separated pairs, double NUL at the end
    LPCSTR progId;
    int iconIndex;             // of the program's icons
    int associationBox;        // its check box in the association dialog

    // The console tool's words.
    LPCSTR word;               // "ies"
    LPCSTR label;              // "IE/OE"
    LPCSTR sourceLabel;        // what the header's source name is
    LPCSTR entryLabel;         // what an entry is
};
