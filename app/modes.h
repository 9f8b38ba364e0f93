// The two modes start-up can run.
#pragma once

#include "winapi/winapi.h"

// Started with arguments: the shell opened a saved profile file.
void RunCommandLineMode(HINSTANCE instance, LPSTR arguments);
// Started without arguments: the main window.
void RunWindowMode(HINSTANCE instance);

// What ParseCommandLine found after the path.
constexpr int kModeIeOe = 0;    // "/ies"
constexpr int kModeTcpip = 1;   // "/ips"
constexpr int kModeUnknown = -1;

// Stores the path token of `arguments` in ProfileFilePath and returns the mode
// named by the switch that follows it.
int ParseCommandLine(LPCSTR arguments);
