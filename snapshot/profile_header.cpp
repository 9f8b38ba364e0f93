// Writing and verifying the profile header. The header comes out of a
// profile file that may be damaged or hostile: the lengths are checked
// against the bytes read without ever adding them up in 32 bits.
#include "snapshot/profile_header.h"

#include <cstring>

#include "app/report.h"
#include "app/workarea.h"
#include "winapi/byte_order.h"
#include "winapi/file_io.h"
#include "winapi/guards.h"

namespace {

constexpr BYTE kHeaderRevision = 1;

void FormProfilePath(LPSTR path);

}  // namespace

int WriteProfileHeader(HWND owner, BYTE kind, LPCSTR sourceName, LPCSTR comment) {
    CHAR path[kMessageBufferSize];
    FormProfilePath(path);
    FileGuard file(CreateFileA(path, GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr));
    if (!file.valid()) {
        ReportSystemErrorWith(owner, "テンポラリファイル\"%s\"を作成し、書き込みアクセスを適用できません。", path);
        return 0;
    }
    const LPCSTR writeFailure = "プロフィールの情報をテンポラリファイル\"%s\"に書き込めません。";
    const DWORD nameLength = static_cast<DWORD>(lstrlenA(sourceName));
    const DWORD commentLength = static_cast<DWORD>(lstrlenA(comment));
    const SIZE_T size = static_cast<SIZE_T>(10) + nameLength + commentLength;

    // The six fields go out in one write.
    HeapBlock header(size);
    if (!header.block) {
        SetLastError(ERROR_NOT_ENOUGH_MEMORY);
        ReportSystemErrorWith(owner, writeFailure, path);
        return 0;
    }
    BYTE* out = header.bytes();
    out[0] = kind;
    out[1] = kHeaderRevision;
    PutLittleEndian(out + 2, nameLength);
    std::memcpy(out + 6, sourceName, nameLength);
    PutLittleEndian(out + 6 + nameLength, commentLength);
    std::memcpy(out + 10 + nameLength, comment, commentLength);

    if (!WriteAllBytes(file.handle, out, static_cast<DWORD>(size))) {
        ReportSystemErrorWith(owner, writeFailure, path);
        return 0;
    }
    return 1;
}

ProfileHeaderResult ReadProfileHeader(HWND owner, BYTE kind, BOOL required, ProfileHeader* header) {
    header->sourceName = nullptr;
    header->comment = nullptr;
    header->hasComment = FALSE;

    CHAR path[kMessageBufferSize];
    FormProfilePath(path);
    FileGuard file(CreateFileA(path, GENERIC_READ, 0, nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
    if (!file.valid()) {
        if (!required) return kProfileHeaderAbsent;
        ReportSystemErrorWith(owner, "テンポラリファイル\"%s\"に読み込みアクセスを適用できません。", path);
        return kProfileHeaderFailed;
    }
    SetLastError(NO_ERROR);
    const DWORD fileSize = GetFileSize(file.handle, nullptr);
    if (fileSize == INVALID_FILE_SIZE && GetLastError() != NO_ERROR) {
        ReportSystemErrorWith(owner, "テンポラリファイル\"%s\"のサイズを取得できません。", path);
        return kProfileHeaderFailed;
    }
    const LPCSTR readFailure = "プロフィールの情報をテンポラリファイル\"%s\"から読み込めません。";
    HeapBlock contents(fileSize ? fileSize : 1);
    if (!contents.block) {
        SetLastError(ERROR_NOT_ENOUGH_MEMORY);
        ReportSystemErrorWith(owner, readFailure, path);
        return kProfileHeaderFailed;
    }
    DWORD size = 0;
    if (!ReadFile(file.handle, contents.block, fileSize, &size, nullptr)) {
        ReportSystemErrorWith(owner, readFailure, path);
        return kProfileHeaderFailed;
    }
    if (size > fileSize) size = fileSize;

    // The checks in this order: the fixed bytes, the kind, the name, then the
    // comment when the revision says there is one. Each length is compared
    // with what is left after the fields before it.
    const LPCSTR damaged = "ファイルが破損しています。";
    const BYTE* in = contents.bytes();
    if (size < 2) {
        ShowInformation(owner, damaged);
        return kProfileHeaderFailed;
    }
    if (in[0] != kind) {
        ShowInformation(owner, "バージョンが一致しません。");
        return kProfileHeaderFailed;
    }
    if (size < 6 || GetLittleEndian(in + 2) > size - 6) {
        ShowInformation(owner, damaged);
        return kProfileHeaderFailed;
    }
    const DWORD nameLength = GetLittleEndian(in + 2);
    const bool hasComment = static_cast<signed char>(in[1]) >= 1;
    DWORD commentLength = 0;
    if (hasComment) {
        if (size - 6 - nameLength < 4 || GetLittleEndian(in + 6 + nameLength) > size - 10 - nameLength) {
            ShowInformation(owner, damaged);
            return kProfileHeaderFailed;
        }
        commentLength = GetLittleEndian(in + 6 + nameLength);
    }

    // Both texts in one block: the name, its NUL, the comment, its NUL.
    HeapBlock texts(static_cast<SIZE_T>(nameLength) + commentLength + 2);
    if (!texts.block) {
        SetLastError(ERROR_NOT_ENOUGH_MEMORY);
        ReportSystemErrorWith(owner, readFailure, path);
        return kProfileHeaderFailed;
    }
    LPSTR name = texts.text();
    std::memcpy(name, in + 6, nameLength);
    name[nameLength] = 0;
    LPSTR comment = name + nameLength + 1;
    if (commentLength) std::memcpy(comment, in + 10 + nameLength, commentLength);
    comment[commentLength] = 0;

    header->sourceName = static_cast<LPSTR>(texts.release());
    header->comment = comment;
    header->hasComment = hasComment ? TRUE : FALSE;
    return kProfileHeaderRead;
}

void FreeProfileHeader(ProfileHeader* header) {
    if (header->sourceName) HeapFree(GetProcessHeap(), 0, header->sourceName);
    header->sourceName = nullptr;
    header->comment = nullptr;
    header->hasComment = FALSE;
}

namespace {

void FormProfilePath(LPSTR path) { wsprintfA(path, "%sprofile", WorkDirectory); }


}  // namespace
