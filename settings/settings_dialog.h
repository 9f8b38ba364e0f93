// What the save and load dialogs of both settings subsystems do alike: the
// handling of their messages, walking the live items once per selected list
// entry, writing the profile header from the dialog's boxes, showing a read
// header, and naming an entry in a message.
#pragma once

#include "settings/index_file.h"
#include "winapi/winapi.h"

// The set-up of a dialog (FALSE: it failed, the user has been told) and its
// OK, which ends the dialog itself when it is done.
typedef BOOL (*DialogSetUp)(HWND dialog);
typedef void (*DialogCommand)(HWND dialog);

// The dialog procedure's body: WM_INITDIALOG runs `setUp` and ends the
// dialog with 2 when that fails (returning TRUE either way); OK runs `ok`;
// Cancel ends the dialog with 2. Everything else returns FALSE.
INT_PTR HandleSettingsDialogMessage(HWND dialog, UINT message, WPARAM wParam, DialogSetUp setUp, DialogCommand ok);

// A walk over live items with an item callback (EnumIdentities, EnumAdapters).
typedef int (*ItemWalker)(ItemCallback callback, HWND owner, LPCSTR directory, int item);

// Runs `walker` with `callback`, the dialog and `directory` once for each
// selected entry of list `listId`, in ascending position, with the entry's
// position as item. Returns the position of the first walk whose result was
// `stopResult` (the walks after it are not run), or -1 when none was.
int WalkSelectedEntries(HWND dialog, int listId, ItemWalker walker, ItemCallback callback, LPCSTR directory,
                        int stopResult);

// Writes the profile header of `kind` with the texts of the edit boxes
// `nameId` (source name) and `commentId`. Returns 1, or 0 after a reported
// failure.
int WriteProfileHeaderFromDialog(HWND dialog, BYTE kind, int nameId, int commentId);

// Reads and checks the profile header (ReadProfileHeader with `kind` and
// `required`). A header read shows its source name in `nameId`, makes
// `commentId` read-only and shows the comment there when the header has one;
// without a header (allowed only when not `required`) nothing changes.
// FALSE when the header was refused or could not be read (shown to the user).
BOOL ShowProfileHeader(HWND dialog, BYTE kind, BOOL required, int nameId, int commentId);

// Composes `format` (one %s) with the text of entry `item` of list `listId`
// and shows it as an information box owned by the dialog. FALSE, with
// nothing shown, when the entry's text cannot be read.
BOOL ShowEntryMessage(HWND dialog, int listId, int item, LPCSTR format);
