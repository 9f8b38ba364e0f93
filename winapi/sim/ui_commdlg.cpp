// Message boxes and the common file dialogs: every call is recorded as the
// program made it and answered by the scripted user from the test's queue.
#include <sys/stat.h>

#include <cstring>
#include <deque>
#include <stdexcept>

#include "sim_internal.h"
#include "simctl.h"
#include "ui_internal.h"

namespace sim::ui {

namespace {

struct FileAnswer {
    bool cancel;
    std::string path;
};

struct BoxState {
    std::deque<int> messageAnswers;
    std::vector<MessageBoxCall> messageBoxes;
    std::deque<FileAnswer> fileAnswers;
    std::vector<FileDialogCall> fileDialogs;
};

BoxState& State() {
    static BoxState state;
    return state;
}

// The buttons of a message box type, the first being what Enter presses.
std::vector<int> Buttons(UINT type) {
    switch (type & MB_TYPEMASK) {
    case MB_OK: return {IDOK};
    case MB_OKCANCEL: return {IDOK, IDCANCEL};
    case MB_ABORTRETRYIGNORE: return {IDABORT, IDRETRY, IDIGNORE};
    case MB_YESNOCANCEL: return {IDYES, IDNO, IDCANCEL};
    case MB_YESNO: return {IDYES, IDNO};
    case MB_RETRYCANCEL: return {IDRETRY, IDCANCEL};
    default: return {IDCANCEL, 10, 11};  // MB_CANCELTRYCONTINUE: IDTRYAGAIN, IDCONTINUE
    }
}

// The whole filter: pairs of NUL-terminated texts up to the empty one.
std::string FilterBytes(LPCSTR filter) {
    if (!filter) return "";
    const char* p = filter;
    while (*p) p += std::strlen(p) + 1;
    return std::string(filter, (size_t)(p - filter + 1));
}

bool HostFileExists(const std::string& windowsPath) {
    struct stat st;
    return stat(sim::HostPath(windowsPath).c_str(), &st) == 0 && S_ISREG(st.st_mode);
}

BOOL FileDialog(bool save, LPOPENFILENAMEA ofn) {
    const char* function = save ? "GetSaveFileNameA" : "GetOpenFileNameA";
    DWORD status = 0;
    if (sim::detail::TakeFault(function, ofn && ofn->lpstrTitle ? ofn->lpstrTitle : "", &status)) {
        sim::detail::SetError(status);
        return FALSE;
    }
    // The dialog refuses a record of an unknown size before it shows anything
    // (CDERR_STRUCTSIZE).
    if (!ofn || (ofn->lStructSize != sizeof(OPENFILENAMEA) && ofn->lStructSize != OPENFILENAME_SIZE_VERSION_400A))
        return FALSE;

    FileDialogCall call;
    call.save = save;
    call.ofn = *ofn;
    call.filter = FilterBytes(ofn->lpstrFilter);
    call.title = ofn->lpstrTitle ? ofn->lpstrTitle : "";
    call.defExt = ofn->lpstrDefExt ? ofn->lpstrDefExt : "";
    State().fileDialogs.push_back(call);

    FileAnswer answer{true, ""};
    if (!State().fileAnswers.empty()) {
        answer = State().fileAnswers.front();
        State().fileAnswers.pop_front();
    }
    if (answer.cancel) return FALSE;

    std::string path = answer.path;
    size_t nameStart = path.find_last_of("\\/");
    nameStart = nameStart == std::string::npos ? 0 : nameStart + 1;
    // A name typed without extension gets the default one, as the dialog does.
    if (path.find('.', nameStart) == std::string::npos && !call.defExt.empty()) path += "." + call.defExt;
    if (!save && (ofn->Flags & OFN_FILEMUSTEXIST) && !HostFileExists(path))
        throw std::invalid_argument("sim: the open dialog cannot return the missing file " + path);
    if (!ofn->lpstrFile) return FALSE;
    if (path.size() + 1 > ofn->nMaxFile) {
        // FNERR_BUFFERTOOSMALL: the first two bytes give the size needed.
        if (ofn->nMaxFile >= 2) {
            WORD needed = (WORD)(path.size() + 1);
            std::memcpy(ofn->lpstrFile, &needed, sizeof needed);
        }
        return FALSE;
    }
    std::memcpy(ofn->lpstrFile, path.c_str(), path.size() + 1);
    size_t dot = path.find('.', nameStart);
    size_t lastDot = path.rfind('.');
    ofn->nFileOffset = (WORD)nameStart;
    ofn->nFileExtension = (WORD)(dot == std::string::npos ? path.size() : lastDot + 1);
    if (ofn->lpstrFileTitle && ofn->nMaxFileTitle > 0) CopyText(path.substr(nameStart), ofn->lpstrFileTitle, (int)ofn->nMaxFileTitle, true);
    return TRUE;
}

}  // namespace

void ResetBoxes() { State() = BoxState(); }

}  // namespace sim::ui

using namespace sim::ui;

int MessageBoxA(HWND hWnd, LPCSTR lpText, LPCSTR lpCaption, UINT uType) {
    DWORD status = 0;
    if (sim::detail::TakeFault("MessageBoxA", lpText ? lpText : "", &status)) {
        sim::detail::SetError(status);
        return 0;
    }
    // An owner that is no window: nothing is shown (Wine answers -1).
    if (hWnd && !Find(hWnd)) {
        sim::detail::SetError(ERROR_INVALID_WINDOW_HANDLE);
        return -1;
    }
    sim::MessageBoxCall call{hWnd, lpText ? lpText : "", lpCaption ? lpCaption : "", lpCaption == nullptr, uType};
    State().messageBoxes.push_back(call);
    std::vector<int> buttons = Buttons(uType);
    if (State().messageAnswers.empty()) return buttons.front();
    int answer = State().messageAnswers.front();
    State().messageAnswers.pop_front();
    for (int b : buttons)
        if (b == answer) return answer;
    throw std::invalid_argument("sim: answer " + std::to_string(answer) + " is no button of the message box \"" +
                                call.text + "\"");
}

BOOL GetOpenFileNameA(LPOPENFILENAMEA lpofn) { return FileDialog(false, lpofn); }

BOOL GetSaveFileNameA(LPOPENFILENAMEA lpofn) { return FileDialog(true, lpofn); }

namespace sim {

void QueueMessageBoxAnswer(int answer) { ui::State().messageAnswers.push_back(answer); }

const std::vector<MessageBoxCall>& MessageBoxes() { return ui::State().messageBoxes; }

void QueueFileDialogAnswer(const std::string& path) { ui::State().fileAnswers.push_back({false, path}); }

void QueueFileDialogCancel() { ui::State().fileAnswers.push_back({true, ""}); }

const std::vector<FileDialogCall>& FileDialogs() { return ui::State().fileDialogs; }

}  // namespace sim
