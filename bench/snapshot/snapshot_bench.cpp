// Benchmark of the snapshot writer and loader on a tree shaped like a heavy
// Internet Settings key: 20,000 keys, 100,000 values with names and data of
// realistic sizes. In one run it times
//   - the floor: a bare walk that enumerates every key and value and reads
//     all data, writing nothing;
//   - SaveRegistryTree of the same tree into a scratch directory;
//   - LoadRegistryTree of that snapshot into an empty key;
//   - on Windows, "reg export" of the same key, the system's own peer.
// Each is run `rounds` times (argument 1, default 3); the best time counts.
// Usage: snapshot_bench [rounds]
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "snapshot/registry_clear.h"
#include "snapshot/registry_snapshot.h"
#include "winapi/winapi.h"
#if BRV_SIM
#include "winapi/sim/simctl.h"
#endif

namespace {

const char kBenchPath[] = "Software\\BrelvaneBench";
const char kSourcePath[] = "Software\\BrelvaneBench\\Source";
const char kLoadedPath[] = "Software\\BrelvaneBench\\Loaded";
constexpr int kKeys = 20000;
constexpr int kValuesPerKey = 5;

struct Random {
    uint32_t state = 12345;
    uint32_t Next() {
        state = state * 1664525u + 1013904223u;
        return state >> 8;
    }
    int Between(int low, int high) { return low + static_cast<int>(Next() % static_cast<uint32_t>(high - low + 1)); }
};

std::string Word(Random& random, int length) {
    static const char letters[] = "abcdefghijklmnopqrstuvwxyzABCDEFGHIJKLMNOPQRSTUVWXYZ0123456789";
    std::string s;
    for (int i = 0; i < length; ++i) s += letters[random.Next() % (sizeof letters - 1)];
    return s;
}

HKEY CreateKey(HKEY parent, const std::string& name) {
    HKEY key = nullptr;
    if (RegCreateKeyExA(parent, name.c_str(), 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, &key, nullptr) !=
        ERROR_SUCCESS) {
        std::fprintf(stderr, "cannot create key %s\n", name.c_str());
        std::exit(1);
    }
    return key;
}

// Values of one key: mostly DWORD flags and short strings, some binary
// blobs and a few larger cache records.
void FillValues(HKEY key, Random& random, uint64_t* dataBytes) {
    for (int v = 0; v < kValuesPerKey; ++v) {
        std::string name = v == 0 ? std::string() : Word(random, random.Between(4, 24));
        int kind = random.Between(0, 99);
        std::string data;
        DWORD type;
        if (kind < 50) {
            type = REG_DWORD;
            data.assign(4, '\0');
            uint32_t x = random.Next();
            for (int i = 0; i < 4; ++i) data[i] = static_cast<char>(x >> (8 * i));
        } else if (kind < 80) {
            type = REG_SZ;
            data = Word(random, random.Between(10, 100)) + std::string(1, '\0');
        } else if (kind < 95) {
            type = REG_BINARY;
            data = Word(random, random.Between(8, 64));
        } else {
            type = REG_BINARY;
            data = Word(random, random.Between(256, 2048));
        }
        RegSetValueExA(key, name.c_str(), 0, type, reinterpret_cast<const BYTE*>(data.data()),
                       static_cast<DWORD>(data.size()));
        *dataBytes += data.size();
    }
}

// 1 + 20 + 400 + 19,579 keys: 20 areas of 20 groups, each group holding 48
// or 49 entries named like domains.
uint64_t BuildTree(HKEY source) {
    Random random;
    uint64_t dataBytes = 0;
    FillValues(source, random, &dataBytes);
    int leaves = kKeys - 1 - 20 - 400;
    int group = 0;
    for (int a = 0; a < 20; ++a) {
        HKEY area = CreateKey(source, "Area" + Word(random, random.Between(4, 12)));
        FillValues(area, random, &dataBytes);
        for (int g = 0; g < 20; ++g, ++group) {
            HKEY groupKey = CreateKey(area, "Group" + std::to_string(g) + Word(random, 6));
            FillValues(groupKey, random, &dataBytes);
            int count = leaves / 400 + (group < leaves % 400 ? 1 : 0);
            for (int l = 0; l < count; ++l) {
                HKEY leaf = CreateKey(groupKey, "www." + Word(random, random.Between(5, 20)) + ".example.com");
                FillValues(leaf, random, &dataBytes);
                RegCloseKey(leaf);
            }
            RegCloseKey(groupKey);
        }
        RegCloseKey(area);
    }
    return dataBytes;
}

// The floor: every key and value enumerated, every value's data read, with
// one call per value into a buffer that grows when it must.
struct WalkCounts {
    uint64_t keys = 0, values = 0, bytes = 0;
};

void Walk(HKEY key, std::vector<BYTE>& buffer, WalkCounts& counts) {
    ++counts.keys;
    for (DWORD i = 0;; ++i) {
        CHAR name[256];
        DWORD nameLength = sizeof name;
        FILETIME lastWrite;
        if (RegEnumKeyExA(key, i, name, &nameLength, nullptr, nullptr, nullptr, &lastWrite) != ERROR_SUCCESS) break;
        HKEY subkey = nullptr;
        if (RegOpenKeyExA(key, name, 0, KEY_READ, &subkey) != ERROR_SUCCESS) continue;
        Walk(subkey, buffer, counts);
        RegCloseKey(subkey);
    }
    for (DWORD i = 0;;) {
        CHAR name[256];
        DWORD nameLength = sizeof name;
        DWORD type = 0;
        DWORD size = static_cast<DWORD>(buffer.size());
        LONG status = RegEnumValueA(key, i, name, &nameLength, nullptr, &type, buffer.data(), &size);
        if (status == ERROR_MORE_DATA) {
            buffer.resize(size * 2);
            continue;
        }
        if (status != ERROR_SUCCESS) break;
        ++counts.values;
        counts.bytes += size;
        ++i;
    }
}

// The same walk with the calls the writer makes per value: the name alone,
// then a size query and a data query.
void WalkLikeTheWriter(HKEY key, std::vector<BYTE>& buffer, WalkCounts& counts) {
    ++counts.keys;
    for (DWORD i = 0;; ++i) {
        CHAR name[256];
        DWORD nameLength = sizeof name;
        FILETIME lastWrite;
        if (RegEnumKeyExA(key, i, name, &nameLength, nullptr, nullptr, nullptr, &lastWrite) != ERROR_SUCCESS) break;
        HKEY subkey = nullptr;
        if (RegOpenKeyExA(key, name, 0, KEY_READ, &subkey) != ERROR_SUCCESS) continue;
        WalkLikeTheWriter(subkey, buffer, counts);
        RegCloseKey(subkey);
    }
    for (DWORD i = 0;; ++i) {
        CHAR name[256];
        DWORD nameLength = sizeof name;
        if (RegEnumValueA(key, i, name, &nameLength, nullptr, nullptr, nullptr, nullptr) != ERROR_SUCCESS) break;
        DWORD size = 0;
        if (RegQueryValueExA(key, name, nullptr, nullptr, nullptr, &size) != ERROR_SUCCESS) continue;
        if (size > buffer.size()) buffer.resize(size);
        DWORD type = 0;
        if (RegQueryValueExA(key, name, nullptr, &type, buffer.data(), &size) != ERROR_SUCCESS) continue;
        ++counts.values;
        counts.bytes += size;
    }
}

// Creating (and closing) as many new files as the tree has keys, named as
// the writer names them: the part of a save that no registry walk has.
double CreateFiles(const std::string& directory, int count) {
    auto start = std::chrono::steady_clock::now();
    for (int i = 0; i < count; ++i) {
        const std::string path = directory + "files." + std::to_string(i / 1000) + "." + std::to_string(i % 1000);
        HANDLE file =
            CreateFileA(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
        if (file != INVALID_HANDLE_VALUE) CloseHandle(file);
    }
    return std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
}

double Seconds(std::chrono::steady_clock::time_point since) {
    return std::chrono::duration<double>(std::chrono::steady_clock::now() - since).count();
}

// A fresh folder per measurement: on Wine a folder that once held many files
// stays slow to create files in after they are deleted.
std::string FreshDirectory(const std::string& base, const std::string& name, int round) {
    const std::string directory = base + name + std::to_string(round) + "\\";
    CreateDirectoryA(directory.c_str(), nullptr);
    return directory;
}

void EmptyDirectory(const std::string& directory) {
    WIN32_FIND_DATAA entry;
    HANDLE search = FindFirstFileA((directory + "*.*").c_str(), &entry);
    if (search == INVALID_HANDLE_VALUE) return;
    do {
        if (!(entry.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY)) DeleteFileA((directory + entry.cFileName).c_str());
    } while (FindNextFileA(search, &entry));
    FindClose(search);
}

}  // namespace

int main(int argc, char** argv) {
    const int rounds = argc > 1 ? std::atoi(argv[1]) : 3;
#if BRV_SIM
    sim::Reset();
#endif
    CHAR temp[MAX_PATH];
    GetTempPathA(sizeof temp, temp);
    const std::string directory = std::string(temp) + "brvbench\\";
    for (size_t i = 3; i <= directory.size(); ++i)
        if (directory[i - 1] == '\\') CreateDirectoryA(directory.substr(0, i).c_str(), nullptr);
    EmptyDirectory(directory);

    ClearRegistryTree(nullptr, HKEY_CURRENT_USER, kBenchPath);
    HKEY source = CreateKey(HKEY_CURRENT_USER, kSourcePath);
    auto buildStart = std::chrono::steady_clock::now();
    uint64_t dataBytes = BuildTree(source);
    std::printf("tree: %d keys, %d values, %llu data bytes (built in %.2f s)\n", kKeys, kKeys * kValuesPerKey,
                static_cast<unsigned long long>(dataBytes), Seconds(buildStart));

    double floor = 1e30, writerWalk = 1e30, files = 1e30, save = 1e30, load = 1e30, regExport = 1e30;
    std::vector<BYTE> buffer(4096);
    for (int round = 0; round < rounds; ++round) {
        WalkCounts counts;
        auto start = std::chrono::steady_clock::now();
        Walk(source, buffer, counts);
        floor = std::min(floor, Seconds(start));
        if (counts.keys != kKeys || counts.values != static_cast<uint64_t>(kKeys) * kValuesPerKey) {
            std::fprintf(stderr, "walk saw %llu keys and %llu values\n", static_cast<unsigned long long>(counts.keys),
                         static_cast<unsigned long long>(counts.values));
            return 1;
        }

        WalkCounts writerCounts;
        start = std::chrono::steady_clock::now();
        WalkLikeTheWriter(source, buffer, writerCounts);
        writerWalk = std::min(writerWalk, Seconds(start));

        const std::string filesDirectory = FreshDirectory(directory, "files", round);
        files = std::min(files, CreateFiles(filesDirectory, kKeys));
        EmptyDirectory(filesDirectory);
        RemoveDirectoryA(filesDirectory.c_str());

        const std::string saveDirectory = FreshDirectory(directory, "save", round);
        start = std::chrono::steady_clock::now();
        if (!SaveRegistryTree(nullptr, source, "proxy", saveDirectory.c_str())) {
            std::fprintf(stderr, "SaveRegistryTree failed (error %lu)\n", static_cast<unsigned long>(GetLastError()));
            return 1;
        }
        save = std::min(save, Seconds(start));

        ClearRegistryTree(nullptr, HKEY_CURRENT_USER, kLoadedPath);
        HKEY loaded = CreateKey(HKEY_CURRENT_USER, kLoadedPath);
        start = std::chrono::steady_clock::now();
        if (!LoadRegistryTree(nullptr, loaded, "proxy", saveDirectory.c_str())) {
            std::fprintf(stderr, "LoadRegistryTree failed (error %lu)\n", static_cast<unsigned long>(GetLastError()));
            return 1;
        }
        load = std::min(load, Seconds(start));
        RegCloseKey(loaded);
        EmptyDirectory(saveDirectory);
        RemoveDirectoryA(saveDirectory.c_str());

#ifdef _WIN32
        const std::string command = "reg export HKCU\\" + std::string(kSourcePath) + " \"" + directory +
                                    "export.reg\" /y >NUL 2>&1";
        start = std::chrono::steady_clock::now();
        int exitCode = std::system(command.c_str());
        regExport = std::min(regExport, Seconds(start));
        if (exitCode != 0) std::fprintf(stderr, "reg export exited with %d\n", exitCode);
#endif
    }
    RegCloseKey(source);

    std::printf("floor (bare walk)   %8.3f s\n", floor);
    std::printf("walk, writer's calls%8.3f s   (enumerate name, size query, data query per value) = %.2f x floor\n",
                writerWalk, writerWalk / floor);
    std::printf("%d new files    %8.3f s   (create and close only) = %.2f x floor\n", kKeys, files, files / floor);
    std::printf("SaveRegistryTree    %8.3f s   save/floor = %.2f\n", save, save / floor);
    std::printf("LoadRegistryTree    %8.3f s   load/floor = %.2f\n", load, load / floor);
#ifdef _WIN32
    std::printf("reg export          %8.3f s   save/reg export = %.2f   load/reg export = %.2f\n", regExport,
                save / regExport, load / regExport);
#else
    (void)regExport;
#endif
    ClearRegistryTree(nullptr, HKEY_CURRENT_USER, kBenchPath);
    EmptyDirectory(directory);
    RemoveDirectoryA(directory.c_str());
    return 0;
}
