// The four file flows of the shell (save or load the IE/OE or the TCP/IP
// settings), each a settings group and a direction, and the steps that
// window mode and command-line mode both take through them.
#pragma once

#include "settings/settings_group.h"
#include "winapi/winapi.h"

// Everything in which the flows differ is in the group's record; the steps
// are written once.
struct FileFlow {
    const SettingsGroup* group;
    BOOL save;  // the save dialog after GetSaveFileNameA, else the load dialog after GetOpenFileNameA
};

extern const FileFlow kIeOeSaveFlow;
extern const FileFlow kIeOeLoadFlow;
extern const FileFlow kTcpipSaveFlow;
extern const FileFlow kTcpipLoadFlow;

// Window mode's whole flow, owned by the main window `owner`: the question,
// the file dialog into ProfileFilePath, the flow's dialog and what follows
// it. A cancel at the question or in the file dialog leaves the work
// directory alone; after the flow's dialog, whatever it returned, the work
// directory and ProfileFilePath are emptied.
void RunFileFlow(HWND owner, const FileFlow& flow);

// Asks the flow's warning question (owned by `owner`, NULL for none); TRUE
// when the flow may go on: the user chose OK, or the flow asks nothing.
BOOL AskFlowQuestion(HWND owner, const FileFlow& flow);

// Runs the flow's dialog on ProfileFilePath with `instance` and `owner`;
// when it ends with IDOK, shows the completion box and, for a TCP/IP load,
// the restart prompt. Leaves the work directory as the dialog left it.
void RunFlowDialog(HWND owner, HINSTANCE instance, const FileFlow& flow);
