// Opening a registry key or reporting why not.
#include "base/registry_key.h"

namespace {

// Sets the last error to `status` and reports a failure with `report`.
void ReportKeyFailure(HWND owner, LONG status, const KeyReport& report) {
    SetLastError(static_cast<DWORD>(status));
    ReportFailureOn(owner, Named::kRegistryKey, report.name, report.action, report.lead);
}

}  // namespace

bool OpenKey(HWND owner, HKEY parent, LPCSTR path, REGSAM access, KeyGuard* key, const KeyReport& report) {
    const LONG status = key->Open(parent, path, access);
    if (status == ERROR_SUCCESS) return true;
    ReportKeyFailure(owner, status, report);
    return false;
}

Presence OpenKeyIfPresent(HWND owner, HKEY parent, LPCSTR path, REGSAM access, KeyGuard* key,
                          const KeyReport& report) {
    const LONG status = key->Open(parent, path, access);
    if (status == ERROR_SUCCESS) return Presence::kPresent;
    if (status == ERROR_FILE_NOT_FOUND) {
        SetLastError(ERROR_FILE_NOT_FOUND);
        return Presence::kAbsent;
    }
    ReportKeyFailure(owner, status, report);
    return Presence::kFailed;
}

bool CreateKey(HWND owner, HKEY parent, LPCSTR path, DWORD options, REGSAM access, KeyGuard* key,
               const KeyReport& report) {
    const LONG status = key->Create(parent, path, options, access);
    if (status == ERROR_SUCCESS) return true;
    ReportKeyFailure(owner, status, report);
    return false;
}

LPCSTR ComposeKeyName(LPSTR name, LPCSTR parentName, LPCSTR path) {
    wsprintfA(name, "%s\\%s", parentName, path);
    return name;
}
