// The one header product code includes for Windows declarations.
// On Windows it is the real API; elsewhere it declares the subset the program
// uses, implemented by the simulation in winapi/sim/ (tests only).
#pragma once

#ifdef _WIN32
#ifndef WIN32_LEAN_AND_MEAN
#define WIN32_LEAN_AND_MEAN
#endif
#ifndef NOMINMAX
#define NOMINMAX
#endif
#include <windows.h>
#include <commdlg.h>
#else
#include "sim/win32_decl.h"
#endif
