// Fuzzes the whole IE/OE load. The input is cut at each "#F#" into the files
// of an unpacked profile (profile, gateway, gateway.0, ..., proxy, ...; a
// part "#NONE#" is a file it does not hold),
// which are packed into the profile file; the load dialog then unpacks it
// and the scripted user presses OK with everything selected. Nothing may
// crash or leak, no file may appear outside the work directory and the
// profile file, and no key outside the trees a load replaces may change.
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <string>

#include "app/workarea.h"
#include "ieoe/ieoe_dialogs.h"
#include "resources/resource.h"
#include "snapshot/profile_file.h"
#include "winapi/sim/simctl.h"

namespace {

const char* const kNames[] = {"profile",     "gateway", "gateway.0", "gateway.1", "gateway.0.0",
                              "gateway.1.0", "proxy",   "proxy.0",   "proxy.1",   "proxy.0.0"};

void WriteFileBytes(const std::string& path, const uint8_t* data, size_t size) {
    HANDLE file = CreateFileA(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE) abort();
    DWORD written = 0;
    if (size && !WriteFile(file, data, static_cast<DWORD>(size), &written, nullptr)) abort();
    CloseHandle(file);
}

void PutMachine() {
    sim::RegPut("HKEY_CURRENT_USER\\Identities\\{A}", "Username", REG_SZ, std::string("Taro\0", 5));
    sim::RegPut("HKEY_CURRENT_USER\\Identities\\{B}", "Username", REG_SZ, std::string("Hanako\0", 7));
    sim::RegPut("HKEY_CURRENT_USER\\Identities\\{A}\\Software\\Microsoft\\Internet Account Manager\\Accounts\\00000001",
                "Account Name", REG_SZ, std::string("a\0", 2));
    sim::RegPut("HKEY_CURRENT_USER\\Software\\Microsoft\\Windows\\CurrentVersion\\Internet Settings\\5.0", "Mine",
                REG_DWORD, std::string("\1\0\0\0", 4));
    sim::RegPut("HKEY_CURRENT_USER\\Software\\Sentinel", "Keep", REG_DWORD, std::string("\7\0\0\0", 4));
}

// Only the work directory and the profile file may be on the drive.
void CheckFiles() {
    WIN32_FIND_DATAA entry;
    HANDLE find = FindFirstFileA("C:\\*", &entry);
    if (find == INVALID_HANDLE_VALUE) abort();
    do {
        if (std::strcmp(entry.cFileName, ".") && std::strcmp(entry.cFileName, "..") &&
            std::strcmp(entry.cFileName, "work") && std::strcmp(entry.cFileName, "saved.ies"))
            abort();
    } while (FindNextFileA(find, &entry));
    FindClose(find);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    sim::Reset();
    CreateDirectoryA("C:\\work", nullptr);
    lstrcpyA(WorkDirectory, "C:\\work\\");
    lstrcpyA(ProfileFilePath, "C:\\saved.ies");
    PutMachine();

    size_t start = 0;
    size_t file = 0;
    const size_t files = sizeof kNames / sizeof kNames[0];
    for (size_t i = 0; file < files; ++i) {
        bool end = i >= size;
        bool separator = !end && i + 3 <= size && std::memcmp(data + i, "#F#", 3) == 0;
        if (!end && !separator) continue;
        // "#NONE#" stands for a file the profile does not hold.
        if (!(i - start == 6 && std::memcmp(data + start, "#NONE#", 6) == 0))
            WriteFileBytes(std::string(WorkDirectory) + kNames[file], data + start, i - start);
        ++file;
        if (end) break;
        start = i + 3;
        i += 2;
    }
    if (!PackProfileFile(nullptr, ProfileFilePath, WorkDirectory)) abort();
    ClearWorkDirectory(nullptr);

    sim::QueueDialogScript([](HWND dialog, int) {
        SendDlgItemMessageA(dialog, IDC_ENTRY_LIST, LB_SETSEL, TRUE, -1);
        sim::Click(dialog, IDOK);
    });
    DialogBoxParamA(nullptr, MAKEINTRESOURCEA(IDD_IEOE), nullptr, IeOeLoadDialogProc, 0);

    CheckFiles();
    HKEY key = nullptr;
    DWORD value = 0, valueSize = sizeof value;
    if (RegOpenKeyExA(HKEY_CURRENT_USER, "Software\\Sentinel", 0, KEY_READ, &key) != ERROR_SUCCESS) abort();
    if (RegQueryValueExA(key, "Keep", nullptr, nullptr, reinterpret_cast<BYTE*>(&value), &valueSize) != ERROR_SUCCESS ||
        value != 7)
        abort();
    RegCloseKey(key);
    if (sim::OpenKeyCount() || sim::OpenHandleCount() || sim::HeapBlockCount() || sim::LocalBlockCount()) abort();
    return 0;
}
