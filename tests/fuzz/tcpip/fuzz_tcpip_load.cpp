// Fuzzes the whole TCP/IP load. The input is cut at each "#F#" into the
// files of an unpacked profile (profile, tcpip, tcpip.0, ...; a part
// "#NONE#" is a file it does not hold), which are packed into the profile
// file; the load dialog then unpacks it and the scripted user presses OK
// with everything selected. Nothing may crash or leak, no file may appear
// outside the work directory and the profile file, and no key outside the
// Interfaces trees of the connections may change.
#include <cstdint>
#include <cstdlib>
#include <string>

#include "profile_fuzz.h"
#include "resources/resource.h"
#include "tcpip/tcpip_group.h"

namespace {

const char* const kNames[] = {"profile", "tcpip", "tcpip.0", "tcpip.1", "tcpip.2", "tcpip.0.0", "tcpip.1.0"};
const char kClass[] =
    "HKEY_LOCAL_MACHINE\\SYSTEM\\CurrentControlSet\\Control\\Network\\{4D36E972-E325-11CE-BFC1-08002BE10318}\\";
const char kInterfaces[] = "HKEY_LOCAL_MACHINE\\SYSTEM\\CurrentControlSet\\Services\\Tcpip\\Parameters\\Interfaces\\";

// Two connections, LAN1 and LAN2, as the bad profiles expect, and a key
// beside their trees that no load may touch.
void PutMachine() {
    sim::RegPut(std::string(kClass) + "{A1}\\Connection", "Name", REG_SZ, std::string("LAN1\0", 5));
    sim::RegPut(std::string(kClass) + "{B2}\\Connection", "Name", REG_SZ, std::string("LAN2\0", 5));
    sim::RegPut(std::string(kInterfaces) + "{A1}", "EnableDHCP", REG_DWORD, std::string("\1\0\0\0", 4));
    sim::RegPut(std::string(kInterfaces) + "{B2}", "EnableDHCP", REG_DWORD, std::string("\0\0\0\0", 4));
    sim::RegPut("HKEY_LOCAL_MACHINE\\SYSTEM\\CurrentControlSet\\Services\\Tcpip\\Parameters", "Hostname", REG_SZ,
                std::string("keep\0", 5));
}

void CheckSentinel() {
    HKEY key = nullptr;
    char value[8] = "";
    DWORD size = sizeof value;
    if (RegOpenKeyExA(HKEY_LOCAL_MACHINE, "SYSTEM\\CurrentControlSet\\Services\\Tcpip\\Parameters", 0, KEY_READ,
                      &key) != ERROR_SUCCESS)
        abort();
    const LONG status = RegQueryValueExA(key, "Hostname", nullptr, nullptr, reinterpret_cast<BYTE*>(value), &size);
    RegCloseKey(key);
    if (status != ERROR_SUCCESS || std::string(value) != "keep") abort();
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    profilefuzz::StartMachine("saved.ips");
    PutMachine();
    profilefuzz::PackInput(data, size, kNames, sizeof kNames / sizeof kNames[0]);

    sim::QueueDialogScript([](HWND dialog, int) {
        SendDlgItemMessageA(dialog, IDC_ENTRY_LIST, LB_SETSEL, TRUE, -1);
        sim::Click(dialog, IDOK);
    });
    DialogBoxParamA(nullptr, MAKEINTRESOURCEA(IDD_TCPIP), nullptr, TcpipLoadDialogProc, 0);

    profilefuzz::CheckOnlyWorkAndProfile();
    CheckSentinel();
    profilefuzz::CheckNothingLeaks();
    return 0;
}
