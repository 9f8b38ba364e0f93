// The driver's window, text, picture and registry helpers, and its entry point.
#include "driver.h"

#include <algorithm>
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
    return StartCommandLine(commandLine);
}

bool Program::StartCommandLine(const std::string& commandLine) {
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

namespace {

struct ControlSearch {
    DWORD pid;
    const char* caption;
    int control;
    HWND found;
};

BOOL CALLBACK MatchDialogWith(HWND window, LPARAM parameter) {
    ControlSearch* search = reinterpret_cast<ControlSearch*>(parameter);
    DWORD owner = 0;
    GetWindowThreadProcessId(window, &owner);
    if (owner != search->pid || !IsWindowVisible(window)) return TRUE;
    char className[64];
    GetClassNameA(window, className, sizeof className);
    if (std::strcmp(className, "#32770") != 0) return TRUE;
    if (search->caption && WindowText(window) != search->caption) return TRUE;
    if (!GetDlgItem(window, search->control)) return TRUE;
    search->found = window;
    return FALSE;
}

// The first descendant of `parent` of window class `className`.
HWND FindDescendant(HWND parent, const char* className) {
    for (HWND child = FindWindowExA(parent, nullptr, nullptr, nullptr); child;
         child = FindWindowExA(parent, child, nullptr, nullptr)) {
        char name[64];
        GetClassNameA(child, name, sizeof name);
        if (std::strcmp(name, className) == 0) return child;
        if (HWND inner = FindDescendant(child, className)) return inner;
    }
    return nullptr;
}

// The dialog's push button `id` itself: the file dialog's toolbar has id 1 too.
HWND FindButton(HWND dialog, int id) {
    for (HWND child = FindWindowExA(dialog, nullptr, "Button", nullptr); child;
         child = FindWindowExA(dialog, child, "Button", nullptr)) {
        if (GetDlgCtrlID(child) == id) return child;
    }
    return nullptr;
}

}  // namespace

HWND WaitForDialogWith(DWORD pid, DWORD milliseconds, const char* caption, int control) {
    for (DWORD waited = 0; waited < milliseconds; waited += 100) {
        ControlSearch search{pid, caption, control, nullptr};
        EnumWindows(MatchDialogWith, reinterpret_cast<LPARAM>(&search));
        if (search.found && IsWindowEnabled(search.found)) {
            Sleep(300);  // let it finish painting before anyone reads or pictures it
            return search.found;
        }
        Sleep(100);
    }
    return nullptr;
}

bool WaitUntilGone(HWND window, DWORD milliseconds) {
    for (DWORD waited = 0; waited < milliseconds; waited += 100) {
        if (!IsWindow(window) || !IsWindowVisible(window)) return true;
        Sleep(100);
    }
    return false;
}

// GetWindowTextA does not ask a window of another process for its text; the
// message does, and is carried across.
std::string ControlText(HWND dialog, int id) {
    HWND control = GetDlgItem(dialog, id);
    if (!control) return std::string();
    char buffer[4096] = "";
    LRESULT length = SendMessageA(control, WM_GETTEXT, sizeof buffer, reinterpret_cast<LPARAM>(buffer));
    return std::string(buffer, length > 0 ? static_cast<size_t>(length) : 0);
}

namespace {

// Wine carries list box texts between processes as UTF-16 only; they come
// back in the ANSI code page like every other text of the driver.
std::string ListBoxText(HWND list, LRESULT index) {
    LRESULT length = SendMessageW(list, LB_GETTEXTLEN, index, 0);
    if (length < 0 || length > 1024) return std::string();
    std::wstring wide(static_cast<size_t>(length) + 1, L'\0');
    LRESULT got = SendMessageW(list, LB_GETTEXT, index, reinterpret_cast<LPARAM>(&wide[0]));
    if (got < 0) return std::string();
    char buffer[4096] = "";
    int bytes = WideCharToMultiByte(CP_ACP, 0, wide.c_str(), static_cast<int>(got), buffer, sizeof buffer, nullptr,
                                    nullptr);
    return std::string(buffer, bytes > 0 ? static_cast<size_t>(bytes) : 0);
}

}  // namespace

void SetControlText(HWND dialog, int id, const std::string& text) {
    SendMessageA(GetDlgItem(dialog, id), WM_SETTEXT, 0, reinterpret_cast<LPARAM>(text.c_str()));
    Sleep(200);  // the edit repaints after the message returns; a picture taken at once misses the text
}

std::vector<std::string> ListBoxItems(HWND dialog, int id) {
    std::vector<std::string> items;
    HWND list = GetDlgItem(dialog, id);
    LRESULT count = SendMessageA(list, LB_GETCOUNT, 0, 0);
    for (LRESULT i = 0; i < count; ++i) items.push_back(ListBoxText(list, i));
    return items;
}

int ListBoxSelectedCount(HWND dialog, int id) {
    return static_cast<int>(SendMessageA(GetDlgItem(dialog, id), LB_GETSELCOUNT, 0, 0));
}

bool IsButtonChecked(HWND dialog, int id) {
    return SendMessageA(GetDlgItem(dialog, id), BM_GETCHECK, 0, 0) == BST_CHECKED;
}

bool IsControlEnabled(HWND dialog, int id) { return IsWindowEnabled(GetDlgItem(dialog, id)) != 0; }

bool IsEditReadOnly(HWND dialog, int id) {
    return (GetWindowLongA(GetDlgItem(dialog, id), GWL_STYLE) & ES_READONLY) != 0;
}

bool EnterFileName(HWND fileDialog, const std::string& path, const std::string& dir, const std::string& picture) {
    // The name box is a combo box (cmb13) in the Explorer-style dialog, a plain edit (edt1) in others.
    HWND box = GetDlgItem(fileDialog, 0x47C);
    if (!box) box = GetDlgItem(fileDialog, 0x480);
    if (!box) return false;
    char className[64];
    GetClassNameA(box, className, sizeof className);
    HWND edit = std::strcmp(className, "Edit") == 0 ? box : FindDescendant(box, "Edit");
    HWND ok = FindButton(fileDialog, IDOK);
    if (!edit || !ok) return false;
    SendMessageA(edit, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(path.c_str()));
    if (!picture.empty()) {
        Sleep(200);
        Screenshot(fileDialog, dir, picture);
    }
    PostMessageA(ok, BM_CLICK, 0, 0);
    return true;
}

void CloseWithCloseBox(HWND window) { PostMessageA(window, WM_SYSCOMMAND, SC_CLOSE, 0); }

void Screenshot(HWND window, const std::string& dir, const std::string& name) {
    if (dir.empty() || !window) return;
    if (!SaveWindowBitmap(window, dir + "\\" + name + ".bmp")) std::printf("note: no picture %s\n", name.c_str());
}

bool PutValue(HKEY root, const std::string& path, const std::string& name, DWORD type, const std::string& data) {
    HKEY key;
    if (RegCreateKeyExA(root, path.c_str(), 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, &key, nullptr) != ERROR_SUCCESS)
        return Check(false, ("create " + path).c_str());
    LONG status = RegSetValueExA(key, name.empty() ? nullptr : name.c_str(), 0, type,
                                 reinterpret_cast<const BYTE*>(data.data()), static_cast<DWORD>(data.size()));
    RegCloseKey(key);
    return Check(status == ERROR_SUCCESS, ("set " + path + "\\" + name).c_str());
}

bool ReadValue(HKEY root, const std::string& path, const std::string& name, DWORD* type, std::string* data) {
    HKEY key;
    if (RegOpenKeyExA(root, path.c_str(), 0, KEY_READ, &key) != ERROR_SUCCESS) return false;
    DWORD size = 0;
    LONG status = RegQueryValueExA(key, name.empty() ? nullptr : name.c_str(), nullptr, type, nullptr, &size);
    std::string bytes(size, '\0');
    if (status == ERROR_SUCCESS && size > 0)
        status = RegQueryValueExA(key, name.empty() ? nullptr : name.c_str(), nullptr, type,
                                  reinterpret_cast<BYTE*>(&bytes[0]), &size);
    RegCloseKey(key);
    if (status != ERROR_SUCCESS) return false;
    bytes.resize(size);
    *data = bytes;
    return true;
}

bool KeyExists(HKEY root, const std::string& path) {
    HKEY key;
    if (RegOpenKeyExA(root, path.c_str(), 0, KEY_READ, &key) != ERROR_SUCCESS) return false;
    RegCloseKey(key);
    return true;
}

void DeleteTree(HKEY root, const std::string& path) {
    HKEY key;
    if (RegOpenKeyExA(root, path.c_str(), 0, KEY_ALL_ACCESS, &key) != ERROR_SUCCESS) return;
    for (;;) {
        char child[256];
        DWORD size = sizeof child;
        if (RegEnumKeyExA(key, 0, child, &size, nullptr, nullptr, nullptr, nullptr) != ERROR_SUCCESS) break;
        DeleteTree(key, child);
    }
    RegCloseKey(key);
    RegDeleteKeyA(root, path.c_str());
}

namespace {

std::string Hex(const std::string& bytes) {
    static const char digits[] = "0123456789ABCDEF";
    std::string out;
    for (unsigned char c : bytes) {
        out += digits[c >> 4];
        out += digits[c & 15];
    }
    return out;
}

void DumpKey(HKEY key, const std::string& indent, std::string* out) {
    std::vector<std::string> lines;
    for (DWORD i = 0;; ++i) {
        char name[256];
        DWORD nameSize = sizeof name, type = 0, dataSize = 0;
        if (RegEnumValueA(key, i, name, &nameSize, nullptr, &type, nullptr, &dataSize) != ERROR_SUCCESS) break;
        std::string data(dataSize, '\0');
        nameSize = sizeof name;
        RegEnumValueA(key, i, name, &nameSize, nullptr, &type, reinterpret_cast<BYTE*>(&data[0]), &dataSize);
        data.resize(dataSize);
        lines.push_back(indent + "\"" + name + "\" " + std::to_string(type) + " " + Hex(data) + "\n");
    }
    std::sort(lines.begin(), lines.end());
    for (const std::string& line : lines) *out += line;
    std::vector<std::string> children;
    for (DWORD i = 0;; ++i) {
        char name[256];
        DWORD nameSize = sizeof name;
        if (RegEnumKeyExA(key, i, name, &nameSize, nullptr, nullptr, nullptr, nullptr) != ERROR_SUCCESS) break;
        children.push_back(name);
    }
    std::sort(children.begin(), children.end());
    for (const std::string& child : children) {
        *out += indent + "[" + child + "]\n";
        HKEY sub;
        if (RegOpenKeyExA(key, child.c_str(), 0, KEY_READ, &sub) != ERROR_SUCCESS) continue;
        DumpKey(sub, indent + "  ", out);
        RegCloseKey(sub);
    }
}

}  // namespace

std::string DumpTree(HKEY root, const std::string& path) {
    HKEY key;
    if (RegOpenKeyExA(root, path.c_str(), 0, KEY_READ, &key) != ERROR_SUCCESS) return "<missing>";
    std::string out;
    DumpKey(key, "", &out);
    RegCloseKey(key);
    return out;
}

std::string Sz(const std::string& text) { return text + std::string(1, '\0'); }
std::string MultiSz(const std::string& text) { return text + std::string(2, '\0'); }
std::string Dword(DWORD value) { return std::string(reinterpret_cast<const char*>(&value), sizeof value); }

bool FileExists(const std::string& path) {
    DWORD attributes = GetFileAttributesA(path.c_str());
    return attributes != INVALID_FILE_ATTRIBUTES && !(attributes & FILE_ATTRIBUTE_DIRECTORY);
}

bool DirectoryExists(const std::string& path) {
    DWORD attributes = GetFileAttributesA(path.c_str());
    return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY);
}

}  // namespace e2e

// Usage: e2e_driver SCENARIO BRELVANE_EXE [SCREENSHOT_DIR [FILES_DIR]]
int main(int argc, char** argv) {
    if (argc < 3) {
        std::printf("usage: e2e_driver SCENARIO BRELVANE_EXE [SCREENSHOT_DIR [FILES_DIR]]\n");
        return 2;
    }
    // No window manager runs on Xvfb: Wine is to draw the frames and captions
    // itself, so that the pictures show them (read when a program starts).
    HKEY x11;
    if (RegCreateKeyExA(HKEY_CURRENT_USER, "Software\\Wine\\X11 Driver", 0, nullptr, 0, KEY_SET_VALUE, nullptr, &x11,
                        nullptr) == ERROR_SUCCESS) {
        RegSetValueExA(x11, "Decorated", 0, REG_SZ, reinterpret_cast<const BYTE*>("N"), 2);
        RegCloseKey(x11);
    }
    e2e::Run run;
    run.exe = e2e::WindowsPath(argv[2]);
    if (argc > 3 && std::strcmp(argv[3], "-") != 0) run.screenshots = e2e::WindowsPath(argv[3]);
    run.files = argc > 4 ? e2e::WindowsPath(argv[4]) : e2e::TempPath() + "brv-e2e";
    CreateDirectoryA(run.files.c_str(), nullptr);
    for (const e2e::Scenario& scenario : e2e::Scenarios()) {
        if (std::strcmp(scenario.name, argv[1]) == 0) {
            bool ok = scenario.run(run);
            std::printf("%s: %s\n", scenario.name, ok ? "passed" : "FAILED");
            return ok ? 0 : 1;
        }
    }
    std::printf("unknown scenario %s\n", argv[1]);
    return 2;
}
