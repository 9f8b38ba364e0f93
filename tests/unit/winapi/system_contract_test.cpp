// Errors, message texts, strings, heap and machine information, checked on
// the simulation and on Wine alike. Expected values are Wine's (Japanese
// locale, code page 932).
#include <cstring>
#include <string>

#include "testenv.h"

namespace {

using SystemContract = BrvTest;

std::string Formatted(const char* format, const std::string& argument, int* result) {
    CHAR out[3000];
    std::memset(out, 0x55, sizeof out);
    *result = wsprintfA(out, format, argument.c_str());
    EXPECT_EQ(out[1024], 0x55) << "wrote past 1,024 bytes";
    return out;
}

TEST_F(SystemContract, WsprintfCutsAt1024Bytes) {
    int result = 0;
    EXPECT_EQ(Formatted("%s", std::string(1021, 'x'), &result).size(), 1021u);
    EXPECT_EQ(result, 1021);
    EXPECT_EQ(Formatted("%s", std::string(1022, 'x'), &result).size(), 1022u);
    EXPECT_EQ(result, 1022);
    // From 1,023 bytes on the text is cut to 1,023 and the result says 1,024.
    EXPECT_EQ(Formatted("%s", std::string(1023, 'x'), &result).size(), 1023u);
    EXPECT_EQ(result, 1024);
    std::string cut = Formatted("ab%sc", std::string(2000, 'x'), &result);
    EXPECT_EQ(cut.size(), 1023u);
    EXPECT_EQ(cut.substr(0, 3), "abx");
    EXPECT_EQ(result, 1024);
}

TEST_F(SystemContract, WsprintfConversions) {
    CHAR out[1024];
    int n = wsprintfA(out, "%d|%u|%x|%X|%c|%%|%ld|%lu|%5d|%-5d|%05d|%s|%.2s|%lx|%i", -5, 4000000000u, 255, 255, 'A',
                      -7, 7u, 42, 42, 42, static_cast<const char*>(nullptr), "abcdef", 0xabc, 3);
    EXPECT_STREQ(out, "-5|4000000000|ff|FF|A|%|-7|7|   42|42   |00042|(null)|ab|abc|3");
    EXPECT_EQ(n, 62);
    n = wsprintfA(out, "%s\xe3\x81\x82", "\x93\xfa");  // cp932 bytes pass through untouched
    EXPECT_STREQ(out, "\x93\xfa\xe3\x81\x82");
    n = wsprintfA(out, "%q%");
    EXPECT_STREQ(out, "q");
    EXPECT_EQ(n, 1);
}

std::string SystemText(DWORD code, DWORD* length, DWORD* error) {
    LPSTR text = nullptr;
    SetLastError(0);
    *length = FormatMessageA(FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_ALLOCATE_BUFFER |
                                 FORMAT_MESSAGE_IGNORE_INSERTS,
                             nullptr, code, 0, reinterpret_cast<LPSTR>(&text), 0, nullptr);
    *error = GetLastError();
    std::string result = text ? std::string(text, *length) : std::string();
    if (text) {
        EXPECT_EQ(LocalFree(text), nullptr);
    }
    return result;
}

TEST_F(SystemContract, FormatMessageGivesATextPerCodeEndingInCrLf) {
    for (DWORD code : {0, 2, 3, 5, 6, 8, 14, 18, 32, 80, 87, 112, 122, 183, 234, 259, 1300, 1314}) {
        DWORD length = 0, error = 0;
        std::string text = SystemText(code, &length, &error);
        ASSERT_GT(length, 2u) << code;
        EXPECT_EQ(text.substr(text.size() - 2), "\r\n") << code;
        EXPECT_EQ(text.find('\0'), std::string::npos) << code;
    }
    DWORD length, error;
    EXPECT_EQ(SystemText(2, &length, &error), "ファイルが見つかりません。\r\n");
    EXPECT_EQ(SystemText(5, &length, &error), "アクセスが拒否されました。\r\n");
    EXPECT_EQ(SystemText(32, &length, &error), "共有違反です。\r\n");
}

TEST_F(SystemContract, FormatMessageOfAnUnknownCodeFailsAndAllocatesNothing) {
    LPSTR text = nullptr;
    DWORD length = FormatMessageA(FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_ALLOCATE_BUFFER |
                                      FORMAT_MESSAGE_IGNORE_INSERTS,
                                  nullptr, 99999, 0, reinterpret_cast<LPSTR>(&text), 0, nullptr);
    EXPECT_EQ(length, 0u);
    EXPECT_EQ(GetLastError(), 317u);  // ERROR_MR_MID_NOT_FOUND
    EXPECT_EQ(text, nullptr);
    CHAR small[4];
    EXPECT_EQ(FormatMessageA(FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS, nullptr, 2, 0, small,
                             sizeof small, nullptr),
              0u);
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_INSUFFICIENT_BUFFER));
}

TEST_F(SystemContract, LastErrorIsKeptUntilSetAgain) {
    SetLastError(1234);
    EXPECT_EQ(GetLastError(), 1234u);
    EXPECT_EQ(GetLastError(), 1234u);
    SetLastError(ERROR_SUCCESS);
    EXPECT_EQ(GetLastError(), 0u);
}

TEST_F(SystemContract, StringFunctionsAreNullSafe) {
    EXPECT_EQ(lstrlenA(nullptr), 0);
    EXPECT_EQ(lstrlenA("\x82\xa0"), 2);
    EXPECT_EQ(lstrcmpA(nullptr, ""), -1);
    EXPECT_EQ(lstrcmpA("a", nullptr), 1);
    EXPECT_EQ(lstrcmpA(nullptr, nullptr), 0);
    EXPECT_EQ(lstrcmpiA("a", "A"), 0);
    EXPECT_EQ(lstrcmpA("a", "A"), -1);
    EXPECT_EQ(lstrcmpA("a", "B"), -1);
    EXPECT_EQ(lstrcmpiA("a", "B"), -1);
    EXPECT_EQ(lstrcmpA("_", "a"), -1);
    EXPECT_EQ(lstrcmpA("a-b", "ab"), 1);
    EXPECT_EQ(lstrcmpA("\x82\xa0", "a"), 1);
    EXPECT_EQ(lstrcmpA("\x83\x41\x83\x41", "\x83\x41\x83\x41"), 0);

    CHAR buffer[8];
    std::memset(buffer, 0x55, sizeof buffer);
    EXPECT_EQ(lstrcpynA(buffer, "abcdef", 4), buffer);
    EXPECT_STREQ(buffer, "abc");
    EXPECT_EQ(buffer[4], 0x55);
    std::memset(buffer, 0x55, sizeof buffer);
    lstrcpynA(buffer, "abcdef", 0);
    EXPECT_EQ(buffer[0], 0x55);
    lstrcpynA(buffer, "abcdef", 1);
    EXPECT_EQ(buffer[0], '\0');
    EXPECT_EQ(lstrcpyA(buffer, "ab"), buffer);
    EXPECT_EQ(lstrcatA(buffer, "cd"), buffer);
    EXPECT_STREQ(buffer, "abcd");
}

TEST_F(SystemContract, HeapBlocks) {
    HANDLE heap = GetProcessHeap();
    ASSERT_NE(heap, nullptr);
    void* empty = HeapAlloc(heap, 0, 0);  // a real block even for no bytes
    ASSERT_NE(empty, nullptr);
    void* zeroed = HeapAlloc(heap, HEAP_ZERO_MEMORY, 64);
    ASSERT_NE(zeroed, nullptr);
    EXPECT_EQ(std::string(static_cast<char*>(zeroed), 64), std::string(64, '\0'));
    EXPECT_TRUE(HeapFree(heap, 0, empty));
    EXPECT_TRUE(HeapFree(heap, 0, zeroed));
    EXPECT_TRUE(HeapFree(heap, 0, nullptr));
}

TEST_F(SystemContract, NamesReportTheSizeTheyNeed) {
    CHAR name[256];
    DWORD size = sizeof name;
    ASSERT_TRUE(GetUserNameA(name, &size));
    DWORD length = static_cast<DWORD>(std::strlen(name));
    EXPECT_EQ(size, length + 1);  // counts the NUL
    size = 1;
    EXPECT_FALSE(GetUserNameA(name, &size));
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_INSUFFICIENT_BUFFER));
    EXPECT_EQ(size, length + 1);

    size = sizeof name;
    ASSERT_TRUE(GetComputerNameA(name, &size));
    length = static_cast<DWORD>(std::strlen(name));
    EXPECT_EQ(size, length);  // does not count the NUL
    size = 1;
    EXPECT_FALSE(GetComputerNameA(name, &size));
    EXPECT_EQ(GetLastError(), 111u);  // ERROR_BUFFER_OVERFLOW
    EXPECT_EQ(size, length + 1);
}

TEST_F(SystemContract, VersionNeedsTheRecordSize) {
    OSVERSIONINFOA info;
    std::memset(&info, 0, sizeof info);
    info.dwOSVersionInfoSize = sizeof info;
    ASSERT_TRUE(GetVersionExA(&info));
    EXPECT_EQ(info.dwPlatformId, static_cast<DWORD>(VER_PLATFORM_WIN32_NT));
    EXPECT_GE(info.dwMajorVersion, 5u);
    info.dwOSVersionInfoSize = 10;
    EXPECT_FALSE(GetVersionExA(&info));
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_INSUFFICIENT_BUFFER));
}

TEST_F(SystemContract, ShutdownPrivilegeCanBeLookedUpAndAdjusted) {
    HANDLE token = nullptr;
    ASSERT_TRUE(OpenProcessToken(GetCurrentProcess(), TOKEN_ADJUST_PRIVILEGES | TOKEN_QUERY, &token));
    TOKEN_PRIVILEGES privileges;
    privileges.PrivilegeCount = 1;
    ASSERT_TRUE(LookupPrivilegeValueA(nullptr, SE_SHUTDOWN_NAME, &privileges.Privileges[0].Luid));
    privileges.Privileges[0].Attributes = SE_PRIVILEGE_ENABLED;
    EXPECT_TRUE(AdjustTokenPrivileges(token, FALSE, &privileges, 0, nullptr, nullptr));
    LUID luid;
    EXPECT_FALSE(LookupPrivilegeValueA(nullptr, "SeNoSuchPrivilege", &luid));
    EXPECT_EQ(GetLastError(), 1313u);  // ERROR_NO_SUCH_PRIVILEGE
    EXPECT_TRUE(CloseHandle(token));
}

// A token opened only for querying cannot be adjusted: the restart prompt
// depends on asking for TOKEN_ADJUST_PRIVILEGES.
TEST_F(SystemContract, TokenOpenedForQueryingCannotBeAdjusted) {
    HANDLE token = nullptr;
    ASSERT_TRUE(OpenProcessToken(GetCurrentProcess(), TOKEN_QUERY, &token));
    TOKEN_PRIVILEGES privileges;
    privileges.PrivilegeCount = 1;
    ASSERT_TRUE(LookupPrivilegeValueA(nullptr, SE_SHUTDOWN_NAME, &privileges.Privileges[0].Luid));
    privileges.Privileges[0].Attributes = SE_PRIVILEGE_ENABLED;
    EXPECT_FALSE(AdjustTokenPrivileges(token, FALSE, &privileges, 0, nullptr, nullptr));
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_ACCESS_DENIED));
    EXPECT_TRUE(CloseHandle(token));
}

}  // namespace
