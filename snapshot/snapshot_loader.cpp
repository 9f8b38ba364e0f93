// The snapshot loader, its dry run (the validation) and the walk that hands
// the records to a reader of the tree: one reader of records for all three. A snapshot comes out of a profile file that may be damaged or
// hostile, so each file is read whole into a buffer of exactly its size and
// every field is taken from what was read, never from beyond it. A subkey
// record is followed only to the file name the writer would have given it,
// which keeps every file inside the directory and the recursion bounded.
#include "snapshot/registry_snapshot.h"
#include "snapshot/snapshot_memory.h"

#include <cstring>

#include "base/registry_key.h"
#include "base/report.h"
#include "snapshot/whole_file.h"
#include "winapi/byte_order.h"
#include "winapi/cp932.h"
#include "winapi/guards.h"

namespace {

struct Record {
    const BYTE* data;
    DWORD dataLength;
    DWORD type;
    const BYTE* name;
    DWORD nameLength;
};

enum class Next {
    kRecord,    // a whole record was taken
    kEnd,       // the file ends where a record would begin
    kCutShort,  // the file ends inside a record
    kNoName,    // a name length of 0: taken as the end of the file
};

// Takes fields from the bytes that were read; nothing beyond them.
struct RecordReader {
    const BYTE* next;
    DWORD left;

    Next Take(Record* record);

private:
    bool TakeDword(DWORD* value);
    bool TakeBytes(DWORD size, const BYTE** bytes);
};

struct LoadContext;

// What a load does with the records it reads, and what the validation does
// instead: the one place where the two differ.
struct LoadMode {
    // Writes a value record below `key`; FALSE when it could not (reported).
    BOOL (*applyValue)(const LoadContext& context, HKEY key, LPCSTR name, const Record& record);
    // Follows a subkey record into its file; FALSE ends the walk of the
    // parent's file.
    BOOL (*enterSubkey)(const LoadContext& context, HKEY key, LPCSTR name, LPCSTR subkeyFileName, int depth);
    // The validation and the whole load stop at the first problem,
    // including a record that the end of the file cuts short, which the
    // best-effort loader drops silently.
    bool strict;
};

struct LoadContext {
    HWND owner;
    LPCSTR directory;
    const LoadMode* mode;
    // Receives the records of a walk; null otherwise.
    const SnapshotVisitor* visitor;
    // Where the files are read from instead of the directory; null for files.
    const SnapshotMemory* source;
    // Keeps every file read from the directory; null when none are kept.
    SnapshotMemory* capture;
};

constexpr char kReadFailure[] = "レジストリの情報をテンポラリファイルから読み込めません。";
constexpr char kLoadingFrom[] = "レジストリをロードするための";

int LoadFile(const LoadContext& context, HKEY key, LPCSTR fileName, int depth);
BOOL TakeFile(const LoadContext& context, LPCSTR fileName, HeapBlock* contents, const BYTE** bytes, DWORD* size);
BOOL FindInMemory(const LoadContext& context, LPCSTR fileName, const BYTE** bytes, DWORD* size);
BOOL ReadSnapshotFile(const LoadContext& context, LPCSTR fileName, HeapBlock* contents, DWORD* size);
void ReportOpenFailure(const LoadContext& context, LPCSTR fileName);
int LoadCutShort(const LoadContext& context, LPCSTR fileName);
BOOL TakeRecord(const LoadContext& context, HKEY key, LPCSTR fileName, int depth, const Record& record,
                DWORD recordNumber, DWORD* subkeyRank);
BOOL SetValue(const LoadContext& context, HKEY key, LPCSTR name, const Record& record);
BOOL SkipValue(const LoadContext& context, HKEY key, LPCSTR name, const Record& record);
BOOL CreateAndLoadSubkey(const LoadContext& context, HKEY key, LPCSTR name, LPCSTR subkeyFileName, int depth);
BOOL ValidateSubkey(const LoadContext& context, HKEY key, LPCSTR name, LPCSTR subkeyFileName, int depth);
BOOL VisitValue(const LoadContext& context, HKEY key, LPCSTR name, const Record& record);
BOOL VisitSubkey(const LoadContext& context, HKEY key, LPCSTR name, LPCSTR subkeyFileName, int depth);
bool TakeName(const Record& record, LPSTR name);
bool IsUsableKeyName(LPCSTR name);
bool IsExpectedSubkeyFile(const Record& record, LPCSTR fileName, DWORD rank);
void ReportBadName(HWND owner, LPCSTR directory, LPCSTR fileName, DWORD recordNumber, const Record& record);
void ReportBadSubkeyFile(HWND owner, LPCSTR directory, LPCSTR fileName, DWORD recordNumber, LPCSTR subkeyName,
                         const Record& record);
void ReportDamaged(HWND owner, LPCSTR directory, LPCSTR fileName);

constexpr LoadMode kLoad = {SetValue, CreateAndLoadSubkey, false};
constexpr LoadMode kLoadWhole = {SetValue, CreateAndLoadSubkey, true};
constexpr LoadMode kValidate = {SkipValue, ValidateSubkey, true};
constexpr LoadMode kWalk = {VisitValue, VisitSubkey, true};

}  // namespace

int LoadRegistryTree(HWND owner, HKEY key, LPCSTR fileName, LPCSTR directory) {
    LoadContext context{owner, directory, &kLoad, nullptr, nullptr, nullptr};
    return LoadFile(context, key, fileName, 0);
}

int LoadWholeRegistryTree(HWND owner, HKEY key, LPCSTR fileName, LPCSTR directory) {
    LoadContext context{owner, directory, &kLoadWhole, nullptr, nullptr, nullptr};
    return LoadFile(context, key, fileName, 0);
}

int LoadWholeRegistryTreeFromMemory(HWND owner, HKEY key, LPCSTR fileName, const SnapshotMemory& memory,
                                    LPCSTR directory) {
    LoadContext context{owner, directory, &kLoadWhole, nullptr, &memory, nullptr};
    return LoadFile(context, key, fileName, 0);
}

int ValidateSnapshot(HWND owner, LPCSTR fileName, LPCSTR directory) {
    LoadContext context{owner, directory, &kValidate, nullptr, nullptr, nullptr};
    return LoadFile(context, nullptr, fileName, 0);
}

int ReadValidSnapshot(HWND owner, LPCSTR fileName, LPCSTR directory, SnapshotMemory* memory) {
    LoadContext context{owner, directory, &kValidate, nullptr, nullptr, memory};
    return LoadFile(context, nullptr, fileName, 0);
}

int WalkSnapshot(HWND owner, LPCSTR fileName, LPCSTR directory, const SnapshotVisitor* visitor) {
    LoadContext context{owner, directory, &kWalk, visitor, nullptr, nullptr};
    return LoadFile(context, nullptr, fileName, 0);
}

namespace {

// Applies one snapshot file below `key` (nothing in a validation) and
// follows its subkey records into their own files.
int LoadFile(const LoadContext& context, HKEY key, LPCSTR fileName, int depth) {
    HeapBlock contents;
    const BYTE* bytes = nullptr;
    DWORD size = 0;
    if (!TakeFile(context, fileName, &contents, &bytes, &size)) return 0;

    RecordReader reader{bytes, size};
    DWORD recordNumber = 0;
    DWORD subkeyRank = 0;
    for (;;) {
        Record record;
        Next next = reader.Take(&record);
        if (next == Next::kEnd) return 1;
        if (next != Next::kRecord) return LoadCutShort(context, fileName);
        ++recordNumber;
        if (!TakeRecord(context, key, fileName, depth, record, recordNumber, &subkeyRank) && context.mode->strict)
            return 0;
    }
}

// The loader ends a file where a record is cut short; a validation must not
// call such a file complete.
int LoadCutShort(const LoadContext& context, LPCSTR fileName) {
    if (!context.mode->strict) return 1;
    ReportDamaged(context.owner, context.directory, fileName);
    return 0;
}

// One record: FALSE after a problem that has been reported (the record is
// then skipped) or when the walk below a subkey asks to stop.
BOOL TakeRecord(const LoadContext& context, HKEY key, LPCSTR fileName, int depth, const Record& record,
                DWORD recordNumber, DWORD* subkeyRank) {
    CHAR name[kMaxNameField + 1];
    const bool subkey = record.type == kSubkeyMarker;
    const DWORD rank = subkey ? (*subkeyRank)++ : 0;
    if (!TakeName(record, name) || (subkey && !IsUsableKeyName(name))) {
        ReportBadName(context.owner, context.directory, fileName, recordNumber, record);
        return FALSE;
    }
    if (!subkey) return context.mode->applyValue(context, key, name, record);
    if (depth + 1 > kMaxSnapshotDepth || !IsExpectedSubkeyFile(record, fileName, rank)) {
        ReportBadSubkeyFile(context.owner, context.directory, fileName, recordNumber, name, record);
        return FALSE;
    }
    // The check above proved the data field starts with this name.
    CHAR subkeyFileName[kSubkeyFileNameSize];
    FormSubkeyFileName(subkeyFileName, fileName, rank);
    return context.mode->enterSubkey(context, key, name, subkeyFileName, depth + 1);
}

// A value that cannot be set is reported; the best-effort load skips it.
BOOL SetValue(const LoadContext& context, HKEY key, LPCSTR name, const Record& record) {
    SetLastError(RegSetValueExA(key, name, 0, record.type, record.data, record.dataLength));
    if (GetLastError() == ERROR_SUCCESS) return TRUE;
    ReportSystemErrorWith(context.owner, "レジストリをロードしようとしましたが、値\"%s\"を設定できません。", name);
    return FALSE;
}

BOOL SkipValue(const LoadContext&, HKEY, LPCSTR, const Record&) { return TRUE; }

// A subkey that cannot be created, or whose own file fails, has reported
// its failure; the best-effort load goes on with the parent's next record.
BOOL CreateAndLoadSubkey(const LoadContext& context, HKEY key, LPCSTR name, LPCSTR subkeyFileName, int depth) {
    KeyGuard subkey;
    // The comma of this one report is an ASCII one, as users have always read it.
    const KeyReport report{name, "を作成し, 読み込みアクセスを適用できません。", "レジストリをロードしようとしましたが、"};
    if (!CreateKey(context.owner, key, name, REG_OPTION_NON_VOLATILE, KEY_WRITE, &subkey, report)) return FALSE;
    return LoadFile(context, subkey.key, subkeyFileName, depth);
}

BOOL ValidateSubkey(const LoadContext& context, HKEY, LPCSTR, LPCSTR subkeyFileName, int depth) {
    return LoadFile(context, nullptr, subkeyFileName, depth);
}

BOOL VisitValue(const LoadContext& context, HKEY, LPCSTR name, const Record& record) {
    const SnapshotVisitor* visitor = context.visitor;
    visitor->value(visitor->context, name, record.type, record.data, record.dataLength);
    return TRUE;
}

// The subkey's records come between its enter and its leave, also when its
// file turns out damaged, so that the visitor's nesting stays balanced.
BOOL VisitSubkey(const LoadContext& context, HKEY, LPCSTR name, LPCSTR subkeyFileName, int depth) {
    const SnapshotVisitor* visitor = context.visitor;
    visitor->enterKey(visitor->context, name);
    const int whole = LoadFile(context, nullptr, subkeyFileName, depth);
    visitor->leaveKey(visitor->context);
    return whole;
}

// The file's bytes, from memory or read whole from the directory; a file
// read while the context keeps what it reads goes to memory (`bytes` then
// points there), otherwise it stays in `contents`.
BOOL TakeFile(const LoadContext& context, LPCSTR fileName, HeapBlock* contents, const BYTE** bytes, DWORD* size) {
    if (context.source) return FindInMemory(context, fileName, bytes, size);
    if (!ReadSnapshotFile(context, fileName, contents, size)) return FALSE;
    *bytes = contents->bytes();
    if (!context.capture) return TRUE;
    if (context.capture->Adopt(fileName, static_cast<BYTE*>(contents->release()), *size)) return TRUE;
    ReportSystemError(context.owner, kReadFailure);
    return FALSE;
}

// A file that is not in memory is reported as a file that cannot be opened.
BOOL FindInMemory(const LoadContext& context, LPCSTR fileName, const BYTE** bytes, DWORD* size) {
    if (context.source->Find(fileName, bytes, size)) return TRUE;
    SetLastError(ERROR_FILE_NOT_FOUND);
    ReportOpenFailure(context, fileName);
    return FALSE;
}

// Reads the file whole. The handle is closed before the records are applied,
// so an open file does not pile up per level.
BOOL ReadSnapshotFile(const LoadContext& context, LPCSTR fileName, HeapBlock* contents, DWORD* size) {
    CHAR path[kMessageBufferSize];
    wsprintfA(path, "%s%s", context.directory, fileName);
    const WholeFileReport report{kLoadingFrom, kReadFailure, kReadFailure, false};
    return ReadWholeFile(context.owner, path, report, contents, size) == Presence::kPresent;
}

void ReportOpenFailure(const LoadContext& context, LPCSTR fileName) {
    const DWORD error = GetLastError();
    CHAR path[kMessageBufferSize];
    wsprintfA(path, "%s%s", context.directory, fileName);
    SetLastError(error);
    ReportFailureOn(context.owner, Named::kTemporaryFile, path, kActionReadAccess, kLoadingFrom);
}

Next RecordReader::Take(Record* record) {
    if (left == 0) return Next::kEnd;
    // No field is taken unless all its bytes are there, and a claimed length
    // is compared with what is left before anything else happens.
    if (!TakeDword(&record->dataLength) || !TakeBytes(record->dataLength, &record->data) ||
        !TakeDword(&record->type) || !TakeDword(&record->nameLength))
        return Next::kCutShort;
    if (record->nameLength == 0) return Next::kNoName;
    if (!TakeBytes(record->nameLength, &record->name)) return Next::kCutShort;
    return Next::kRecord;
}

bool RecordReader::TakeDword(DWORD* value) {
    if (left < 4) return false;
    *value = GetLittleEndian(next);
    next += 4;
    left -= 4;
    return true;
}

bool RecordReader::TakeBytes(DWORD size, const BYTE** bytes) {
    if (size > left) return false;
    *bytes = next;
    next += size;
    left -= size;
    return true;
}

// Copies the name field up to its first NUL, or all of it with a NUL added
// when it has none. A field longer than any registry name is refused.
bool TakeName(const Record& record, LPSTR name) {
    if (record.nameLength > kMaxNameField) return false;
    DWORD length = 0;
    while (length < record.nameLength && record.name[length] != 0) ++length;
    std::memcpy(name, record.name, length);
    name[length] = 0;
    return true;
}

// A subkey name must be one path component (a backslash would make the
// registry create a nested key, and could climb out of the destination; an
// empty name would open the key itself, pouring the child's records into the
// parent) and whole cp932: a lead byte without its trail byte makes a key
// that is listed under another name and then can neither be opened nor cleared.
bool IsUsableKeyName(LPCSTR name) {
    if (*name == '\0') return false;
    for (LPCSTR p = name; *p; p += Cp932CharSize(p)) {
        if (IsCp932LeadByte(static_cast<BYTE>(*p)) && Cp932CharSize(p) == 1) return false;
        if (*p == '\\') return false;
    }
    return true;
}

// The data field must name exactly the file the writer gives the subkey of
// this rank: the parent's file name, a full stop and the rank in decimal.
// Bytes after the first NUL of the field are ignored.
bool IsExpectedSubkeyFile(const Record& record, LPCSTR fileName, DWORD rank) {
    // Room for the longest name that can pass, a rank of ten digits and the
    // NUL; a longer parent name can have no valid subkey file.
    CHAR expected[kSubkeyFileNameSize];
    if (lstrlenA(fileName) > kMaxSnapshotFileName - 2) return false;
    int expectedLength = FormSubkeyFileName(expected, fileName, rank);
    if (expectedLength > kMaxSnapshotFileName) return false;
    DWORD length = 0;
    while (length < record.dataLength && record.data[length] != 0) ++length;
    return length == static_cast<DWORD>(expectedLength) && std::memcmp(record.data, expected, length) == 0;
}

// Up to 255 bytes of a field as a text for a message.
void Excerpt(const BYTE* bytes, DWORD length, LPSTR out) {
    DWORD n = 0;
    while (n < length && n < kMaxRegistryName && bytes[n] != 0) {
        out[n] = static_cast<CHAR>(bytes[n]);
        ++n;
    }
    out[n] = 0;
}

void ReportBadName(HWND owner, LPCSTR directory, LPCSTR fileName, DWORD recordNumber, const Record& record) {
    CHAR name[kMaxRegistryName + 1];
    Excerpt(record.name, record.nameLength, name);
    CHAR message[kMessageBufferSize];
    wsprintfA(message,
              "レジストリをロードしようとしましたが、テンポラリファイル\"%s%s\"の%d番目のレコード\"%s\"は"
              "名前が正しくないため、適用しません。",
              directory, fileName, static_cast<int>(recordNumber), name);
    ShowInformation(owner, message);
}

void ReportBadSubkeyFile(HWND owner, LPCSTR directory, LPCSTR fileName, DWORD recordNumber, LPCSTR subkeyName,
                         const Record& record) {
    CHAR subkeyFile[kMaxRegistryName + 1];
    Excerpt(record.data, record.dataLength, subkeyFile);
    CHAR message[kMessageBufferSize];
    wsprintfA(message,
              "レジストリをロードしようとしましたが、テンポラリファイル\"%s%s\"の%d番目のレコード\"%s\"は"
              "サブキーのファイル名\"%s\"が正しくないため、適用しません。",
              directory, fileName, static_cast<int>(recordNumber), subkeyName, subkeyFile);
    ShowInformation(owner, message);
}

void ReportDamaged(HWND owner, LPCSTR directory, LPCSTR fileName) {
    CHAR message[kMessageBufferSize];
    wsprintfA(message, "レジストリをロードしようとしましたが、テンポラリファイル\"%s%s\"が破損しています。",
              directory, fileName);
    ShowInformation(owner, message);
}

}  // namespace
