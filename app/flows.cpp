// The four file flows: a question, the file dialog, the save or load dialog
// that does the work, the completion box and the clean-up.
#include "app/flows.h"

#include "app/restart_prompt.h"
#include "base/workarea.h"
#include "ieoe/ieoe_group.h"
#include "tcpip/tcpip_group.h"

namespace {

const char kLoaded[] = "処理を完了しました。";
constexpr DWORD kOpenFlags = OFN_FILEMUSTEXIST | OFN_HIDEREADONLY;
// Any file can be chosen through "すべてのファイル": Windows asks before one
// that exists is replaced.
constexpr DWORD kSaveFlags = OFN_OVERWRITEPROMPT;

LPCSTR TitleOf(const FileFlow& flow) { return flow.save ? flow.group->saveFlowTitle : flow.group->loadFlowTitle; }
BOOL ChooseProfileFile(HWND owner, const FileFlow& flow);

}  // namespace

const FileFlow kIeOeSaveFlow = {&kIeOeGroup, TRUE};
const FileFlow kIeOeLoadFlow = {&kIeOeGroup, FALSE};
const FileFlow kTcpipSaveFlow = {&kTcpipGroup, TRUE};
const FileFlow kTcpipLoadFlow = {&kTcpipGroup, FALSE};

void RunFileFlow(HWND owner, const FileFlow& flow) {
    if (!AskFlowQuestion(owner, flow)) return;
    if (!ChooseProfileFile(owner, flow)) return;
    HINSTANCE instance = reinterpret_cast<HINSTANCE>(GetWindowLongPtrA(owner, GWLP_HINSTANCE));
    RunFlowDialog(owner, instance, flow);
    ClearWorkDirectory(WorkDirectory);
    ProfileFilePath[0] = '\0';
}

BOOL AskFlowQuestion(HWND owner, const FileFlow& flow) {
    const LPCSTR question = flow.save ? flow.group->saveQuestion : flow.group->loadQuestion;
    if (!question) return TRUE;
    return MessageBoxA(owner, question, TitleOf(flow), MB_OKCANCEL | MB_ICONQUESTION) == IDOK;
}

void RunFlowDialog(HWND owner, HINSTANCE instance, const FileFlow& flow) {
    const SettingsGroup& group = *flow.group;
    INT_PTR result = DialogBoxParamA(instance, MAKEINTRESOURCEA(group.dialogTemplate), owner,
                                     flow.save ? group.saveProc : group.loadProc, 0);
    if (result != IDOK) return;
    MessageBoxA(owner, flow.save ? group.saveCompletion : kLoaded, TitleOf(flow), MB_ICONINFORMATION);
    if (!flow.save && group.restartAfterLoad) RestartPrompt(owner, instance);
}

namespace {

// Puts the chosen path into ProfileFilePath; FALSE when the user cancelled
// or the dialog failed (a path too long for the buffer, for one).
BOOL ChooseProfileFile(HWND owner, const FileFlow& flow) {
    OPENFILENAMEA dialog = {};
    // The layout every Windows version takes; the current record's larger
    // size would be refused by the oldest ones.
    dialog.lStructSize = OPENFILENAME_SIZE_VERSION_400A;
    dialog.hwndOwner = owner;
    dialog.lpstrFilter = flow.group->filter;
    dialog.lpstrFile = ProfileFilePath;
    dialog.nMaxFile = kPathBufferSize;
    dialog.lpstrTitle = TitleOf(flow);
    dialog.Flags = flow.save ? kSaveFlags : kOpenFlags;
    // The extension without its dot.
    dialog.lpstrDefExt = flow.group->extension + 1;
    BOOL chosen = flow.save ? GetSaveFileNameA(&dialog) : GetOpenFileNameA(&dialog);
    // A dialog that failed may have left the size it wanted in the buffer;
    // the next flow's dialog would offer those bytes as the file name.
    if (!chosen) ProfileFilePath[0] = '\0';
    return chosen;
}

}  // namespace
