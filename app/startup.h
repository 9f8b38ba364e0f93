// The program's start and end: work area, single-instance lock, one mode.
#pragma once

#include "winapi/winapi.h"

// Runs start-up, exactly one mode and shut-down; `arguments` is the command
// line after the program's own name. Always returns the exit code 0.
int RunProgram(HINSTANCE instance, LPSTR arguments);
