// Reading a registry value as a display name: the bytes the registry
// reports, terminated after them whatever the value holds.
#pragma once

#include "winapi/guards.h"
#include "winapi/winapi.h"

// Which step failed; the last error is then the failing call's code.
enum StringValueRead : int {
    kStringValueRead = 0,
    kStringValueSizeFailed = 1,  // the size could not be queried (a missing value too)
    kStringValueDataFailed = 2,  // no memory for it, or the data could not be queried
};

// Reads value `valueName` of `key` into `text`, a process-heap block one byte
// longer than the size the registry reports, and terminates the data there:
// a value stored without its NUL is never read past. The type is not looked
// at. Nothing is reported.
StringValueRead ReadStringValue(HKEY key, LPCSTR valueName, HeapBlock* text);
