// The main window's commands: one flow per button, the association, the close box.
#include "app/main_window.h"

#include "app/association.h"
#include "app/flows.h"
#include "resources/resource.h"

namespace {

struct FlowButton {
    int id;
    const FileFlow* flow;
};

// 1003 and 1004 exist only in the NT family's template.
const FlowButton kFlowButtons[] = {
    {IDC_IEOE_SAVE, &kIeOeSaveFlow},
    {IDC_IEOE_LOAD, &kIeOeLoadFlow},
    {IDC_TCPIP_SAVE, &kTcpipSaveFlow},
    {IDC_TCPIP_LOAD, &kTcpipLoadFlow},
};

const FileFlow* FlowOfButton(int id);
void RunAssociationDialog(HWND dialog);

}  // namespace

INT_PTR CALLBACK MainDialogProc(HWND dialog, UINT message, WPARAM wParam, LPARAM) {
    if (message != WM_COMMAND) return FALSE;
    int id = LOWORD(wParam);
    if (const FileFlow* flow = FlowOfButton(id)) {
        RunFileFlow(dialog, *flow);
        return TRUE;
    }
    if (id == IDC_ASSOCIATE) {
        RunAssociationDialog(dialog);
        return TRUE;
    }
    if (id == IDCANCEL) {
        EndDialog(dialog, IDCANCEL);
        return TRUE;
    }
    return FALSE;
}

namespace {

const FileFlow* FlowOfButton(int id) {
    for (const FlowButton& button : kFlowButtons) {
        if (button.id == id) return button.flow;
    }
    return nullptr;
}

// Its result tells nothing the main window acts on.
void RunAssociationDialog(HWND dialog) {
    HINSTANCE instance = reinterpret_cast<HINSTANCE>(GetWindowLongPtrA(dialog, GWLP_HINSTANCE));
    DialogBoxParamA(instance, MAKEINTRESOURCEA(IDD_ASSOCIATION), dialog, AssociationDialogProc, 0);
}

}  // namespace
