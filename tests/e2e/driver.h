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

bool FileExists(const std::string& path);
bool DirectoryExists(const std::string& path);

struct Scenario {
    const char* name;
    bool (*run)(const std::string& exe, const std::string& screenshots);
};
const std::vector<Scenario>& Scenarios();

}  // namespace e2e
