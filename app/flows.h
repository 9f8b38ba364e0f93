// The four file flows of the shell (save or load the IE/OE or the TCP/IP
// settings) as data, and the steps that window mode and command-line mode
// both take through them.
#pragma once

#include "winapi/winapi.h"

// Everything in which the four flows differ; the steps are written once.
struct FileFlow {
    LPCSTR title;             // caption of the question, the file dialog and the completion box
    LPCSTR question;          // warning asked first; nullptr for none
    BOOL save;                // GetSaveFileNameA (TRUE) or GetOpenFileNameA
    LPCSTR filter;            // NUL-separated description/pattern pairs, double NUL at the end
    DWORD fileDialogFlags;
    LPCSTR defaultExtension;
    int dialogTemplate;       // IDD_IEOE or IDD_TCPIP
    DLGPROC dialogProc;       // does the whole save or load; ends with IDOK when done
    LPCSTR completion;        // shown after the dialog ended with IDOK
    BOOL offersRestart;       // the restart prompt follows the completion box
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
