// Writing and reading index files. An index comes out of a profile file that
// may be damaged or hostile: the reader takes every name from the bytes it
// read and never looks beyond them.
#include "snapshot/index_file.h"

#include <cstring>

#include "base/report.h"
#include "base/report_context.h"
#include "winapi/file_io.h"
#include "snapshot/whole_file.h"
#include "winapi/guards.h"

namespace {

DWORD CountRecords(const BYTE* bytes, DWORD size);
BOOL WriteRecord(HANDLE file, LPCSTR displayName);
void CutOffPartialRecord(HWND owner, HANDLE file, DWORD end, LPCSTR path);
BOOL ReadWholeIndex(HWND owner, LPCSTR path, HeapBlock* contents, DWORD* size);
// An item callback with its fixed arguments, as an index name visitor.
struct ItemVisit {
    ItemCallback callback;
    HWND owner;
    LPCSTR directory;
    int item;
};
int VisitItem(void* context, LPCSTR displayName, int record);
// One record as the data holds it: its name up to the terminator, or up to
// the end of the data when the terminator is missing.
struct IndexRecord {
    const BYTE* name;
    DWORD length;
    bool terminated;
};
bool TakeIndexRecord(const BYTE* bytes, DWORD size, DWORD* position, IndexRecord* record);
int VisitRecords(HWND owner, const BYTE* bytes, DWORD size, IndexNameVisitor visit, void* context);
int VisitUnterminatedName(HWND owner, const BYTE* name, DWORD length, int record, IndexNameVisitor visit,
                          void* context);

}  // namespace

int AppendIndexRecord(HWND owner, LPCSTR directory, LPCSTR indexName, LPCSTR displayName) {
    CHAR path[kMessageBufferSize];
    wsprintfA(path, "%s%s", directory, indexName);
    FileGuard file(CreateFileA(path, GENERIC_WRITE, 0, nullptr, OPEN_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr));
    if (!file.valid()) {
        ReportFailureOn(owner, Named::kTemporaryFile, path, kActionCreateWriteAccess);
        return 0;
    }
    // The position after a move can itself be 0xFFFFFFFF: only the error says.
    SetLastError(NO_ERROR);
    const DWORD end = SetFilePointer(file.handle, 0, nullptr, FILE_END);
    if (end == INVALID_SET_FILE_POINTER && GetLastError() != NO_ERROR) {
        ReportSystemError(owner, "ファイルポインタを終端に移動できません。");
        return 0;
    }
    if (!WriteRecord(file.handle, displayName)) {
        // The same words for both kinds of index.
        ReportFailureOn(owner, Named::kTemporaryFile, path, kActionWriteInto, "アダプタの情報を");
        CutOffPartialRecord(owner, file.handle, end, path);
        return 0;
    }
    return 1;
}

int CountIndexRecords(HWND owner, LPCSTR directory, LPCSTR indexName) {
    CHAR path[kMessageBufferSize];
    wsprintfA(path, "%s%s", directory, indexName);
    if (GetFileAttributesA(path) == INVALID_FILE_ATTRIBUTES && GetLastError() == ERROR_FILE_NOT_FOUND) return 0;
    HeapBlock contents;
    DWORD size = 0;
    if (!ReadWholeIndex(owner, path, &contents, &size)) return -1;
    return static_cast<int>(CountRecords(contents.bytes(), size));
}

void FormIndexSnapshotName(LPCSTR indexName, int number, LPSTR name) { wsprintfA(name, "%s.%d", indexName, number); }

int ReadIndexFile(LPCSTR indexName, ItemCallback callback, HWND owner, LPCSTR directory, int item) {
    ItemVisit visit{callback, owner, directory, item};
    return VisitIndexNames(owner, directory, indexName, VisitItem, &visit);
}

int VisitIndexNames(HWND owner, LPCSTR directory, LPCSTR indexName, IndexNameVisitor visit, void* context) {
    CHAR path[kMessageBufferSize];
    wsprintfA(path, "%s%s", directory, indexName);
    HeapBlock contents;
    DWORD size = 0;
    if (!ReadWholeIndex(owner, path, &contents, &size)) return 0;
    return VisitRecords(owner, contents.bytes(), size, visit, context);
}

namespace {

// The name with its terminator, then the pad byte.
BOOL WriteRecord(HANDLE file, LPCSTR displayName) {
    const BYTE pad = 0;
    return WriteAllBytes(file, displayName, static_cast<DWORD>(lstrlenA(displayName)) + 1) &&
           WriteAllBytes(file, &pad, 1);
}

// A record written only in part would shift every record appended after it
// against its snapshot: the file goes back to where the record began. When
// even that fails the user is told, since the index is no longer whole.
void CutOffPartialRecord(HWND owner, HANDLE file, DWORD end, LPCSTR path) {
    LONG high = 0;  // with a high part, the low one counts as unsigned
    SetLastError(NO_ERROR);
    const DWORD moved = SetFilePointer(file, static_cast<LONG>(end), &high, FILE_BEGIN);
    if (moved == end && SetEndOfFile(file)) return;
    ReportFailureOn(owner, Named::kTemporaryFile, path, kActionCutPartialRecord);
}

BOOL ReadWholeIndex(HWND owner, LPCSTR path, HeapBlock* contents, DWORD* size) {
    const WholeFileReport report{"", nullptr, "アダプタの情報をテンポラリファイル\"%s\"から読み込めません。", false};
    return ReadWholeFile(owner, path, report, contents, size) == Presence::kPresent;
}

int VisitItem(void* context, LPCSTR displayName, int) {
    const ItemVisit* visit = static_cast<const ItemVisit*>(context);
    return visit->callback(visit->owner, visit->directory, nullptr, displayName, visit->item);
}

int VisitRecords(HWND owner, const BYTE* bytes, DWORD size, IndexNameVisitor visit, void* context) {
    DWORD position = 0;
    IndexRecord record;
    for (int number = 0; TakeIndexRecord(bytes, size, &position, &record); ++number) {
        if (!record.terminated)
            return VisitUnterminatedName(owner, record.name, record.length, number, visit, context);
        if (!visit(context, reinterpret_cast<LPCSTR>(record.name), number)) return -1;
    }
    return 1;
}

// A last name that the file cuts off before its terminator is passed on as
// far as it goes.
int VisitUnterminatedName(HWND owner, const BYTE* name, DWORD length, int record, IndexNameVisitor visit,
                          void* context) {
    HeapBlock copy;
    if (!copy.Allocate(static_cast<SIZE_T>(length) + 1)) {
        SetLastError(ERROR_NOT_ENOUGH_MEMORY);
        ReportSystemError(owner, "アダプタの情報をテンポラリファイルから読み込めません。");
        return 0;
    }
    std::memcpy(copy.block, name, length);
    copy.bytes()[length] = 0;
    return visit(context, copy.text(), record) ? 1 : -1;
}

// The records VisitRecords visits, taken the same way.
DWORD CountRecords(const BYTE* bytes, DWORD size) {
    DWORD count = 0;
    DWORD position = 0;
    IndexRecord record;
    while (TakeIndexRecord(bytes, size, &position, &record)) ++count;
    return count;
}

// The record at `position`, and `position` moved past it: past the
// terminator and the pad byte, or to the end when the data ends inside it
// (a missing pad byte ends the data). False at the end of the data.
bool TakeIndexRecord(const BYTE* bytes, DWORD size, DWORD* position, IndexRecord* record) {
    if (*position >= size) return false;
    const DWORD left = size - *position;
    record->name = bytes + *position;
    const BYTE* end = static_cast<const BYTE*>(std::memchr(record->name, 0, left));
    record->terminated = end != nullptr;
    record->length = end ? static_cast<DWORD>(end - record->name) : left;
    *position = !end || left - record->length < 2 ? size : *position + record->length + 2;
    return true;
}

}  // namespace
