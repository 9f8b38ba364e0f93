// The floor of the save and the apply: the registry calls the snapshot format
// prescribes and the files it is made of, and nothing else (no validation,
// no backup of the live tree, no clean-up, no dialog). flows_bench.py runs
// it as a whole process beside brvprofile and the reg route.
//
//   floor save-ies DIR\ [ARCHIVE]   "proxy", then per identity its accounts
//   floor save-ips DIR\ [ARCHIVE]   per connection its Interfaces tree
//                                   (with the header and the index; ARCHIVE
//                                   packs DIR into it afterwards)
//   floor apply-ies ARCHIVE DIR\    unpack, then the loader's calls: the
//   floor apply-ips ARCHIVE DIR\    options with the machine's 5.0 kept, and
//                                   each record into its live item
//
// Each phase's time goes to standard output as "phase NAME SECONDS".
#include <windows.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#include "lha/archiver.h"

namespace {

constexpr char kInternetSettings[] = "Software\\Microsoft\\Windows\\CurrentVersion\\Internet Settings";
constexpr char kKeptSubkey[] = "Software\\Microsoft\\Windows\\CurrentVersion\\Internet Settings\\5.0";
constexpr char kAccountsFormat[] = "Identities\\%s\\Software\\Microsoft\\Internet Account Manager\\Accounts";
constexpr char kSharedAccounts[] = "Software\\Microsoft\\Internet Account Manager\\Accounts";
constexpr char kNetworkClass[] =
    "SYSTEM\\CurrentControlSet\\Control\\Network\\{4D36E972-E325-11CE-BFC1-08002BE10318}";
constexpr char kInterfacesFormat[] = "SYSTEM\\CurrentControlSet\\Services\\Tcpip\\Parameters\\Interfaces\\%s";
constexpr DWORD kSubkeyMarker = 0xFFFFFFFF;

std::string Directory;  // ends with a backslash

[[noreturn]] void Fail(const std::string& what, LONG status) {
    std::fprintf(stderr, "floor: %s failed (%ld)\n", what.c_str(), static_cast<long>(status));
    std::exit(1);
}

void Check(LONG status, const std::string& what) {
    if (status != ERROR_SUCCESS) Fail(what, status);
}

struct Stopwatch {
    LARGE_INTEGER start, frequency;
    Stopwatch() {
        QueryPerformanceFrequency(&frequency);
        QueryPerformanceCounter(&start);
    }
    void Report(const char* phase) {
        LARGE_INTEGER now;
        QueryPerformanceCounter(&now);
        std::printf("phase %s %.3f\n", phase, double(now.QuadPart - start.QuadPart) / double(frequency.QuadPart));
        start = now;
    }
};

std::string Formatted(const char* format, const std::string& text) {
    char out[1024];
    wsprintfA(out, format, text.c_str());
    return out;
}

// --- Files --------------------------------------------------------------------

void WriteWholeFile(const std::string& name, const std::string& bytes, DWORD disposition = CREATE_ALWAYS) {
    HANDLE file = CreateFileA((Directory + name).c_str(), GENERIC_WRITE, 0, nullptr, disposition,
                              FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE) Fail("CreateFileA " + name, GetLastError());
    if (disposition == OPEN_ALWAYS) SetFilePointer(file, 0, nullptr, FILE_END);
    DWORD written = 0;
    const BOOL ok = bytes.empty() || WriteFile(file, bytes.data(), DWORD(bytes.size()), &written, nullptr);
    CloseHandle(file);
    if (!ok || written != bytes.size()) Fail("WriteFile " + name, GetLastError());
}

std::string ReadWholeFile(const std::string& name) {
    HANDLE file = CreateFileA((Directory + name).c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING,
                              FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE) Fail("CreateFileA " + name, GetLastError());
    std::string bytes(GetFileSize(file, nullptr), '\0');
    DWORD read = 0;
    const BOOL ok = bytes.empty() || ReadFile(file, &bytes[0], DWORD(bytes.size()), &read, nullptr);
    CloseHandle(file);
    if (!ok || read != bytes.size()) Fail("ReadFile " + name, GetLastError());
    return bytes;
}

void PutDword(std::string& out, DWORD n) {
    for (int i = 0; i < 4; ++i) out += char((n >> (8 * i)) & 0xFF);
}

DWORD GetDword(const std::string& in, size_t at) {
    DWORD n = 0;
    for (int i = 3; i >= 0; --i) n = (n << 8) | BYTE(in[at + i]);
    return n;
}

void PutRecord(std::string& out, const void* data, DWORD dataLength, DWORD type, const char* name, DWORD nameLength) {
    PutDword(out, dataLength);
    out.append(static_cast<const char*>(data), dataLength);
    PutDword(out, type);
    PutDword(out, nameLength);
    out.append(name, nameLength);
}

void WriteHeader(BYTE kind, const std::string& name) {
    std::string header{char(kind), char(1)};
    PutDword(header, DWORD(name.size()));
    header += name;
    PutDword(header, 0);
    WriteWholeFile("profile", header);
}

// An index record: the name, its NUL and a pad byte, appended.
void AppendIndexRecord(const char* index, const std::string& name) {
    WriteWholeFile(index, name + std::string(2, '\0'), OPEN_ALWAYS);
}

std::vector<std::string> ReadIndex(const char* index) {
    const std::string bytes = ReadWholeFile(index);
    std::vector<std::string> names;
    for (size_t at = 0; at < bytes.size();) {
        names.push_back(bytes.c_str() + at);
        at += names.back().size() + 2;
    }
    return names;
}

void RunArchiver(const std::string& command) {
    ArchiverFailure failure;
    const int status = CarryOutArchiverCommand(command.c_str(), nullptr, 0, &failure);
    if (status != 0) Fail("archiver " + command, failure.systemError);
}

// --- The writer's calls -----------------------------------------------------

void SaveKey(HKEY key, const std::string& fileName);

void SaveSubkeys(HKEY key, const std::string& fileName, std::string& out) {
    for (DWORD index = 0;; ++index) {
        char name[256];
        DWORD nameLength = sizeof name;
        FILETIME lastWrite;
        const LONG status = RegEnumKeyExA(key, index, name, &nameLength, nullptr, nullptr, nullptr, &lastWrite);
        if (status == ERROR_NO_MORE_ITEMS) return;
        Check(status, "RegEnumKeyExA");
        HKEY subkey;
        Check(RegOpenKeyExA(key, name, 0, KEY_READ, &subkey), std::string("RegOpenKeyExA ") + name);
        const std::string subkeyFile = fileName + "." + std::to_string(index);
        PutRecord(out, subkeyFile.c_str(), DWORD(subkeyFile.size() + 1), kSubkeyMarker, name, nameLength + 1);
        SaveKey(subkey, subkeyFile);
        RegCloseKey(subkey);
    }
}

void SaveValues(HKEY key, std::string& out) {
    std::vector<BYTE> data;
    for (DWORD index = 0;; ++index) {
        char name[256];
        DWORD nameLength = sizeof name;
        const LONG status = RegEnumValueA(key, index, name, &nameLength, nullptr, nullptr, nullptr, nullptr);
        if (status == ERROR_NO_MORE_ITEMS) return;
        Check(status, "RegEnumValueA");
        DWORD size = 0;
        Check(RegQueryValueExA(key, name, nullptr, nullptr, nullptr, &size), "RegQueryValueExA size");
        data.resize(size ? size : 1);
        DWORD type = 0;
        Check(RegQueryValueExA(key, name, nullptr, &type, data.data(), &size), "RegQueryValueExA data");
        PutRecord(out, data.data(), size, type, name, nameLength + 1);
    }
}

// One file per key: subkey records (each subkey's files written at once),
// then value records.
void SaveKey(HKEY key, const std::string& fileName) {
    std::string out;
    SaveSubkeys(key, fileName, out);
    SaveValues(key, out);
    WriteWholeFile(fileName, out);
}

void SaveTree(HKEY root, const std::string& path, const std::string& fileName) {
    HKEY key;
    Check(RegOpenKeyExA(root, path.c_str(), 0, KEY_READ, &key), "RegOpenKeyExA " + path);
    SaveKey(key, fileName);
    RegCloseKey(key);
}

// --- The loader's and the clearing's calls ------------------------------------

void LoadKey(HKEY key, const std::string& fileName) {
    const std::string bytes = ReadWholeFile(fileName);
    for (size_t at = 0; at + 12 <= bytes.size();) {
        const DWORD dataLength = GetDword(bytes, at);
        if (at + 12 + dataLength > bytes.size()) return;
        const DWORD type = GetDword(bytes, at + 4 + dataLength);
        const DWORD nameLength = GetDword(bytes, at + 8 + dataLength);
        if (nameLength == 0 || at + 12 + dataLength + nameLength > bytes.size()) return;
        const std::string name(bytes.c_str() + at + 12 + dataLength);
        const char* data = bytes.data() + at + 4;
        if (type == kSubkeyMarker) {
            HKEY subkey;
            Check(RegCreateKeyExA(key, name.c_str(), 0, nullptr, 0, KEY_WRITE, nullptr, &subkey, nullptr),
                  "RegCreateKeyExA " + name);
            LoadKey(subkey, std::string(data));
            RegCloseKey(subkey);
        } else {
            Check(RegSetValueExA(key, name.c_str(), 0, type, reinterpret_cast<const BYTE*>(data), dataLength),
                  "RegSetValueExA " + name);
        }
        at += 12 + dataLength + nameLength;
    }
}

// Depth first, bottom up, always the first subkey.
void ClearTree(HKEY parent, const std::string& path) {
    HKEY key;
    const LONG status = RegOpenKeyExA(parent, path.c_str(), 0, KEY_ALL_ACCESS, &key);
    if (status == ERROR_FILE_NOT_FOUND) return;
    Check(status, "RegOpenKeyExA " + path);
    for (;;) {
        char name[256];
        DWORD nameLength = sizeof name;
        FILETIME lastWrite;
        const LONG listed = RegEnumKeyExA(key, 0, name, &nameLength, nullptr, nullptr, nullptr, &lastWrite);
        if (listed == ERROR_NO_MORE_ITEMS) break;
        Check(listed, "RegEnumKeyExA");
        ClearTree(key, name);
    }
    RegCloseKey(key);
    Check(RegDeleteKeyA(parent, path.c_str()), "RegDeleteKeyA " + path);
}

void ReplaceTree(HKEY root, const std::string& path, const std::string& fileName) {
    ClearTree(root, path);
    HKEY key;
    Check(RegCreateKeyExA(root, path.c_str(), 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, &key, nullptr),
          "RegCreateKeyExA " + path);
    LoadKey(key, fileName);
    RegCloseKey(key);
}

// --- The walks: identities and connections, with the calls of the walkers --

std::string QueryText(HKEY key, const char* value) {
    DWORD size = 0;
    Check(RegQueryValueExA(key, value, nullptr, nullptr, nullptr, &size), std::string("size of ") + value);
    std::string text(size, '\0');
    Check(RegQueryValueExA(key, value, nullptr, nullptr, reinterpret_cast<BYTE*>(&text[0]), &size), value);
    return text.c_str();
}

// Calls `visit` with (key name, display name) until it returns false.
template <typename Visit>
void WalkIdentities(Visit visit) {
    HKEY identities;
    Check(RegOpenKeyExA(HKEY_CURRENT_USER, "Identities", 0, KEY_READ, &identities), "Identities");
    for (DWORD index = 0;; ++index) {
        char name[256];
        DWORD nameLength = sizeof name;
        FILETIME lastWrite;
        const LONG status = RegEnumKeyExA(identities, index, name, &nameLength, nullptr, nullptr, nullptr, &lastWrite);
        if (status == ERROR_NO_MORE_ITEMS) break;
        Check(status, "RegEnumKeyExA Identities");
        HKEY identity;
        Check(RegOpenKeyExA(identities, name, 0, KEY_READ, &identity), name);
        const std::string userName = QueryText(identity, "Username");
        RegCloseKey(identity);
        if (!visit(std::string(name), userName)) break;
    }
    RegCloseKey(identities);
}

bool HasSubkey(HKEY key, const char* name) {
    HKEY subkey;
    const LONG status = RegOpenKeyExA(key, name, 0, KEY_READ, &subkey);
    if (status == ERROR_FILE_NOT_FOUND) return false;
    Check(status, name);
    RegCloseKey(subkey);
    return true;
}

// A connection has a "Connection" subkey and no "Ndi".
bool ConnectionName(HKEY adapters, const char* adapter, std::string* name) {
    HKEY key;
    Check(RegOpenKeyExA(adapters, adapter, 0, KEY_READ, &key), adapter);
    bool isConnection = !HasSubkey(key, "Ndi");
    HKEY connection;
    if (isConnection) {
        const LONG status = RegOpenKeyExA(key, "Connection", 0, KEY_READ, &connection);
        isConnection = status != ERROR_FILE_NOT_FOUND;
        if (isConnection) Check(status, "Connection");
    }
    if (isConnection) {
        *name = QueryText(connection, "Name");
        RegCloseKey(connection);
    }
    RegCloseKey(key);
    return isConnection;
}

template <typename Visit>
void WalkAdapters(Visit visit) {
    HKEY adapters;
    Check(RegOpenKeyExA(HKEY_LOCAL_MACHINE, kNetworkClass, 0, KEY_READ, &adapters), kNetworkClass);
    for (DWORD index = 0;; ++index) {
        char name[256];
        DWORD nameLength = sizeof name;
        FILETIME lastWrite;
        const LONG status = RegEnumKeyExA(adapters, index, name, &nameLength, nullptr, nullptr, nullptr, &lastWrite);
        if (status == ERROR_NO_MORE_ITEMS) break;
        Check(status, "RegEnumKeyExA adapters");
        std::string connection;
        if (ConnectionName(adapters, name, &connection) && !visit(std::string(name), connection)) break;
    }
    RegCloseKey(adapters);
}

// The list the dialog shows (one walk), then one walk per entry to find its
// live item, as the dialogs do.
template <typename Walk>
std::vector<std::string> ListedNames(Walk walk) {
    std::vector<std::string> names;
    walk([&](const std::string&, const std::string& name) {
        names.push_back(name);
        return true;
    });
    std::sort(names.begin(), names.end());
    return names;
}

template <typename Walk>
std::string LiveKeyOf(Walk walk, const std::string& displayName) {
    std::string found;
    walk([&](const std::string& key, const std::string& name) {
        if (name != displayName) return true;
        found = key;
        return false;
    });
    return found;
}

std::string AccountTreeOf(const std::string& identity) {
    const std::string path = Formatted(kAccountsFormat, identity);
    return HasSubkey(HKEY_CURRENT_USER, path.c_str()) ? path : kSharedAccounts;
}

// --- The four commands -------------------------------------------------------

void SaveIeOe(Stopwatch& clock) {
    char user[256];
    DWORD userLength = sizeof user;
    GetUserNameA(user, &userLength);
    WriteHeader(0, user);
    SaveTree(HKEY_CURRENT_USER, kInternetSettings, "proxy");
    clock.Report("options");
    const auto walk = [](auto visit) { WalkIdentities(visit); };
    const std::vector<std::string> names = ListedNames(walk);
    for (size_t n = 0; n < names.size(); ++n) {
        const std::string identity = LiveKeyOf(walk, names[n]);
        AppendIndexRecord("gateway", names[n]);
        SaveTree(HKEY_CURRENT_USER, AccountTreeOf(identity), "gateway." + std::to_string(n));
    }
    clock.Report("accounts");
}

void SaveTcpip(Stopwatch& clock) {
    char computer[MAX_COMPUTERNAME_LENGTH + 1];
    DWORD computerLength = sizeof computer;
    GetComputerNameA(computer, &computerLength);
    WriteHeader(1, computer);
    const auto walk = [](auto visit) { WalkAdapters(visit); };
    const std::vector<std::string> names = ListedNames(walk);
    for (size_t n = 0; n < names.size(); ++n) {
        const std::string adapter = LiveKeyOf(walk, names[n]);
        AppendIndexRecord("tcpip", names[n]);
        SaveTree(HKEY_LOCAL_MACHINE, Formatted(kInterfacesFormat, adapter), "tcpip." + std::to_string(n));
    }
    clock.Report("connections");
}

// The machine's 5.0 goes aside as "proxy.tmp" and comes back after the load.
void ApplyIeOe(Stopwatch& clock) {
    const std::vector<std::string> names = ReadIndex("gateway");
    const bool hadKept = HasSubkey(HKEY_CURRENT_USER, kKeptSubkey);
    if (hadKept) SaveTree(HKEY_CURRENT_USER, kKeptSubkey, "proxy.tmp");
    ReplaceTree(HKEY_CURRENT_USER, kInternetSettings, "proxy");
    if (hadKept)
        ReplaceTree(HKEY_CURRENT_USER, kKeptSubkey, "proxy.tmp");
    else
        ClearTree(HKEY_CURRENT_USER, kKeptSubkey);
    clock.Report("options");
    const auto walk = [](auto visit) { WalkIdentities(visit); };
    for (size_t n = 0; n < names.size(); ++n) {
        const std::string identity = LiveKeyOf(walk, names[n]);
        if (identity.empty()) Fail("no identity " + names[n], 0);
        ReplaceTree(HKEY_CURRENT_USER, AccountTreeOf(identity), "gateway." + std::to_string(n));
    }
    clock.Report("accounts");
}

void ApplyTcpip(Stopwatch& clock) {
    const std::vector<std::string> names = ReadIndex("tcpip");
    const auto walk = [](auto visit) { WalkAdapters(visit); };
    for (size_t n = 0; n < names.size(); ++n) {
        const std::string adapter = LiveKeyOf(walk, names[n]);
        if (adapter.empty()) Fail("no connection " + names[n], 0);
        ReplaceTree(HKEY_LOCAL_MACHINE, Formatted(kInterfacesFormat, adapter), "tcpip." + std::to_string(n));
    }
    clock.Report("connections");
}

int Usage() {
    std::fprintf(stderr, "usage: floor save-ies|save-ips DIR\\ [ARCHIVE] | floor apply-ies|apply-ips ARCHIVE DIR\\\n");
    return 64;
}

}  // namespace

int main(int argc, char** argv) {
    if (argc < 3) return Usage();
    const std::string command = argv[1];
    const bool save = command == "save-ies" || command == "save-ips";
    const bool apply = command == "apply-ies" || command == "apply-ips";
    if ((!save && !apply) || (apply && argc != 4) || argc > 4) return Usage();
    Directory = save ? argv[2] : argv[3];
    Stopwatch clock;
    if (apply) {
        RunArchiver("e \"" + std::string(argv[2]) + "\" \"" + Directory + "\" *");
        clock.Report("unpack");
    }
    if (command == "save-ies") SaveIeOe(clock);
    if (command == "save-ips") SaveTcpip(clock);
    if (command == "apply-ies") ApplyIeOe(clock);
    if (command == "apply-ips") ApplyTcpip(clock);
    if (save && argc == 4) {
        DeleteFileA(argv[3]);
        RunArchiver("a \"" + std::string(argv[3]) + "\" \"" + Directory + "*.*\"");
        clock.Report("pack");
    }
    return 0;
}
