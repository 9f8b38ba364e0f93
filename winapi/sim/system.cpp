// The simulated system: heap and local blocks, message texts, strings,
// machine information, the process token and shutdown.
#include <cstdarg>
#include <cstdlib>
#include <cstring>
#include <map>
#include <unordered_set>

#include "core_parts.h"
#include "simctl.h"

namespace sim::detail {
namespace {

constexpr DWORD kBufferOverflow = 111;   // ERROR_BUFFER_OVERFLOW
constexpr DWORD kModNotFound = 126;      // ERROR_MOD_NOT_FOUND
constexpr DWORD kProcNotFound = 127;     // ERROR_PROC_NOT_FOUND
constexpr DWORD kMrMidNotFound = 317;    // ERROR_MR_MID_NOT_FOUND
constexpr DWORD kNoSuchPrivilege = 1313; // ERROR_NO_SUCH_PRIVILEGE
constexpr DWORD kShutdownLuid = 19;      // SE_SHUTDOWN_PRIVILEGE

HANDLE const kProcessHeap = reinterpret_cast<HANDLE>(static_cast<uintptr_t>(0x50000));
HANDLE const kCurrentProcess = reinterpret_cast<HANDLE>(static_cast<intptr_t>(-1));

struct Machine {
    std::unordered_set<void*> heapBlocks;
    std::unordered_set<void*> localBlocks;
    std::map<uintptr_t, DWORD> tokens;  // open token handles and the access they were opened with
    OSVERSIONINFOA version;
    std::string userName, computerName, commandLine, moduleFileName;
    bool privilegeHeld = true;
    bool privilegeEnabled = false;
    std::vector<UINT> exitCalls;
};

void DefaultMachine();

// Usable before the first sim::Reset() too.
Machine& M() {
    static Machine machine;
    static bool started = false;
    if (!started) {
        started = true;
        DefaultMachine();
    }
    return machine;
}

// The system texts, worded as Wine words them in Japanese so that a test can
// expect the same text on both; FormatMessageA adds CR LF.
const std::map<DWORD, const char*>& SystemTexts() {
    static const std::map<DWORD, const char*> texts = {
        {0, "処理は成功しました。"},
        {1, "使用できないファンクションです。"},
        {2, "ファイルが見つかりません。"},
        {3, "パスが見つかりません。"},
        {4, "これ以上ファイルを開けません。"},
        {5, "アクセスが拒否されました。"},
        {6, "ハンドルが正しくありません。"},
        {8, "十分なメモリがありません。"},
        {14, "メモリが不足しています。"},
        {18, "これ以上ファイルがありません。"},
        {29, "書き込み違反です。"},
        {30, "読み取り違反です。"},
        {32, "共有違反です。"},
        {33, "ロック違反です。"},
        {38, "ファイルの終端です。"},
        {80, "ファイルはすでに存在します。"},
        {87, "パラメーターは正しくありません。"},
        {112, "ディスクがいっぱいです。"},
        {122, "バッファーが不足しています。"},
        {123, "名前は正しくありません。"},
        {131, "負数シークです。"},
        {145, "ディレクトリは空ではありません。"},
        {183, "ファイルはすでに存在します。"},
        {206, "ファイル名または拡張子が長すぎます。"},
        {234, "さらなるデータがあります。"},
        {259, "これ以上のデータはありません。"},
        {267, "ディレクトリ名が正しくありません。"},
        {998, "メモリ ロケーションへのアクセスが無効です。"},
        {1010, "キーが正しくありません。"},
        {1011, "レジストリ キーを開けません。"},
        {1012, "レジストリ キーを読み取れません。"},
        {1013, "レジストリ キーを書き込めません。"},
        {1018, "キーが削除されました。"},
        {1020, "レジストリ キーにはサブキーがあります。"},
        {1300, "いくつかの特権が割り当てられませんでした。"},
        {1314, "特権がありません。"},
    };
    return texts;
}

void DefaultMachine() {
    Machine& m = M();
    for (void* p : m.heapBlocks) std::free(p);
    for (void* p : m.localBlocks) std::free(p);
    m.heapBlocks.clear();
    m.localBlocks.clear();
    m.tokens.clear();
    std::memset(&m.version, 0, sizeof m.version);
    m.version.dwOSVersionInfoSize = sizeof m.version;
    m.version.dwMajorVersion = 5;
    m.version.dwMinorVersion = 1;
    m.version.dwBuildNumber = 2600;
    m.version.dwPlatformId = VER_PLATFORM_WIN32_NT;
    std::strcpy(m.version.szCSDVersion, "Service Pack 3");
    m.userName = "tester";
    m.computerName = "TESTPC";
    m.commandLine = "brelvane.exe";
    m.moduleFileName = "C:\\Program Files\\Brelvane\\brelvane.exe";
    m.privilegeHeld = true;
    m.privilegeEnabled = false;
    m.exitCalls.clear();
}

BOOL Fail(DWORD code) {
    SetError(code);
    return FALSE;
}

// ---- wsprintfA --------------------------------------------------------------

// Formats like user32's wvsprintfA into at most 1,024 bytes. Integer
// arguments are 32-bit, as a Windows `long` is.
int FormatInto(LPSTR buffer, LPCSTR format, va_list args) {
    constexpr size_t kLimit = 1024;
    std::string out;
    const char* p = format;
    while (*p && out.size() < kLimit) {
        if (*p != '%') {
            out.push_back(*p++);
            continue;
        }
        ++p;
        if (*p == '%') {
            out.push_back(*p++);
            continue;
        }
        bool left = false, zero = false, hash = false;
        for (;; ++p) {
            if (*p == '-') left = true;
            else if (*p == '0') zero = true;
            else if (*p == '#') hash = true;
            else break;
        }
        size_t width = 0;
        while (*p >= '0' && *p <= '9') width = width * 10 + static_cast<size_t>(*p++ - '0');
        bool hasPrecision = false;
        size_t precision = 0;
        if (*p == '.') {
            hasPrecision = true;
            ++p;
            while (*p >= '0' && *p <= '9') precision = precision * 10 + static_cast<size_t>(*p++ - '0');
        }
        bool shortArg = false;
        if (*p == 'l' || *p == 'w') ++p;
        else if (*p == 'h') {
            shortArg = true;
            ++p;
        } else if (p[0] == 'I' && p[1] == '6' && p[2] == '4') {
            p += 3;  // 64-bit arguments are not used by the program; read as 32-bit
        }
        if (*p == '\0') break;
        char type = *p++;
        std::string field;
        std::string prefix;
        switch (type) {
        case 'c':
        case 'C':
            field.push_back(static_cast<char>(va_arg(args, int)));
            break;
        case 's':
        case 'S': {
            const char* s = va_arg(args, const char*);
            if (!s) s = "(null)";
            size_t n = std::strlen(s);
            if (hasPrecision && precision < n) n = precision;
            field.assign(s, n);
            break;
        }
        case 'd':
        case 'i': {
            int v = va_arg(args, int);
            if (shortArg) v = static_cast<short>(v);
            long long wide = v;
            if (wide < 0) {
                prefix = "-";
                wide = -wide;
            }
            field = std::to_string(wide);
            break;
        }
        case 'u':
        case 'x':
        case 'X': {
            unsigned v = va_arg(args, unsigned);
            if (shortArg) v = static_cast<unsigned short>(v);
            if (type == 'u') {
                field = std::to_string(v);
            } else {
                char tmp[16];
                std::snprintf(tmp, sizeof tmp, type == 'x' ? "%x" : "%X", v);
                field = tmp;
                if (hash && v) prefix = type == 'x' ? "0x" : "0X";
            }
            if (hasPrecision && field.size() < precision) field.insert(0, precision - field.size(), '0');
            break;
        }
        default:
            // An unknown conversion prints its letter, as user32 does.
            field.push_back(type);
            break;
        }
        size_t len = prefix.size() + field.size();
        if (width > len && !left) {
            if (zero && type != 's' && type != 'S' && type != 'c' && type != 'C') out += prefix + std::string(width - len, '0') + field;
            else out += std::string(width - len, ' ') + prefix + field;
        } else {
            out += prefix + field;
            if (width > len) out.append(width - len, ' ');
        }
    }
    // 1,023 bytes and the NUL at most; a cut result reports 1,024 (Wine).
    if (out.size() >= kLimit - 1) {
        std::memcpy(buffer, out.data(), kLimit - 1);
        buffer[kLimit - 1] = '\0';
        return static_cast<int>(kLimit);
    }
    std::memcpy(buffer, out.c_str(), out.size() + 1);
    return static_cast<int>(out.size());
}

bool IsSpecial(char c) { return c == '-' || c == '\''; }

int Lower(unsigned char c) { return (c >= 'A' && c <= 'Z') ? c + 32 : c; }

// CompareStringA's word sort, roughly: letters without regard to case with
// hyphens and apostrophes ignored, then case (lower before upper), then the
// ignored marks (more of them sorts later).
int CompareText(LPCSTR a, LPCSTR b, bool ignoreCase) {
    if (!a || !b) return a ? 1 : (b ? -1 : 0);
    const unsigned char* x = reinterpret_cast<const unsigned char*>(a);
    const unsigned char* y = reinterpret_cast<const unsigned char*>(b);
    int caseOrder = 0;
    for (;;) {
        while (IsSpecial(static_cast<char>(*x))) ++x;
        while (IsSpecial(static_cast<char>(*y))) ++y;
        if (!*x || !*y) break;
        if (Lower(*x) != Lower(*y)) return Lower(*x) < Lower(*y) ? -1 : 1;
        if (!caseOrder && *x != *y) caseOrder = (*x >= 'a' && *x <= 'z') ? -1 : 1;
        ++x;
        ++y;
    }
    if (*x || *y) return *x ? 1 : -1;
    if (!ignoreCase && caseOrder) return caseOrder;
    int marksA = 0, marksB = 0;
    for (const char* p = a; *p; ++p) marksA += IsSpecial(*p);
    for (const char* p = b; *p; ++p) marksB += IsSpecial(*p);
    if (marksA != marksB) return marksA < marksB ? -1 : 1;
    int r = std::strcmp(a, b);
    return ignoreCase ? 0 : (r < 0 ? -1 : (r > 0 ? 1 : 0));
}

}  // namespace

void ResetSystem() { DefaultMachine(); }

int OpenTokenCount() { return static_cast<int>(M().tokens.size()); }

}  // namespace sim::detail

using namespace sim::detail;

// ---- heap and local blocks ---------------------------------------------------

HANDLE GetProcessHeap(void) {
    TakeFault("GetProcessHeap", "", nullptr);
    return kProcessHeap;
}

LPVOID HeapAlloc(HANDLE hHeap, DWORD dwFlags, SIZE_T dwBytes) {
    DWORD status;
    if (TakeFault("HeapAlloc", "", &status)) {
        SetError(status);
        return nullptr;
    }
    if (hHeap != kProcessHeap) {
        SetError(ERROR_INVALID_HANDLE);
        return nullptr;
    }
    // A zero-byte request still gets a block of its own, as on Windows.
    void* p = (dwFlags & HEAP_ZERO_MEMORY) ? std::calloc(dwBytes ? dwBytes : 1, 1) : std::malloc(dwBytes ? dwBytes : 1);
    if (!p) {
        SetError(ERROR_NOT_ENOUGH_MEMORY);
        return nullptr;
    }
    M().heapBlocks.insert(p);
    return p;
}

BOOL HeapFree(HANDLE hHeap, DWORD dwFlags, LPVOID lpMem) {
    (void)dwFlags;
    DWORD status;
    if (TakeFault("HeapFree", "", &status)) return Fail(status);
    if (hHeap != kProcessHeap) return Fail(ERROR_INVALID_HANDLE);
    if (!lpMem) return TRUE;
    auto it = M().heapBlocks.find(lpMem);
    if (it == M().heapBlocks.end()) {
        // Freeing what was never allocated (or twice) corrupts a real heap.
        std::fprintf(stderr, "simulated HeapFree: %p is not a live block of the process heap\n", lpMem);
        std::abort();
    }
    M().heapBlocks.erase(it);
    std::free(lpMem);
    return TRUE;
}

HLOCAL LocalFree(HLOCAL hMem) {
    DWORD status;
    if (TakeFault("LocalFree", "", &status)) {
        SetError(status);
        return hMem;
    }
    if (!hMem) return nullptr;
    auto it = M().localBlocks.find(hMem);
    if (it == M().localBlocks.end()) {
        std::fprintf(stderr, "simulated LocalFree: %p is not a live local block\n", hMem);
        std::abort();
    }
    M().localBlocks.erase(it);
    std::free(hMem);
    return nullptr;
}

// ---- messages ----------------------------------------------------------------

DWORD FormatMessageA(DWORD dwFlags, LPCVOID lpSource, DWORD dwMessageId, DWORD dwLanguageId, LPSTR lpBuffer,
                     DWORD nSize, void* Arguments) {
    (void)lpSource;
    (void)dwLanguageId;
    (void)Arguments;
    DWORD status;
    if (TakeFault("FormatMessageA", "", &status)) {
        SetError(status);
        return 0;
    }
    if (!(dwFlags & FORMAT_MESSAGE_FROM_SYSTEM) || !lpBuffer) {
        SetError(ERROR_INVALID_PARAMETER);
        return 0;
    }
    auto it = SystemTexts().find(dwMessageId);
    if (it == SystemTexts().end()) {
        SetError(kMrMidNotFound);
        return 0;
    }
    std::string text = std::string(it->second) + "\r\n";
    DWORD length = static_cast<DWORD>(text.size());
    if (dwFlags & FORMAT_MESSAGE_ALLOCATE_BUFFER) {
        char* block = static_cast<char*>(std::malloc(text.size() + 1));
        std::memcpy(block, text.c_str(), text.size() + 1);
        M().localBlocks.insert(block);
        *reinterpret_cast<LPSTR*>(lpBuffer) = block;
        return length;
    }
    if (nSize < length + 1) {
        SetError(ERROR_INSUFFICIENT_BUFFER);
        return 0;
    }
    std::memcpy(lpBuffer, text.c_str(), text.size() + 1);
    return length;
}

// ---- strings -----------------------------------------------------------------

int wsprintfA(LPSTR buffer, LPCSTR format, ...) {
    TakeFault("wsprintfA", "", nullptr);
    va_list args;
    va_start(args, format);
    int n = FormatInto(buffer, format, args);
    va_end(args);
    return n;
}

int lstrcmpA(LPCSTR a, LPCSTR b) {
    TakeFault("lstrcmpA", "", nullptr);
    return CompareText(a, b, false);
}

int lstrcmpiA(LPCSTR a, LPCSTR b) {
    TakeFault("lstrcmpiA", "", nullptr);
    return CompareText(a, b, true);
}

LPSTR lstrcpynA(LPSTR dest, LPCSTR src, int maxLength) {
    TakeFault("lstrcpynA", "", nullptr);
    if (!dest || !src) return nullptr;
    if (maxLength <= 0) return dest;
    int i = 0;
    for (; i < maxLength - 1 && src[i]; ++i) dest[i] = src[i];
    dest[i] = '\0';
    return dest;
}

LPSTR lstrcpyA(LPSTR dest, LPCSTR src) {
    TakeFault("lstrcpyA", "", nullptr);
    if (!dest || !src) return nullptr;
    std::memmove(dest, src, std::strlen(src) + 1);
    return dest;
}

LPSTR lstrcatA(LPSTR dest, LPCSTR src) {
    TakeFault("lstrcatA", "", nullptr);
    if (!dest || !src) return nullptr;
    std::memmove(dest + std::strlen(dest), src, std::strlen(src) + 1);
    return dest;
}

int lstrlenA(LPCSTR s) {
    TakeFault("lstrlenA", "", nullptr);
    return s ? static_cast<int>(std::strlen(s)) : 0;
}

// ---- machine information -------------------------------------------------------

BOOL GetVersionExA(LPOSVERSIONINFOA lpVersionInformation) {
    DWORD status;
    if (TakeFault("GetVersionExA", "", &status)) return Fail(status);
    constexpr DWORD kExSize = sizeof(OSVERSIONINFOA) + 8;  // OSVERSIONINFOEXA
    if (!lpVersionInformation) return Fail(ERROR_INVALID_PARAMETER);
    DWORD size = lpVersionInformation->dwOSVersionInfoSize;
    if (size != sizeof(OSVERSIONINFOA) && size != kExSize) return Fail(ERROR_INSUFFICIENT_BUFFER);
    if (size == kExSize) std::memset(reinterpret_cast<char*>(lpVersionInformation) + sizeof(OSVERSIONINFOA), 0, 8);
    *lpVersionInformation = M().version;
    lpVersionInformation->dwOSVersionInfoSize = size;
    return TRUE;
}

BOOL GetUserNameA(LPSTR lpBuffer, LPDWORD pcbBuffer) {
    DWORD status;
    if (TakeFault("GetUserNameA", "", &status)) return Fail(status);
    if (!pcbBuffer) return Fail(ERROR_INVALID_PARAMETER);
    const std::string& name = M().userName;
    DWORD needed = static_cast<DWORD>(name.size() + 1);
    if (*pcbBuffer < needed || !lpBuffer) {
        *pcbBuffer = needed;
        return Fail(ERROR_INSUFFICIENT_BUFFER);
    }
    std::memcpy(lpBuffer, name.c_str(), needed);
    *pcbBuffer = needed;  // counts the NUL
    return TRUE;
}

BOOL GetComputerNameA(LPSTR lpBuffer, LPDWORD nSize) {
    DWORD status;
    if (TakeFault("GetComputerNameA", "", &status)) return Fail(status);
    if (!nSize) return Fail(ERROR_INVALID_PARAMETER);
    const std::string& name = M().computerName;
    DWORD needed = static_cast<DWORD>(name.size() + 1);
    if (*nSize < needed || !lpBuffer) {
        *nSize = needed;
        return Fail(kBufferOverflow);
    }
    std::memcpy(lpBuffer, name.c_str(), needed);
    *nSize = needed - 1;  // without the NUL, unlike GetUserNameA
    return TRUE;
}

LPSTR GetCommandLineA(void) {
    TakeFault("GetCommandLineA", "", nullptr);
    return &M().commandLine[0];
}

DWORD GetModuleFileNameA(HMODULE hModule, LPSTR lpFilename, DWORD nSize) {
    (void)hModule;
    DWORD status;
    if (TakeFault("GetModuleFileNameA", "", &status)) {
        SetError(status);
        return 0;
    }
    const std::string& name = M().moduleFileName;
    if (!lpFilename || nSize == 0) {
        SetError(ERROR_INSUFFICIENT_BUFFER);
        return 0;
    }
    if (nSize < name.size() + 1) {
        // Cut without a NUL, returning the buffer size (Windows XP and Wine).
        std::memcpy(lpFilename, name.data(), nSize);
        SetError(ERROR_INSUFFICIENT_BUFFER);
        return nSize;
    }
    std::memcpy(lpFilename, name.c_str(), name.size() + 1);
    SetError(ERROR_SUCCESS);
    return static_cast<DWORD>(name.size());
}

HMODULE GetModuleHandleA(LPCSTR lpModuleName) {
    DWORD status;
    if (TakeFault("GetModuleHandleA", lpModuleName ? lpModuleName : "", &status)) {
        SetError(status);
        return nullptr;
    }
    if (!lpModuleName) return reinterpret_cast<HMODULE>(static_cast<uintptr_t>(0x400000));
    std::string name = lpModuleName;
    if (EqualsNoCase(name, "kernel32.dll") || EqualsNoCase(name, "kernel32"))
        return reinterpret_cast<HMODULE>(static_cast<uintptr_t>(0x7C800000));
    SetError(kModNotFound);
    return nullptr;
}

FARPROC GetProcAddress(HMODULE hModule, LPCSTR lpProcName) {
    (void)hModule;
    std::string name = (lpProcName && !IS_INTRESOURCE(lpProcName)) ? lpProcName : "";
    DWORD status;
    if (TakeFault("GetProcAddress", name, &status)) {
        SetError(status);
        return nullptr;
    }
    // The simulated machine is an XP without the newer loader functions.
    SetError(kProcNotFound);
    return nullptr;
}

BOOL SetDllDirectoryA(LPCSTR lpPathName) {
    DWORD status;
    if (TakeFault("SetDllDirectoryA", lpPathName ? lpPathName : "", &status)) return Fail(status);
    return TRUE;
}

// ---- handles, token, shutdown ----------------------------------------------------

BOOL CloseHandle(HANDLE hObject) {
    DWORD status;
    if (TakeFault("CloseHandle", FileHandleSubject(hObject), &status)) return Fail(status);
    if (hObject == kCurrentProcess) return TRUE;
    if (CloseFileHandle(hObject)) return TRUE;
    auto it = M().tokens.find(reinterpret_cast<uintptr_t>(hObject));
    if (it != M().tokens.end()) {
        M().tokens.erase(it);
        return TRUE;
    }
    return Fail(ERROR_INVALID_HANDLE);
}

HANDLE GetCurrentProcess(void) {
    TakeFault("GetCurrentProcess", "", nullptr);
    return kCurrentProcess;
}

BOOL OpenProcessToken(HANDLE ProcessHandle, DWORD DesiredAccess, PHANDLE TokenHandle) {
    DWORD status;
    if (TakeFault("OpenProcessToken", "", &status)) return Fail(status);
    if (ProcessHandle != kCurrentProcess) return Fail(ERROR_INVALID_HANDLE);
    if (!TokenHandle) return Fail(ERROR_INVALID_PARAMETER);
    HANDLE h = NewHandleValue();
    M().tokens[reinterpret_cast<uintptr_t>(h)] = DesiredAccess;
    *TokenHandle = h;
    return TRUE;
}

BOOL LookupPrivilegeValueA(LPCSTR lpSystemName, LPCSTR lpName, PLUID lpLuid) {
    (void)lpSystemName;
    DWORD status;
    if (TakeFault("LookupPrivilegeValueA", lpName ? lpName : "", &status)) return Fail(status);
    if (!lpName || !lpLuid) return Fail(ERROR_INVALID_PARAMETER);
    if (!EqualsNoCase(lpName, SE_SHUTDOWN_NAME)) return Fail(kNoSuchPrivilege);
    lpLuid->LowPart = kShutdownLuid;
    lpLuid->HighPart = 0;
    return TRUE;
}

BOOL AdjustTokenPrivileges(HANDLE TokenHandle, BOOL DisableAllPrivileges, PTOKEN_PRIVILEGES NewState,
                           DWORD BufferLength, PTOKEN_PRIVILEGES PreviousState, PDWORD ReturnLength) {
    (void)BufferLength;
    (void)PreviousState;
    DWORD status;
    if (TakeFault("AdjustTokenPrivileges", "", &status)) return Fail(status);
    auto token = M().tokens.find(reinterpret_cast<uintptr_t>(TokenHandle));
    if (token == M().tokens.end()) return Fail(ERROR_INVALID_HANDLE);
    // The handle must have been opened for adjusting (Windows and Wine alike).
    if (!(token->second & TOKEN_ADJUST_PRIVILEGES)) return Fail(ERROR_ACCESS_DENIED);
    if (ReturnLength) *ReturnLength = 0;
    if (DisableAllPrivileges) {
        M().privilegeEnabled = false;
        SetError(ERROR_SUCCESS);
        return TRUE;
    }
    if (!NewState) return Fail(ERROR_INVALID_PARAMETER);
    bool missing = false;
    for (DWORD i = 0; i < NewState->PrivilegeCount; ++i) {
        const LUID_AND_ATTRIBUTES& p = NewState->Privileges[i];
        bool isShutdown = p.Luid.LowPart == kShutdownLuid && p.Luid.HighPart == 0;
        if (!isShutdown || !M().privilegeHeld) {
            missing = true;
            continue;
        }
        M().privilegeEnabled = (p.Attributes & SE_PRIVILEGE_ENABLED) != 0;
    }
    // Success all the same; only the last error tells what was not assigned.
    SetError(missing ? ERROR_NOT_ALL_ASSIGNED : ERROR_SUCCESS);
    return TRUE;
}

BOOL ExitWindowsEx(UINT uFlags, DWORD dwReason) {
    (void)dwReason;
    DWORD status;
    if (TakeFault("ExitWindowsEx", "", &status)) return Fail(status);
    bool needsPrivilege = (uFlags & (EWX_SHUTDOWN | EWX_REBOOT | EWX_POWEROFF)) != 0;
    if (needsPrivilege && !M().privilegeEnabled) return Fail(ERROR_PRIVILEGE_NOT_HELD);
    M().exitCalls.push_back(uFlags);
    return TRUE;
}

namespace sim {

int HeapBlockCount() { return static_cast<int>(detail::M().heapBlocks.size()); }
int LocalBlockCount() { return static_cast<int>(detail::M().localBlocks.size()); }

void SetVersion(DWORD platformId, DWORD major, DWORD minor) {
    OSVERSIONINFOA& v = detail::M().version;
    v.dwPlatformId = platformId;
    v.dwMajorVersion = major;
    v.dwMinorVersion = minor;
    if (platformId != VER_PLATFORM_WIN32_NT) {
        v.dwBuildNumber = 0;
        v.szCSDVersion[0] = '\0';
    }
}

void SetUserName(const std::string& name) { detail::M().userName = name; }
void SetComputerName(const std::string& name) { detail::M().computerName = name; }
void SetCommandLine(const std::string& commandLine) { detail::M().commandLine = commandLine; }
void SetModuleFileName(const std::string& windowsPath) { detail::M().moduleFileName = windowsPath; }
void SetShutdownPrivilegeHeld(bool held) { detail::M().privilegeHeld = held; }

const std::vector<UINT>& ExitWindowsCalls() { return detail::M().exitCalls; }

}  // namespace sim
