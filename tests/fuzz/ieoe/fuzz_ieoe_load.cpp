// Fuzzes the whole IE/OE load. The input is cut at each "#F#" into the files
// of an unpacked profile (profile, gateway, gateway.0, ..., proxy, ...; a
// part "#NONE#" is a file it does not hold),
// which are packed into the profile file; the load dialog then unpacks it
// and the scripted user presses OK with everything selected. Nothing may
// crash or leak, no file may appear outside the work directory and the
// profile file, and no key outside the trees a load replaces may change.
#include <cstdint>
#include <cstdlib>
#include <string>

#include "ieoe/ieoe_group.h"
#include "profile_fuzz.h"
#include "resources/resource.h"

namespace {

const char* const kNames[] = {"profile",     "gateway", "gateway.0", "gateway.1", "gateway.0.0",
                              "gateway.1.0", "proxy",   "proxy.0",   "proxy.1",   "proxy.0.0"};

void PutMachine() {
    sim::RegPut("HKEY_CURRENT_USER\\Identities\\{A}", "Username", REG_SZ, std::string("Taro\0", 5));
    sim::RegPut("HKEY_CURRENT_USER\\Identities\\{B}", "Username", REG_SZ, std::string("Hanako\0", 7));
    sim::RegPut("HKEY_CURRENT_USER\\Identities\\{A}\\Software\\Microsoft\\Internet Account Manager\\Accounts\\00000001",
                "Account Name", REG_SZ, std::string("a\0", 2));
    sim::RegPut("HKEY_CURRENT_USER\\Software\\Microsoft\\Windows\\CurrentVersion\\Internet Settings\\5.0", "Mine",
                REG_DWORD, std::string("\1\0\0\0", 4));
    sim::RegPut("HKEY_CURRENT_USER\\Software\\Sentinel", "Keep", REG_DWORD, std::string("\7\0\0\0", 4));
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    profilefuzz::StartMachine("saved.ies");
    PutMachine();
    profilefuzz::PackInput(data, size, kNames, sizeof kNames / sizeof kNames[0]);

    sim::QueueDialogScript([](HWND dialog, int) {
        SendDlgItemMessageA(dialog, IDC_ENTRY_LIST, LB_SETSEL, TRUE, -1);
        sim::Click(dialog, IDOK);
    });
    DialogBoxParamA(nullptr, MAKEINTRESOURCEA(IDD_IEOE), nullptr, IeOeLoadDialogProc, 0);

    profilefuzz::CheckOnlyWorkAndProfile();
    HKEY key = nullptr;
    DWORD value = 0, valueSize = sizeof value;
    if (RegOpenKeyExA(HKEY_CURRENT_USER, "Software\\Sentinel", 0, KEY_READ, &key) != ERROR_SUCCESS) abort();
    if (RegQueryValueExA(key, "Keep", nullptr, nullptr, reinterpret_cast<BYTE*>(&value), &valueSize) != ERROR_SUCCESS ||
        value != 7)
        abort();
    RegCloseKey(key);
    profilefuzz::CheckNothingLeaks();
    return 0;
}
