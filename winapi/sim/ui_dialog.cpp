// The simulated dialog manager: DialogBoxParamA builds the dialog from its
// template in the resource script, sends WM_INITDIALOG and lets the test's
// scripted user play it until EndDialog. Modal like the real one: the owner
// is disabled while the dialog runs, and a dialog opened from a dialog
// procedure runs inside the outer one with the next queued script.
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
    d->style = t.style;
    d->exStyle = t.exStyle;
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
        c->style = ct.style;
        c->exStyle = ct.exStyle;
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
    DWORD status = 0;
    if (sim::detail::TakeFault("DialogBoxParamA", name, &status)) {
        sim::detail::SetError(status);
        return -1;
    }
    if (hWndParent && !Find(hWndParent)) {
        sim::detail::SetError(ERROR_INVALID_WINDOW_HANDLE);
        return 0;
    }
    std::string error;
    const sim::ResourceScript* script = CurrentScript(&error);
    if (!script) throw sim::ResourceScriptError(error);
    const sim::DialogTemplate* tmpl = nullptr;
    for (const sim::DialogTemplate& t : script->dialogs) {
        if (numeric ? t.id == id : (t.id == -1 && t.name == name)) tmpl = &t;
    }
    if (!tmpl) {
        sim::detail::SetError(ERROR_RESOURCE_NAME_NOT_FOUND);
        return -1;
    }

    DialogState& state = State();
    size_t record = state.calls.size();
    state.calls.push_back(sim::DialogCall{tmpl->id, hWndParent, dwInitParam, 0});
    Window* d = Build(*tmpl, hInstance, hWndParent, lpDialogFunc);
    HWND dialog = d->handle;
    // The owner is disabled while its modal dialog runs, and enabled again
    // afterwards, also when the test's script throws.
    Window* owner = Find(hWndParent);
    bool ownerWasEnabled = owner && owner->enabled;
    if (ownerWasEnabled) owner->enabled = false;
    struct Restore {
        HWND dialog;
        HWND owner;
        bool enable;
        ~Restore() {
            if (Window* w = Find(dialog)) Destroy(w);
            if (Window* o = Find(owner); o && enable) o->enabled = true;
        }
    } restore{dialog, hWndParent, ownerWasEnabled};

    Dispatch(d, WM_INITDIALOG, reinterpret_cast<WPARAM>(FirstTabStop(d)), dwInitParam);
    INT_PTR result = Run(Find(dialog) ? Find(dialog) : FindAny(dialog));
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
