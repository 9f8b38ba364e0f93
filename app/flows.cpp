// The four file flows: a question, the file dialog, the save or load dialog
// that does the work, the completion box and the clean-up.
#include "app/flows.h"

#include "app/restart_prompt.h"
#include "base/workarea.h"
#include "ieoe/ieoe_dialogs.h"
#include "resources/resource.h"
#include "tcpip/tcpip_dialogs.h"

namespace {

const char kIeOeQuestion[] = "現在動作しているInternet ExplorerおよびOutlook Expressをすべて終了してください。";
const char kTcpipQuestion[] =
    "この操作には管理者権限が必要です。また、このコンピュータのすべてのユーザに影響を及ぼすことに注意してください。";
// The string literal adds the second NUL that ends the list.
const char kIeOeFilter[] = "IE/OE設定用ファイル(*.ies)\0*.ies\0すべてのファイル(*.*)\0*.*\0";
const char kTcpipFilter[] = "TCP/IP設定用ファイル(*.ips)\0*.ips\0すべてのファイル\0*.*\0";
const char kSaved[] = "処理が完了しました。";
const char kDone[] = "処理を完了しました。";
constexpr DWORD kOpenFlags = OFN_FILEMUSTEXIST | OFN_HIDEREADONLY;

BOOL ChooseProfileFile(HWND owner, const FileFlow& flow);

}  // namespace

const FileFlow kIeOeSaveFlow = {"現行のIE/OEの設定をファイルにセーブ", kIeOeQuestion, TRUE, kIeOeFilter, 0, "ies",
                                IDD_IEOE, IeOeSaveDialogProc, kSaved, FALSE};
const FileFlow kIeOeLoadFlow = {"現行のIE/OEの設定をファイルからロード", kIeOeQuestion, FALSE, kIeOeFilter,
                                kOpenFlags, "ies", IDD_IEOE, IeOeLoadDialogProc, kDone, FALSE};
const FileFlow kTcpipSaveFlow = {"現行のTCP/IPの設定をファイルにセーブ", nullptr, TRUE, kTcpipFilter, 0, "ips",
                                 IDD_TCPIP, TcpipSaveDialogProc, kDone, FALSE};
const FileFlow kTcpipLoadFlow = {"現行のTCP/IPの設定をファイルからロード", kTcpipQuestion, FALSE, kTcpipFilter,
                                 kOpenFlags, "ips", IDD_TCPIP, TcpipLoadDialogProc, kDone, TRUE};

void RunFileFlow(HWND owner, const FileFlow& flow) {
    if (!AskFlowQuestion(owner, flow)) return;
    if (!ChooseProfileFile(owner, flow)) return;
    HINSTANCE instance = reinterpret_cast<HINSTANCE>(GetWindowLongPtrA(owner, GWLP_HINSTANCE));
    RunFlowDialog(owner, instance, flow);
    ClearWorkDirectory(owner);
    ProfileFilePath[0] = '\0';
}

BOOL AskFlowQuestion(HWND owner, const FileFlow& flow) {
    if (!flow.question) return TRUE;
    return MessageBoxA(owner, flow.question, flow.title, MB_OKCANCEL | MB_ICONQUESTION) == IDOK;
}

void RunFlowDialog(HWND owner, HINSTANCE instance, const FileFlow& flow) {
    INT_PTR result =
        DialogBoxParamA(instance, MAKEINTRESOURCEA(flow.dialogTemplate), owner, flow.dialogProc, 0);
    if (result != IDOK) return;
    MessageBoxA(owner, flow.completion, flow.title, MB_ICONINFORMATION);
    if (flow.offersRestart) RestartPrompt(owner, instance);
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
    dialog.lpstrFilter = flow.filter;
    dialog.lpstrFile = ProfileFilePath;
    dialog.nMaxFile = kPathBufferSize;
    dialog.lpstrTitle = flow.title;
    dialog.Flags = flow.fileDialogFlags;
    dialog.lpstrDefExt = flow.defaultExtension;
    BOOL chosen = flow.save ? GetSaveFileNameA(&dialog) : GetOpenFileNameA(&dialog);
    // A dialog that failed may have left the size it wanted in the buffer;
    // the next flow's dialog would offer those bytes as the file name.
    if (!chosen) ProfileFilePath[0] = '\0';
    return chosen;
}

}  // namespace
