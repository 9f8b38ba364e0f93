#include "driver.h"

#include <cstdio>
#include <cstdlib>
#include <cstring>

namespace e2e {

bool Check(bool ok, const char* what, const std::string& expected, const std::string& actual) {
    if (!ok) {
        std::printf("FAILED: %s\n", what);
        if (!expected.empty() || !actual.empty()) {
            std::printf("  expected: %s\n  actual:   %s\n", expected.c_str(), actual.c_str());
        }
    }
    return ok;
}

std::string WindowsPath(const std::string& hostPath) {
    if (hostPath.empty() || hostPath[0] != '/') return hostPath;
    std::string path = "Z:" + hostPath;
    for (char& c : path) {
        if (c == '/') c = '\\';
    }
    return path;
}

std::string TempPath() {
    char buffer[MAX_PATH];
    DWORD length = GetTempPathA(MAX_PATH, buffer);
    return std::string(buffer, length);
}

bool Program::Start(const std::string& exe, const std::string& arguments) {
    std::string commandLine = "\"" + exe + "\"";
    if (!arguments.empty()) commandLine += " " + arguments;
    STARTUPINFOA startup{};
    startup.cb = sizeof startup;
    std::vector<char> mutableLine(commandLine.begin(), commandLine.end());
    mutableLine.push_back('\0');
    return CreateProcessA(nullptr, mutableLine.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr, &startup,
                          &process) != 0;
}

int Program::Wait(DWORD milliseconds) {
    if (!process.hProcess) return -1;
    if (WaitForSingleObject(process.hProcess, milliseconds) != WAIT_OBJECT_0) return -1;
    DWORD code = 0;
    GetExitCodeProcess(process.hProcess, &code);
    return static_cast<int>(code);
}

Program::~Program() {
    if (process.hProcess) {
        if (WaitForSingleObject(process.hProcess, 0) != WAIT_OBJECT_0) TerminateProcess(process.hProcess, 99);
        CloseHandle(process.hProcess);
        CloseHandle(process.hThread);
    }
}

namespace {

struct DialogSearch {
    DWORD pid;
    const char* caption;
    HWND found;
};

BOOL CALLBACK MatchDialog(HWND window, LPARAM parameter) {
    DialogSearch* search = reinterpret_cast<DialogSearch*>(parameter);
    DWORD owner = 0;
    GetWindowThreadProcessId(window, &owner);
    if (owner != search->pid || !IsWindowVisible(window)) return TRUE;
    char className[64];
    GetClassNameA(window, className, sizeof className);
    if (std::strcmp(className, "#32770") != 0) return TRUE;
    if (search->caption && WindowText(window) != search->caption) return TRUE;
    search->found = window;
    return FALSE;
}

}  // namespace

HWND WaitForDialog(DWORD pid, DWORD milliseconds, const char* caption) {
    for (DWORD waited = 0; waited < milliseconds; waited += 100) {
        DialogSearch search{pid, caption, nullptr};
        EnumWindows(MatchDialog, reinterpret_cast<LPARAM>(&search));
        if (search.found) {
            Sleep(300);  // let it finish painting before anyone reads or pictures it
            return search.found;
        }
        Sleep(100);
    }
    return nullptr;
}

std::string WindowText(HWND window) {
    char buffer[4096];
    int length = GetWindowTextA(window, buffer, sizeof buffer);
    return std::string(buffer, length > 0 ? length : 0);
}

std::string MessageBoxText(HWND box) {
    HWND text = GetDlgItem(box, 0xFFFF);
    return text ? WindowText(text) : std::string();
}

namespace {

// Pixels of a 32x32 area: from the screen at `origin`, or an icon drawn on
// the same background colour as the box.
std::vector<COLORREF> Capture(HDC source, POINT origin) {
    std::vector<COLORREF> pixels;
    for (int y = 0; y < 32; ++y) {
        for (int x = 0; x < 32; ++x) pixels.push_back(GetPixel(source, origin.x + x, origin.y + y));
    }
    return pixels;
}

std::vector<COLORREF> RenderIcon(LPCSTR stockIcon, COLORREF background) {
    HDC screen = GetDC(nullptr);
    HDC memory = CreateCompatibleDC(screen);
    HBITMAP bitmap = CreateCompatibleBitmap(screen, 32, 32);
    HGDIOBJ old = SelectObject(memory, bitmap);
    HBRUSH brush = CreateSolidBrush(background);
    RECT all = {0, 0, 32, 32};
    FillRect(memory, &all, brush);
    DeleteObject(brush);
    DrawIconEx(memory, 0, 0, LoadIconA(nullptr, stockIcon), 32, 32, 0, nullptr, DI_NORMAL);
    std::vector<COLORREF> pixels = Capture(memory, POINT{0, 0});
    SelectObject(memory, old);
    DeleteObject(bitmap);
    DeleteDC(memory);
    ReleaseDC(nullptr, screen);
    return pixels;
}

int Distance(const std::vector<COLORREF>& a, const std::vector<COLORREF>& b) {
    int differing = 0;
    for (size_t i = 0; i < a.size() && i < b.size(); ++i) differing += a[i] != b[i];
    return differing;
}

}  // namespace

// Icon handles do not cross processes, so compare pictures: the box's icon
// must look more like the wanted stock icon than like any other.
bool MessageBoxHasIcon(HWND box, LPCSTR stockIcon) {
    // Windows gives the icon control id 0x14, Wine stc1 (0x440).
    HWND icon = GetDlgItem(box, 0x14);
    if (!icon) icon = GetDlgItem(box, 0x440);
    if (!icon) return false;
    RECT rect;
    GetWindowRect(icon, &rect);
    HDC screen = GetDC(nullptr);
    COLORREF background = GetPixel(screen, rect.left, rect.top);
    std::vector<COLORREF> shown = Capture(screen, POINT{rect.left, rect.top});
    ReleaseDC(nullptr, screen);

    const LPCSTR stock[] = {IDI_INFORMATION, IDI_WARNING, IDI_ERROR, IDI_QUESTION};
    LPCSTR closest = nullptr;
    int best = 32 * 32 + 1;
    for (LPCSTR candidate : stock) {
        int distance = Distance(shown, RenderIcon(candidate, background));
        if (distance < best) {
            best = distance;
            closest = candidate;
        }
    }
    if (getenv("BRV_E2E_DEBUG")) {
        for (LPCSTR candidate : stock) printf("icon %p distance %d\n", (void*)candidate, Distance(shown, RenderIcon(candidate, background)));
    }
    return closest == stockIcon;
}

void ClickButton(HWND dialog, int id) {
    HWND button = GetDlgItem(dialog, id);
    if (button) PostMessageA(button, BM_CLICK, 0, 0);
}

bool SaveWindowBitmap(HWND window, const std::string& path) {
    RECT rect;
    if (!GetWindowRect(window, &rect)) return false;
    int width = rect.right - rect.left, height = rect.bottom - rect.top;
    HDC screen = GetDC(nullptr);
    HDC memory = CreateCompatibleDC(screen);
    HBITMAP bitmap = CreateCompatibleBitmap(screen, width, height);
    HGDIOBJ old = SelectObject(memory, bitmap);
    BitBlt(memory, 0, 0, width, height, screen, rect.left, rect.top, SRCCOPY);
    SelectObject(memory, old);

    BITMAPINFOHEADER info{};
    info.biSize = sizeof info;
    info.biWidth = width;
    info.biHeight = height;
    info.biPlanes = 1;
    info.biBitCount = 24;
    info.biCompression = BI_RGB;
    DWORD stride = (width * 3 + 3) & ~3u;
    std::vector<BYTE> pixels(stride * height);
    GetDIBits(memory, bitmap, 0, height, pixels.data(), reinterpret_cast<BITMAPINFO*>(&info), DIB_RGB_COLORS);
    DeleteObject(bitmap);
    DeleteDC(memory);
    ReleaseDC(nullptr, screen);

    BITMAPFILEHEADER file{};
    file.bfType = 0x4D42;
    file.bfOffBits = sizeof file + sizeof info;
    file.bfSize = file.bfOffBits + static_cast<DWORD>(pixels.size());
    FILE* out = std::fopen(path.c_str(), "wb");
    if (!out) return false;
    bool ok = std::fwrite(&file, sizeof file, 1, out) == 1 && std::fwrite(&info, sizeof info, 1, out) == 1 &&
              std::fwrite(pixels.data(), 1, pixels.size(), out) == pixels.size();
    return std::fclose(out) == 0 && ok;
}

bool FileExists(const std::string& path) {
    DWORD attributes = GetFileAttributesA(path.c_str());
    return attributes != INVALID_FILE_ATTRIBUTES && !(attributes & FILE_ATTRIBUTE_DIRECTORY);
}

bool DirectoryExists(const std::string& path) {
    DWORD attributes = GetFileAttributesA(path.c_str());
    return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY);
}

}  // namespace e2e

// Usage: e2e_driver SCENARIO BRELVANE_EXE [SCREENSHOT_DIR]
int main(int argc, char** argv) {
    if (argc < 3) {
        std::printf("usage: e2e_driver SCENARIO BRELVANE_EXE [SCREENSHOT_DIR]\n");
        return 2;
    }
    std::string exe = e2e::WindowsPath(argv[2]);
    std::string screenshots = argc > 3 ? e2e::WindowsPath(argv[3]) : std::string();
    for (const e2e::Scenario& scenario : e2e::Scenarios()) {
        if (std::strcmp(scenario.name, argv[1]) == 0) {
            bool ok = scenario.run(exe, screenshots);
            std::printf("%s: %s\n", scenario.name, ok ? "passed" : "FAILED");
            return ok ? 0 : 1;
        }
    }
    std::printf("unknown scenario %s\n", argv[1]);
    return 2;
}
