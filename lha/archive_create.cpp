// The `a` command: every plain file of a folder into a new archive. The
// archive is written into a new file of its own in the target's folder and
// moved over the target only when complete, so a failure leaves the old
// target as it was and touches no other file. Each member is -lh5-, or
// -lh0- when it would not shrink; headers are level 2; members come in byte
// order of their names.
#include <algorithm>
#include <cstring>

#include "lha/archive_internal.h"
#include "lha/crc16.h"

namespace {

struct FileList {
    HeapBlock arena;    // NUL-terminated names
    HeapBlock offsets;  // DWORD offsets into arena, sorted at the end
    DWORD count = 0;
    DWORD used = 0;
    DWORD capacity = 0;
    DWORD offsetCapacity = 0;
};

LhaStatus ListFolderFiles(LPCSTR pattern, LPCSTR folder, LPCSTR archive, FileList* list, ArchiverFailure* failure);
LhaStatus AddMember(HANDLE archive, uint64_t* written, LPCSTR folder, LPCSTR name, uint32_t unixTime,
                    void* encoderState, ArchiverFailure* failure, LPCSTR archivePath);
HANDLE CreateFileBeside(LPCSTR archive, LPSTR temporary);
LhaStatus WriteArchiveFile(HANDLE out, const FileList& list, LPCSTR folder, void* encoderState, LPCSTR archive,
                           ArchiverFailure* failure);
LhaStatus PutInPlace(LPCSTR temporary, LPCSTR archive, LhaStatus status, ArchiverFailure* failure);
bool WriteAll(HANDLE file, const void* data, DWORD size, uint64_t* written);
bool SeekTo(HANDLE file, uint64_t offset);

}  // namespace

LhaStatus AddFolderFiles(LPCSTR archive, LPCSTR pattern, ArchiverFailure* failure) {
    // The folder is the pattern up to its last separator.
    CHAR folder[MAX_PATH];
    lstrcpynA(folder, pattern, MAX_PATH);
    folder[Cp932FolderPartLength(folder)] = '\0';

    FileList list;
    LhaStatus status = ListFolderFiles(pattern, folder, archive, &list, failure);
    if (status != kLhaOk) return status;
    HeapBlock encoderState;
    if (!encoderState.Allocate(kLh5EncoderStateSize)) {
        SetLastError(ERROR_NOT_ENOUGH_MEMORY);
        RecordIoFailure(failure, kActionAllocate, archive);
        return kLhaIoFailed;
    }
    // Where no new file can be made beside the target (a missing or
    // read-only folder), the target cannot be replaced either.
    CHAR temporary[MAX_PATH];
    FileGuard out;
    out.handle = CreateFileBeside(archive, temporary);
    if (out.handle == INVALID_HANDLE_VALUE) {
        RecordIoFailure(failure, kActionReplace, archive);
        return kLhaIoFailed;
    }
    status = WriteArchiveFile(out.handle, list, folder, encoderState.block, archive, failure);
    out.Close();
    return PutInPlace(temporary, archive, status, failure);
}

namespace {

// The folder part of `path`, with a drive of its own ("C:name") kept.
int FolderPartLength(LPCSTR path) {
    int length = Cp932FolderPartLength(path);
    if (length == 0 && path[0] && path[1] == ':' && static_cast<BYTE>(path[0]) < 0x80) length = 2;
    return length;
}

// Creates a file that did not exist before in the folder of `archive`, its
// path into `temporary` (MAX_PATH bytes): "~brv0000.tmp", "~brv0001.tmp", ...,
// or where the folder's path leaves less room, up to four hex digits alone,
// so that the name fits wherever the target's own name fits. CREATE_NEW
// makes sure no file of another program is opened in its place.
HANDLE CreateFileBeside(LPCSTR archive, LPSTR temporary) {
    const int folder = FolderPartLength(archive);
    const int room = MAX_PATH - 1 - folder;
    if (room < 1) {
        SetLastError(ERROR_FILENAME_EXCED_RANGE);
        return INVALID_HANDLE_VALUE;
    }
    const bool full = room >= 12;
    const int digits = full ? 4 : (room < 4 ? room : 4);
    lstrcpynA(temporary, archive, folder + 1);
    for (DWORD n = 0; n < (1u << (4 * digits)); ++n) {
        LPSTR p = temporary + folder;
        if (full) {
            lstrcpyA(p, "~brv");
            p += 4;
        }
        for (int i = digits - 1; i >= 0; --i) *p++ = "0123456789ABCDEF"[(n >> (4 * i)) & 0xF];
        lstrcpyA(p, full ? ".tmp" : "");
        HANDLE file = CreateFileA(temporary, GENERIC_WRITE, 0, nullptr, CREATE_NEW, FILE_ATTRIBUTE_NORMAL, nullptr);
        if (file != INVALID_HANDLE_VALUE) return file;
        const DWORD error = GetLastError();
        if (error != ERROR_FILE_EXISTS && error != ERROR_ALREADY_EXISTS) return INVALID_HANDLE_VALUE;
    }
    return INVALID_HANDLE_VALUE;  // every name taken: ERROR_FILE_EXISTS stays
}

// Every listed file as a member, then the end marker.
LhaStatus WriteArchiveFile(HANDLE out, const FileList& list, LPCSTR folder, void* encoderState, LPCSTR archive,
                           ArchiverFailure* failure) {
    uint64_t written = 0;
    const DWORD* offsets = static_cast<const DWORD*>(list.offsets.block);
    LPCSTR names = static_cast<LPCSTR>(list.arena.block);
    for (DWORD i = 0; i < list.count; ++i) {
        LPCSTR name = names + offsets[i];
        uint32_t unixTime = 0;
        std::memcpy(&unixTime, name + TextLength(name) + 1, sizeof unixTime);
        LhaStatus status = AddMember(out, &written, folder, name, unixTime, encoderState, failure, archive);
        if (status != kLhaOk) return status;
    }
    const BYTE endMarker = 0;
    if (!WriteAll(out, &endMarker, 1, &written)) {
        RecordIoFailure(failure, kActionWrite, archive);
        return kLhaIoFailed;
    }
    return kLhaOk;
}

// Moves the finished `temporary` over `archive`; after a failure, deletes
// it instead (made by us with CREATE_NEW: no one else's file), keeping the
// failure's error code.
LhaStatus PutInPlace(LPCSTR temporary, LPCSTR archive, LhaStatus status, ArchiverFailure* failure) {
    if (status == kLhaOk && !MoveFileExA(temporary, archive, MOVEFILE_REPLACE_EXISTING)) {
        RecordIoFailure(failure, kActionReplace, archive);
        status = kLhaIoFailed;
    }
    if (status != kLhaOk) {
        DWORD error = GetLastError();
        DeleteFileA(temporary);
        SetLastError(error);
    }
    return status;
}

bool Grow(HeapBlock* block, DWORD* capacity, DWORD needed, DWORD used) {
    if (needed <= *capacity) return true;
    DWORD bigger = *capacity ? *capacity : 4096;
    while (bigger < needed) bigger *= 2;
    HeapBlock fresh;
    if (!fresh.Allocate(bigger)) return false;
    if (used) std::memcpy(fresh.block, block->block, used);
    void* old = block->block;
    block->block = fresh.block;
    fresh.block = old;
    *capacity = bigger;
    return true;
}

uint32_t UnixTime(const FILETIME& time) {
    uint64_t ticks = (static_cast<uint64_t>(time.dwHighDateTime) << 32) | time.dwLowDateTime;
    uint64_t seconds = ticks / 10000000u;
    const uint64_t epoch = 11644473600u;  // 1601-01-01 to 1970-01-01
    if (seconds < epoch || seconds - epoch > 0xFFFFFFFFu) return 0;
    return static_cast<uint32_t>(seconds - epoch);
}

// Adds `name` and its time stamp to `list`.
LhaStatus AppendFile(FileList* list, LPCSTR name, DWORD length, uint32_t unixTime, LPCSTR archive,
                     ArchiverFailure* failure) {
    DWORD entry = length + 1 + sizeof(uint32_t);
    if (!Grow(&list->arena, &list->capacity, list->used + entry, list->used) ||
        !Grow(&list->offsets, &list->offsetCapacity, (list->count + 1) * sizeof(DWORD), list->count * sizeof(DWORD))) {
        SetLastError(ERROR_NOT_ENOUGH_MEMORY);
        RecordIoFailure(failure, kActionAllocate, archive);
        return kLhaIoFailed;
    }
    LPSTR at = static_cast<LPSTR>(list->arena.block) + list->used;
    lstrcpyA(at, name);
    std::memcpy(at + length + 1, &unixTime, sizeof unixTime);
    static_cast<DWORD*>(list->offsets.block)[list->count++] = list->used;
    list->used += entry;
    return kLhaOk;
}

// Adds a found plain file to `list`; folders and the old archive itself
// are passed over.
LhaStatus TakeFoundFile(const WIN32_FIND_DATAA& data, LPCSTR folder, LPCSTR archive, FileList* list,
                        ArchiverFailure* failure) {
    if (data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) return kLhaOk;
    DWORD length = TextLength(data.cFileName);
    CHAR path[MAX_PATH * 2];
    lstrcpynA(path, folder, MAX_PATH);
    lstrcatA(path, data.cFileName);
    if (!lstrcmpiA(path, archive)) return kLhaOk;
    if (length > kMaxNameBytes) {
        RecordDataFailure(failure, kLhaUnsafeName, path, nullptr);
        return kLhaUnsafeName;
    }
    if (list->count == kMaxMembers) {
        RecordDataFailure(failure, kLhaTooLarge, archive, nullptr);
        return kLhaTooLarge;
    }
    return AppendFile(list, data.cFileName, length, UnixTime(data.ftLastWriteTime), archive, failure);
}

// Byte order of the names.
void SortByName(FileList* list) {
    LPCSTR names = static_cast<LPCSTR>(list->arena.block);
    DWORD* offsets = static_cast<DWORD*>(list->offsets.block);
    if (list->count > 1)
        std::sort(offsets, offsets + list->count,
                  [names](DWORD a, DWORD b) { return std::strcmp(names + a, names + b) < 0; });
}

// Collects the plain files matched by `pattern` (each name is followed by
// its time stamp) and sorts them by name, byte by byte.
LhaStatus ListFolderFiles(LPCSTR pattern, LPCSTR folder, LPCSTR archive, FileList* list, ArchiverFailure* failure) {
    WIN32_FIND_DATAA data;
    FindGuard find;
    find.handle = FindFirstFileA(pattern, &data);
    if (find.handle == INVALID_HANDLE_VALUE) {
        if (GetLastError() == ERROR_FILE_NOT_FOUND) return kLhaOk;  // nothing to add
        RecordIoFailure(failure, kActionListFolder, folder);
        return kLhaIoFailed;
    }
    do {
        LhaStatus status = TakeFoundFile(data, folder, archive, list, failure);
        if (status != kLhaOk) return status;
    } while (FindNextFileA(find.handle, &data));
    if (GetLastError() != ERROR_NO_MORE_FILES) {
        RecordIoFailure(failure, kActionListFolder, folder);
        return kLhaIoFailed;
    }
    SortByName(list);
    return kLhaOk;
}

struct InputFile {
    HANDLE file;
    LPCSTR path;
    ArchiverFailure* failure;
    uint16_t crc;
    uint64_t size;
};

LhaStatus ReadInput(void* context, uint8_t* buffer, uint32_t size, uint32_t* got) {
    InputFile* in = static_cast<InputFile*>(context);
    DWORD read = 0;
    if (!ReadFile(in->file, buffer, size, &read, nullptr)) {
        RecordIoFailure(in->failure, kActionRead, in->path);
        return kLhaIoFailed;
    }
    in->crc = UpdateCrc16(in->crc, buffer, read);
    in->size += read;
    *got = read;
    return kLhaOk;
}

struct ArchiveOutput {
    HANDLE file;
    uint64_t* written;
    LPCSTR path;
    ArchiverFailure* failure;
};

LhaStatus WriteArchive(void* context, const uint8_t* data, uint32_t size) {
    ArchiveOutput* out = static_cast<ArchiveOutput*>(context);
    if (!WriteAll(out->file, data, size, out->written)) {
        RecordIoFailure(out->failure, kActionWrite, out->path);
        return kLhaIoFailed;
    }
    return kLhaOk;
}

// Stores the input as it is from its start, replacing what the encoder
// wrote after `dataStart`.
LhaStatus StoreMember(InputFile* in, ArchiveOutput* out, uint64_t dataStart, void* buffer) {
    SetLastError(NO_ERROR);
    if (!SeekTo(in->file, 0)) {
        RecordIoFailure(in->failure, kActionRead, in->path);
        return kLhaIoFailed;
    }
    if (!SeekTo(out->file, dataStart)) {
        RecordIoFailure(out->failure, kActionWrite, out->path);
        return kLhaIoFailed;
    }
    *out->written = dataStart;
    in->crc = 0;
    in->size = 0;
    for (;;) {
        uint32_t got = 0;
        LhaStatus status = ReadInput(in, static_cast<uint8_t*>(buffer), 65536, &got);
        if (status != kLhaOk) return status;
        if (got == 0) break;
        status = WriteArchive(out, static_cast<uint8_t*>(buffer), got);
        if (status != kLhaOk) return status;
    }
    if (!SetEndOfFile(out->file)) {
        RecordIoFailure(out->failure, kActionWrite, out->path);
        return kLhaIoFailed;
    }
    return kLhaOk;
}

// Opens a file to add; its size into *size (below 4 GiB - 1: sizes in our
// headers are 32 bits).
LhaStatus OpenInput(LPCSTR path, FileGuard* input, DWORD* size, ArchiverFailure* failure) {
    input->handle = CreateFileA(path, GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL,
                                nullptr);
    if (input->handle == INVALID_HANDLE_VALUE) {
        RecordIoFailure(failure, kActionOpenForReading, path);
        return kLhaIoFailed;
    }
    DWORD high = 0;
    SetLastError(NO_ERROR);
    *size = GetFileSize(input->handle, &high);
    if (*size == INVALID_FILE_SIZE && GetLastError() != NO_ERROR) {
        RecordIoFailure(failure, kActionRead, path);
        return kLhaIoFailed;
    }
    if (high != 0 || *size == 0xFFFFFFFFu) {
        RecordDataFailure(failure, kLhaTooLarge, path, nullptr);
        return kLhaTooLarge;
    }
    return kLhaOk;
}

// The member's data after its header: -lh5- when that comes out smaller
// than the file, else the file as it is (-lh0-). *method says which.
LhaStatus WriteMemberData(InputFile* in, ArchiveOutput* out, DWORD size, void* encoderState, const char** method) {
    const uint64_t dataStart = *out->written;
    LhaSource source = {ReadInput, in};
    LhaSink sink = {WriteArchive, out};
    uint64_t inputSize = 0, outputSize = 0;
    *method = "-lh5-";
    LhaStatus status =
        size == 0 ? kLhaTooLarge : EncodeLh5(encoderState, &source, &sink, size - 1u, &inputSize, &outputSize);
    if (status == kLhaOk && outputSize >= inputSize) status = kLhaTooLarge;
    if (status != kLhaTooLarge) return status;
    *method = "-lh0-";
    return StoreMember(in, out, dataStart, encoderState);
}

// Writes `header` again at `offset` and goes back to the end.
LhaStatus RewriteHeader(ArchiveOutput* out, uint64_t offset, const uint8_t* header, uint32_t length) {
    const uint64_t end = *out->written;
    SetLastError(NO_ERROR);
    uint64_t ignored = 0;
    if (!SeekTo(out->file, offset) || !WriteAll(out->file, header, length, &ignored) || !SeekTo(out->file, end)) {
        RecordIoFailure(out->failure, kActionWrite, out->path);
        return kLhaIoFailed;
    }
    return kLhaOk;
}

// One member: a header with sizes and CRC still open, the data, then the
// header again with them.
LhaStatus AddMember(HANDLE archive, uint64_t* written, LPCSTR folder, LPCSTR name, uint32_t unixTime,
                    void* encoderState, ArchiverFailure* failure, LPCSTR archivePath) {
    CHAR path[MAX_PATH * 2];
    lstrcpynA(path, folder, MAX_PATH);
    lstrcatA(path, name);
    FileGuard input;
    DWORD size = 0;
    LhaStatus status = OpenInput(path, &input, &size, failure);
    if (status != kLhaOk) return status;

    const uint32_t nameLength = TextLength(name);
    uint8_t header[kLevel2HeaderMax];
    const uint64_t headerOffset = *written;
    const uint32_t headerLength = BuildLevel2Header(header, "-lh5-", name, nameLength, 0, 0, 0, unixTime);
    ArchiveOutput out = {archive, written, archivePath, failure};
    status = WriteArchive(&out, header, headerLength);
    if (status != kLhaOk) return status;
    const uint64_t dataStart = *written;
    InputFile in = {input.handle, path, failure, 0, 0};
    const char* method = nullptr;
    status = WriteMemberData(&in, &out, size, encoderState, &method);
    if (status != kLhaOk) return status;
    if (in.size > 0xFFFFFFFEu) {  // grew while we read it
        RecordDataFailure(failure, kLhaTooLarge, path, nullptr);
        return kLhaTooLarge;
    }
    BuildLevel2Header(header, method, name, nameLength, *written - dataStart, in.size, in.crc, unixTime);
    return RewriteHeader(&out, headerOffset, header, headerLength);
}

bool WriteAll(HANDLE file, const void* data, DWORD size, uint64_t* written) {
    if (!WriteAllBytes(file, data, size)) return false;
    *written += size;
    return true;
}

bool SeekTo(HANDLE file, uint64_t offset) {
    LONG high = static_cast<LONG>(offset >> 32);
    SetLastError(NO_ERROR);
    DWORD low = SetFilePointer(file, static_cast<LONG>(offset & 0xFFFFFFFFu), &high, FILE_BEGIN);
    return !(low == INVALID_SET_FILE_POINTER && GetLastError() != NO_ERROR);
}

}  // namespace
