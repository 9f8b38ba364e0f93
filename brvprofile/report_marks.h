// Counting the reports made while a dialog of the program handled a
// message: the console versions of the two report functions mark the
// owner window, and the tool reads the mark after each command it sent.
// The count lives on the window, not in the process.
#pragma once

#include "winapi/winapi.h"

// Counts one report on `owner` (nothing for a null owner, or outside
// Windows, where the tool drives no dialog).
void NoteReport(HWND owner);

// The reports counted on `window` so far.
int ReportCount(HWND window);

// Removes the count from `window`, before it is destroyed.
void ForgetReports(HWND window);
