// Windows and controls of the simulated user interface: the handle table,
// the message handling of static, button, edit and list box controls, and
// the exported functions that reach them (SendMessageA, Get/SetDlgItemTextA,
// EnableWindow ...). Behaviour where Windows leaves room follows Wine.
#include <cstring>
#include <memory>

#include "core_parts.h"
#include "sim_internal.h"
#include "simctl.h"
#include "ui_internal.h"

namespace sim::ui {

namespace {

// Handles are small multiples of 4 above the INTRESOURCE range, never reused
// within a test, so a stale handle stays invalid.
constexpr uintptr_t kFirstHandle = 0x20000;

std::vector<std::unique_ptr<Window>>& Table() {
    static std::vector<std::unique_ptr<Window>> table;
    return table;
}

}  // namespace

Window* FindAny(HWND handle) {
    uintptr_t h = reinterpret_cast<uintptr_t>(handle);
    if (h < kFirstHandle || (h - kFirstHandle) % 4 != 0) return nullptr;
    size_t index = (h - kFirstHandle) / 4;
    return index < Table().size() ? Table()[index].get() : nullptr;
}

Window* Find(HWND handle) {
    Window* w = FindAny(handle);
    return w && !w->destroyed ? w : nullptr;
}

Window* NewWindow(Kind kind) {
    auto w = std::make_unique<Window>();
    w->kind = kind;
    w->handle = reinterpret_cast<HWND>(kFirstHandle + 4 * Table().size());
    Table().push_back(std::move(w));
    return Table().back().get();
}

Window* Child(Window* dialog, int id) {
    if (!dialog) return nullptr;
    for (HWND h : dialog->children) {
        Window* c = Find(h);
        if (c && c->id == id) return c;
    }
    return nullptr;
}

void Destroy(Window* dialog) {
    for (HWND h : dialog->children) {
        if (Window* c = Find(h)) c->destroyed = true;
    }
    dialog->destroyed = true;
}

void ResetWindows() { Table().clear(); }

void SetEnabled(Window* w, bool enabled) {
    w->enabled = enabled;
    if (enabled)
        w->style &= ~(DWORD)WS_DISABLED;
    else
        w->style |= WS_DISABLED;
}

void Notify(Window* control, WORD code) {
    Window* dialog = Find(control->parent);
    if (dialog) Dispatch(dialog, WM_COMMAND, MAKEWPARAM(control->id, code), reinterpret_cast<LPARAM>(control->handle));
}

int CopyText(const std::string& text, LPSTR buffer, int size, bool wholeCharacters) {
    if (!buffer || size <= 0) return 0;
    int n = (int)text.size() < size - 1 ? (int)text.size() : size - 1;
    if (wholeCharacters && n < (int)text.size()) {
        int end = 0;
        while (end < n) {
            unsigned char b = (unsigned char)text[(size_t)end];
            int length = ((b >= 0x81 && b <= 0x9F) || (b >= 0xE0 && b <= 0xFC)) ? 2 : 1;
            if (end + length > n) break;
            end += length;
        }
        n = end;
    }
    std::memcpy(buffer, text.data(), (size_t)n);
    buffer[n] = '\0';
    return n;
}

namespace {

// The largest check state each button type keeps (BM_SETCHECK clamps to it).
UINT MaxCheckState(DWORD style) {
    switch (style & 0x0F) {
    case 0x2:  // BS_CHECKBOX
    case 0x3:  // BS_AUTOCHECKBOX
    case 0x4:  // BS_RADIOBUTTON
    case 0x9:  // BS_AUTORADIOBUTTON
        return BST_CHECKED;
    case 0x5:  // BS_3STATE
    case 0x6:  // BS_AUTO3STATE
        return 2;
    default:
        return BST_UNCHECKED;
    }
}

// What every window does with its text.
bool TextMessage(Window* w, UINT message, WPARAM wParam, LPARAM lParam, LRESULT* result) {
    switch (message) {
    case WM_SETTEXT:
        // Windows keep their text in UTF-16.
        w->text = sim::detail::ThroughUtf16(lParam ? reinterpret_cast<LPCSTR>(lParam) : "");
        *result = TRUE;
        return true;
    case WM_GETTEXT:
        *result = CopyText(w->text, reinterpret_cast<LPSTR>(lParam), (int)wParam, w->kind != Kind::Edit);
        return true;
    case WM_GETTEXTLENGTH:
        *result = (LRESULT)w->text.size();
        return true;
    default:
        return false;
    }
}

LRESULT ControlProc(Window* w, UINT message, WPARAM wParam, LPARAM lParam) {
    LRESULT r = 0;
    switch (w->kind) {
    case Kind::Button:
        if (message == BM_GETCHECK) return w->check;
        if (message == BM_SETCHECK) {
            UINT max = MaxCheckState(w->style);
            w->check = (UINT)wParam > max ? max : (UINT)wParam;
            return 0;
        }
        break;
    case Kind::Edit:
        if (message == EM_SETREADONLY) {
            if (wParam)
                w->style |= ES_READONLY;
            else
                w->style &= ~(DWORD)ES_READONLY;
            return TRUE;
        }
        if (message == EM_LIMITTEXT) {
            w->limit = wParam ? (int)wParam : 0x7FFFFFFE;
            return 0;
        }
        if (message == WM_SETTEXT) {
            TextMessage(w, message, wParam, lParam, &r);
            // A single-line edit tells its dialog about the new text.
            if (!(w->style & 0x4L)) {  // ES_MULTILINE
                Notify(w, EN_UPDATE);
                Notify(w, EN_CHANGE);
            }
            return r;
        }
        break;
    case Kind::ListBox:
        if (message >= LB_ADDSTRING && message <= 0x01B0) return ListBoxProc(w, message, wParam, lParam);
        break;
    default:
        break;
    }
    TextMessage(w, message, wParam, lParam, &r);
    return r;
}

}  // namespace

LRESULT Dispatch(Window* w, UINT message, WPARAM wParam, LPARAM lParam) {
    if (w->kind != Kind::Dialog) return ControlProc(w, message, wParam, lParam);
    // The dialog procedure sees every message first; what it leaves (FALSE)
    // the dialog manager's default handles.
    INT_PTR handled = w->proc ? w->proc(w->handle, message, wParam, lParam) : FALSE;
    if (message == WM_INITDIALOG) return handled;
    LRESULT r = 0;
    if (!handled && !w->destroyed) TextMessage(w, message, wParam, lParam, &r);
    return r;
}

}  // namespace sim::ui

using namespace sim::ui;

namespace {

const char* MessageName(UINT message) {
    switch (message) {
    case WM_SETTEXT: return "WM_SETTEXT";
    case WM_GETTEXT: return "WM_GETTEXT";
    case WM_GETTEXTLENGTH: return "WM_GETTEXTLENGTH";
    case WM_CLOSE: return "WM_CLOSE";
    case WM_INITDIALOG: return "WM_INITDIALOG";
    case WM_COMMAND: return "WM_COMMAND";
    case BM_GETCHECK: return "BM_GETCHECK";
    case BM_SETCHECK: return "BM_SETCHECK";
    case EM_LIMITTEXT: return "EM_LIMITTEXT";
    case EM_SETREADONLY: return "EM_SETREADONLY";
    case LB_ADDSTRING: return "LB_ADDSTRING";
    case LB_INSERTSTRING: return "LB_INSERTSTRING";
    case LB_DELETESTRING: return "LB_DELETESTRING";
    case LB_RESETCONTENT: return "LB_RESETCONTENT";
    case LB_SETSEL: return "LB_SETSEL";
    case LB_SETCURSEL: return "LB_SETCURSEL";
    case LB_GETSEL: return "LB_GETSEL";
    case LB_GETCURSEL: return "LB_GETCURSEL";
    case LB_GETTEXT: return "LB_GETTEXT";
    case LB_GETTEXTLEN: return "LB_GETTEXTLEN";
    case LB_GETCOUNT: return "LB_GETCOUNT";
    case LB_SELECTSTRING: return "LB_SELECTSTRING";
    case LB_FINDSTRING: return "LB_FINDSTRING";
    case LB_GETSELCOUNT: return "LB_GETSELCOUNT";
    case LB_GETSELITEMS: return "LB_GETSELITEMS";
    case LB_GETITEMDATA: return "LB_GETITEMDATA";
    case LB_SETITEMDATA: return "LB_SETITEMDATA";
    case LB_FINDSTRINGEXACT: return "LB_FINDSTRINGEXACT";
    default: return "WM_USER";
    }
}

// Fault subjects: "<template id>\<control id>" for a control, "<template
// id>" for a dialog, followed by "\<message name>" for messages, so a test
// can aim at "1007\LB_SETSEL" or just "LB_SETSEL".
std::string Subject(Window* w) {
    if (!w) return "0";
    if (w->kind == Kind::Dialog) return std::to_string(w->templateId);
    Window* d = FindAny(w->parent);
    return std::to_string(d ? d->templateId : 0) + "\\" + std::to_string(w->id);
}

std::string Subject(HWND dialog, int id) {
    Window* d = FindAny(dialog);
    return std::to_string(d ? d->templateId : 0) + "\\" + std::to_string(id);
}

bool Fails(const char* function, const std::string& subject) {
    DWORD status = 0;
    if (!sim::detail::TakeFault(function, subject, &status)) return false;
    sim::detail::SetError(status);
    return true;
}

// The failure value of a message: LB_ERR for list box messages, else 0.
LRESULT FailedResult(UINT message) { return (message >= LB_ADDSTRING && message <= 0x01B0) ? LB_ERR : 0; }

Window* Valid(HWND hwnd) {
    Window* w = Find(hwnd);
    if (!w) sim::detail::SetError(ERROR_INVALID_WINDOW_HANDLE);
    return w;
}

Window* Item(HWND dialog, int id) {
    Window* d = Valid(dialog);
    if (!d) return nullptr;
    // A missing control leaves the last error alone (Wine).
    return Child(d, id);
}

}  // namespace

HWND GetDlgItem(HWND hDlg, int nIDDlgItem) {
    if (Fails("GetDlgItem", Subject(hDlg, nIDDlgItem))) return nullptr;
    Window* c = Item(hDlg, nIDDlgItem);
    return c ? c->handle : nullptr;
}

LRESULT SendMessageA(HWND hWnd, UINT Msg, WPARAM wParam, LPARAM lParam) {
    if (Fails("SendMessageA", Subject(FindAny(hWnd)) + "\\" + MessageName(Msg))) return FailedResult(Msg);
    Window* w = Valid(hWnd);
    return w ? Dispatch(w, Msg, wParam, lParam) : 0;
}

LRESULT SendDlgItemMessageA(HWND hDlg, int nIDDlgItem, UINT Msg, WPARAM wParam, LPARAM lParam) {
    if (Fails("SendDlgItemMessageA", Subject(hDlg, nIDDlgItem) + "\\" + MessageName(Msg))) return FailedResult(Msg);
    Window* c = Item(hDlg, nIDDlgItem);
    return c ? Dispatch(c, Msg, wParam, lParam) : 0;
}

BOOL SetDlgItemTextA(HWND hDlg, int nIDDlgItem, LPCSTR lpString) {
    if (Fails("SetDlgItemTextA", Subject(hDlg, nIDDlgItem))) return FALSE;
    Window* c = Item(hDlg, nIDDlgItem);
    return c ? (BOOL)Dispatch(c, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(lpString)) : FALSE;
}

UINT GetDlgItemTextA(HWND hDlg, int nIDDlgItem, LPSTR lpString, int cchMax) {
    if (lpString && cchMax > 0) lpString[0] = '\0';
    if (Fails("GetDlgItemTextA", Subject(hDlg, nIDDlgItem))) return 0;
    Window* c = Item(hDlg, nIDDlgItem);
    return c ? (UINT)Dispatch(c, WM_GETTEXT, (WPARAM)cchMax, reinterpret_cast<LPARAM>(lpString)) : 0;
}

BOOL SetWindowTextA(HWND hWnd, LPCSTR lpString) {
    if (Fails("SetWindowTextA", Subject(FindAny(hWnd)))) return FALSE;
    Window* w = Valid(hWnd);
    return w ? (BOOL)(Dispatch(w, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(lpString)) != 0) : FALSE;
}

int GetWindowTextA(HWND hWnd, LPSTR lpString, int nMaxCount) {
    if (!lpString || nMaxCount <= 0) return 0;
    lpString[0] = '\0';
    if (Fails("GetWindowTextA", Subject(FindAny(hWnd)))) return 0;
    Window* w = Valid(hWnd);
    return w ? (int)Dispatch(w, WM_GETTEXT, (WPARAM)nMaxCount, reinterpret_cast<LPARAM>(lpString)) : 0;
}

int GetWindowTextLengthA(HWND hWnd) {
    if (Fails("GetWindowTextLengthA", Subject(FindAny(hWnd)))) return 0;
    Window* w = Valid(hWnd);
    return w ? (int)Dispatch(w, WM_GETTEXTLENGTH, 0, 0) : 0;
}

BOOL EnableWindow(HWND hWnd, BOOL bEnable) {
    if (Fails("EnableWindow", Subject(FindAny(hWnd)))) return FALSE;
    Window* w = Valid(hWnd);
    if (!w) return FALSE;
    // Returns whether the window was disabled before.
    BOOL wasDisabled = !w->enabled;
    SetEnabled(w, bEnable != FALSE);
    return wasDisabled;
}

BOOL IsWindowEnabled(HWND hWnd) {
    if (Fails("IsWindowEnabled", Subject(FindAny(hWnd)))) return FALSE;
    Window* w = Valid(hWnd);
    return w && w->enabled;
}

UINT IsDlgButtonChecked(HWND hDlg, int nIDButton) {
    if (Fails("IsDlgButtonChecked", Subject(hDlg, nIDButton))) return 0;
    Window* c = Item(hDlg, nIDButton);
    return c ? (UINT)Dispatch(c, BM_GETCHECK, 0, 0) : 0;
}

BOOL CheckDlgButton(HWND hDlg, int nIDButton, UINT uCheck) {
    if (Fails("CheckDlgButton", Subject(hDlg, nIDButton))) return FALSE;
    // TRUE whether or not there is such a button (Wine).
    if (Window* c = Item(hDlg, nIDButton)) Dispatch(c, BM_SETCHECK, uCheck, 0);
    return TRUE;
}

LONG_PTR GetWindowLongPtrA(HWND hWnd, int nIndex) {
    if (Fails("GetWindowLongPtrA", Subject(FindAny(hWnd)))) return 0;
    Window* w = Valid(hWnd);
    if (!w) return 0;
    switch (nIndex) {
    case GWLP_HINSTANCE: return reinterpret_cast<LONG_PTR>(w->instance);
    case GWL_STYLE: return (LONG_PTR)w->style;  // zero-extended, as Wine gives it
    case GWL_EXSTYLE: return (LONG_PTR)w->exStyle;
    case GWLP_ID: return w->kind == Kind::Dialog ? 0 : w->id;
    default:
        sim::detail::SetError(ERROR_INVALID_INDEX);
        return 0;
    }
}

namespace sim {

HWND CreateOwnerWindow() {
    ui::Window* w = ui::NewWindow(ui::Kind::Other);
    w->className = "BrvTestOwner";
    w->style = WS_POPUP | WS_VISIBLE;
    return w->handle;
}

}  // namespace sim

namespace sim::detail {

// Here, beside the handle table, so that any use of the windowing half links
// it in (the core's weak stand-in must not win).
void ResetUi() {
    ui::ResetDialogs();
    ui::ResetBoxes();
    ui::ResetWindows();
    ui::ResetScriptPath();
}

}  // namespace sim::detail
