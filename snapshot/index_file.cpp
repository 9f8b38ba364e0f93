// Appending to and reading an index file. The file comes out of a profile
// file that may be damaged or hostile, so it is read whole into a buffer one
// byte longer than its data, and every name is taken from what was read.
#include "snapshot/index_file.h"

#include "app/report.h"
#include "winapi/file_io.h"
#include "winapi/guards.h"

namespace {

BOOL ReadIndexBytes(HWND owner, HANDLE file, LPCSTR path, HeapBlock* data, DWORD* size);
DWORD RecordNameLength(const BYTE* data, DWORD size, DWORD position);
DWORD NextRecord(DWORD size, DWORD position, DWORD nameLength);
DWORD CountRecords(const BYTE* data, DWORD size);
BOOL WriteRecord(HANDLE file, LPCSTR displayName);

}  // namespace

void FormIndexSnapshotName(const IndexFileKind& kind, int number, LPSTR name) {
    wsprintfA(name, kind.snapshotFormat, number);
}

int AppendIndexRecord(HWND owner, LPCSTR directory, const IndexFileKind& kind, LPCSTR displayName) {
    CHAR path[kMessageBufferSize];
    wsprintfA(path, "%s%s", directory, kind.fileName);
    // Read access too: the record's number is the count of records before it.
    FileGuard file(CreateFileA(path, GENERIC_READ | GENERIC_WRITE, 0, nullptr, OPEN_ALWAYS, FILE_ATTRIBUTE_NORMAL,
                               nullptr));
    if (!file.valid()) {
        ReportSystemErrorWith(owner, "テンポラリファイル\"%s\"を作成し、書き込みアクセスを適用できません。", path);
        return -1;
    }
    HeapBlock data;
    DWORD size = 0;
    if (!ReadIndexBytes(owner, file.handle, path, &data, &size)) return -1;
    const int number = static_cast<int>(CountRecords(data.bytes(), size));

    if (SetFilePointer(file.handle, 0, nullptr, FILE_END) == INVALID_SET_FILE_POINTER &&
        GetLastError() != NO_ERROR) {
        ReportSystemError(owner, "ファイルポインタを終端に移動できません。");
        return -1;
    }
    if (!WriteRecord(file.handle, displayName)) {
        ReportSystemErrorWith(owner, "アダプタの情報をテンポラリファイル\"%s\"に書き込めません。", path);
        return -1;
    }
    return number;
}

int ReadIndexFile(ItemCallback callback, HWND owner, LPCSTR directory, const IndexFileKind& kind, int item) {
    CHAR path[kMessageBufferSize];
    wsprintfA(path, "%s%s", directory, kind.fileName);
    FileGuard file(CreateFileA(path, GENERIC_READ, 0, nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
    if (!file.valid()) {
        ReportSystemErrorWith(owner, "テンポラリファイル\"%s\"に読み込みアクセスを適用できません。", path);
        return kWalkFailed;
    }
    HeapBlock data;
    DWORD size = 0;
    if (!ReadIndexBytes(owner, file.handle, path, &data, &size)) return kWalkFailed;
    file.Close();

    const BYTE* bytes = data.bytes();
    for (DWORD position = 0; position < size;) {
        const DWORD nameLength = RecordNameLength(bytes, size, position);
        // The buffer holds a NUL after the data, so the last name ends too.
        if (!callback(owner, directory, nullptr, reinterpret_cast<LPCSTR>(bytes + position), item))
            return kWalkStopped;
        position = NextRecord(size, position, nameLength);
    }
    return kWalkDone;
}

namespace {

// Reads the whole file into `data`, which gets one byte more than was read
// and a NUL there. `size` is the count the read returned.
BOOL ReadIndexBytes(HWND owner, HANDLE file, LPCSTR path, HeapBlock* data, DWORD* size) {
    SetLastError(NO_ERROR);
    DWORD high = 0;
    const DWORD fileSize = GetFileSize(file, &high);
    if (fileSize == INVALID_FILE_SIZE && GetLastError() != NO_ERROR) {
        ReportSystemErrorWith(owner, "テンポラリファイル\"%s\"のサイズを取得できません。", path);
        return FALSE;
    }
    const LPCSTR readFailure = "アダプタの情報をテンポラリファイル\"%s\"から読み込めません。";
    if (high != 0 || fileSize == 0xFFFFFFFF || !data->Allocate(static_cast<SIZE_T>(fileSize) + 1)) {
        SetLastError(ERROR_NOT_ENOUGH_MEMORY);
        ReportSystemErrorWith(owner, readFailure, path);
        return FALSE;
    }
    *size = 0;
    if (fileSize && !ReadFile(file, data->block, fileSize, size, nullptr)) {
        ReportSystemErrorWith(owner, readFailure, path);
        return FALSE;
    }
    if (*size > fileSize) *size = fileSize;
    data->bytes()[*size] = 0;
    return TRUE;
}

// Length of the name at `position`, up to its NUL or the end of the data.
DWORD RecordNameLength(const BYTE* data, DWORD size, DWORD position) {
    DWORD length = 0;
    while (position + length < size && data[position + length] != 0) ++length;
    return length;
}

// Where the record after the name at `position` begins: past the NUL and the
// pad byte, or the end of the data when they are not both there.
DWORD NextRecord(DWORD size, DWORD position, DWORD nameLength) {
    const DWORD left = size - position;
    return nameLength + 2 >= left ? size : position + nameLength + 2;
}

// The records a reading would visit.
DWORD CountRecords(const BYTE* data, DWORD size) {
    DWORD count = 0;
    for (DWORD position = 0; position < size; ++count)
        position = NextRecord(size, position, RecordNameLength(data, size, position));
    return count;
}

// The name with its NUL, then the pad byte.
BOOL WriteRecord(HANDLE file, LPCSTR displayName) {
    const BYTE pad = 0;
    return WriteAllBytes(file, displayName, static_cast<DWORD>(lstrlenA(displayName)) + 1) &&
           WriteAllBytes(file, &pad, 1);
}

}  // namespace
