// The two modes (the main window, or straight to a load for a file the shell
// opened) and the parsing of the command line that chooses between them.
#include "app/modes.h"

#include "app/flows.h"
#include "app/main_window.h"
#include "base/report.h"
#include "base/workarea.h"
#include "resources/resource.h"

namespace {

const char kNeedsAssociation[] = "この項目を実行するには関連設定を行う必要があります。";

const FileFlow* LoadFlowOfMode(int mode);

}  // namespace

void RunCommandLineMode(HINSTANCE instance, LPSTR arguments) {
    const FileFlow* flow = LoadFlowOfMode(ParseCommandLine(arguments));
    if (!flow) {
        ShowInformation(nullptr, kNeedsAssociation);
    } else if (AskFlowQuestion(nullptr, *flow)) {
        RunFlowDialog(nullptr, instance, *flow);
    }
    ClearWorkDirectory(WorkDirectory);
}

// The TCP/IP group exists only on the NT family; the Windows 95 family gets
// the window without it. A failed version query reads as the 95 family.
void RunWindowMode(HINSTANCE instance) {
    OSVERSIONINFOA version = {};
    version.dwOSVersionInfoSize = sizeof version;
    GetVersionExA(&version);
    int window = version.dwPlatformId == VER_PLATFORM_WIN32_NT ? IDD_MAIN_NT : IDD_MAIN_95;
    DialogBoxParamA(instance, MAKEINTRESOURCEA(window), nullptr, MainDialogProc, 0);
}

namespace {

const FileFlow* LoadFlowOfMode(int mode) {
    if (mode == kModeIeOe) return &kIeOeLoadFlow;
    if (mode == kModeTcpip) return &kTcpipLoadFlow;
    return nullptr;
}

}  // namespace

int ParseCommandLine(LPCSTR arguments) {
    LPCSTR p = arguments;
    while (*p == ' ') ++p;

    int copied = 0;
    bool quoted = false;
    while (copied < kPathBufferSize) {
        CHAR c = *p;
        if (c == '\0') {  // a path without a switch
            ProfileFilePath[copied] = '\0';
            return kModeUnknown;
        }
        if (c == '"') {
            quoted = !quoted;
        } else if (c == ' ' && !quoted) {
            break;
        } else {
            ProfileFilePath[copied++] = c;
        }
        ++p;
    }
    ProfileFilePath[copied] = '\0';
    // A token cut at 260 bytes resumes at the last byte copied, not after it.
    if (copied == kPathBufferSize) --p;

    while (*p == ' ') ++p;
    if (p[0] == '/' && p[1] == 'i' && p[2] == 'e' && p[3] == 's') return kModeIeOe;
    if (p[0] == '/' && p[1] == 'i' && p[2] == 'p' && p[3] == 's') return kModeTcpip;
    return kModeUnknown;
}
