// The snapshot writer: one file per key, subkey records first (each followed
// at once by the subkey's own file), then the value records.
#include "snapshot/registry_snapshot.h"

#include <cstring>

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
    HeapBlock levelBuffers[kMaxSnapshotDepth + 1];
    HeapBlock data;
    DWORD dataCapacity = 0;
};

// The file of one key while it is written.
struct OutputFile {
    HANDLE handle;
    BYTE* buffer;
    DWORD pending;
};

constexpr char kWriteFailure[] = "レジストリの情報をテンポラリファイルに書き込めません。";

int SaveTree(SaveContext& context, HKEY key, LPCSTR fileName, int depth);
BOOL CreateSnapshotFile(const SaveContext& context, LPCSTR fileName, FileGuard* file);
BOOL StartOutput(SaveContext& context, HANDLE file, int depth, OutputFile* out);
BOOL SaveSubkeyRecords(SaveContext& context, HKEY key, LPCSTR fileName, int depth, OutputFile& out);
BOOL SaveSubkey(SaveContext& context, HKEY key, LPCSTR name, DWORD nameLength, LPCSTR fileName, DWORD rank,
                int depth, OutputFile& out);
BOOL SaveValueRecords(SaveContext& context, HKEY key, OutputFile& out);
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
    if (lstrlenA(fileName) > kMaxSnapshotFileName) {
        ReportFileNameTooLong(owner, fileName);
        return 0;
    }
    SaveContext context;
    context.owner = owner;
    context.directory = directory;
    if (!context.data.Allocate(kInitialDataBufferSize)) {
        ReportOutOfMemory(owner);
        return 0;
    }
    context.dataCapacity = kInitialDataBufferSize;
    return SaveTree(context, key, fileName, 0);
}

namespace {

// Writes the file of one key and, depth first, the files of its subkeys.
// Every failure is reported here, at the level where it happens.
int SaveTree(SaveContext& context, HKEY key, LPCSTR fileName, int depth) {
    FileGuard file;
    if (!CreateSnapshotFile(context, fileName, &file)) return 0;
    // File names of at most 255 bytes keep the depth within the buffers;
    // the check only makes the bound explicit.
    if (depth > kMaxSnapshotDepth) {
        ReportFileNameTooLong(context.owner, fileName);
        return 0;
    }
    OutputFile out;
    if (!StartOutput(context, file.handle, depth, &out)) return 0;
    if (!SaveSubkeyRecords(context, key, fileName, depth, out)) return 0;
    if (!SaveValueRecords(context, key, out)) return 0;
    if (!Flush(out)) {
        ReportSystemError(context.owner, kWriteFailure);
        return 0;
    }
    return 1;
}

BOOL CreateSnapshotFile(const SaveContext& context, LPCSTR fileName, FileGuard* file) {
    CHAR path[kMessageBufferSize];
    wsprintfA(path, "%s%s", context.directory, fileName);
    file->handle = CreateFileA(path, GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
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
    *out = OutputFile{file, levelBuffer.bytes(), 0};
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
    SetLastError(RegOpenKeyExA(key, name, 0, KEY_READ, &subkey.key));
    if (GetLastError() != ERROR_SUCCESS) {
        subkey.key = nullptr;
        ReportSystemErrorWith(context.owner,
                              "レジストリをセーブしようとしましたが、レジストリキー\"%s\"に読み込みアクセスを適用できません。",
                              name);
        return FALSE;
    }
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
    return WriteAllBytes(file.handle, file.buffer, size);
}

// Adds bytes to the file through the buffer; pieces larger than the buffer
// go straight to the file after what is pending.
BOOL Append(OutputFile& file, const void* bytes, DWORD size) {
    if (size > kOutputBufferSize - file.pending) {
        if (!Flush(file)) return FALSE;
        if (size > kOutputBufferSize) return WriteAllBytes(file.handle, bytes, size);
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
    ReportSystemErrorWith(owner, "レジストリをセーブするためのテンポラリファイル\"%s\"に書き込みアクセスを適用できません。",
                          path);
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
