// Saving and applying the Internet options.
#include "ieoe/internet_options.h"

#include "base/report.h"
#include "base/workarea.h"
#include "resources/resource.h"
#include "snapshot/registry_snapshot.h"
#include "snapshot/tree_replace.h"
#include "winapi/guards.h"

namespace {

constexpr char kInternetSettingsPath[] = "Software\\Microsoft\\Windows\\CurrentVersion\\Internet Settings";
constexpr char kProxySnapshot[] = "proxy";

// The 5.0 subtree belongs to this machine: its live content is kept in
// "proxy.tmp" meanwhile. A key that cannot be created is worded as the
// machine's key that cannot be opened.
LiveTree InternetSettingsTree() {
    return LiveTree{HKEY_CURRENT_USER, "HKEY_CURRENT_USER", kInternetSettingsPath, "5.0", "proxy.tmp",
                    "レジストリキー\"HKEY_CURRENT_USER\\%s\"に読み込みアクセスを適用できません。"};
}

bool IsBoxChecked(HWND dialog) { return IsDlgButtonChecked(dialog, IDC_OPTIONS) == BST_CHECKED; }

}  // namespace

int SaveInternetOptions(HWND dialog) {
    if (!IsBoxChecked(dialog)) return 0;
    KeyGuard key;
    SetLastError(RegOpenKeyExA(HKEY_CURRENT_USER, kInternetSettingsPath, 0, KEY_READ, &key.key));
    if (GetLastError() != ERROR_SUCCESS) {
        key.key = nullptr;
        ReportSystemError(dialog,
                          "レジストリキー\"HKEY_CURRENT_USER\\Software\\Microsoft\\Windows\\CurrentVersion\\"
                          "Internet Settings\"に読み込みアクセスを適用できません。");
        return 0;
    }
    return SaveRegistryTree(dialog, key.key, kProxySnapshot, WorkDirectory);
}

void ApplyInternetOptions(HWND dialog) {
    if (!IsBoxChecked(dialog)) return;
    ReplaceLiveTree(dialog, InternetSettingsTree(), kProxySnapshot, WorkDirectory);
}
