// Snapshot files in memory: one record per file, the bytes of each in a heap
// block of its own that grows as the writer adds to it.
#include "snapshot/snapshot_memory.h"

#include <cstring>

namespace {

constexpr DWORD kFirstFileCount = 64;
constexpr DWORD kFirstFileCapacity = 256;
constexpr DWORD kLargestSize = 0xFFFFFFFF;

void* Allocate(SIZE_T size) {
    void* block = HeapAlloc(GetProcessHeap(), 0, size);
    if (!block) SetLastError(ERROR_NOT_ENOUGH_MEMORY);
    return block;
}

void Free(void* block) {
    if (block) HeapFree(GetProcessHeap(), 0, block);
}

}  // namespace

SnapshotMemory::~SnapshotMemory() {
    for (DWORD i = 0; i < count_; ++i) Free(files_[i].bytes);
    Free(files_);
}

bool SnapshotMemory::Add(LPCSTR name, DWORD* number) {
    if (count_ == capacity_ && !Grow()) return false;
    File& file = files_[count_];
    // Snapshot names are at most kMaxSnapshotFileName bytes; a longer one
    // is cut, as it can never be asked for.
    const size_t length = std::strlen(name);
    const size_t kept = length < sizeof file.name ? length : sizeof file.name - 1;
    std::memcpy(file.name, name, kept);
    file.name[kept] = '\0';
    file.bytes = nullptr;
    file.size = 0;
    file.capacity = 0;
    *number = count_++;
    return true;
}

bool SnapshotMemory::Adopt(LPCSTR name, BYTE* bytes, DWORD size) {
    DWORD number = 0;
    if (!Add(name, &number)) {
        Free(bytes);
        return false;
    }
    files_[number].bytes = bytes;
    files_[number].size = size;
    files_[number].capacity = size;
    return true;
}

// A file's block doubles when it is full, or grows at once to what is added.
bool SnapshotMemory::Append(DWORD number, const void* bytes, DWORD size) {
    File& file = files_[number];
    if (size > file.capacity - file.size) {
        if (size > kLargestSize - file.size) {
            SetLastError(ERROR_NOT_ENOUGH_MEMORY);
            return false;
        }
        DWORD capacity = file.capacity ? file.capacity : kFirstFileCapacity;
        while (capacity < file.size + size) capacity = capacity > kLargestSize / 2 ? kLargestSize : capacity * 2;
        BYTE* grown = static_cast<BYTE*>(Allocate(capacity));
        if (!grown) return false;
        if (file.size) std::memcpy(grown, file.bytes, file.size);
        Free(file.bytes);
        file.bytes = grown;
        file.capacity = capacity;
    }
    if (size) std::memcpy(file.bytes + file.size, bytes, size);
    file.size += size;
    return true;
}

bool SnapshotMemory::Find(LPCSTR name, const BYTE** bytes, DWORD* size) const {
    for (DWORD n = 0; n < count_; ++n) {
        const DWORD i = (nextFind_ + n) % count_;
        if (std::strcmp(files_[i].name, name) != 0) continue;
        nextFind_ = i + 1;
        *bytes = files_[i].bytes;
        *size = files_[i].size;
        return true;
    }
    return false;
}

bool SnapshotMemory::Grow() {
    const DWORD capacity = capacity_ ? capacity_ * 2 : kFirstFileCount;
    if (capacity > kLargestSize / sizeof(File)) {
        SetLastError(ERROR_NOT_ENOUGH_MEMORY);
        return false;
    }
    File* grown = static_cast<File*>(Allocate(capacity * sizeof(File)));
    if (!grown) return false;
    if (count_) std::memcpy(grown, files_, count_ * sizeof(File));
    Free(files_);
    files_ = grown;
    capacity_ = capacity;
    return true;
}
