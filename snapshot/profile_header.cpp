// Writing and verifying the profile header. The header comes out of a
// profile file that may be damaged or hostile: the lengths are checked
// against the bytes read without ever adding them up in 32 bits.
#include "snapshot/profile_header.h"

#include <cstring>

#include "base/report.h"
#include "base/report_context.h"
#include "snapshot/whole_file.h"
#include "winapi/byte_order.h"
#include "winapi/file_io.h"
#include "winapi/guards.h"

namespace {

constexpr BYTE kHeaderRevision = 1;

// Where the texts of a checked header lie in its bytes.
struct HeaderFields {
    DWORD nameLength;
    DWORD commentLength;
    bool hasComment;
};

constexpr char kReadFailure[] = "プロフィールの情報をテンポラリファイル\"%s\"から読み込めません。";

void FormProfilePath(LPCSTR directory, LPSTR path);
ProfileHeaderResult ReadHeaderFile(HWND owner, LPCSTR path, BOOL required, HeapBlock* contents, DWORD* size);
BOOL CheckHeaderFields(HWND owner, BYTE kind, const BYTE* in, DWORD size, HeaderFields* fields);
BOOL CopyHeaderTexts(HWND owner, LPCSTR path, const BYTE* in, const HeaderFields& fields, ProfileHeader* header);

}  // namespace

int WriteProfileHeader(HWND owner, LPCSTR directory, BYTE kind, LPCSTR sourceName, LPCSTR comment) {
    CHAR path[kMessageBufferSize];
    FormProfilePath(directory, path);
    FileGuard file(CreateFileA(path, GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr));
    if (!file.valid()) {
        ReportFailureOn(owner, Named::kTemporaryFile, path, kActionCreateWriteAccess);
        return 0;
    }
    const DWORD nameLength = static_cast<DWORD>(lstrlenA(sourceName));
    const DWORD commentLength = static_cast<DWORD>(lstrlenA(comment));
    const SIZE_T size = static_cast<SIZE_T>(10) + nameLength + commentLength;

    // The six fields go out in one write.
    HeapBlock header(size);
    if (!header.block) {
        SetLastError(ERROR_NOT_ENOUGH_MEMORY);
        ReportFailureOn(owner, Named::kTemporaryFile, path, kActionWriteInto, "プロフィールの情報を");
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
        ReportFailureOn(owner, Named::kTemporaryFile, path, kActionWriteInto, "プロフィールの情報を");
        return 0;
    }
    return 1;
}

ProfileHeaderResult ReadProfileHeader(HWND owner, LPCSTR directory, BYTE kind, BOOL required, ProfileHeader* header) {
    header->sourceName = nullptr;
    header->comment = nullptr;
    header->hasComment = FALSE;

    CHAR path[kMessageBufferSize];
    FormProfilePath(directory, path);
    HeapBlock contents;
    DWORD size = 0;
    ProfileHeaderResult read = ReadHeaderFile(owner, path, required, &contents, &size);
    if (read != kProfileHeaderRead) return read;

    HeaderFields fields;
    if (!CheckHeaderFields(owner, kind, contents.bytes(), size, &fields)) return kProfileHeaderFailed;
    if (!CopyHeaderTexts(owner, path, contents.bytes(), fields, header)) return kProfileHeaderFailed;
    return kProfileHeaderRead;
}

void FreeProfileHeader(ProfileHeader* header) {
    if (header->sourceName) HeapFree(GetProcessHeap(), 0, header->sourceName);
    header->sourceName = nullptr;
    header->comment = nullptr;
    header->hasComment = FALSE;
}

namespace {

void FormProfilePath(LPCSTR directory, LPSTR path) { wsprintfA(path, "%sprofile", directory); }

// The whole file; a missing one is absent unless it is required.
ProfileHeaderResult ReadHeaderFile(HWND owner, LPCSTR path, BOOL required, HeapBlock* contents, DWORD* size) {
    const WholeFileReport report{"", nullptr, kReadFailure, !required};
    const Presence read = ReadWholeFile(owner, path, report, contents, size);
    if (read == Presence::kAbsent) return kProfileHeaderAbsent;
    return read == Presence::kPresent ? kProfileHeaderRead : kProfileHeaderFailed;
}

// The checks in this order: the fixed bytes, the kind, the name, then the
// comment when the revision says there is one. Each length is compared with
// what is left after the fields before it, never added up in 32 bits.
BOOL CheckHeaderFields(HWND owner, BYTE kind, const BYTE* in, DWORD size, HeaderFields* fields) {
    const LPCSTR damaged = "ファイルが破損しています。";
    if (size < 2) {
        ShowInformation(owner, damaged);
        return FALSE;
    }
    if (in[0] != kind) {
        ShowInformation(owner, "バージョンが一致しません。");
        return FALSE;
    }
    if (size < 6 || GetLittleEndian(in + 2) > size - 6) {
        ShowInformation(owner, damaged);
        return FALSE;
    }
    fields->nameLength = GetLittleEndian(in + 2);
    fields->hasComment = static_cast<signed char>(in[1]) >= 1;
    fields->commentLength = 0;
    if (!fields->hasComment) return TRUE;
    const DWORD left = size - 6 - fields->nameLength;
    if (left < 4 || GetLittleEndian(in + 6 + fields->nameLength) > left - 4) {
        ShowInformation(owner, damaged);
        return FALSE;
    }
    fields->commentLength = GetLittleEndian(in + 6 + fields->nameLength);
    return TRUE;
}

// Both texts in one block: the name, its NUL, the comment, its NUL.
BOOL CopyHeaderTexts(HWND owner, LPCSTR path, const BYTE* in, const HeaderFields& fields, ProfileHeader* header) {
    HeapBlock texts(static_cast<SIZE_T>(fields.nameLength) + fields.commentLength + 2);
    if (!texts.block) {
        SetLastError(ERROR_NOT_ENOUGH_MEMORY);
        ReportSystemErrorWith(owner, kReadFailure, path);
        return FALSE;
    }
    LPSTR name = texts.text();
    std::memcpy(name, in + 6, fields.nameLength);
    name[fields.nameLength] = 0;
    LPSTR comment = name + fields.nameLength + 1;
    if (fields.commentLength) std::memcpy(comment, in + 10 + fields.nameLength, fields.commentLength);
    comment[fields.commentLength] = 0;

    header->sourceName = static_cast<LPSTR>(texts.release());
    header->comment = comment;
    header->hasComment = fields.hasComment ? TRUE : FALSE;
    return TRUE;
}

}  // namespace
