// The commands that walk an existing archive: e (extract flat into a
// folder), t (test) and l (list). An archive is untrusted: every member is
// checked before a file is made for it, and when anything fails every file
// this command wrote is deleted again.
#include <cstring>

#include "lha/archive_internal.h"
#include "lha/member_name.h"

namespace {

// Names written so far: the files to delete on failure, and a hash of
// their case-folded forms to find a name that occurs twice. The hash grows
// with the names, never more than half full.
struct NameTable {
    HeapBlock slots;   // DWORD offsets into `arena` + 1; 0 = empty
    HeapBlock arena;   // NUL-terminated names, one after another
    DWORD slotCount = 0;  // a power of two
    DWORD names = 0;
    DWORD used = 0;
    DWORD capacity = 0;
    DWORD created = 0;  // how many of the names, from the first, exist as files
};

bool StartNameTable(NameTable* table);
bool GrowSlots(NameTable* table);
DWORD Fnv1a(LPCSTR text);
// Adds `name`; false when it was there already (any case) or on no memory
// (*noMemory set).
bool AddName(NameTable* table, LPCSTR name, bool* noMemory);
void DeleteWrittenFiles(const NameTable& table, LPCSTR folder);

struct ArchiveInput {
    HANDLE file;
    LPCSTR path;
    ArchiverFailure* failure;
};

LhaStatus ReadArchive(void* context, uint8_t* buffer, uint32_t size, uint32_t* got) {
    ArchiveInput* in = static_cast<ArchiveInput*>(context);
    DWORD read = 0;
    if (!ReadFile(in->file, buffer, size, &read, nullptr)) {
        RecordIoFailure(in->failure, kActionRead, in->path);
        return kLhaIoFailed;
    }
    *got = read;
    return kLhaOk;
}

struct MemberOutput {
    HANDLE file;  // INVALID_HANDLE_VALUE when testing
    LPCSTR path;
    ArchiverFailure* failure;
};

LhaStatus WriteMember(void* context, const uint8_t* data, uint32_t size) {
    MemberOutput* out = static_cast<MemberOutput*>(context);
    if (out->file == INVALID_HANDLE_VALUE) return kLhaOk;
    if (!WriteAllBytes(out->file, data, size)) {
        RecordIoFailure(out->failure, kActionWrite, out->path);
        return kLhaIoFailed;
    }
    return kLhaOk;
}

void AppendListing(LPSTR output, DWORD outputSize, const LhaMemberHeader& header);

// Checks one member's header before anything is made for it.
LhaStatus CheckMember(const LhaMemberHeader& header, const LhaDecoderType** decoder, NameTable* names,
                      uint64_t* total, LPCSTR archive, ArchiverFailure* failure) {
    *decoder = FindDecoderType(header.method);
    if (!*decoder) {
        RecordDataFailure(failure, kLhaUnsupported, archive, header.method);
        return kLhaUnsupported;
    }
    if (!IsSafeMemberName(header)) {
        RecordDataFailure(failure, kLhaUnsafeName, archive, nullptr);
        return kLhaUnsafeName;
    }
    *total += header.originalSize;
    if (header.originalSize > kMaxExtractedBytes || *total > kMaxExtractedBytes) {
        RecordDataFailure(failure, kLhaTooLarge, archive, nullptr);
        return kLhaTooLarge;
    }
    bool noMemory = false;
    if (!AddName(names, header.name, &noMemory)) {
        if (noMemory) {
            SetLastError(ERROR_NOT_ENOUGH_MEMORY);
            RecordIoFailure(failure, kActionAllocate, archive);
            return kLhaIoFailed;
        }
        RecordDataFailure(failure, kLhaDamaged, archive, nullptr);  // the same name twice
        return kLhaDamaged;
    }
    return kLhaOk;
}

// Creates the file of the member `header` in `folder`, its path into `path`.
LhaStatus CreateMemberFile(LPCSTR folder, const LhaMemberHeader& header, LPSTR path, FileGuard* target,
                           LPCSTR archive, ArchiverFailure* failure) {
    if (TextLength(folder) + header.nameLength >= MAX_PATH) {
        RecordDataFailure(failure, kLhaUnsafeName, archive, nullptr);
        return kLhaUnsafeName;
    }
    lstrcpyA(path, folder);
    lstrcatA(path, header.name);
    target->handle = CreateWorkFile(path);
    if (target->handle == INVALID_HANDLE_VALUE) {
        RecordIoFailure(failure, kActionCreate, path);
        return kLhaIoFailed;
    }
    return kLhaOk;
}

// Second pass: every member decoded (into its file for `e`), its length
// and CRC checked. *created counts the files made, in the names' order.
LhaStatus DecodeMembers(MemberCommand command, LhaReader* reader, LhaSource* source, LPCSTR archive, LPCSTR folder,
                        void* state, ArchiverFailure* failure, DWORD* created) {
    StartReader(reader, source);
    for (;;) {
        LhaMemberHeader header;
        bool end = false;
        LhaStatus status = ReadMemberHeader(reader, &header, &end);
        if (status != kLhaOk || end) return status;
        const LhaDecoderType* decoder = FindDecoderType(header.method);
        if (!decoder || !IsSafeMemberName(header)) return kLhaDamaged;  // changed since the first pass

        CHAR path[MAX_PATH];
        MemberOutput out = {INVALID_HANDLE_VALUE, path, failure};
        FileGuard target;
        if (command == kExtractMembers) {
            status = CreateMemberFile(folder, header, path, &target, archive, failure);
            if (status != kLhaOk) return status;
            ++*created;
            out.file = target.handle;
        }
        LhaSink sink = {WriteMember, &out};
        status = DecodeMember(reader, header, *decoder, state, &sink);
        target.Close();
        if (status != kLhaOk) {
            // Failures of our own calls were recorded where they happened.
            if (status != kLhaIoFailed) RecordDataFailure(failure, status, archive, nullptr);
            return status;
        }
    }
}

// First pass, every header: whatever a header can tell (a method we lack,
// an unsafe or repeated name, too many members, too much data) is refused
// before any file exists. For `l`, each member's line is all there is.
LhaStatus CheckHeaders(MemberCommand command, LhaReader* reader, LhaSource* source, LPSTR output, DWORD outputSize,
                       NameTable* names, LPCSTR archive, ArchiverFailure* failure) {
    StartReader(reader, source);
    uint64_t total = 0;
    for (;;) {
        LhaMemberHeader header;
        bool end = false;
        LhaStatus status = ReadMemberHeader(reader, &header, &end);
        if (status != kLhaOk || end) return status;
        if (command == kListMembers) {
            AppendListing(output, outputSize, header);
            continue;
        }
        const LhaDecoderType* decoder = nullptr;
        status = CheckMember(header, &decoder, names, &total, archive, failure);
        if (status != kLhaOk) return status;
    }
}

LhaStatus Rewind(HANDLE file, LPCSTR archive, ArchiverFailure* failure) {
    SetLastError(NO_ERROR);
    if (SetFilePointer(file, 0, nullptr, FILE_BEGIN) == INVALID_SET_FILE_POINTER && GetLastError() != NO_ERROR) {
        RecordIoFailure(failure, kActionRead, archive);
        return kLhaIoFailed;
    }
    return kLhaOk;
}

}  // namespace

LhaStatus WalkMembers(MemberCommand command, LPCSTR archive, LPCSTR folder, LPSTR output, DWORD outputSize,
                      ArchiverFailure* failure) {
    FileGuard file;
    file.handle = CreateFileA(archive, GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL,
                              nullptr);
    if (file.handle == INVALID_HANDLE_VALUE) {
        RecordIoFailure(failure, kActionOpenForReading, archive);
        return kLhaIoFailed;
    }
    HeapBlock readerBlock, stateBlock;
    NameTable names;
    if (!readerBlock.Allocate(sizeof(LhaReader)) || !stateBlock.Allocate(MaxDecoderStateSize()) ||
        !StartNameTable(&names)) {
        SetLastError(ERROR_NOT_ENOUGH_MEMORY);
        RecordIoFailure(failure, kActionAllocate, archive);
        return kLhaIoFailed;
    }
    ArchiveInput input = {file.handle, archive, failure};
    LhaSource source = {ReadArchive, &input};
    LhaReader* reader = static_cast<LhaReader*>(readerBlock.block);
    LhaStatus status = CheckHeaders(command, reader, &source, output, outputSize, &names, archive, failure);
    if (status == kLhaOk && command != kListMembers) status = Rewind(file.handle, archive, failure);
    if (status == kLhaOk && command != kListMembers)
        status = DecodeMembers(command, reader, &source, archive, folder, stateBlock.block, failure, &names.created);
    if (status != kLhaOk && failure->status == kLhaOk) RecordDataFailure(failure, status, archive, nullptr);
    if (status != kLhaOk && command == kExtractMembers) DeleteWrittenFiles(names, folder);
    return status;
}

namespace {

DWORD Fnv1a(LPCSTR text) {
    DWORD hash = 2166136261u;
    for (; *text; ++text) hash = (hash ^ static_cast<unsigned char>(*text)) * 16777619u;
    return hash;
}

bool StartNameTable(NameTable* table) {
    table->capacity = 4096;
    return table->arena.Allocate(table->capacity) && GrowSlots(table);
}

// Doubles the hash (or makes its first 256 slots) and puts the names back.
bool GrowSlots(NameTable* table) {
    DWORD count = table->slotCount ? table->slotCount * 2 : 256;
    HeapBlock fresh;
    if (!fresh.Allocate(count * sizeof(DWORD))) return false;
    DWORD* slots = static_cast<DWORD*>(fresh.block);
    for (DWORD i = 0; i < count; ++i) slots[i] = 0;
    LPCSTR names = static_cast<LPCSTR>(table->arena.block);
    CHAR folded[kMaxNameBytes + 1];
    for (DWORD at = 0; at < table->used; at += TextLength(names + at) + 1) {
        FoldMemberName(names + at, folded);
        DWORD i = Fnv1a(folded) & (count - 1);
        while (slots[i] != 0) i = (i + 1) & (count - 1);
        slots[i] = at + 1;
    }
    void* old = table->slots.block;
    table->slots.block = fresh.block;
    fresh.block = old;
    table->slotCount = count;
    return true;
}

// Doubles the room for names, keeping those there.
bool DoubleArena(NameTable* table) {
    HeapBlock bigger;
    DWORD capacity = table->capacity * 2;
    if (!bigger.Allocate(capacity)) return false;
    std::memcpy(bigger.block, table->arena.block, table->used);
    void* old = table->arena.block;
    table->arena.block = bigger.block;
    bigger.block = old;  // freed by `bigger`
    table->capacity = capacity;
    return true;
}

bool AddName(NameTable* table, LPCSTR name, bool* noMemory) {
    CHAR folded[kMaxNameBytes + 1];
    CHAR other[kMaxNameBytes + 1];
    FoldMemberName(name, folded);
    if ((table->names + 1) * 2 > table->slotCount && !GrowSlots(table)) {
        *noMemory = true;
        return false;
    }
    DWORD* slots = static_cast<DWORD*>(table->slots.block);
    DWORD mask = table->slotCount - 1;
    DWORD i = Fnv1a(folded) & mask;
    for (; slots[i] != 0; i = (i + 1) & mask) {
        FoldMemberName(static_cast<LPCSTR>(table->arena.block) + slots[i] - 1, other);
        if (!lstrcmpA(folded, other)) return false;
    }
    DWORD length = TextLength(name) + 1;
    if (table->used + length > table->capacity && !DoubleArena(table)) {
        *noMemory = true;
        return false;
    }
    LPSTR at = static_cast<LPSTR>(table->arena.block) + table->used;
    lstrcpyA(at, name);
    slots[i] = table->used + 1;
    table->used += length;
    ++table->names;
    return true;
}

void DeleteWrittenFiles(const NameTable& table, LPCSTR folder) {
    LPCSTR names = static_cast<LPCSTR>(table.arena.block);
    DWORD left = table.created;
    for (DWORD at = 0; at < table.used && left > 0; at += TextLength(names + at) + 1, --left) {
        CHAR path[MAX_PATH];
        if (TextLength(folder) + TextLength(names + at) >= MAX_PATH) continue;
        lstrcpyA(path, folder);
        lstrcatA(path, names + at);
        DeleteFileA(path);
    }
}

// Decimal digits of `value` (no wsprintfA format covers 64 bits).
void AppendNumber(LPSTR out, uint64_t value, int width) {
    CHAR digits[24];
    int n = 0;
    do {
        digits[n++] = static_cast<CHAR>('0' + value % 10);
        value /= 10;
    } while (value);
    LPSTR p = out + lstrlenA(out);
    for (int pad = width - n; pad > 0; --pad) *p++ = ' ';
    while (n) *p++ = digits[--n];
    *p = '\0';
}

// "-lh5-  original  compressed  name" and CR LF; what does not fit is cut.
void AppendListing(LPSTR output, DWORD outputSize, const LhaMemberHeader& header) {
    if (!output || outputSize == 0) return;
    CHAR line[64 + kMaxNameBytes + 1];
    line[0] = '\0';
    for (int i = 0; i < 5; ++i) {
        unsigned char c = static_cast<unsigned char>(header.method[i]);
        line[i] = (c >= 0x20 && c < 0x7F) ? static_cast<CHAR>(c) : '?';
    }
    line[5] = '\0';
    AppendNumber(line, header.originalSize, 12);
    AppendNumber(line, header.compressedSize, 12);
    lstrcatA(line, "  ");
    // Names may hold control bytes (terminal escapes): they are listed as '?'.
    LPSTR name = line + lstrlenA(line);
    for (const char* c = header.name; *c; ++c)
        *name++ = static_cast<unsigned char>(*c) < 0x20 || *c == 0x7F ? '?' : *c;
    *name = '\0';
    lstrcatA(line, "\r\n");
    DWORD used = TextLength(output);
    if (used + 1 < outputSize) lstrcpynA(output + used, line, static_cast<int>(outputSize - used));
}

}  // namespace
