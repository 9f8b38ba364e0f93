// The helpers of both dialogs: the header from and into their boxes, and an
// entry named in a message.
#include "settings/settings_dialog.h"

#include "base/report.h"
#include "base/report_context.h"
#include "settings/list_entry.h"
#include "snapshot/profile_header.h"
#include "winapi/guards.h"

namespace {

BOOL FetchText(HWND control, HeapBlock* text);

}  // namespace

int WriteProfileHeaderFromDialog(HWND dialog, LPCSTR directory, BYTE kind, int nameId, int commentId) {
    HeapBlock name;
    HeapBlock comment;
    if (!FetchText(GetDlgItem(dialog, nameId), &name) || !FetchText(GetDlgItem(dialog, commentId), &comment)) {
        CHAR path[kMessageBufferSize];
        wsprintfA(path, "%sprofile", directory);
        SetLastError(ERROR_NOT_ENOUGH_MEMORY);
        ReportFailureOn(dialog, Named::kTemporaryFile, path, kActionWriteInto, "プロフィールの情報を");
        return 0;
    }
    return WriteProfileHeader(dialog, directory, kind, name.text(), comment.text());
}

BOOL ShowProfileHeader(HWND dialog, LPCSTR directory, BYTE kind, BOOL required, int nameId, int commentId) {
    ProfileHeader header;
    const ProfileHeaderResult result = ReadProfileHeader(dialog, directory, kind, required, &header);
    if (result == kProfileHeaderFailed) return FALSE;
    if (result == kProfileHeaderRead) {
        SetDlgItemTextA(dialog, nameId, header.sourceName);
        SendDlgItemMessageA(dialog, commentId, EM_SETREADONLY, TRUE, 0);
        if (header.hasComment) SetDlgItemTextA(dialog, commentId, header.comment);
    }
    FreeProfileHeader(&header);
    return TRUE;
}

BOOL ShowEntryMessage(HWND dialog, int listId, int item, LPCSTR format) {
    HeapBlock name;
    if (!ReadListEntryText(dialog, listId, item, &name)) return FALSE;
    CHAR message[kMessageBufferSize];
    wsprintfA(message, format, name.text());
    ShowInformation(dialog, message);
    return TRUE;
}

namespace {

// The whole text of a box in a heap block of its length plus 1.
BOOL FetchText(HWND control, HeapBlock* text) {
    const int length = GetWindowTextLengthA(control);
    if (!text->Allocate(static_cast<SIZE_T>(length > 0 ? length : 0) + 1)) return FALSE;
    const int got = GetWindowTextA(control, text->text(), (length > 0 ? length : 0) + 1);
    text->text()[got > 0 ? got : 0] = 0;
    return TRUE;
}

}  // namespace
