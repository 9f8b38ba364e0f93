// Saving and applying the Internet options. The apply replaces the whole
// tree through the shared safe replacement; putting the machine's "5.0"
// back is part of it, so a failure there brings the old tree back too.
#include "ieoe/internet_options.h"

#include "app/report.h"
#include "app/workarea.h"
#include "resources/resource.h"
#include "snapshot/registry_clear.h"
#include "snapshot/registry_snapshot.h"
#include "snapshot/tree_replace.h"
#include "winapi/guards.h"

namespace {

constexpr char kSettingsPath[] = "Software\\Microsoft\\Windows\\CurrentVersion\\Internet Settings";
constexpr char kFivePath[] = "Software\\Microsoft\\Windows\\CurrentVersion\\Internet Settings\\5.0";
constexpr char kFiveSnapshot[] = "proxy.tmp";
constexpr char kOpenSettingsFailure[] =
    "レジストリキー\"HKEY_CURRENT_USER\\Software\\Microsoft\\Windows\\CurrentVersion\\Internet Settings\"に"
    "読み込みアクセスを適用できません。";
constexpr char kOpenFiveFailure[] =
    "レジストリキー\"HKEY_CURRENT_USER\\Software\\Microsoft\\Windows\\CurrentVersion\\Internet Settings\\5.0\"に"
    "読み込みアクセスを適用できません。";

enum class Five { kSaved, kNone, kFailed };

Five SaveMachineFive(HWND dialog);
int PutMachineFiveBack(HWND owner, LPCSTR directory, const void* context);

}  // namespace

int SaveInternetOptions(HWND dialog) {
    if (IsDlgButtonChecked(dialog, IDC_OPTIONS) != BST_CHECKED) return 0;
    KeyGuard key;
    SetLastError(RegOpenKeyExA(HKEY_CURRENT_USER, kSettingsPath, 0, KEY_READ, &key.key));
    if (GetLastError() != ERROR_SUCCESS) {
        key.key = nullptr;
        ReportSystemError(dialog, kOpenSettingsFailure);
        return 0;
    }
    return SaveRegistryTree(dialog, key.key, "proxy", WorkDirectory);
}

void ApplyInternetOptions(HWND dialog) {
    if (IsDlgButtonChecked(dialog, IDC_OPTIONS) != BST_CHECKED) return;
    const Five five = SaveMachineFive(dialog);
    if (five == Five::kFailed) return;
    // The "%s" is the full name, which the message spells out already.
    const LiveTree settings{HKEY_CURRENT_USER, "HKEY_CURRENT_USER", kSettingsPath,
                            "レジストリキー\"%s\"に読み込みアクセスを適用できません。"};
    const bool hadFive = five == Five::kSaved;
    ReplaceLiveTree(dialog, settings, "proxy", WorkDirectory, PutMachineFiveBack, &hadFive);
}

namespace {

// Saves the machine's "5.0" as "proxy.tmp"; a machine without one has none
// to keep.
Five SaveMachineFive(HWND dialog) {
    KeyGuard key;
    SetLastError(RegOpenKeyExA(HKEY_CURRENT_USER, kFivePath, 0, KEY_READ, &key.key));
    if (GetLastError() == ERROR_FILE_NOT_FOUND) {
        key.key = nullptr;
        return Five::kNone;
    }
    if (GetLastError() != ERROR_SUCCESS) {
        key.key = nullptr;
        ReportSystemError(dialog, kOpenFiveFailure);
        return Five::kFailed;
    }
    return SaveRegistryTree(dialog, key.key, kFiveSnapshot, WorkDirectory) ? Five::kSaved : Five::kFailed;
}

// Throws the saved "5.0" away and, when the machine had one, loads its own
// back; without one the machine keeps none.
int PutMachineFiveBack(HWND owner, LPCSTR directory, const void* context) {
    if (!ClearRegistryTree(owner, HKEY_CURRENT_USER, kFivePath)) return 0;
    if (!*static_cast<const bool*>(context)) return 1;
    KeyGuard key;
    SetLastError(RegCreateKeyExA(HKEY_CURRENT_USER, kFivePath, 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, &key.key,
                                 nullptr));
    if (GetLastError() != ERROR_SUCCESS) {
        key.key = nullptr;
        ReportSystemError(owner, kOpenFiveFailure);
        return 0;
    }
    return LoadWholeRegistryTree(owner, key.key, kFiveSnapshot, directory);
}

}  // namespace
