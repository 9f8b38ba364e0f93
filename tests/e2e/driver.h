// The end-to-end driver: starts brelvane.exe, finds its windows, reads their
// texts, clicks, and checks files and the registry afterwards.
#pragma once

#include <windows.h>

#include <string>
#include <vector>

namespace e2e {

// Prints a failed check with what was expected and what was seen; returns ok.
bool Check(bool ok, const char* what, const std::string& expected = "", const std::string& actual = "");

// Converts a host path (/a/b) as CMake passes it into a Windows path (Z:\a\b).
std::string WindowsPath(const std::string& hostPath);

// %TEMP% with a trailing backslash.
std::string TempPath();

struct Program {
    PROCESS_INFORMATION process{};
    bool Start(const std::string& exe, const std::string& arguments);
    // Starts the command line as it is, the program's name unquoted if so written.
    bool StartCommandLine(const std::string& commandLine);
    // Waits for the process to end; returns its exit code or -1 on time-out.
    int Wait(DWORD milliseconds);
    ~Program();
};

// Waits for a top-level dialog-class window (#32770) of process `pid`, with
// `caption` when given; NULL after the time-out.
HWND WaitForDialog(DWORD pid, DWORD milliseconds, const char* caption = nullptr);

std::string WindowText(HWND window);
// The text of a message box (its static control 0xFFFF).
std::string MessageBoxText(HWND box);
// Whether the box shows the given stock icon (IDI_INFORMATION, ...).
bool MessageBoxHasIcon(HWND box, LPCSTR stockIcon);
// Presses a button of a dialog as a user would.
void ClickButton(HWND dialog, int id);

// Saves a picture of `window` as a 24-bit BMP file.
bool SaveWindowBitmap(HWND window, const std::string& path);

// Waits for a shown top-level dialog-class window of process `pid` with
// `caption` (any caption when NULL) that has a child control `control`:
// a flow's question, file dialog and settings dialog share one caption.
HWND WaitForDialogWith(DWORD pid, DWORD milliseconds, const char* caption, int control);
// Waits until `window` is gone or hidden; false after the time-out.
bool WaitUntilGone(HWND window, DWORD milliseconds);
// Texts and states of a dialog's controls, read across processes.
std::string ControlText(HWND dialog, int id);
void SetControlText(HWND dialog, int id, const std::string& text);
std::vector<std::string> ListBoxItems(HWND dialog, int id);
int ListBoxSelectedCount(HWND dialog, int id);
bool IsButtonChecked(HWND dialog, int id);
bool IsControlEnabled(HWND dialog, int id);
bool IsEditReadOnly(HWND dialog, int id);
// Types `path` into the file name box of the system's open or save dialog,
// pictures the dialog as `<dir>\\<picture>.bmp` (when a folder is given) and
// presses its OK button.
bool EnterFileName(HWND fileDialog, const std::string& path, const std::string& dir = "",
                   const std::string& picture = "");
// The title bar's close box.
void CloseWithCloseBox(HWND window);
// Saves a picture of `window` as `<dir>\<name>.bmp` when a folder is given.
void Screenshot(HWND window, const std::string& dir, const std::string& name);

// Registry helpers of the scenarios: `path` is below `root`.
bool PutValue(HKEY root, const std::string& path, const std::string& name, DWORD type, const std::string& data);
// The value's type and data; false when the key or value is missing.
bool ReadValue(HKEY root, const std::string& path, const std::string& name, DWORD* type, std::string* data);
bool KeyExists(HKEY root, const std::string& path);
void DeleteTree(HKEY root, const std::string& path);
// The whole tree below `path` as text, keys and values in name order, for
// comparing a tree before and after.
std::string DumpTree(HKEY root, const std::string& path);

// Data of registry strings as programs write them.
std::string Sz(const std::string& text);       // with its NUL
std::string MultiSz(const std::string& text);  // one string, two NULs
std::string Dword(DWORD value);

bool FileExists(const std::string& path);
bool DirectoryExists(const std::string& path);

// What a scenario is given: the program, the folder for its pictures (empty:
// none) and a folder for the profile files it saves (Windows paths).
struct Run {
    std::string exe;
    std::string screenshots;
    std::string files;
};

struct Scenario {
    const char* name;
    bool (*run)(const Run& run);
};
const std::vector<Scenario>& Scenarios();

}  // namespace e2e
