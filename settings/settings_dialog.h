// The save and load dialogs of a settings group, written once and driven by
// the group's record: their set-up, their OK (which reports every failure
// where it happens and returns what happened to each entry), and the
// procedures' body, which turns that into the dialog's end.
#pragma once

#include "settings/outcome.h"
#include "settings/settings_group.h"
#include "winapi/winapi.h"

// The save dialog's set-up: its texts, the saver's name and every live item,
// all selected. FALSE after a reported failure.
BOOL SetUpSaveDialog(const SettingsGroup& group, HWND dialog);

// OK of the save dialog: the header, the options part when checked and each
// selected entry into `directory`, then packed into the file at
// `profilePath`. Returns 1 when the file was written. A failed header leaves
// `directory` as it was; a failed walk or pack empties it (the index is
// appended to) and writes no file. An entry that could not be saved does not
// stop the others.
int SaveFromDialog(const SettingsGroup& group, HWND dialog, LPCSTR profilePath, LPCSTR directory,
                   DialogOutcome* outcome);

// The load dialog's texts.
void ShowLoadTexts(const SettingsGroup& group, HWND dialog);

// What an unpacked profile in `directory` holds: its header (checked against
// the group), its entries, all selected, and the options box. FALSE when the
// header was refused or the index could not be read (reported).
BOOL ShowProfileContents(const SettingsGroup& group, HWND dialog, LPCSTR directory);

// The load dialog's set-up: its texts, the profile file at `profilePath`
// unpacked into `directory`, and what it holds. The registry is not touched:
// a refused file changes nothing. FALSE after a reported refusal or failure.
BOOL SetUpLoadDialog(const SettingsGroup& group, HWND dialog, LPCSTR profilePath, LPCSTR directory);

// OK of the load dialog: the options part when checked, then each selected
// entry into its live item. An entry without a live item stops the load
// with the group's message. Returns 1 when every selected entry was dealt
// with (applied, or failed and reported).
int LoadFromDialog(const SettingsGroup& group, HWND dialog, LPCSTR directory, DialogOutcome* outcome);

// The procedures' body on WorkDirectory and ProfileFilePath: WM_INITDIALOG
// runs the set-up and ends the dialog with 2 when it fails; OK ends it with
// 1 when the save wrote the file or the load dealt with every entry, and
// otherwise leaves it open; Cancel ends it with 2.
INT_PTR SaveDialogMessage(const SettingsGroup& group, HWND dialog, UINT message, WPARAM wParam);
INT_PTR LoadDialogMessage(const SettingsGroup& group, HWND dialog, UINT message, WPARAM wParam);

// Writes the profile header of `kind` into `directory` with the texts of the
// edit boxes `nameId` (source name) and `commentId`. Returns 1, or 0 after a
// reported failure.
int WriteProfileHeaderFromDialog(HWND dialog, LPCSTR directory, BYTE kind, int nameId, int commentId);

// Reads and checks the profile header in `directory` (ReadProfileHeader with
// `kind` and `required`). A header read shows its source name in `nameId`, makes
// `commentId` read-only and shows the comment there when the header has one;
// without a header (allowed only when not `required`) nothing changes.
// FALSE when the header was refused or could not be read (shown to the user).
BOOL ShowProfileHeader(HWND dialog, LPCSTR directory, BYTE kind, BOOL required, int nameId, int commentId);

// Composes `format` (one %s) with the text of entry `item` of list `listId`
// and shows it as an information box owned by the dialog. FALSE, with
// nothing shown, when the entry's text cannot be read.
BOOL ShowEntryMessage(HWND dialog, int listId, int item, LPCSTR format);
