// The simulation's own surface: fault injection, leak counters, path mapping
// and the configurable machine. These have no Wine twin.
#include <sys/stat.h>

#include <cstring>
#include <string>

#include "testenv.h"

namespace {

using SimControl = BrvTest;

bool HostExists(const std::string& hostPath) {
    struct stat st;
    return stat(hostPath.c_str(), &st) == 0;
}

LONG OpenAndClose(HKEY parent, const std::string& path, REGSAM access = KEY_READ) {
    HKEY key;
    LONG rc = RegOpenKeyExA(parent, path.c_str(), 0, access, &key);
    if (rc == ERROR_SUCCESS) RegCloseKey(key);
    return rc;
}

TEST_F(SimControl, FailCallHitsOnlyTheNthCall) {
    sim::RegPutKey(RootPath() + "\\k");
    sim::FailCall("RegOpenKeyExA", 2, ERROR_ACCESS_DENIED);
    EXPECT_EQ(OpenAndClose(Root(), "k"), ERROR_SUCCESS);
    EXPECT_EQ(OpenAndClose(Root(), "k"), ERROR_ACCESS_DENIED);
    EXPECT_EQ(OpenAndClose(Root(), "k"), ERROR_SUCCESS);
    EXPECT_EQ(sim::CallCount("RegOpenKeyExA"), 3);
    EXPECT_EQ(sim::CallCount("RegCloseKey"), 2);
    EXPECT_EQ(sim::CallCount("RegDeleteKeyA"), 0);
}

TEST_F(SimControl, SubjectsCountOnlyMatchingCalls) {
    sim::RegPutKey(RootPath() + "\\Other");
    sim::RegPutKey(RootPath() + "\\Target");
    sim::RegPutKey(RootPath() + "\\NotTarget");
    // Whole trailing components, case-insensitively; the full path also matches.
    sim::FailCall("RegOpenKeyExA", 2, ERROR_CANTREAD, "target");
    EXPECT_EQ(OpenAndClose(Root(), "Other"), ERROR_SUCCESS);
    EXPECT_EQ(OpenAndClose(Root(), "NotTarget"), ERROR_SUCCESS);
    EXPECT_EQ(OpenAndClose(Root(), "Target"), ERROR_SUCCESS);  // first match
    EXPECT_EQ(OpenAndClose(Root(), "Target"), ERROR_CANTREAD);
    sim::FailCall("RegOpenKeyExA", 1, ERROR_BADKEY, RootPath() + "\\Other");
    EXPECT_EQ(OpenAndClose(RootParent(), RootSubPath() + "\\Other"), ERROR_BADKEY);
}

TEST_F(SimControl, ValueCallsNameTheValueInTheSubject) {
    ASSERT_EQ(RegSetValueExA(Root(), "Name", 0, REG_BINARY, reinterpret_cast<const BYTE*>("x"), 1), ERROR_SUCCESS);
    sim::FailCall("RegQueryValueExA", 1, ERROR_CANTREAD, RootSubPath().substr(9) + "\\name");
    DWORD size = 0;
    EXPECT_EQ(RegQueryValueExA(Root(), "Name", nullptr, nullptr, nullptr, &size), ERROR_CANTREAD);
    EXPECT_EQ(RegQueryValueExA(Root(), "Name", nullptr, nullptr, nullptr, &size), ERROR_SUCCESS);
    sim::FailCall("RegSetValueExA", 1, ERROR_CANTWRITE, "Other");
    EXPECT_EQ(RegSetValueExA(Root(), "Name", 0, REG_BINARY, reinterpret_cast<const BYTE*>("y"), 1), ERROR_SUCCESS);
}

TEST_F(SimControl, FailCallsFromIsPersistent) {
    sim::FailCallsFrom("CreateDirectoryA", 2, ERROR_DISK_FULL);
    EXPECT_TRUE(CreateDirectoryA((Dir() + "a").c_str(), nullptr));
    for (const char* name : {"b", "c", "d"}) {
        SetLastError(0);
        EXPECT_FALSE(CreateDirectoryA((Dir() + name).c_str(), nullptr));
        EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_DISK_FULL));
    }
    EXPECT_FALSE(HostExists(sim::HostPath(Dir() + "b")));  // a failed call changes nothing
    EXPECT_EQ(sim::CallCount("CreateDirectoryA"), 4);
}

TEST_F(SimControl, FileFaultsSetTheLastErrorAndHandleCallsUseTheOpenedPath) {
    sim::FailCall("CreateFileA", 1, ERROR_SHARING_VIOLATION, "locked.txt");
    EXPECT_EQ(CreateFileA((Dir() + "locked.txt").c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr),
              INVALID_HANDLE_VALUE);
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_SHARING_VIOLATION));

    sim::FailCall("WriteFile", 1, ERROR_DISK_FULL, "out.bin");
    HANDLE other = CreateFileA((Dir() + "other.bin").c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
    HANDLE out = CreateFileA((Dir() + "out.bin").c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
    ASSERT_NE(out, INVALID_HANDLE_VALUE);
    DWORD written = 99;
    EXPECT_TRUE(WriteFile(other, "abc", 3, &written, nullptr));
    EXPECT_FALSE(WriteFile(out, "abc", 3, &written, nullptr));
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_DISK_FULL));
    EXPECT_EQ(written, 0u);
    EXPECT_TRUE(WriteFile(out, "abc", 3, &written, nullptr));
    CloseHandle(out);
    CloseHandle(other);
    EXPECT_EQ(ReadBytes(Dir() + "out.bin"), "abc");

    sim::FailCall("FindFirstFileA", 1, ERROR_ACCESS_DENIED);
    WIN32_FIND_DATAA data;
    EXPECT_EQ(FindFirstFileA((Dir() + "*").c_str(), &data), INVALID_HANDLE_VALUE);
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_ACCESS_DENIED));
}

TEST_F(SimControl, HeapAndMessageFaults) {
    sim::FailCall("HeapAlloc", 1, ERROR_NOT_ENOUGH_MEMORY);
    EXPECT_EQ(HeapAlloc(GetProcessHeap(), 0, 16), nullptr);
    EXPECT_EQ(sim::HeapBlockCount(), 0);
    sim::FailCall("FormatMessageA", 1, ERROR_NOT_ENOUGH_MEMORY);
    LPSTR text = nullptr;
    EXPECT_EQ(FormatMessageA(FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_ALLOCATE_BUFFER |
                                 FORMAT_MESSAGE_IGNORE_INSERTS,
                             nullptr, 2, 0, reinterpret_cast<LPSTR>(&text), 0, nullptr),
              0u);
    EXPECT_EQ(text, nullptr);
    EXPECT_EQ(sim::LocalBlockCount(), 0);
    sim::FailCall("GetTempPathA", 1, ERROR_ACCESS_DENIED);
    CHAR path[MAX_PATH];
    EXPECT_EQ(GetTempPathA(MAX_PATH, path), 0u);
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_ACCESS_DENIED));
}

TEST_F(SimControl, LeakCountersFollowEveryKindOfResource) {
    EXPECT_EQ(sim::OpenKeyCount(), 1);  // the fixture's own key
    HKEY key;
    ASSERT_EQ(RegCreateKeyExA(Root(), "k", 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, &key, nullptr), ERROR_SUCCESS);
    EXPECT_EQ(sim::OpenKeyCount(), 2);
    RegCloseKey(key);
    EXPECT_EQ(sim::OpenKeyCount(), 1);

    HANDLE file = CreateFileA((Dir() + "f").c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
    WIN32_FIND_DATAA data;
    HANDLE find = FindFirstFileA((Dir() + "*").c_str(), &data);
    HANDLE token;
    ASSERT_TRUE(OpenProcessToken(GetCurrentProcess(), TOKEN_QUERY, &token));
    EXPECT_EQ(sim::OpenHandleCount(), 3);
    CloseHandle(file);
    FindClose(find);
    CloseHandle(token);
    EXPECT_EQ(sim::OpenHandleCount(), 0);

    void* block = HeapAlloc(GetProcessHeap(), 0, 10);
    EXPECT_EQ(sim::HeapBlockCount(), 1);
    HeapFree(GetProcessHeap(), 0, block);
    EXPECT_EQ(sim::HeapBlockCount(), 0);

    LPSTR text = nullptr;
    FormatMessageA(FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_ALLOCATE_BUFFER | FORMAT_MESSAGE_IGNORE_INSERTS,
                   nullptr, 5, 0, reinterpret_cast<LPSTR>(&text), 0, nullptr);
    EXPECT_EQ(sim::LocalBlockCount(), 1);
    LocalFree(text);
    EXPECT_EQ(sim::LocalBlockCount(), 0);
}

TEST_F(SimControl, WindowsPathsMapOntoThePrivateRoot) {
    const std::string root = sim::HostRoot();
    EXPECT_EQ(sim::HostPath("C:\\a\\b.txt"), root + "/a/b.txt");
    EXPECT_EQ(sim::HostPath("c:/a/./x/../b.txt"), root + "/a/b.txt");
    EXPECT_EQ(sim::HostPath("C:\\"), root);
    EXPECT_EQ(sim::HostPath("D:\\data"), root.substr(0, root.size() - 1) + "D/data");
    EXPECT_EQ(sim::HostPath("/tmp/host/file"), "/tmp/host/file");
    WriteBytes(Dir() + "seen.txt", "bytes");
    EXPECT_TRUE(HostExists(sim::HostPath(Dir() + "seen.txt")));
    // Components keep their exact case.
    EXPECT_FALSE(FileExists(Dir() + "SEEN.TXT"));
}

// Without the fixture: it resets the machine itself.
TEST(SimReset, ResetEmptiesTheMachineAndMakesANewRoot) {
    sim::Reset();
    const std::string oldRoot = sim::HostRoot();
    ASSERT_TRUE(CreateDirectoryA("C:\\Data", nullptr));
    HANDLE file = CreateFileA("C:\\Data\\f", GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
    ASSERT_NE(file, INVALID_HANDLE_VALUE);
    HKEY key;
    ASSERT_EQ(RegCreateKeyExA(HKEY_LOCAL_MACHINE, "Software\\X", 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, &key, nullptr),
              ERROR_SUCCESS);
    HeapAlloc(GetProcessHeap(), 0, 8);
    sim::FailCallsFrom("RegOpenKeyExA", 1, ERROR_BADKEY);
    sim::SetUserName("someone");
    SetLastError(5);

    sim::Reset();
    EXPECT_NE(sim::HostRoot(), oldRoot);
    EXPECT_FALSE(HostExists(oldRoot));
    EXPECT_TRUE(HostExists(sim::HostRoot()));
    EXPECT_EQ(sim::OpenKeyCount() + sim::OpenHandleCount() + sim::HeapBlockCount(), 0);
    EXPECT_EQ(GetLastError(), 0u);
    EXPECT_FALSE(sim::RegHasKey("HKEY_LOCAL_MACHINE\\Software\\X"));
    EXPECT_EQ(GetFileAttributesA("C:\\Data"), INVALID_FILE_ATTRIBUTES);
    EXPECT_EQ(GetFileAttributesA("C:\\Users"), INVALID_FILE_ATTRIBUTES);  // not even the temporary folder
    EXPECT_EQ(OpenAndClose(HKEY_LOCAL_MACHINE, ""), ERROR_SUCCESS);       // the fault is gone
    EXPECT_EQ(sim::CallCount("RegOpenKeyExA"), 1);
    CHAR name[64];
    DWORD size = sizeof name;
    ASSERT_TRUE(GetUserNameA(name, &size));
    EXPECT_STREQ(name, "tester");
    CHAR temp[MAX_PATH];
    GetTempPathA(MAX_PATH, temp);
    EXPECT_STREQ(temp, "C:\\Users\\tester\\Temp\\");
    EXPECT_STREQ(GetCommandLineA(), "brelvane.exe");
}

TEST_F(SimControl, HeldFilesBlockLikeAnotherProcess) {
    const std::string path = Dir() + "held";
    HANDLE held = sim::HoldFileOpen(path, FILE_SHARE_READ);
    ASSERT_NE(held, INVALID_HANDLE_VALUE);
    EXPECT_EQ(sim::OpenHandleCount(), 0);  // not this process's
    EXPECT_EQ(CreateFileA(path.c_str(), GENERIC_READ | GENERIC_WRITE, 0, nullptr, OPEN_ALWAYS, 0, nullptr),
              INVALID_HANDLE_VALUE);
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_SHARING_VIOLATION));
    // A reader that lets the holder keep writing gets in.
    HANDLE reader = CreateFileA(path.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                                OPEN_EXISTING, 0, nullptr);
    EXPECT_NE(reader, INVALID_HANDLE_VALUE);
    CloseHandle(reader);
    EXPECT_FALSE(DeleteFileA(path.c_str()));
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_SHARING_VIOLATION));
    EXPECT_TRUE(CloseHandle(held));
    EXPECT_TRUE(DeleteFileA(path.c_str()));
}

// Off, a path of MAX_PATH bytes is taken as Wine takes it; on, only up to
// MAX_PATH - 1 bytes, as Windows.
TEST_F(SimControl, AnsiPathLimit) {
    const std::string longest = Dir() + std::string(MAX_PATH - 1 - Dir().size(), 'n');
    const std::string tooLong = longest + "x";
    WriteBytes(tooLong, "x");
    sim::LimitAnsiPaths();
    WriteBytes(longest, "fits");
    EXPECT_EQ(CreateFileA(tooLong.c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING, 0, nullptr), INVALID_HANDLE_VALUE);
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_FILENAME_EXCED_RANGE));
    EXPECT_FALSE(DeleteFileA(tooLong.c_str()));
    EXPECT_FALSE(MoveFileExA(longest.c_str(), tooLong.c_str(), MOVEFILE_REPLACE_EXISTING));
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_FILENAME_EXCED_RANGE));
    EXPECT_EQ(ReadBytes(longest), "fits");
}

TEST_F(SimControl, SetUpHelpersAndDeniedAccess) {
    const std::string path = RootPath() + "\\Locked";
    sim::RegPut(path, "v", REG_BINARY, std::string("\x00\x01", 2));
    EXPECT_TRUE(sim::RegHasKey(path));
    EXPECT_TRUE(sim::RegHasKey(RootPath() + "\\LOCKED"));
    BYTE data[4];
    DWORD size = sizeof data;
    HKEY key;
    ASSERT_EQ(RegOpenKeyExA(Root(), "Locked", 0, KEY_READ, &key), ERROR_SUCCESS);
    EXPECT_EQ(RegQueryValueExA(key, "v", nullptr, nullptr, data, &size), ERROR_SUCCESS);
    EXPECT_EQ(size, 2u);
    RegCloseKey(key);
    EXPECT_EQ(sim::CallCount("RegQueryValueExA"), 1);  // the helpers themselves are not counted

    sim::RegDenyAccess(path, KEY_SET_VALUE);
    EXPECT_EQ(OpenAndClose(Root(), "Locked", KEY_READ), ERROR_SUCCESS);
    EXPECT_EQ(OpenAndClose(Root(), "Locked", KEY_ALL_ACCESS), ERROR_ACCESS_DENIED);
    EXPECT_EQ(OpenAndClose(Root(), "Locked", KEY_WRITE), ERROR_ACCESS_DENIED);
    sim::RegDenyAccess(path, DELETE);
    sim::RegPutKey(path + "\\Leaf");
    sim::RegDenyAccess(path + "\\Leaf", DELETE);
    EXPECT_EQ(RegDeleteKeyA(Root(), "Locked\\Leaf"), ERROR_ACCESS_DENIED);
}

TEST_F(SimControl, CreatingASubkeyNeedsTheRightToDoSo) {
    HKEY readOnly, key;
    ASSERT_EQ(RegOpenKeyExA(RootParent(), RootSubPath().c_str(), 0, KEY_READ, &readOnly), ERROR_SUCCESS);
    EXPECT_EQ(RegCreateKeyExA(readOnly, "new", 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, &key, nullptr),
              ERROR_ACCESS_DENIED);
    EXPECT_FALSE(sim::RegHasKey(RootPath() + "\\new"));
    RegCloseKey(readOnly);
}

// One handle table: a handle of one kind is never taken for another.
TEST_F(SimControl, HandlesOfOneKindAreNotTakenForAnother) {
    HANDLE file = CreateFileA((Dir() + "f").c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
    ASSERT_NE(file, INVALID_HANDLE_VALUE);
    EXPECT_EQ(RegCloseKey(reinterpret_cast<HKEY>(file)), ERROR_INVALID_HANDLE);
    EXPECT_FALSE(CloseHandle(reinterpret_cast<HANDLE>(Root())));
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_INVALID_HANDLE));
    WIN32_FIND_DATAA data;
    HANDLE find = FindFirstFileA((Dir() + "*").c_str(), &data);
    ASSERT_NE(find, INVALID_HANDLE_VALUE);
    EXPECT_FALSE(CloseHandle(find));  // a search ends with FindClose
    EXPECT_FALSE(FindClose(file));
    EXPECT_TRUE(FindClose(find));
    EXPECT_TRUE(CloseHandle(file));
}

TEST_F(SimControl, MachineConfiguration) {
    sim::SetVersion(VER_PLATFORM_WIN32_WINDOWS, 4, 90);
    OSVERSIONINFOA info;
    info.dwOSVersionInfoSize = sizeof info;
    ASSERT_TRUE(GetVersionExA(&info));
    EXPECT_EQ(info.dwPlatformId, static_cast<DWORD>(VER_PLATFORM_WIN32_WINDOWS));
    EXPECT_EQ(info.dwMajorVersion, 4u);
    EXPECT_EQ(info.dwMinorVersion, 90u);

    sim::SetUserName("\x93\xfa\x96\x7b");
    sim::SetComputerName("HOST");
    CHAR name[64];
    DWORD size = sizeof name;
    ASSERT_TRUE(GetUserNameA(name, &size));
    EXPECT_STREQ(name, "\x93\xfa\x96\x7b");
    size = sizeof name;
    ASSERT_TRUE(GetComputerNameA(name, &size));
    EXPECT_STREQ(name, "HOST");

    sim::SetCommandLine("brelvane.exe \"C:\\a b.ies\" /ies");
    EXPECT_STREQ(GetCommandLineA(), "brelvane.exe \"C:\\a b.ies\" /ies");
    sim::SetModuleFileName("C:\\Tools\\brelvane.exe");
    CHAR module[MAX_PATH];
    EXPECT_EQ(GetModuleFileNameA(nullptr, module, MAX_PATH), 21u);
    EXPECT_STREQ(module, "C:\\Tools\\brelvane.exe");
    std::memset(module, 'x', sizeof module);
    EXPECT_EQ(GetModuleFileNameA(nullptr, module, 5), 5u);  // cut, without a NUL
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_INSUFFICIENT_BUFFER));
    EXPECT_EQ(std::string(module, 6), "C:\\Tox");
    sim::SetTempPath("D:\\Temp\\");
    EXPECT_EQ(GetTempPathA(MAX_PATH, module), 8u);
    EXPECT_STREQ(module, "D:\\Temp\\");
}

void EnableShutdown() {
    HANDLE token;
    ASSERT_TRUE(OpenProcessToken(GetCurrentProcess(), TOKEN_ADJUST_PRIVILEGES | TOKEN_QUERY, &token));
    TOKEN_PRIVILEGES privileges;
    privileges.PrivilegeCount = 1;
    ASSERT_TRUE(LookupPrivilegeValueA(nullptr, SE_SHUTDOWN_NAME, &privileges.Privileges[0].Luid));
    privileges.Privileges[0].Attributes = SE_PRIVILEGE_ENABLED;
    EXPECT_TRUE(AdjustTokenPrivileges(token, FALSE, &privileges, 0, nullptr, nullptr));
    CloseHandle(token);
}

TEST_F(SimControl, ShutdownNeedsTheEnabledPrivilege) {
    EXPECT_FALSE(ExitWindowsEx(EWX_REBOOT, 0));
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_PRIVILEGE_NOT_HELD));
    EnableShutdown();
    EXPECT_EQ(GetLastError(), 0u);
    EXPECT_TRUE(ExitWindowsEx(EWX_REBOOT, 0));
    EXPECT_EQ(sim::ExitWindowsCalls(), std::vector<UINT>{EWX_REBOOT});
}

TEST_F(SimControl, WithoutThePrivilegeAdjustingSucceedsButAssignsNothing) {
    sim::SetShutdownPrivilegeHeld(false);
    EnableShutdown();
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_NOT_ALL_ASSIGNED));
    EXPECT_FALSE(ExitWindowsEx(EWX_SHUTDOWN | EWX_FORCE, 0));
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_PRIVILEGE_NOT_HELD));
    EXPECT_TRUE(sim::ExitWindowsCalls().empty());
}

TEST_F(SimControl, EnumerationByIndexStaysCorrectWhileKeysComeAndGo) {
    for (int i = 0; i < 300; ++i) {
        char name[16];
        std::snprintf(name, sizeof name, "k%03d", (i * 7) % 300);
        sim::RegPutKey(RootPath() + "\\" + name);
    }
    ASSERT_EQ(RegDeleteKeyA(Root(), "k000"), ERROR_SUCCESS);
    CHAR name[16];
    DWORD size = sizeof name;
    ASSERT_EQ(RegEnumKeyExA(Root(), 0, name, &size, nullptr, nullptr, nullptr, nullptr), ERROR_SUCCESS);
    EXPECT_STREQ(name, "k001");
    size = sizeof name;
    ASSERT_EQ(RegEnumKeyExA(Root(), 298, name, &size, nullptr, nullptr, nullptr, nullptr), ERROR_SUCCESS);
    EXPECT_STREQ(name, "k299");
    size = sizeof name;
    EXPECT_EQ(RegEnumKeyExA(Root(), 299, name, &size, nullptr, nullptr, nullptr, nullptr), ERROR_NO_MORE_ITEMS);
}

}  // namespace
