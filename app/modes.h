// The two modes start-up can run.
#pragma once

#include "winapi/winapi.h"

// Started with arguments: the shell opened a saved profile file.
void RunCommandLineMode(HINSTANCE instance, LPSTR arguments);
// Started without arguments: the main window.
void RunWindowMode(HINSTANCE instance);
