// The program's start and end: work area, single-instance lock, one mode.
#pragma once

#include "winapi/winapi.h"

// Runs start-up, exactly one mode and shut-down; `arguments` is the command
// line after the program's own name. Always returns the exit code 0.
int RunProgram(HINSTANCE instance, LPSTR arguments);

// The arguments in `commandLine`: what follows the program's name and the
// blanks after it, the name skipped as Windows itself reads it (quoted: up
// to the closing quote; otherwise up to the first space or tab; every other
// byte, cp932 lead bytes included, belongs to the name).
LPSTR SkipProgramName(LPSTR commandLine);

// The arguments of this process's own command line (GetCommandLineA).
LPSTR ProgramArguments();

