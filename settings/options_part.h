// A tree a settings group saves whole beside its items, behind check box
// 1010 of its dialogs: the Internet options of IE/OE.
#pragma once

#include "settings/outcome.h"
#include "snapshot/tree_replace.h"
#include "winapi/winapi.h"

struct OptionsPart {
    LPCSTR snapshot;     // "proxy"
    LiveTree tree;       // what it replaces, with the machine's own subkey kept
    LPCSTR saveBoxText;  // the box's text in the save dialog
    LPCSTR loadBoxText;  // and in the load dialog
};

// Each says kEntryNotTried when the box is not checked.
//
// Saves the live tree as the part's snapshot in `directory`.
EntryOutcome SaveOptionsPart(HWND dialog, const OptionsPart& part, LPCSTR directory);

// Replaces the live tree by the snapshot in `directory`, keeping this
// machine's own kept subkey (none afterwards when it had none). A missing or
// damaged snapshot changes nothing; a step that fails after the tree was
// cleared puts the live tree back. Every failure is reported.
EntryOutcome ApplyOptionsPart(HWND dialog, const OptionsPart& part, LPCSTR directory);

// The load dialog offers the box, checked, only when `directory` holds the
// snapshot; otherwise the box is disabled.
void OfferOptionsPart(HWND dialog, const OptionsPart& part, LPCSTR directory);
