// Registering and removing the shell association of .ies and .ips files.
#include "app/association.h"

#include "base/registry_key.h"
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

constexpr char kClassesRoot[] = "HKEY_CLASSES_ROOT";

// Whom an extension key belongs to, by the ProgID its default value names.
enum class Owner { Nobody, Us, Another, Unknown };

// What set-up learnt about one file type.
enum class TypeState { Registered, Unregistered, Unknown };

void InitAssociationDialog(HWND dialog);
BOOL IsNtFamily();
TypeState ExamineFileType(HWND dialog, const FileType& type);
Owner FindExtensionOwner(HWND dialog, const FileType& type);
BOOL NamesProgId(DWORD valueType, LPSTR data, DWORD size, LPCSTR progId);
void ConfirmTakeover(HWND dialog, const FileType& type);
int AskTakeover(HWND dialog, const FileType& type);
Presence FindProgId(HWND dialog, const FileType& type);
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
    for (const FileType* type : kFileTypes) {
        if (wParam != static_cast<WPARAM>(MAKEWPARAM(type->associationBox, BN_CLICKED))) continue;
        if (IsDlgButtonChecked(dialog, type->associationBox) == BST_CHECKED) ConfirmTakeover(dialog, *type);
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
        // OK would remove the keys of a type never looked at without asking.
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

// Registered means the shell would start us: the extension names our ProgID
// and the ProgID is there. Our ProgID alone says nothing: another program
// may have taken the extension since.
TypeState ExamineFileType(HWND dialog, const FileType& type) {
    const Presence progIdFound = FindProgId(dialog, type);
    if (progIdFound == Presence::kFailed) return TypeState::Unknown;
    const BOOL progIdThere = progIdFound == Presence::kPresent;
    const Owner owner = FindExtensionOwner(dialog, type);
    if (owner == Owner::Unknown) return TypeState::Unknown;
    return progIdThere && owner == Owner::Us ? TypeState::Registered : TypeState::Unregistered;
}

// An extension key without a default value, or with any other ProgID,
// belongs to someone else. Unknown after a reported failure.
Owner FindExtensionOwner(HWND dialog, const FileType& type) {
    CHAR name[kMessageBufferSize];
    KeyGuard key;
    const Presence extension = OpenKeyIfPresent(dialog, HKEY_CLASSES_ROOT, type.extension, KEY_QUERY_VALUE, &key,
                                                {ComposeKeyName(name, kClassesRoot, type.extension), kActionNotFound});
    if (extension != Presence::kPresent) return extension == Presence::kAbsent ? Owner::Nobody : Owner::Unknown;
    CHAR data[64];  // room for our ProgIDs; anything longer is not ours
    DWORD size = sizeof data - 1;
    DWORD valueType = REG_NONE;
    wsprintfA(name, "%s\\%s\\", kClassesRoot, type.extension);  // the default value, for a report
    SetLastError(RegQueryValueExA(key.key, nullptr, nullptr, &valueType, reinterpret_cast<BYTE*>(data), &size));
    if (GetLastError() == ERROR_FILE_NOT_FOUND || GetLastError() == ERROR_MORE_DATA) return Owner::Another;
    if (GetLastError() != ERROR_SUCCESS) {
        ReportFailureOn(dialog, Named::kRegistryValue, name, kActionGetValue);
        return Owner::Unknown;
    }
    return NamesProgId(valueType, data, size, type.progId) ? Owner::Us : Owner::Another;
}

// Key names, and so ProgIDs, compare without regard to case; the value may
// have been written with or without its NUL.
BOOL NamesProgId(DWORD valueType, LPSTR data, DWORD size, LPCSTR progId) {
    if (valueType != REG_SZ) return FALSE;
    if (size > 0 && data[size - 1] == '\0') --size;
    data[size] = '\0';
    return size == static_cast<DWORD>(lstrlenA(progId)) && lstrcmpiA(data, progId) == 0;
}

// Ticking a type whose extension another application has set replaces that
// setting at OK: only after the user agreed. Anything but Yes unticks it.
void ConfirmTakeover(HWND dialog, const FileType& type) {
    const Owner owner = FindExtensionOwner(dialog, type);
    if (owner == Owner::Us || owner == Owner::Nobody) return;
    if (owner == Owner::Another && AskTakeover(dialog, type) == IDYES) return;
    CheckDlgButton(dialog, type.associationBox, BST_UNCHECKED);
}

int AskTakeover(HWND dialog, const FileType& type) {
    CHAR question[kMessageBufferSize];
    CHAR caption[kMessageBufferSize];
    wsprintfA(question,
              "拡張子%sはすでにほかのアプリケーションによって設定されているようです。"
              "ほかのアプリケーションによる設定を削除しますか。",
              type.extension);
    wsprintfA(caption, "拡張子%s設定上書き許可", type.extension);
    return MessageBoxA(dialog, question, caption, MB_YESNO | MB_ICONQUESTION | MB_DEFBUTTON2);
}

// Opens the ProgID's key without asking for any access, only to learn
// whether it exists, and closes it again.
Presence FindProgId(HWND dialog, const FileType& type) {
    CHAR name[kMessageBufferSize];
    KeyGuard key;
    return OpenKeyIfPresent(dialog, HKEY_CLASSES_ROOT, type.progId, 0, &key,
                            {ComposeKeyName(name, kClassesRoot, type.progId), kActionNotFound});
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
    CHAR name[kMessageBufferSize];
    KeyGuard key;
    if (!CreateKey(dialog, HKEY_CLASSES_ROOT, subkey, 0, KEY_WRITE, &key,
                   {ComposeKeyName(name, kClassesRoot, subkey), kActionWriteAccess}))
        return FALSE;
    DWORD size = static_cast<DWORD>(lstrlenA(data)) + 1;
    wsprintfA(name, "%s\\%s\\", kClassesRoot, subkey);  // the default value, for a report
    SetLastError(RegSetValueExA(key.key, nullptr, 0, REG_SZ, reinterpret_cast<const BYTE*>(data), size));
    if (GetLastError() != ERROR_SUCCESS) {
        ReportFailureOn(dialog, Named::kRegistryValue, name, kActionSetValue);
        return FALSE;
    }
    return TRUE;
}

// Our ProgID goes; the extension only while it names our ProgID, so that
// another application's setting is never removed. A failure has been
// reported; going on would close the dialog as though the type were gone.
BOOL ClearFileType(HWND dialog, const FileType& type) {
    const Owner owner = FindExtensionOwner(dialog, type);
    if (owner == Owner::Unknown) return FALSE;
    if (owner == Owner::Us && !ClearRegistryTree(dialog, HKEY_CLASSES_ROOT, type.extension)) return FALSE;
    return ClearRegistryTree(dialog, HKEY_CLASSES_ROOT, type.progId);
}

}  // namespace
