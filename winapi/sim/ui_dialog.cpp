// The simulated dialog manager: DialogBoxParamA builds the dialog from its
// template in the resource script, sends WM_INITDIALOG and lets the test's
// scripted user play it until EndDialog. Modal like the real one: the owner
// is disabled while the dialog exists, and a dialog opened from a dialog
// procedure runs inside the outer one with the next queued script.
#include <strings.h>
#include <sys/stat.h>

#include <cstdlib>
#include <deque>
#include <stdexcept>

#include "sim_internal.h"
#include "simctl.h"
#include "ui_internal.h"

namespace sim::ui {

namespace {

struct DialogState {
    std::deque<DialogScript> scripts;
    std::vector<DialogCall> calls;
};

DialogState& State() {
    static DialogState state;
    return state;
}

constexpr DWORD kClipSiblings = 0x04000000;  // WS_CLIPSIBLINGS
constexpr DWORD kBorder = 0x00800000;        // WS_BORDER
constexpr DWORD kVScroll = 0x00200000;       // WS_VSCROLL
constexpr DWORD kHScroll = 0x00100000;       // WS_HSCROLL
constexpr DWORD kThreeDLook = 0x04;          // DS_3DLOOK
constexpr DWORD kModalFrame = 0x80;          // DS_MODALFRAME
constexpr DWORD kExDlgModalFrame = 0x1;      // WS_EX_DLGMODALFRAME
constexpr DWORD kExNoParentNotify = 0x4;     // WS_EX_NOPARENTNOTIFY
constexpr DWORD kExWindowEdge = 0x100;       // WS_EX_WINDOWEDGE
constexpr DWORD kExClientEdge = 0x200;       // WS_EX_CLIENTEDGE
constexpr DWORD kExControlParent = 0x10000;  // WS_EX_CONTROLPARENT

Kind KindOf(const std::string& className) {
    if (className == "Button") return Kind::Button;
    if (className == "Static") return Kind::Static;
    if (className == "Edit") return Kind::Edit;
    if (className == "ListBox") return Kind::ListBox;
    return Kind::Other;
}

Window* Build(const DialogTemplate& t, HINSTANCE instance, HWND owner, DLGPROC proc) {
    Window* d = NewWindow(Kind::Dialog);
    d->className = "#32770";
    // The styles as the window manager leaves them after creation (Wine):
    // 3-D look, clipped siblings, a control parent with a window edge.
    d->style = t.style | kClipSiblings | kThreeDLook;
    d->exStyle = t.exStyle | kExControlParent | kExWindowEdge | ((t.style & kModalFrame) ? kExDlgModalFrame : 0);
    d->text = t.caption;
    d->x = t.x, d->y = t.y, d->cx = t.cx, d->cy = t.cy;
    d->instance = instance;
    d->owner = owner;
    d->proc = proc;
    d->templateId = t.id;
    d->enabled = !(t.style & WS_DISABLED);
    for (const ControlTemplate& ct : t.controls) {
        Window* c = NewWindow(KindOf(ct.className));
        c->className = ct.className;
        // Controls of a dialog do not notify their parent of their creation;
        // edits and list boxes draw a border as a sunken client edge; a list
        // box shows its scroll bars only once its items overflow, which the
        // simulation (having no fonts) never decides, so they stay off.
        c->style = ct.style;
        c->exStyle = ct.exStyle | kExNoParentNotify;
        if ((c->kind == Kind::Edit || c->kind == Kind::ListBox) && (c->style & kBorder)) {
            c->style &= ~kBorder;
            c->exStyle |= kExClientEdge;
        }
        if (c->kind == Kind::ListBox) c->style &= ~(kVScroll | kHScroll);
        c->id = ct.id;
        c->text = ct.text;
        c->x = ct.x, c->y = ct.y, c->cx = ct.cx, c->cy = ct.cy;
        c->instance = instance;
        c->parent = d->handle;
        c->enabled = !(ct.style & WS_DISABLED);
        d->children.push_back(c->handle);
    }
    return d;
}

// The control that gets the focus first: the first visible, enabled tab stop.
HWND FirstTabStop(Window* d) {
    for (HWND h : d->children) {
        Window* c = Find(h);
        if (c && (c->style & WS_TABSTOP) && (c->style & WS_VISIBLE) && c->enabled) return h;
    }
    return nullptr;
}

// What the close box does: IDCANCEL, unless a Cancel button is there and
// disabled.
void CloseBox(Window* d) {
    Window* cancel = Child(d, IDCANCEL);
    if (cancel && !cancel->enabled) return;
    Dispatch(d, WM_COMMAND, MAKEWPARAM(IDCANCEL, BN_CLICKED),
             reinterpret_cast<LPARAM>(cancel ? cancel->handle : nullptr));
}

// Runs the modal part: the script, then the close box, then -1.
INT_PTR Run(Window* d) {
    if (!d->ended) {
        DialogScript script;
        if (!State().scripts.empty()) {
            script = std::move(State().scripts.front());
            State().scripts.pop_front();
        }
        if (script) script(d->handle, d->templateId);
        if (!d->ended) CloseBox(d);
        if (!d->ended) {
            d->ended = true;
            d->result = -1;
        }
    }
    return d->result;
}

}  // namespace

void ResetDialogs() {
    State().scripts.clear();
    State().calls.clear();
}

}  // namespace sim::ui

using namespace sim::ui;

INT_PTR DialogBoxParamA(HINSTANCE hInstance, LPCSTR lpTemplateName, HWND hWndParent, DLGPROC lpDialogFunc,
                        LPARAM dwInitParam) {
    bool numeric = IS_INTRESOURCE(lpTemplateName);
    int id = numeric ? (int)(uintptr_t)lpTemplateName : -1;
    std::string name = numeric ? std::to_string(id) : std::string(lpTemplateName);
    if (!numeric && name.size() > 1 && name[0] == '#') {
        id = std::atoi(name.c_str() + 1);
        numeric = true;
        name = std::to_string(id);
    }
    // Every call is recorded, failed ones with their result.
    DialogState& state = State();
    size_t record = state.calls.size();
    state.calls.push_back(sim::DialogCall{id, hWndParent, dwInitParam, -1});
    DWORD status = 0;
    if (sim::detail::TakeFault("DialogBoxParamA", name, &status)) {
        sim::detail::SetError(status);
        return -1;
    }
    if (hWndParent && !Find(hWndParent)) {
        sim::detail::SetError(ERROR_INVALID_WINDOW_HANDLE);
        state.calls[record].result = 0;
        return 0;
    }
    std::string error;
    const sim::ResourceScript* script = CurrentScript(&error);
    if (!script) throw sim::ResourceScriptError(error);
    const sim::DialogTemplate* tmpl = nullptr;
    for (const sim::DialogTemplate& t : script->dialogs) {
        if (numeric ? t.id == id : (t.id == -1 && strcasecmp(t.name.c_str(), name.c_str()) == 0)) tmpl = &t;
    }
    if (!tmpl) {
        sim::detail::SetError(ERROR_RESOURCE_NAME_NOT_FOUND);
        return -1;
    }

    Window* d = Build(*tmpl, hInstance, hWndParent, lpDialogFunc);
    HWND dialog = d->handle;
    // The owner is disabled from before WM_INITDIALOG (as Wine does) until
    // the dialog is gone, also when the test's script throws.
    Window* owner = Find(hWndParent);
    bool ownerWasEnabled = owner && owner->enabled;
    if (ownerWasEnabled) SetEnabled(owner, false);
    struct Restore {
        HWND dialog;
        HWND owner;
        bool enable;
        ~Restore() {
            if (Window* w = Find(dialog)) Destroy(w);
            if (Window* o = Find(owner); o && enable) SetEnabled(o, true);
        }
    } restore{dialog, hWndParent, ownerWasEnabled};

    Dispatch(d, WM_INITDIALOG, reinterpret_cast<WPARAM>(FirstTabStop(d)), dwInitParam);
    INT_PTR result = Run(d);
    state.calls[record].result = result;
    return result;
}

BOOL EndDialog(HWND hDlg, INT_PTR nResult) {
    Window* any = FindAny(hDlg);
    DWORD status = 0;
    if (sim::detail::TakeFault("EndDialog", std::to_string(any ? any->templateId : 0), &status)) {
        sim::detail::SetError(status);
        return FALSE;
    }
    Window* d = Find(hDlg);
    if (!d || d->kind != Kind::Dialog) {
        sim::detail::SetError(ERROR_INVALID_WINDOW_HANDLE);
        return FALSE;
    }
    d->ended = true;
    d->result = nResult;
    return TRUE;
}

namespace sim {

void QueueDialogScript(DialogScript script) { ui::State().scripts.push_back(std::move(script)); }

void Click(HWND dialog, int id) {
    ui::Window* d = ui::Find(dialog);
    // Nobody can click in a dialog that has ended or sits under a modal one.
    if (!d || d->kind != ui::Kind::Dialog || d->ended || !d->enabled) return;
    ui::Window* c = ui::Child(d, id);
    if (!c) {
        if (id == IDCANCEL) {
            ui::CloseBox(d);  // the close box stands in for a missing Cancel button
            return;
        }
        throw std::invalid_argument("sim::Click: dialog " + std::to_string(d->templateId) + " has no control " +
                                    std::to_string(id));
    }
    if (c->kind != ui::Kind::Button)
        throw std::invalid_argument("sim::Click: control " + std::to_string(id) + " is no button");
    if (!c->enabled || !(c->style & WS_VISIBLE)) return;
    switch (c->style & BS_TYPEMASK) {
    case BS_AUTOCHECKBOX:
        c->check = c->check == BST_CHECKED ? BST_UNCHECKED : BST_CHECKED;
        break;
    case 0x6:  // BS_AUTO3STATE
        c->check = (c->check + 1) % 3;
        break;
    default:
        break;
    }
    ui::Dispatch(d, WM_COMMAND, MAKEWPARAM(id, BN_CLICKED), reinterpret_cast<LPARAM>(c->handle));
}

namespace {

// The dialog the user can reach, or nullptr: not ended, not under a modal one.
ui::Window* ActiveDialog(HWND dialog) {
    ui::Window* d = ui::Find(dialog);
    return d && d->kind == ui::Kind::Dialog && !d->ended && d->enabled ? d : nullptr;
}

ui::Window* UserControl(ui::Window* d, int id, ui::Kind kind, const char* what) {
    ui::Window* c = ui::Child(d, id);
    if (!c || c->kind != kind)
        throw std::invalid_argument(std::string("sim: dialog ") + std::to_string(d->templateId) + " has no " + what +
                                    " " + std::to_string(id));
    return c;
}

}  // namespace

void Type(HWND dialog, int id, const std::string& text) {
    ui::Window* d = ActiveDialog(dialog);
    if (!d) return;
    ui::Window* c = UserControl(d, id, ui::Kind::Edit, "edit control");
    if (!c->enabled || !(c->style & WS_VISIBLE) || (c->style & ES_READONLY)) return;
    // The limit counts characters; a cp932 character is one or two bytes.
    size_t end = 0;
    for (int chars = 0; end < text.size() && chars < c->limit; ++chars) {
        unsigned char b = (unsigned char)text[end];
        end += ((b >= 0x81 && b <= 0x9F) || (b >= 0xE0 && b <= 0xFC)) && end + 1 < text.size() ? 2 : 1;
    }
    std::string typed = text.substr(0, end);
    ui::Dispatch(c, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(typed.c_str()));
}

void ClickListItem(HWND dialog, int id, int index) {
    ui::Window* d = ActiveDialog(dialog);
    if (!d) return;
    ui::Window* c = UserControl(d, id, ui::Kind::ListBox, "list box");
    if (!c->enabled || !(c->style & WS_VISIBLE)) return;
    if (index < 0 || index >= (int)c->items.size())
        throw std::invalid_argument("sim::ClickListItem: list box " + std::to_string(id) + " has no item " +
                                    std::to_string(index));
    bool changed = true;
    if (c->style & LBS_MULTIPLESEL) {
        c->items[(size_t)index].selected = !c->items[(size_t)index].selected;
    } else if (c->style & LBS_EXTENDEDSEL) {
        for (size_t i = 0; i < c->items.size(); ++i) c->items[i].selected = (int)i == index;
    } else {
        changed = c->selected != index;
        c->selected = index;
    }
    c->caret = index;
    if (changed && (c->style & LBS_NOTIFY)) ui::Notify(c, LBN_SELCHANGE);
}

bool DialogEnded(HWND dialog) {
    ui::Window* d = ui::FindAny(dialog);
    return !d || d->destroyed || d->ended;
}

const std::vector<DialogCall>& Dialogs() { return ui::State().calls; }

bool LoadDialogTemplate(int id, DialogTemplate* out, std::string* error) {
    const ResourceScript* script = ui::CurrentScript(error);
    if (!script) return false;
    for (const DialogTemplate& d : script->dialogs) {
        if (d.id == id) {
            *out = d;
            return true;
        }
    }
    *error = "no dialog template " + std::to_string(id) + " in " + ui::CurrentScriptPath();
    return false;
}

namespace ui {

namespace {

#ifndef BRV_RESOURCE_SCRIPT
#define BRV_RESOURCE_SCRIPT ""
#endif

struct ScriptCache {
    std::string path = BRV_RESOURCE_SCRIPT;
    std::string parsedPath;
    std::string parsedStamp;
    bool ok = false;
    std::string error;
    ResourceScript script;
};

ScriptCache& Cache() {
    static ScriptCache cache;
    return cache;
}

// Modification time and size of the script, so an edited script is read
// again without parsing an unchanged one for every test.
std::string Stamp(const std::string& path) {
    struct stat st;
    if (stat(path.c_str(), &st) != 0) return "missing";
    return std::to_string((long long)st.st_mtime) + "/" + std::to_string((long long)st.st_mtim.tv_nsec) + "/" +
           std::to_string((long long)st.st_size);
}

}  // namespace

const ResourceScript* CurrentScript(std::string* error) {
    ScriptCache& c = Cache();
    std::string stamp = Stamp(c.path);
    if (c.parsedPath != c.path || c.parsedStamp != stamp) {
        c.parsedPath = c.path;
        c.parsedStamp = stamp;
        c.error.clear();
        c.ok = ParseResourceScript(c.path, &c.script, &c.error);
    }
    if (!c.ok) {
        *error = c.error;
        return nullptr;
    }
    return &c.script;
}

const std::string& CurrentScriptPath() { return Cache().path; }

void SetScriptPath(const std::string& path) { Cache().path = path; }

void ResetScriptPath() { Cache().path = BRV_RESOURCE_SCRIPT; }

}  // namespace ui

void SetResourceScript(const std::string& hostPath) { ui::SetScriptPath(hostPath); }

}  // namespace sim
