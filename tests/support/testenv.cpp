#include "testenv.h"

#include <algorithm>
#include <cstdio>

#ifdef _WIN32
#include <process.h>
#else
#include <unistd.h>
#endif

namespace {

int ProcessId() {
#ifdef _WIN32
    return _getpid();
#else
    return static_cast<int>(getpid());
#endif
}

int nextTestNumber = 0;

// Removes a key's subkeys and values from the bottom up, then the key.
void RemoveKeyTree(HKEY parent, const std::string& subPath) {
    HKEY key;
    if (RegOpenKeyExA(parent, subPath.c_str(), 0, KEY_ALL_ACCESS, &key) != ERROR_SUCCESS) return;
    std::vector<std::string> children;
    for (DWORD i = 0;; ++i) {
        CHAR name[1024];
        DWORD size = sizeof name;
        if (RegEnumKeyExA(key, i, name, &size, nullptr, nullptr, nullptr, nullptr) != ERROR_SUCCESS) break;
        children.emplace_back(name, size);
    }
    for (const std::string& child : children) RemoveKeyTree(key, child);
    RegCloseKey(key);
    RegDeleteKeyA(parent, subPath.c_str());
}

void DeleteFolderTree(const std::string& dir) {
    WIN32_FIND_DATAA data;
    HANDLE find = FindFirstFileA((dir + "*").c_str(), &data);
    if (find != INVALID_HANDLE_VALUE) {
        do {
            std::string name = data.cFileName;
            if (name == "." || name == "..") continue;
            std::string path = dir + name;
            if (data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) {
                DeleteFolderTree(path + "\\");
            } else {
                SetFileAttributesA(path.c_str(), FILE_ATTRIBUTE_NORMAL);
                DeleteFileA(path.c_str());
            }
        } while (FindNextFileA(find, &data));
        FindClose(find);
    }
    RemoveDirectoryA(dir.c_str());
}

}  // namespace

void BrvTest::SetUp() {
#if BRV_SIM
    sim::Reset();
#endif
    int number = nextTestNumber++;
    CHAR name[64];
    std::snprintf(name, sizeof name, "brvtest-%d-%d\\", ProcessId(), number);
#if BRV_SIM
    // The simulated drive starts empty (not even the temporary folder, which
    // tests of start-up make themselves), so the scratch folder sits apart.
    dir_ = std::string("C:\\") + name;
#else
    CHAR temp[MAX_PATH];
    DWORD length = GetTempPathA(MAX_PATH, temp);
    ASSERT_GT(length, 0u);
    ASSERT_LT(length, static_cast<DWORD>(MAX_PATH));
    dir_ = std::string(temp) + name;
#endif
    DeleteFolderTree(dir_);
    ASSERT_TRUE(CreateDirectoryA(dir_.c_str(), nullptr)) << dir_ << " error " << GetLastError();

    std::snprintf(name, sizeof name, "%d-%d", ProcessId(), number);
    rootSubPath_ = std::string("Software\\BrelvaneTest\\") + name;
    rootPath_ = "HKEY_CURRENT_USER\\" + rootSubPath_;
    RemoveKeyTree(HKEY_CURRENT_USER, rootSubPath_);
    DWORD disposition = 0;
    LONG rc = RegCreateKeyExA(HKEY_CURRENT_USER, rootSubPath_.c_str(), 0, nullptr, REG_OPTION_NON_VOLATILE,
                              KEY_ALL_ACCESS, nullptr, &root_, &disposition);
    ASSERT_EQ(rc, ERROR_SUCCESS) << rootPath_;
    SetLastError(ERROR_SUCCESS);
#if BRV_SIM
    // The test counts its own calls, not the fixture's.
    sim::ForgetCallCounts();
#endif
}

void BrvTest::TearDown() {
#if BRV_SIM
    // A fault the test left armed must not hit the fixture's own calls.
    sim::ClearFaults();
#endif
    if (root_) {
        EXPECT_EQ(RegCloseKey(root_), ERROR_SUCCESS);
        root_ = nullptr;
    }
#if BRV_SIM
    EXPECT_EQ(sim::OpenKeyCount(), 0) << "registry keys left open";
    EXPECT_EQ(sim::OpenHandleCount(), 0) << "file, search or token handles left open";
    EXPECT_EQ(sim::HeapBlockCount(), 0) << "heap blocks not freed";
    EXPECT_EQ(sim::LocalBlockCount(), 0) << "FormatMessageA buffers not freed";
#else
    if (!rootSubPath_.empty()) {
        RemoveKeyTree(HKEY_CURRENT_USER, rootSubPath_);
        RegDeleteKeyA(HKEY_CURRENT_USER, "Software\\BrelvaneTest");  // only when no other test uses it
    }
    if (!dir_.empty()) DeleteFolderTree(dir_);
#endif
}

std::string BrvTest::ReadBytes(const std::string& windowsPath) {
    HANDLE file = CreateFileA(windowsPath.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING,
                              FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE) {
        ADD_FAILURE() << "cannot open " << windowsPath << " (error " << GetLastError() << ")";
        return "";
    }
    std::string bytes;
    CHAR chunk[65536];
    for (;;) {
        DWORD got = 0;
        if (!ReadFile(file, chunk, sizeof chunk, &got, nullptr)) {
            ADD_FAILURE() << "cannot read " << windowsPath << " (error " << GetLastError() << ")";
            break;
        }
        if (got == 0) break;
        bytes.append(chunk, got);
    }
    CloseHandle(file);
    return bytes;
}

void BrvTest::WriteBytes(const std::string& windowsPath, const std::string& bytes) {
    HANDLE file = CreateFileA(windowsPath.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL,
                              nullptr);
    if (file == INVALID_HANDLE_VALUE) {
        ADD_FAILURE() << "cannot create " << windowsPath << " (error " << GetLastError() << ")";
        return;
    }
    DWORD written = 0;
    if (!bytes.empty() && (!WriteFile(file, bytes.data(), static_cast<DWORD>(bytes.size()), &written, nullptr) ||
                           written != bytes.size()))
        ADD_FAILURE() << "cannot write " << windowsPath << " (error " << GetLastError() << ")";
    CloseHandle(file);
}

bool BrvTest::FileExists(const std::string& windowsPath) {
    DWORD attributes = GetFileAttributesA(windowsPath.c_str());
    return attributes != INVALID_FILE_ATTRIBUTES && !(attributes & FILE_ATTRIBUTE_DIRECTORY);
}

std::vector<std::string> BrvTest::ListFiles(const std::string& windowsDir) {
    std::vector<std::string> names;
    std::string pattern = windowsDir;
    if (!pattern.empty() && pattern.back() != '\\') pattern += '\\';
    pattern += "*";
    WIN32_FIND_DATAA data;
    HANDLE find = FindFirstFileA(pattern.c_str(), &data);
    if (find == INVALID_HANDLE_VALUE) return names;
    do {
        if (!(data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY)) names.push_back(data.cFileName);
    } while (FindNextFileA(find, &data));
    FindClose(find);
    std::sort(names.begin(), names.end());
    return names;
}

RegTree BrvTest::DumpTree(HKEY key) {
    RegTree tree;
    std::string data(256, '\0');
    for (DWORD i = 0;; ++i) {
        CHAR name[16384];
        DWORD nameSize = sizeof name;
        DWORD type = 0;
        DWORD size = static_cast<DWORD>(data.size());
        LONG rc = RegEnumValueA(key, i, name, &nameSize, nullptr, &type, reinterpret_cast<BYTE*>(&data[0]), &size);
        if (rc == ERROR_MORE_DATA && size > data.size()) {
            data.resize(size);
            --i;
            continue;
        }
        if (rc == ERROR_NO_MORE_ITEMS) break;
        if (rc != ERROR_SUCCESS) {
            ADD_FAILURE() << "RegEnumValueA failed with " << rc;
            break;
        }
        tree.values.push_back(RegValue{std::string(name, nameSize), type, data.substr(0, size)});
    }
    for (DWORD i = 0;; ++i) {
        CHAR name[1024];
        DWORD nameSize = sizeof name;
        LONG rc = RegEnumKeyExA(key, i, name, &nameSize, nullptr, nullptr, nullptr, nullptr);
        if (rc == ERROR_NO_MORE_ITEMS) break;
        if (rc != ERROR_SUCCESS) {
            ADD_FAILURE() << "RegEnumKeyExA failed with " << rc;
            break;
        }
        HKEY sub;
        rc = RegOpenKeyExA(key, name, 0, KEY_READ, &sub);
        if (rc != ERROR_SUCCESS) {
            ADD_FAILURE() << "RegOpenKeyExA " << name << " failed with " << rc;
            continue;
        }
        tree.subkeys.emplace_back(std::string(name, nameSize), DumpTree(sub));
        RegCloseKey(sub);
    }
    return tree;
}

void BrvTest::BuildTree(HKEY key, const RegTree& tree) {
    for (const RegValue& v : tree.values) {
        LONG rc = RegSetValueExA(key, v.name.c_str(), 0, v.type, reinterpret_cast<const BYTE*>(v.data.data()),
                                 static_cast<DWORD>(v.data.size()));
        EXPECT_EQ(rc, ERROR_SUCCESS) << "RegSetValueExA " << v.name;
    }
    for (const auto& sub : tree.subkeys) {
        HKEY child;
        LONG rc = RegCreateKeyExA(key, sub.first.c_str(), 0, nullptr, REG_OPTION_NON_VOLATILE, KEY_ALL_ACCESS, nullptr,
                                  &child, nullptr);
        if (rc != ERROR_SUCCESS) {
            ADD_FAILURE() << "RegCreateKeyExA " << sub.first << " failed with " << rc;
            continue;
        }
        BuildTree(child, sub.second);
        RegCloseKey(child);
    }
}

namespace {

void PrintBytes(const std::string& bytes, std::ostream* out) {
    static const char digits[] = "0123456789abcdef";
    for (size_t i = 0; i < bytes.size(); ++i) {
        unsigned char c = static_cast<unsigned char>(bytes[i]);
        *out << (i ? " " : "") << digits[c >> 4] << digits[c & 15];
    }
}

void PrintTree(const RegTree& tree, int depth, std::ostream* out) {
    const std::string indent(2 * static_cast<size_t>(depth), ' ');
    for (const RegValue& value : tree.values) {
        *out << "\n" << indent;
        PrintTo(value, out);
    }
    for (const auto& subkey : tree.subkeys) {
        *out << "\n" << indent << "[" << subkey.first << "]";
        PrintTree(subkey.second, depth + 1, out);
    }
}

}  // namespace

void PrintTo(const RegValue& value, std::ostream* out) {
    *out << "\"" << value.name << "\" type " << value.type << ": ";
    PrintBytes(value.data, out);
}

void PrintTo(const RegTree& tree, std::ostream* out) {
    *out << "{";
    PrintTree(tree, 1, out);
    *out << "\n}";
}

std::string ExpectedReport(const std::string& context, DWORD code) {
    LPSTR system = nullptr;
    FormatMessageA(FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS | FORMAT_MESSAGE_ALLOCATE_BUFFER,
                   nullptr, code, MAKELANGID(LANG_NEUTRAL, SUBLANG_DEFAULT), reinterpret_cast<LPSTR>(&system), 0,
                   nullptr);
    std::string systemText = system ? system : "";
    if (system) LocalFree(system);
    return std::string("予期せぬエラーが発生しました。\r\n") + context + "\r\n" + systemText +
           "ほかのプログラムを終了してから、やり直してください。問題が解決しない場合は、システムを再起動してください。";
}

void DeleteKeyTree(HKEY parent, const std::string& subPath) { RemoveKeyTree(parent, subPath); }
