// Builds 20,000 keys holding 100,000 values through the simulated API and
// walks them back by index, the way a snapshot writer does. The peer is the
// same walk over a key with 100 times fewer children: enumeration by index
// must cost about the same per call at both sizes (O(log n)), not grow with n.
#include <chrono>
#include <cstdio>
#include <string>

#include "winapi/sim/simctl.h"

namespace {

double Seconds(std::chrono::steady_clock::time_point since) {
    return std::chrono::duration<double>(std::chrono::steady_clock::now() - since).count();
}

// Per-call cost of enumerating every subkey of `key` by index, then every
// value of the first `valueKeys` subkeys.
double WalkNanosPerCall(HKEY key, long* calls) {
    auto start = std::chrono::steady_clock::now();
    *calls = 0;
    CHAR name[256];
    for (DWORD i = 0;; ++i) {
        DWORD size = sizeof name;
        ++*calls;
        if (RegEnumKeyExA(key, i, name, &size, nullptr, nullptr, nullptr, nullptr) != ERROR_SUCCESS) break;
        HKEY child;
        if (RegOpenKeyExA(key, name, 0, KEY_READ, &child) != ERROR_SUCCESS) continue;
        for (DWORD v = 0;; ++v) {
            CHAR valueName[256];
            BYTE data[64];
            DWORD nameSize = sizeof valueName, dataSize = sizeof data, type;
            ++*calls;
            if (RegEnumValueA(child, v, valueName, &nameSize, nullptr, &type, data, &dataSize) != ERROR_SUCCESS)
                break;
        }
        RegCloseKey(child);
    }
    return Seconds(start) * 1e9 / static_cast<double>(*calls);
}

HKEY Build(const char* path, int keys, int valuesPerKey) {
    HKEY root;
    RegCreateKeyExA(HKEY_CURRENT_USER, path, 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, &root, nullptr);
    for (int k = 0; k < keys; ++k) {
        char name[32];
        std::snprintf(name, sizeof name, "Key%05d", (k * 7919) % keys);
        HKEY key;
        RegCreateKeyExA(root, name, 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, &key, nullptr);
        for (int v = 0; v < valuesPerKey; ++v) {
            char valueName[32];
            std::snprintf(valueName, sizeof valueName, "Value%d", v);
            DWORD data = static_cast<DWORD>(k * valuesPerKey + v);
            RegSetValueExA(key, valueName, 0, REG_DWORD, reinterpret_cast<const BYTE*>(&data), sizeof data);
        }
        RegCloseKey(key);
    }
    return root;
}

}  // namespace

int main() {
    sim::Reset();
    auto start = std::chrono::steady_clock::now();
    HKEY big = Build("Software\\Big", 20000, 5);
    double buildSeconds = Seconds(start);
    HKEY small = Build("Software\\Small", 200, 5);

    long bigCalls = 0, smallCalls = 0;
    double bigNs = WalkNanosPerCall(big, &bigCalls);
    double smallNs = WalkNanosPerCall(small, &smallCalls);
    RegCloseKey(big);
    RegCloseKey(small);

    std::printf("build 20,000 keys / 100,000 values: %.3f s\n", buildSeconds);
    std::printf("walk by index, 20,000 keys: %ld calls, %.0f ns per call\n", bigCalls, bigNs);
    std::printf("walk by index,    200 keys: %ld calls, %.0f ns per call (peer)\n", smallCalls, smallNs);
    std::printf("per-call ratio big/peer: %.2f (near 1 when enumeration does not grow with n)\n", bigNs / smallNs);
    std::printf("open keys left: %d\n", sim::OpenKeyCount());
    return sim::OpenKeyCount() == 0 ? 0 : 1;
}
