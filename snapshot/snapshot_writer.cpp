// The snapshot writer: one file per key, subkey records first (each followed
// at once by the subkey's own file), then the value records.
#include "snapshot/registry_snapshot.h"
#include "snapshot/snapshot_memory.h"

#include <cstring>

#include "base/registry_key.h"
#include "base/report.h"
#include "winapi/byte_order.h"
#include "winapi/file_io.h"
#include "winapi/guards.h"

namespace {

// Records are gathered in a buffer per level of the tree and written in large
// pieces, so that a small key's file takes a single write however many
// subkeys it has. The buffers are made when a level is first reached and kept
// for the whole save.
constexpr DWORD kOutputBufferSize = 64 * 1024;
// First size of the value data buffer; it grows to the largest value seen.
constexpr DWORD kInitialDataBufferSize = 4 * 1024;

struct SaveContext {
    HWND owner = nullptr;
    LPCSTR directory = nullptr;
    // Where the files go instead of the directory; null for files.
    SnapshotMemory* memory = nullptr;
    HeapBlock levelBuffers[kMaxSnapshotDepth + 1];
    HeapBlock data;
    DWORD dataCapacity = 0;
};

// The file of one key while it is written: a file, or one in memory.
struct OutputFile {
    HANDLE handle;
    SnapshotMemory* memory;
    DWORD memoryFile;
    BYTE* buffer;
    DWORD pending;
};

constexpr char kWriteFailure[] = "レジストリの情報をテンポラリファイルに書き込めません。";
constexpr char kSaving[] = "レジストリをセーブしようとしましたが、";

int SaveInto(SaveContext& context, HKEY key, LPCSTR fileName);
int SaveTree(SaveContext& context, HKEY key, LPCSTR fileName, int depth);
BOOL OpenOutput(SaveContext& context, LPCSTR fileName, int depth, FileGuard* file, OutputFile* out);
BOOL CreateSnapshotFile(const SaveContext& context, LPCSTR fileName, FileGuard* file);
BOOL StartOutput(SaveContext& context, HANDLE file, int depth, OutputFile* out);
BOOL WriteOut(OutputFile& file, const void* bytes, DWORD size);
BOOL WriteMemoryFile(HWND owner, const SnapshotMemory& memory, DWORD number, LPCSTR directory);
BOOL SaveSubkeyRecords(SaveContext& context, HKEY key, LPCSTR fileName, int depth, OutputFile& out);
BOOL SaveSubkey(SaveContext& context, HKEY key, LPCSTR name, DWORD nameLength, LPCSTR fileName, DWORD rank,
                int depth, OutputFile& out);
BOOL SaveValueRecords(SaveContext& context, HKEY key, OutputFile& out);
BOOL SaveEnumeratedValues(SaveContext& context, HKEY key, OutputFile& out);
BOOL AppendValueRecord(SaveContext& context, LPCSTR name, DWORD nameLength, DWORD type, DWORD size, OutputFile& out);
BOOL SaveValue(SaveContext& context, HKEY key, LPCSTR name, DWORD nameLength, OutputFile& out);
BOOL Flush(OutputFile& file);
BOOL Append(OutputFile& file, const void* bytes, DWORD size);
BOOL AppendRecord(OutputFile& file, const void* data, DWORD dataLength, DWORD type, LPCSTR name, DWORD nameLength);
BOOL EnsureDataCapacity(SaveContext& context, DWORD size);
void ReportOutOfMemory(HWND owner);
void ReportCreateFailure(HWND owner, LPCSTR directory, LPCSTR fileName);
void ReportFileNameTooLong(HWND owner, LPCSTR subkeyName);
void ReportUnrepresentableType(HWND owner, LPCSTR valueName);
int DecimalDigits(DWORD n);

}  // namespace

int SaveRegistryTree(HWND owner, HKEY key, LPCSTR fileName, LPCSTR directory) {
    SaveContext context;
    context.owner = owner;
    context.directory = directory;
    return SaveInto(context, key, fileName);
}

int SaveRegistryTreeToMemory(HWND owner, HKEY key, LPCSTR fileName, SnapshotMemory* memory) {
    SaveContext context;
    context.owner = owner;
    context.directory = "";
    context.memory = memory;
    return SaveInto(context, key, fileName);
}

// Files made new: the directory is a work folder, mostly empty.
BOOL WriteSnapshotFiles(HWND owner, const SnapshotMemory& memory, LPCSTR directory) {
    for (DWORD number = 0; number < memory.Count(); ++number) {
        if (!WriteMemoryFile(owner, memory, number, directory)) return FALSE;
    }
    return TRUE;
}

namespace {

int SaveInto(SaveContext& context, HKEY key, LPCSTR fileName) {
    if (lstrlenA(fileName) > kMaxSnapshotFileName) {
        ReportFileNameTooLong(context.owner, fileName);
        return 0;
    }
    if (!context.data.Allocate(kInitialDataBufferSize)) {
        ReportOutOfMemory(context.owner);
        return 0;
    }
    context.dataCapacity = kInitialDataBufferSize;
    return SaveTree(context, key, fileName, 0);
}

BOOL WriteMemoryFile(HWND owner, const SnapshotMemory& memory, DWORD number, LPCSTR directory) {
    CHAR path[kMessageBufferSize];
    wsprintfA(path, "%s%s", directory, memory.Name(number));
    FileGuard file(CreateWorkFile(path));
    if (!file.valid()) {
        ReportCreateFailure(owner, directory, memory.Name(number));
        return FALSE;
    }
    if (!WriteAllBytes(file.handle, memory.Bytes(number), memory.Size(number))) {
        ReportSystemError(owner, kWriteFailure);
        return FALSE;
    }
    return TRUE;
}

// Writes the file of one key and, depth first, the files of its subkeys.
// Every failure is reported here, at the level where it happens.
int SaveTree(SaveContext& context, HKEY key, LPCSTR fileName, int depth) {
    FileGuard file;
    OutputFile out;
    if (!OpenOutput(context, fileName, depth, &file, &out)) return 0;
    if (!SaveSubkeyRecords(context, key, fileName, depth, out)) return 0;
    if (!SaveValueRecords(context, key, out)) return 0;
    if (!Flush(out)) {
        ReportSystemError(context.owner, kWriteFailure);
        return 0;
    }
    return 1;
}

// The key's file, or its place in memory, and the level's buffer.
BOOL OpenOutput(SaveContext& context, LPCSTR fileName, int depth, FileGuard* file, OutputFile* out) {
    DWORD memoryFile = 0;
    if (context.memory && !context.memory->Add(fileName, &memoryFile)) {
        ReportOutOfMemory(context.owner);
        return FALSE;
    }
    if (!context.memory && !CreateSnapshotFile(context, fileName, file)) return FALSE;
    // File names of at most 255 bytes keep the depth within the buffers;
    // the check only makes the bound explicit.
    if (depth > kMaxSnapshotDepth) {
        ReportFileNameTooLong(context.owner, fileName);
        return FALSE;
    }
    if (!StartOutput(context, file->handle, depth, out)) return FALSE;
    out->memory = context.memory;
    out->memoryFile = memoryFile;
    return TRUE;
}

BOOL CreateSnapshotFile(const SaveContext& context, LPCSTR fileName, FileGuard* file) {
    CHAR path[kMessageBufferSize];
    wsprintfA(path, "%s%s", context.directory, fileName);
    file->handle = CreateWorkFile(path);
    if (file->valid()) return TRUE;
    ReportCreateFailure(context.owner, context.directory, fileName);
    return FALSE;
}

// The level's buffer is made when the level is first reached.
BOOL StartOutput(SaveContext& context, HANDLE file, int depth, OutputFile* out) {
    HeapBlock& levelBuffer = context.levelBuffers[depth];
    if (!levelBuffer.block && !levelBuffer.Allocate(kOutputBufferSize)) {
        ReportOutOfMemory(context.owner);
        return FALSE;
    }
    *out = OutputFile{file, nullptr, 0, levelBuffer.bytes(), 0};
    return TRUE;
}

// One record per subkey, each followed at once by the subkey's own files.
BOOL SaveSubkeyRecords(SaveContext& context, HKEY key, LPCSTR fileName, int depth, OutputFile& out) {
    for (DWORD index = 0;; ++index) {
        CHAR name[kMaxRegistryName + 1];
        DWORD nameLength = sizeof name;
        FILETIME lastWrite;
        SetLastError(RegEnumKeyExA(key, index, name, &nameLength, nullptr, nullptr, nullptr, &lastWrite));
        if (GetLastError() == ERROR_NO_MORE_ITEMS) return TRUE;
        if (GetLastError() != ERROR_SUCCESS) {
            ReportSystemError(context.owner, "レジストリをセーブしようとしましたが、サブキーを列挙できません。");
            return FALSE;
        }
        if (!SaveSubkey(context, key, name, nameLength, fileName, index, depth, out)) return FALSE;
    }
}

BOOL SaveSubkey(SaveContext& context, HKEY key, LPCSTR name, DWORD nameLength, LPCSTR fileName, DWORD rank,
                int depth, OutputFile& out) {
    KeyGuard subkey;
    if (!OpenKey(context.owner, key, name, KEY_READ, &subkey, {name, kActionReadAccess, kSaving})) return FALSE;
    // The format allows 255 bytes per file name; deeper trees are refused
    // before anything of the subkey is written.
    if (lstrlenA(fileName) + 1 + DecimalDigits(rank) > kMaxSnapshotFileName) {
        ReportFileNameTooLong(context.owner, name);
        return FALSE;
    }
    CHAR subkeyFileName[kSubkeyFileNameSize];
    int subkeyFileNameLength = FormSubkeyFileName(subkeyFileName, fileName, rank);
    if (!AppendRecord(out, subkeyFileName, static_cast<DWORD>(subkeyFileNameLength) + 1, kSubkeyMarker, name,
                      nameLength + 1)) {
        ReportSystemError(context.owner, kWriteFailure);
        return FALSE;
    }
    return SaveTree(context, subkey.key, subkeyFileName, depth + 1);
}

BOOL SaveValueRecords(SaveContext& context, HKEY key, OutputFile& out) {
    if (context.memory) return SaveEnumeratedValues(context, key, out);
    for (DWORD index = 0;; ++index) {
        CHAR name[kMaxRegistryName + 1];
        DWORD nameLength = sizeof name;
        SetLastError(RegEnumValueA(key, index, name, &nameLength, nullptr, nullptr, nullptr, nullptr));
        if (GetLastError() == ERROR_NO_MORE_ITEMS) return TRUE;
        if (GetLastError() != ERROR_SUCCESS) {
            ReportSystemError(context.owner, "レジストリをセーブしようとしましたが、値を列挙できません。");
            return FALSE;
        }
        if (!SaveValue(context, key, name, nameLength, out)) return FALSE;
    }
}

// The size first, so that the data buffer can grow to the value.
BOOL SaveValue(SaveContext& context, HKEY key, LPCSTR name, DWORD nameLength, OutputFile& out) {
    const LPCSTR dataFailure = "レジストリをセーブしようとしましたが、値\"%s\"のタイプ・データを取得できません。";
    DWORD size = 0;
    SetLastError(RegQueryValueExA(key, name, nullptr, nullptr, nullptr, &size));
    if (GetLastError() != ERROR_SUCCESS) {
        ReportSystemErrorWith(context.owner, "レジストリをセーブしようとしましたが、値\"%s\"のサイズを取得できません。",
                              name);
        return FALSE;
    }
    if (!EnsureDataCapacity(context, size)) {
        SetLastError(ERROR_NOT_ENOUGH_MEMORY);
        ReportSystemErrorWith(context.owner, dataFailure, name);
        return FALSE;
    }
    DWORD type = 0;
    SetLastError(RegQueryValueExA(key, name, nullptr, &type, context.data.bytes(), &size));
    if (GetLastError() != ERROR_SUCCESS) {
        ReportSystemErrorWith(context.owner, dataFailure, name);
        return FALSE;
    }
    return AppendValueRecord(context, name, nameLength, type, size, out);
}

// A tree kept in memory is the program's own copy, not a profile's
// snapshot: each value comes with its name in one call, which spares two
// round trips per value. A data buffer too small is grown to the size the
// registry tells and the value asked for again; a name too long for the
// format fails the enumeration, as in the files' walk.
BOOL SaveEnumeratedValues(SaveContext& context, HKEY key, OutputFile& out) {
    for (DWORD index = 0;;) {
        CHAR name[kMaxRegistryName + 1];
        DWORD nameLength = sizeof name;
        DWORD type = 0;
        DWORD size = context.dataCapacity;
        SetLastError(RegEnumValueA(key, index, name, &nameLength, nullptr, &type, context.data.bytes(), &size));
        if (GetLastError() == ERROR_NO_MORE_ITEMS) return TRUE;
        if (GetLastError() == ERROR_MORE_DATA && size > context.dataCapacity) {
            if (EnsureDataCapacity(context, size)) continue;
            ReportOutOfMemory(context.owner);
            return FALSE;
        }
        if (GetLastError() != ERROR_SUCCESS) {
            ReportSystemError(context.owner, "レジストリをセーブしようとしましたが、値を列挙できません。");
            return FALSE;
        }
        if (!AppendValueRecord(context, name, nameLength, type, size, out)) return FALSE;
        ++index;
    }
}

// The value's data is in the context's data buffer.
BOOL AppendValueRecord(SaveContext& context, LPCSTR name, DWORD nameLength, DWORD type, DWORD size, OutputFile& out) {
    // A value of this type would read back as a subkey record.
    if (type == kSubkeyMarker) {
        ReportUnrepresentableType(context.owner, name);
        return FALSE;
    }
    if (!AppendRecord(out, context.data.block, size, type, name, nameLength + 1)) {
        ReportSystemError(context.owner, kWriteFailure);
        return FALSE;
    }
    return TRUE;
}

BOOL Flush(OutputFile& file) {
    if (file.pending == 0) return TRUE;
    DWORD size = file.pending;
    file.pending = 0;
    return WriteOut(file, file.buffer, size);
}

BOOL WriteOut(OutputFile& file, const void* bytes, DWORD size) {
    if (file.memory) return file.memory->Append(file.memoryFile, bytes, size);
    return WriteAllBytes(file.handle, bytes, size);
}

// Adds bytes to the file through the buffer; pieces larger than the buffer
// go straight to the file after what is pending.
BOOL Append(OutputFile& file, const void* bytes, DWORD size) {
    if (size > kOutputBufferSize - file.pending) {
        if (!Flush(file)) return FALSE;
        if (size > kOutputBufferSize) return WriteOut(file, bytes, size);
    }
    if (size) std::memcpy(file.buffer + file.pending, bytes, size);
    file.pending += size;
    return TRUE;
}

BOOL AppendRecord(OutputFile& file, const void* data, DWORD dataLength, DWORD type, LPCSTR name, DWORD nameLength) {
    BYTE field[4];
    PutLittleEndian(field, dataLength);
    if (!Append(file, field, 4) || !Append(file, data, dataLength)) return FALSE;
    BYTE fields[8];
    PutLittleEndian(fields, type);
    PutLittleEndian(fields + 4, nameLength);
    return Append(file, fields, 8) && Append(file, name, nameLength);
}

BOOL EnsureDataCapacity(SaveContext& context, DWORD size) {
    if (size <= context.dataCapacity) return TRUE;
    context.data.reset();
    context.dataCapacity = 0;
    context.data.block = HeapAlloc(GetProcessHeap(), 0, size);
    if (!context.data.block) return FALSE;
    context.dataCapacity = size;
    return TRUE;
}

void ReportOutOfMemory(HWND owner) {
    SetLastError(ERROR_NOT_ENOUGH_MEMORY);
    ReportSystemError(owner, kWriteFailure);
}

void ReportCreateFailure(HWND owner, LPCSTR directory, LPCSTR fileName) {
    DWORD error = GetLastError();
    CHAR path[kMessageBufferSize];
    wsprintfA(path, "%s%s", directory, fileName);
    SetLastError(error);
    ReportFailureOn(owner, Named::kTemporaryFile, path, kActionWriteAccess, "レジストリをセーブするための");
}

void ReportFileNameTooLong(HWND owner, LPCSTR subkeyName) {
    CHAR message[kMessageBufferSize];
    wsprintfA(message,
              "レジストリをセーブしようとしましたが、レジストリキー\"%s\"の階層が深すぎるため、"
              "テンポラリファイルの名前が255バイトを超えます。",
              subkeyName);
    ShowInformation(owner, message);
}

void ReportUnrepresentableType(HWND owner, LPCSTR valueName) {
    CHAR message[kMessageBufferSize];
    wsprintfA(message,
              "レジストリをセーブしようとしましたが、値\"%s\"のタイプ(0xFFFFFFFF)はファイルに保存できません。",
              valueName);
    ShowInformation(owner, message);
}

int DecimalDigits(DWORD n) {
    int digits = 1;
    while (n >= 10) {
        n /= 10;
        ++digits;
    }
    return digits;
}

}  // namespace
