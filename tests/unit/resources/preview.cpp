// Shows every dialog of brelvane.exe from the program's own resources in the
// real dialog manager, checks what each control got from its template, fills
// in the texts the program sets at run time, checks that every text fits its
// control, and saves a picture of each dialog as a BMP.
//
// Usage: preview.exe BRELVANE.EXE OUTPUT-FOLDER
// Exit code: the number of failed checks.
#include <windows.h>

#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

#include "resources/resource.h"

namespace {

int Failures = 0;

void Fail(const char* where, const char* what, const std::string& got, const std::string& want) {
    ++Failures;
    std::printf("FAIL %s: %s: got \"%s\", expected \"%s\"\n", where, what, got.c_str(), want.c_str());
}

// One control as the template gives it; text is cp932 (this file is compiled
// with -fexec-charset=CP932). Image controls have no text but must show an
// icon or a bitmap.
enum Kind { kText, kIcon, kBitmap };
struct Control {
    const char* className;
    int id;
    const char* text;
    Kind kind;
};

const char kSave[] = "現行の設定をファイルにセーブ";
const char kLoad[] = "現行の設定をファイルからロード";
const char kCancel[] = "ｷｬﾝｾﾙ";
const char kMainCaption[] = "Brelvane 2.4.1.8";

const std::vector<Control> kMain95 = {
    {"Static", -1, "", kIcon},
    {"Static", -1, "Internet ExplorerのインターネットオプションおよびOutlook Expressのアカウントを設定します。", kText},
    {"Button", IDC_IEOE_SAVE, kSave, kText},
    {"Button", IDC_IEOE_LOAD, kLoad, kText},
    {"Button", IDC_ASSOCIATE, "関連登録", kText},
};
const std::vector<Control> kMainNt = {
    {"Button", -1, "IE/OEの設定", kText},
    {"Static", -1, "", kIcon},
    {"Static", -1, "Internet ExplorerのインターネットオプションとOutlook Expressのアカウントを設定します。", kText},
    {"Button", IDC_IEOE_SAVE, kSave, kText},
    {"Button", IDC_IEOE_LOAD, kLoad, kText},
    {"Button", -1, "TCP/IPの設定", kText},
    {"Static", -1, "", kIcon},
    {"Static", -1, "ローカルエリア接続のインターネットプロトコルを設定します。", kText},
    {"Button", IDC_TCPIP_SAVE, kSave, kText},
    {"Button", IDC_TCPIP_LOAD, kLoad, kText},
    {"Button", IDC_ASSOCIATE, "関連登録", kText},
};
const std::vector<Control> kTcpip = {
    {"Button", IDOK, "OK", kText},
    {"Button", IDCANCEL, kCancel, kText},
    {"Static", IDC_PROMPT, "", kText},
    {"ListBox", IDC_ENTRY_LIST, "", kText},
    {"Static", -1, "保存元コンピュータ名:", kText},
    {"Edit", IDC_SOURCE_NAME, "", kText},
    {"Static", -1, "保存者コメント:", kText},
    {"Edit", IDC_COMMENT, "", kText},
};
const std::vector<Control> kIeOe = {
    {"Button", IDOK, "OK", kText},
    {"Button", IDCANCEL, kCancel, kText},
    {"Button", IDC_OPTIONS, "", kText},
    {"Static", IDC_PROMPT, "", kText},
    {"ListBox", IDC_ENTRY_LIST, "", kText},
    {"Static", -1, "保存元ユーザ名:", kText},
    {"Edit", IDC_SOURCE_NAME, "", kText},
    {"Static", -1, "保存者コメント:", kText},
    {"Edit", IDC_COMMENT, "", kText},
};
const std::vector<Control> kAssociation = {
    {"Button", IDOK, "OK", kText},
    {"Button", IDCANCEL, kCancel, kText},
    {"Static", -1, "セーブしたファイルをダブルクリックするだけでロードできるようにする項目を選択します。", kText},
    {"Button", IDC_ASSOC_IEOE, "IE/OEの設定", kText},
    {"Button", IDC_ASSOC_TCPIP, "TCP/IPの設定", kText},
};
const std::vector<Control> kRestart = {
    {"Static", -1, "再起動が必要な場合があります。今すぐ実行する操作を選択してください。", kText},
    {"Static", -1, "", kBitmap},
    {"Button", IDC_CONTINUE, "続行", kText},
    {"Button", IDC_SHUTDOWN, "終了", kText},
    {"Button", IDC_RESTART, "再起動", kText},
};

// What the program puts into a dialog at run time, so that the pictures show
// the real texts (the longest ones decide whether anything is cut off).
struct Fill {
    const char* caption;          // nullptr: keep the template's
    const char* prompt;           // IDC_PROMPT
    const char* options;          // IDC_OPTIONS, checked
    const char* sourceName;       // IDC_SOURCE_NAME
    const char* comment;          // IDC_COMMENT
    bool commentReadOnly;
    std::vector<const char*> entries;  // IDC_ENTRY_LIST, all selected
};

struct Shot {
    const char* name;
    int dialog;
    const char* templateCaption;
    const std::vector<Control>* controls;
    Fill fill;
};

const std::vector<const char*> kConnections = {"ローカル エリア接続", "ローカル エリア接続 2",
                                               "ワイヤレス ネットワーク接続"};
const std::vector<const char*> kUsers = {"メイン ユーザー", "山田 太郎", "営業部共用"};

const Shot kShots[] = {
    {"dialog-main-95", IDD_MAIN_95, kMainCaption, &kMain95, {}},
    {"dialog-main-nt", IDD_MAIN_NT, kMainCaption, &kMainNt, {}},
    {"dialog-tcpip-save", IDD_TCPIP, "", &kTcpip,
     {"現行のTCP/IPの設定をファイルにセーブ", "ファイルにセーブするネットワークの項目を選択します。", nullptr,
      "BRELVANE-PC", "", false, kConnections}},
    {"dialog-tcpip-load", IDD_TCPIP, "", &kTcpip,
     {"現行のTCP/IPの設定をファイルにロード", "ファイルからロードするネットワークの項目を選択します。", nullptr,
      "BRELVANE-PC", "本社3階 会議室用の設定", true, kConnections}},
    {"dialog-ieoe-save", IDD_IEOE, "", &kIeOe,
     {"現行のIE/OEの設定をファイルにセーブ", "ファイルにセーブするアカウントの項目を選択します。",
      "インターネットオプションをファイルにセーブする。", "yamada", "", false, kUsers}},
    {"dialog-ieoe-load", IDD_IEOE, "", &kIeOe,
     {"現行のIE/OEの設定をファイルにロード", "ファイルからロードするアカウントの項目を選択します。",
      "インターネットオプションをファイルからロードする。", "yamada", "新しいパソコン用", true, kUsers}},
    {"dialog-association", IDD_ASSOCIATION, "関連登録", &kAssociation, {}},
    {"dialog-restart", IDD_RESTART, "シャットダウン", &kRestart, {}},
};

INT_PTR CALLBACK PreviewDialogProc(HWND, UINT message, WPARAM, LPARAM) {
    return message == WM_INITDIALOG ? TRUE : FALSE;
}

void Pump(int milliseconds) {
    DWORD end = GetTickCount() + milliseconds;
    while (GetTickCount() < end) {
        MSG msg;
        while (PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) {
            TranslateMessage(&msg);
            DispatchMessageA(&msg);
        }
        Sleep(10);
    }
}

std::string WindowText(HWND window) {
    char text[512] = "";
    GetWindowTextA(window, text, sizeof text);
    return text;
}

// Compares the children, in template order, with the expected controls.
void CheckControls(const Shot& shot, HWND dialog) {
    std::string caption = WindowText(dialog);
    if (caption != shot.templateCaption) Fail(shot.name, "caption", caption, shot.templateCaption);
    char where[64];
    HWND child = GetWindow(dialog, GW_CHILD);
    size_t n = 0;
    for (; child && n < shot.controls->size(); child = GetWindow(child, GW_HWNDNEXT), ++n) {
        const Control& want = (*shot.controls)[n];
        std::snprintf(where, sizeof where, "%s control %u", shot.name, static_cast<unsigned>(n + 1));
        char cls[64] = "";
        GetClassNameA(child, cls, sizeof cls);
        if (lstrcmpiA(cls, want.className) != 0) Fail(where, "class", cls, want.className);
        int id = GetDlgCtrlID(child);
        if ((id & 0xFFFF) != (want.id & 0xFFFF))
            Fail(where, "id", std::to_string(id), std::to_string(want.id));
        if (want.kind == kText) {
            std::string got = WindowText(child);
            if (want.id != -1) {
                char text[512] = "";
                GetDlgItemTextA(dialog, want.id, text, sizeof text);
                got = text;
            }
            if (got != want.text) Fail(where, "text", got, want.text);
        } else if (want.kind == kIcon) {
            if (!SendMessageA(child, STM_GETICON, 0, 0)) Fail(where, "icon", "none", "an icon");
        } else {
            HBITMAP bitmap = reinterpret_cast<HBITMAP>(SendMessageA(child, STM_GETIMAGE, IMAGE_BITMAP, 0));
            BITMAP info = {};
            if (!bitmap || !GetObjectA(bitmap, sizeof info, &info)) {
                Fail(where, "bitmap", "none", "bitmap 117");
            } else if (info.bmWidth != 144 || info.bmHeight != 120) {
                Fail(where, "bitmap size", std::to_string(info.bmWidth) + "x" + std::to_string(info.bmHeight),
                     "144x120");
            }
        }
    }
    if (n != shot.controls->size() || child)
        Fail(shot.name, "control count", child ? "more" : std::to_string(n),
             std::to_string(shot.controls->size()));
}

void ApplyFill(const Fill& fill, HWND dialog) {
    if (fill.caption) SetWindowTextA(dialog, fill.caption);
    if (fill.prompt) SetDlgItemTextA(dialog, IDC_PROMPT, fill.prompt);
    if (fill.options) {
        CheckDlgButton(dialog, IDC_OPTIONS, BST_CHECKED);
        SetDlgItemTextA(dialog, IDC_OPTIONS, fill.options);
    }
    if (fill.sourceName) SetDlgItemTextA(dialog, IDC_SOURCE_NAME, fill.sourceName);
    if (fill.comment) SetDlgItemTextA(dialog, IDC_COMMENT, fill.comment);
    if (fill.commentReadOnly) SendDlgItemMessageA(dialog, IDC_COMMENT, EM_SETREADONLY, TRUE, 0);
    for (const char* entry : fill.entries)
        SendDlgItemMessageA(dialog, IDC_ENTRY_LIST, LB_ADDSTRING, 0, reinterpret_cast<LPARAM>(entry));
    if (!fill.entries.empty()) SendDlgItemMessageA(dialog, IDC_ENTRY_LIST, LB_SETSEL, TRUE, -1);
}

// Whether each text fits its control in the font the dialog really got:
// word-wrapped statics and multi-line check boxes by height, the rest by
// width. Uses the same DrawText rules the controls paint with.
void CheckFit(const Shot& shot, HWND dialog) {
    HDC dc = GetDC(dialog);
    HFONT font = reinterpret_cast<HFONT>(SendMessageA(dialog, WM_GETFONT, 0, 0));
    HGDIOBJ old = SelectObject(dc, font);
    int n = 0;
    for (HWND child = GetWindow(dialog, GW_CHILD); child; child = GetWindow(child, GW_HWNDNEXT)) {
        ++n;
        std::string text = WindowText(child);
        if (text.empty()) continue;
        char cls[64] = "";
        GetClassNameA(child, cls, sizeof cls);
        LONG style = GetWindowLongA(child, GWL_STYLE);
        RECT client;
        GetClientRect(child, &client);
        int width = client.right, height = client.bottom;
        int room = width, needWidth = 0, needHeight = 0;
        bool wrap = false;
        if (lstrcmpiA(cls, "Static") == 0) {
            wrap = true;
        } else if (lstrcmpiA(cls, "Button") == 0) {
            LONG type = style & BS_TYPEMASK;
            if (type == BS_GROUPBOX) {
                room = width - 2 * 8;
            } else if (type == BS_AUTOCHECKBOX || type == BS_CHECKBOX) {
                room = width - GetSystemMetrics(SM_CXMENUCHECK) - 4;
                wrap = (style & BS_MULTILINE) != 0;
            } else {
                room = width - 2 * 4;
            }
        } else {
            continue;  // edits and lists scroll
        }
        RECT r = {0, 0, room, 0};
        DrawTextA(dc, text.c_str(), -1, &r, DT_CALCRECT | (wrap ? DT_WORDBREAK : DT_SINGLELINE));
        needWidth = r.right;
        needHeight = r.bottom;
        char where[64];
        std::snprintf(where, sizeof where, "%s control %d", shot.name, n);
        if ((wrap && needHeight > height) || needWidth > room) {
            // Say what it would take, in dialog units, to help mend the template.
            RECT line = {0, 0, 0, 0};
            DrawTextA(dc, text.c_str(), -1, &line, DT_CALCRECT | DT_SINGLELINE);
            RECT units = {0, 0, 400, 800};
            MapDialogRect(dialog, &units);
            std::printf("  %s: one line of this text is %ld px = %.1f dialog units wide\n", where,
                        static_cast<long>(line.right), line.right * 400.0 / units.right);
        }
        if (wrap && needHeight > height)
            Fail(where, "text height in pixels", std::to_string(needHeight), "<= " + std::to_string(height));
        if (needWidth > room)
            Fail(where, "text width in pixels", std::to_string(needWidth), "<= " + std::to_string(room));
    }
    SelectObject(dc, old);
    ReleaseDC(dialog, dc);
}

void ReportFont(const Shot& shot, HWND dialog) {
    HFONT font = reinterpret_cast<HFONT>(SendMessageA(dialog, WM_GETFONT, 0, 0));
    LOGFONTA logical = {};
    GetObjectA(font, sizeof logical, &logical);
    HDC dc = GetDC(dialog);
    HGDIOBJ old = SelectObject(dc, font);
    char face[LF_FACESIZE] = "";
    GetTextFaceA(dc, sizeof face, face);
    TEXTMETRICA metrics = {};
    GetTextMetricsA(dc, &metrics);
    SelectObject(dc, old);
    ReleaseDC(dialog, dc);
    if (std::strcmp(logical.lfFaceName, "ＭＳ Ｐゴシック") != 0)
        Fail(shot.name, "dialog font", logical.lfFaceName, "ＭＳ Ｐゴシック");
    std::printf("%s: font height %ld, drawn with \"%s\" (%ld px high)\n", shot.name,
                static_cast<long>(logical.lfHeight), face, static_cast<long>(metrics.tmHeight));
}

// The 32 x 32 picture of an icon drawn on white, as bytes to compare.
std::string IconPixels(HICON icon) {
    HDC screen = GetDC(nullptr);
    HDC memory = CreateCompatibleDC(screen);
    BITMAPINFO info = {};
    info.bmiHeader.biSize = sizeof info.bmiHeader;
    info.bmiHeader.biWidth = 32;
    info.bmiHeader.biHeight = 32;
    info.bmiHeader.biPlanes = 1;
    info.bmiHeader.biBitCount = 32;
    void* bits = nullptr;
    HBITMAP picture = CreateDIBSection(screen, &info, DIB_RGB_COLORS, &bits, nullptr, 0);
    std::string pixels;
    if (picture) {
        HGDIOBJ old = SelectObject(memory, picture);
        PatBlt(memory, 0, 0, 32, 32, WHITENESS);
        DrawIconEx(memory, 0, 0, icon, 32, 32, 0, nullptr, DI_NORMAL);
        GdiFlush();
        pixels.assign(static_cast<const char*>(bits), 32 * 32 * 4);
        SelectObject(memory, old);
        DeleteObject(picture);
    }
    DeleteDC(memory);
    ReleaseDC(nullptr, screen);
    return pixels;
}

// Copies the dialog, frame included, from the screen into a 24-bit BMP.
bool SaveWindowPicture(HWND window, const std::string& path) {
    RECT r;
    GetWindowRect(window, &r);
    int w = r.right - r.left, h = r.bottom - r.top;
    HDC screen = GetDC(nullptr);
    HDC memory = CreateCompatibleDC(screen);
    BITMAPINFO info = {};
    info.bmiHeader.biSize = sizeof info.bmiHeader;
    info.bmiHeader.biWidth = w;
    info.bmiHeader.biHeight = h;
    info.bmiHeader.biPlanes = 1;
    info.bmiHeader.biBitCount = 24;
    void* bits = nullptr;
    HBITMAP picture = CreateDIBSection(screen, &info, DIB_RGB_COLORS, &bits, nullptr, 0);
    bool ok = false;
    if (picture) {
        HGDIOBJ old = SelectObject(memory, picture);
        BitBlt(memory, 0, 0, w, h, screen, r.left, r.top, SRCCOPY);
        GdiFlush();
        DWORD stride = ((w * 24 + 31) / 32) * 4, size = stride * h;
        BITMAPFILEHEADER file = {};
        file.bfType = 0x4D42;
        file.bfOffBits = sizeof file + sizeof info.bmiHeader;
        file.bfSize = file.bfOffBits + size;
        if (FILE* f = std::fopen(path.c_str(), "wb")) {
            ok = std::fwrite(&file, sizeof file, 1, f) == 1 &&
                 std::fwrite(&info.bmiHeader, sizeof info.bmiHeader, 1, f) == 1 &&
                 std::fwrite(bits, size, 1, f) == 1;
            ok = std::fclose(f) == 0 && ok;
        }
        SelectObject(memory, old);
        DeleteObject(picture);
    }
    DeleteDC(memory);
    ReleaseDC(nullptr, screen);
    return ok;
}

// The shell takes a file type's icon by index from the program file
// ("%s,1" for .ies, "%s,2" for .ips): index i must give icon group 107 + i.
void CheckShellIconIndexes(HMODULE program, const char* path) {
    UINT count = static_cast<UINT>(reinterpret_cast<UINT_PTR>(ExtractIconA(nullptr, path, static_cast<UINT>(-1))));
    if (count != 3) Fail("shell icons", "icon count", std::to_string(count), "3");
    const int kGroups[] = {IDI_BRELVANE, IDI_IEOE, IDI_TCPIP};
    const int kIndexes[] = {IDI_BRELVANE_INDEX, IDI_IEOE_INDEX, IDI_TCPIP_INDEX};
    for (int i = 0; i < 3; ++i) {
        char where[64];
        std::snprintf(where, sizeof where, "shell icon index %d", kIndexes[i]);
        HICON shell = ExtractIconA(nullptr, path, kIndexes[i]);
        HICON group = static_cast<HICON>(
            LoadImageA(program, MAKEINTRESOURCEA(kGroups[i]), IMAGE_ICON, 32, 32, LR_DEFAULTCOLOR));
        if (!shell || !group) {
            Fail(where, "icon", shell ? "group missing" : "none", "an icon");
        } else if (IconPixels(shell) != IconPixels(group)) {
            Fail(where, "pixels", "another icon", "icon group " + std::to_string(kGroups[i]));
        }
        if (shell) DestroyIcon(shell);
        if (group) DestroyIcon(group);
    }
}

}  // namespace

int main(int argc, char** argv) {
    if (argc != 3) {
        std::printf("usage: preview BRELVANE.EXE OUTPUT-FOLDER\n");
        return 100;
    }
    HMODULE program = LoadLibraryExA(argv[1], nullptr, LOAD_LIBRARY_AS_DATAFILE);
    if (!program) {
        std::printf("FAIL cannot load %s as data (error %lu)\n", argv[1], GetLastError());
        return 100;
    }
    CheckShellIconIndexes(program, argv[1]);
    for (const Shot& shot : kShots) {
        HWND dialog = CreateDialogParamA(program, MAKEINTRESOURCEA(shot.dialog), nullptr, PreviewDialogProc, 0);
        if (!dialog) {
            Fail(shot.name, "CreateDialogParamA", std::to_string(GetLastError()), "a dialog");
            continue;
        }
        CheckControls(shot, dialog);
        ApplyFill(shot.fill, dialog);
        ReportFont(shot, dialog);
        CheckFit(shot, dialog);
        SetWindowPos(dialog, HWND_TOP, 0, 0, 0, 0, SWP_NOSIZE | SWP_NOMOVE | SWP_SHOWWINDOW);
        SetForegroundWindow(dialog);
        Pump(600);
        RedrawWindow(dialog, nullptr, nullptr, RDW_INVALIDATE | RDW_FRAME | RDW_ALLCHILDREN | RDW_UPDATENOW);
        Pump(300);
        std::string path = std::string(argv[2]) + "\\" + shot.name + ".bmp";
        if (!SaveWindowPicture(dialog, path)) Fail(shot.name, "picture", "not written", path);
        DestroyWindow(dialog);
        Pump(100);
    }
    FreeLibrary(program);
    std::printf("%d failed checks\n", Failures);
    return Failures;
}
