// Opening a registry key or reporting why not, in one place: the guard is
// left empty on failure, the last error is the registry's status, and the
// failure is reported once, as レジストリキー"<full name>"<action>.
#pragma once

#include "base/report_context.h"
#include "winapi/guards.h"
#include "winapi/winapi.h"

// Whether something looked for is there; kFailed after a reported failure.
enum class Presence { kPresent, kAbsent, kFailed };

// How a failure to open a key is reported: the key's full name with the
// root spelled out, the action phrase, and what was being done (may be "").
struct KeyReport {
    LPCSTR name;
    LPCSTR action = kActionReadAccess;
    LPCSTR lead = "";
};

// Opens `path` below `parent` for `access` into `key`.
bool OpenKey(HWND owner, HKEY parent, LPCSTR path, REGSAM access, KeyGuard* key, const KeyReport& report);

// The same, where a missing key is expected: kAbsent, not reported.
Presence OpenKeyIfPresent(HWND owner, HKEY parent, LPCSTR path, REGSAM access, KeyGuard* key,
                          const KeyReport& report);

// The same with RegCreateKeyExA: the key and its missing parents are created.
bool CreateKey(HWND owner, HKEY parent, LPCSTR path, DWORD options, REGSAM access, KeyGuard* key,
               const KeyReport& report);

// "<parentName>\<path>" into `name` (kMessageBufferSize bytes); returns `name`.
LPCSTR ComposeKeyName(LPSTR name, LPCSTR parentName, LPCSTR path);
