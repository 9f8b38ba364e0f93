// Fuzzes the snapshot loader and its validation. The input is cut at each
// "#F#" into the files of a work directory, named like the files of one tree
// (proxy, proxy.0, proxy.1, proxy.0.0, ...); the tree "proxy" is validated
// and loaded into an empty key. Nothing may leak, crash or read out of bounds.
// The simulated machine is reset every few thousand inputs (a reset per input
// would dominate the run); in between, the files are removed and each input
// loads into a key of its own (a hostile name may make a key that cannot be
// opened by its listed name, so deleting it is not always possible).
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <string>

#include "snapshot/registry_snapshot.h"
#include "winapi/sim/simctl.h"

namespace {

const char* const kNames[] = {"proxy",     "proxy.0",   "proxy.1",     "proxy.0.0", "proxy.0.1",
                              "proxy.2",   "proxy.1.0", "proxy.0.0.0", "proxy.00",  "proxy.3"};
const char kDirectory[] = "C:\\work\\";

void WriteFileBytes(const std::string& path, const uint8_t* data, size_t size) {
    HANDLE file = CreateFileA(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE) abort();
    DWORD written = 0;
    if (size && !WriteFile(file, data, static_cast<DWORD>(size), &written, nullptr)) abort();
    CloseHandle(file);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    static unsigned runs = 0;
    if (runs++ % 4096 == 0) {
        sim::Reset();
        CreateDirectoryA("C:\\work", nullptr);
    } else {
        for (const char* name : kNames) DeleteFileA((std::string(kDirectory) + name).c_str());
    }

    size_t start = 0;
    size_t file = 0;
    const size_t files = sizeof kNames / sizeof kNames[0];
    for (size_t i = 0; file < files; ++i) {
        bool end = i >= size;
        bool separator = !end && i + 3 <= size && std::memcmp(data + i, "#F#", 3) == 0;
        if (!end && !separator) continue;
        WriteFileBytes(std::string(kDirectory) + kNames[file++], data + start, i - start);
        if (end) break;
        start = i + 3;
        i += 2;
    }

    ValidateSnapshot(nullptr, "proxy", kDirectory);
    HKEY key = nullptr;
    const std::string keyPath = "Software\\Fuzz\\" + std::to_string(runs);
    if (RegCreateKeyExA(HKEY_CURRENT_USER, keyPath.c_str(), 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, &key, nullptr) !=
        ERROR_SUCCESS)
        abort();
    LoadRegistryTree(nullptr, key, "proxy", kDirectory);
    RegCloseKey(key);

    if (sim::OpenKeyCount() || sim::OpenHandleCount() || sim::HeapBlockCount() || sim::LocalBlockCount()) abort();
    return 0;
}
