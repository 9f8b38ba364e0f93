// Registering and removing the shell association of .ies and .ips files.
#include "app/association.h"

#include "base/report.h"
#include "base/workarea.h"
#include "ieoe/ieoe_group.h"
#include "resources/resource.h"
#include "snapshot/registry_clear.h"
#include "tcpip/tcpip_group.h"
#include "winapi/guards.h"
#include "winapi/message_size.h"

namespace {

// What differs between the two file types is in the groups' records;
// everything else is done once.
typedef SettingsGroup FileType;
const FileType* const kFileTypes[] = {&kIeOeGroup, &kTcpipGroup};

const char kNotFound[] = "レジストリキー\"HKEY_CLASSES_ROOT\\%s\"が見つかりません。";

// What set-up learnt about one file type.
enum class TypeState { Registered, Free, TakeoverRefused, Unknown };

void InitAssociationDialog(HWND dialog);
BOOL IsNtFamily();
TypeState ExamineFileType(HWND dialog, const FileType& type);
LONG OpenToTest(LPCSTR subkey);
BOOL ApplyAssociation(HWND dialog);
BOOL GetProgramPath(HWND dialog, LPSTR path);
BOOL WriteFileType(HWND dialog, const FileType& type, LPCSTR program);
BOOL WriteDefaultValue(HWND dialog, LPCSTR subkey, LPCSTR data);
BOOL ClearFileType(HWND dialog, const FileType& type);

}  // namespace

INT_PTR CALLBACK AssociationDialogProc(HWND dialog, UINT message, WPARAM wParam, LPARAM) {
    if (message == WM_INITDIALOG) {
        InitAssociationDialog(dialog);
        return FALSE;
    }
    if (message != WM_COMMAND) return FALSE;
    if (wParam == IDOK) {
        // Disabled OK means set-up failed; Enter must not get past it either.
        if (IsWindowEnabled(GetDlgItem(dialog, IDOK)) && ApplyAssociation(dialog)) EndDialog(dialog, IDOK);
        return TRUE;
    }
    if (wParam == IDCANCEL) {
        EndDialog(dialog, IDCANCEL);
        return TRUE;
    }
    return FALSE;
}

namespace {

// The TCP/IP box is disabled on the Windows 95 family, where there are no
// TCP/IP settings to load, but shows and keeps its registry state all the same.
void InitAssociationDialog(HWND dialog) {
    if (!IsNtFamily()) EnableWindow(GetDlgItem(dialog, IDC_ASSOC_TCPIP), FALSE);
    for (const FileType* type : kFileTypes) {
        TypeState state = ExamineFileType(dialog, *type);
        if (state == TypeState::Registered) CheckDlgButton(dialog, type->associationBox, BST_CHECKED);
        if (state == TypeState::TakeoverRefused) {
            EndDialog(dialog, IDCANCEL);
            return;
        }
        // OK would remove the extension keys of a type never looked at,
        // another application's included, without asking.
        if (state == TypeState::Unknown) {
            EnableWindow(GetDlgItem(dialog, IDOK), FALSE);
            return;
        }
    }
}

BOOL IsNtFamily() {
    OSVERSIONINFOA version = {};
    version.dwOSVersionInfoSize = sizeof version;
    GetVersionExA(&version);
    return version.dwPlatformId == VER_PLATFORM_WIN32_NT;
}

// Our ProgID counts as registered whatever the extension holds. Without it,
// an extension key that exists belongs to another application, and OK may
// replace or remove it only after the user said yes.
TypeState ExamineFileType(HWND dialog, const FileType& type) {
    SetLastError(OpenToTest(type.progId));
    if (GetLastError() == ERROR_SUCCESS) return TypeState::Registered;
    if (GetLastError() != ERROR_FILE_NOT_FOUND) {
        ReportSystemErrorWith(dialog, kNotFound, type.progId);
        return TypeState::Unknown;
    }

    SetLastError(OpenToTest(type.extension));
    if (GetLastError() == ERROR_FILE_NOT_FOUND) return TypeState::Free;
    if (GetLastError() != ERROR_SUCCESS) {
        ReportSystemErrorWith(dialog, kNotFound, type.extension);
        return TypeState::Unknown;
    }
    CHAR question[kMessageBufferSize];
    CHAR caption[kMessageBufferSize];
    wsprintfA(question,
              "拡張子%sはすでにほかのアプリケーションによって設定されているようです。"
              "ほかのアプリケーションによる設定を削除しますか。",
              type.extension);
    wsprintfA(caption, "拡張子%s設定上書き許可", type.extension);
    int answer = MessageBoxA(dialog, question, caption, MB_YESNO | MB_ICONQUESTION | MB_DEFBUTTON2);
    return answer == IDYES ? TypeState::Free : TypeState::TakeoverRefused;
}

// Opens a key under HKEY_CLASSES_ROOT without asking for any access, only to
// learn whether it exists; returns the registry's status.
LONG OpenToTest(LPCSTR subkey) {
    KeyGuard key;
    LONG status = RegOpenKeyExA(HKEY_CLASSES_ROOT, subkey, 0, 0, &key.key);
    if (status != ERROR_SUCCESS) key.key = nullptr;
    return status;
}

// Stops at the first failure, already reported; what was written stays.
BOOL ApplyAssociation(HWND dialog) {
    CHAR program[kPathBufferSize];
    if (!GetProgramPath(dialog, program)) return FALSE;
    for (const FileType* type : kFileTypes) {
        BOOL done = IsDlgButtonChecked(dialog, type->associationBox) == BST_CHECKED
                        ? WriteFileType(dialog, *type, program)
                        : ClearFileType(dialog, *type);
        if (!done) return FALSE;
    }
    return TRUE;
}

// The program file itself, not the command line: started through PATH or by
// a relative name, the command line names no file the shell could start.
BOOL GetProgramPath(HWND dialog, LPSTR path) {
    DWORD length = GetModuleFileNameA(nullptr, path, kPathBufferSize);
    if (length > 0 && length < kPathBufferSize) return TRUE;
    // A path cut at the buffer's end would register a program that does not exist.
    if (length > 0) SetLastError(ERROR_INSUFFICIENT_BUFFER);
    ReportSystemError(dialog, "このプログラムのファイル名を取得できません。");
    return FALSE;
}

BOOL WriteFileType(HWND dialog, const FileType& type, LPCSTR program) {
    CHAR commandKey[kMessageBufferSize];
    CHAR command[kMessageBufferSize];
    CHAR iconKey[kMessageBufferSize];
    CHAR icon[kMessageBufferSize];
    wsprintfA(commandKey, "%s\\shell\\open\\command", type.progId);
    // The shell fills in %1 with the file's path.
    wsprintfA(command, "\"%s\" \"%%1\" /%s", program, type.word);
    wsprintfA(iconKey, "%s\\DefaultIcon", type.progId);
    wsprintfA(icon, "%s,%d", program, type.iconIndex);
    return WriteDefaultValue(dialog, type.extension, type.progId) &&
           WriteDefaultValue(dialog, commandKey, command) && WriteDefaultValue(dialog, iconKey, icon);
}

// Creates HKEY_CLASSES_ROOT\<subkey> with any missing parents and sets its
// default value to `data` as REG_SZ, the NUL counted in the length.
BOOL WriteDefaultValue(HWND dialog, LPCSTR subkey, LPCSTR data) {
    KeyGuard key;
    SetLastError(RegCreateKeyExA(HKEY_CLASSES_ROOT, subkey, 0, nullptr, 0, KEY_WRITE, nullptr, &key.key, nullptr));
    if (GetLastError() != ERROR_SUCCESS) {
        key.key = nullptr;
        ReportSystemErrorWith(dialog, "レジストリキー\"HKEY_CLASSES_ROOT\\%s\"に書き込みアクセスを適用できません。",
                              subkey);
        return FALSE;
    }
    DWORD size = static_cast<DWORD>(lstrlenA(data)) + 1;
    SetLastError(RegSetValueExA(key.key, nullptr, 0, REG_SZ, reinterpret_cast<const BYTE*>(data), size));
    if (GetLastError() != ERROR_SUCCESS) {
        ReportSystemErrorWith(dialog, "レジストリ値\"HKEY_CLASSES_ROOT\\%s\\\"に値を設定できません。", subkey);
        return FALSE;
    }
    return TRUE;
}

// A clearing that failed has been reported; going on would close the dialog
// as though everything had been removed.
BOOL ClearFileType(HWND dialog, const FileType& type) {
    return ClearRegistryTree(dialog, HKEY_CLASSES_ROOT, type.extension) &&
           ClearRegistryTree(dialog, HKEY_CLASSES_ROOT, type.progId);
}

}  // namespace
