// Control surface of the simulated Windows: what a test uses to set up the
// machine, play the user, inject faults and check for leaks. Test code only;
// product code never includes this header.
#pragma once

#include "../winapi.h"

#include <functional>
#include <string>
#include <vector>

namespace sim {

// ---- lifecycle ------------------------------------------------------------
// Empties the registry and the file system, forgets every recorded call,
// scripted answer and injected fault, resets counters and the last error, and
// restores the default machine (NT 5.1, user "tester", computer "TESTPC",
// temp path "C:\Users\tester\Temp\", command line "brelvane.exe").
// The private root folder that holds the simulated C: drive is made anew.
void Reset();

// Host folder that backs the simulated drive C: (for tests that want to look
// at files directly). Other drive letters map to siblings of it.
std::string HostRoot();
// Maps a Windows path ("C:\a\b") to its host path. Paths that start with '/'
// are host paths already and pass through unchanged (brvlha on Linux).
// '\' and '/' both separate (never the 0x5C trail byte of a cp932
// character). Unlike Windows, names keep their exact case: "A.TXT" does not
// find "a.txt".
std::string HostPath(const std::string& windowsPath);

// ---- leak counters (must all be 0 at the end of every test) ---------------
int OpenKeyCount();     // registry keys opened or created and not closed
int OpenHandleCount();  // file, find and token handles not closed
int HeapBlockCount();   // HeapAlloc blocks not freed
int LocalBlockCount();  // FormatMessageA buffers not LocalFree'd

// ---- fault injection ------------------------------------------------------
// Makes the nth (1-based) call of `function` ("RegOpenKeyExA", "WriteFile",
// "HeapAlloc", ...) fail with `status`, counting only calls whose subject
// matches `subject` when one is given. The subject of a registry call is the
// full key path with the root spelled out ("HKEY_CURRENT_USER\Software\X"),
// for value calls followed by "\" and the value name; of a file call, the
// Windows path; of a handle call (ReadFile, WriteFile, ...), the path the
// handle was opened with. A subject matches when it equals the given text or
// ends with "\" + text, case-insensitively.
// Registry functions return the status; others return their failure value
// and set the last error to it. HeapAlloc returns NULL.
// Window functions: the subject of a call on a control is "<template id>\<id>"
// of its dialog ("112@7"), on a dialog "<template id>"; message calls
// (SendMessageA, SendDlgItemMessageA) add "\<message name>", so "LB_SETSEL"
// or "1007\LB_SETSEL" aims at one message, which then fails with LB_ERR (list
// box messages) or 0. DialogBoxParamA's subject is the template id (-1 on
// failure), MessageBoxA's the text (0), the file dialogs' the title (FALSE).
void FailCall(const std::string& function, int nth, DWORD status, const std::string& subject = "");
// Makes every call from the nth on fail (a persistent fault).
void FailCallsFrom(const std::string& function, int nth, DWORD status, const std::string& subject = "");
// A fault that stays with what it hit: the nth call of `function` (any
// subject) fails, and so does every later call of it on the same subject
// (that key, value or file), as a damaged key or a bad sector would.
void FailCallsOnItsSubjectFrom(const std::string& function, int nth, DWORD status);
// The subject of the most recent call that an injected fault made fail
// (empty when none has since Reset).
std::string LastFailedSubject();
// How often `function` has been called since Reset.
int CallCount(const std::string& function);
// Drops every injected fault (calls counted so far stay counted).
void ClearFaults();
// Forgets how often each function was called (the fixture's own set-up calls).
void ForgetCallCounts();

// ---- registry set-up helpers (bypass fault injection and counters) -------
// `path` is a full path with the root spelled out.
void RegPut(const std::string& path, const std::string& valueName, DWORD type, const std::string& bytes);
void RegPutKey(const std::string& path);
bool RegHasKey(const std::string& path);
// Denies the given access bits on a key for RegOpenKeyExA/RegCreateKeyExA
// (ERROR_ACCESS_DENIED), like a key whose security descriptor forbids them.
void RegDenyAccess(const std::string& path, REGSAM deniedBits);

// ---- machine configuration -----------------------------------------------
void SetVersion(DWORD platformId, DWORD major, DWORD minor);
void SetUserName(const std::string& name);
void SetComputerName(const std::string& name);
void SetCommandLine(const std::string& commandLine);
void SetTempPath(const std::string& windowsPath);
void SetModuleFileName(const std::string& windowsPath);
// Whether the process token holds SeShutdownPrivilege (held by default).
// Without it AdjustTokenPrivileges succeeds with ERROR_NOT_ALL_ASSIGNED and
// ExitWindowsEx fails with ERROR_PRIVILEGE_NOT_HELD, as on Windows.
void SetShutdownPrivilegeHeld(bool held);
// Simulates another process holding a file open with the given share mode
// (for reading and writing; the file is made when missing). Not counted by
// OpenHandleCount(); CloseHandle() lets go of it, and so does Reset().
HANDLE HoldFileOpen(const std::string& windowsPath, DWORD shareMode);
// Windows refuses a path of MAX_PATH bytes or more in CreateFileA,
// DeleteFileA and MoveFileExA (ERROR_FILENAME_EXCED_RANGE); Wine takes it,
// and so does the simulation until this is called. Reset() turns it off.
void LimitAnsiPaths();

// ---- the scripted user ------------------------------------------------------
struct MessageBoxCall {
    HWND owner;
    std::string text;     // exact bytes (cp932)
    std::string caption;  // empty for a NULL caption
    bool captionNull;
    UINT style;
};
// Answers for the next message boxes, in order. With none queued, a box is
// answered with its first button (IDOK, IDYES) and the call is recorded all
// the same. An answer that is no button of the box throws (a test error).
// As on Windows, a box whose owner is no window is not shown: MessageBoxA
// returns -1 (Wine's value) with ERROR_INVALID_WINDOW_HANDLE, nothing recorded.
void QueueMessageBoxAnswer(int answer);
const std::vector<MessageBoxCall>& MessageBoxes();
// A top-level window for tests that need an owner without running a dialog
// (gone at Reset).
HWND CreateOwnerWindow();

struct FileDialogCall {
    bool save;         // GetSaveFileNameA (true) or GetOpenFileNameA
    OPENFILENAMEA ofn; // copy of the record as passed in
    std::string filter;  // the whole filter, NULs included, up to the double NUL
    std::string title;
    std::string defExt;
};
// Next file dialog answer: a path to return (with the default extension
// appended when it has none, as the real dialog does), or cancel. With none
// queued the dialog is cancelled. A record of the wrong size (lStructSize) is
// refused before anything is shown or recorded; a path longer than nMaxFile
// fails with its size in the first two bytes; an open dialog with
// OFN_FILEMUSTEXIST throws when the answer names no existing file.
void QueueFileDialogAnswer(const std::string& path);
void QueueFileDialogCancel();
const std::vector<FileDialogCall>& FileDialogs();

// A dialog script plays the user inside one DialogBoxParamA: it is called
// after WM_INITDIALOG with the dialog window and its template id; it reads and
// changes controls through the ordinary API and clicks with Click(). When the
// script returns and the dialog has not ended, the simulation closes it as the
// close box would (WM_COMMAND IDCANCEL) and, if still open, ends it with -1.
// Scripts are used in order, one per DialogBoxParamA call; with none queued the
// dialog is closed as above right after WM_INITDIALOG. A dialog that ends
// during WM_INITDIALOG is never seen by the user and takes no script.
// While a dialog runs its owner is disabled, so a nested dialog's script
// cannot click in the outer one. A template that is not in the resource
// script fails as on Windows (-1, ERROR_RESOURCE_NAME_NOT_FOUND); a script
// that does not parse throws sim::ResourceScriptError (ui_resource.h).
using DialogScript = std::function<void(HWND dialog, int templateId)>;
void QueueDialogScript(DialogScript script);
// Delivers WM_COMMAND (BN_CLICKED) for control `id` to the dialog procedure,
// toggling an automatic check box first, as a real click does. A disabled or
// hidden control, an ended dialog or one under a modal dialog ignores the
// click; Click(dialog, IDCANCEL) without a Cancel button is the close box.
// A control that does not exist or is no button throws (a test error).
void Click(HWND dialog, int id);
// Types `text` into edit control `id` as a user who selects its text and
// types anew: nothing happens in a disabled, hidden or read-only edit; the
// text is cut to the EM_LIMITTEXT limit (characters); the dialog hears
// EN_UPDATE and EN_CHANGE.
void Type(HWND dialog, int id, const std::string& text);
// Clicks item `index` of list box `id`: toggles it in a multiple-selection
// box, selects only it otherwise; LBN_SELCHANGE follows when the box has
// LBS_NOTIFY and the selection changed. A missing item throws.
void ClickListItem(HWND dialog, int id, int index);
// True once EndDialog was called for the dialog, and for a handle whose
// dialog is gone.
bool DialogEnded(HWND dialog);

struct DialogCall {
    int templateId;
    HWND owner;
    LPARAM param;
    INT_PTR result;
};
// Every DialogBoxParamA call in order (an inner dialog after its outer one),
// failed calls included with their result; templateId is -1 for a name.
const std::vector<DialogCall>& Dialogs();

// Shutdown requests that reached ExitWindowsEx successfully.
const std::vector<UINT>& ExitWindowsCalls();

// Dialog templates are read from this resource script (UTF-8); by default the
// product's resources/brelvane.rc. Reset goes back to the default.
void SetResourceScript(const std::string& hostPath);

}  // namespace sim
