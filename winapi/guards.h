// Small scope guards: a registry key, a file handle, a search handle and a
// process-heap block, each released when the guard goes out of scope. Handing
// ownership on is explicit (release()).
#pragma once

#include "winapi/winapi.h"

struct KeyGuard {
    HKEY key = nullptr;

    KeyGuard() = default;
    explicit KeyGuard(HKEY k) : key(k) {}
    KeyGuard(const KeyGuard&) = delete;
    KeyGuard& operator=(const KeyGuard&) = delete;
    ~KeyGuard() {
        if (key) RegCloseKey(key);
    }
    HKEY release() {
        HKEY k = key;
        key = nullptr;
        return k;
    }
    // Open and Create return the registry's status and keep the key only on
    // success: what a failed call leaves in its out parameter is never held.
    LONG Open(HKEY parent, LPCSTR path, REGSAM access) {
        HKEY opened = nullptr;
        const LONG status = RegOpenKeyExA(parent, path, 0, access, &opened);
        if (status == ERROR_SUCCESS) Hold(opened);
        return status;
    }
    LONG Create(HKEY parent, LPCSTR path, DWORD options, REGSAM access) {
        HKEY created = nullptr;
        const LONG status = RegCreateKeyExA(parent, path, 0, nullptr, options, access, nullptr, &created, nullptr);
        if (status == ERROR_SUCCESS) Hold(created);
        return status;
    }

private:
    void Hold(HKEY k) {
        if (key) RegCloseKey(key);
        key = k;
    }
};

struct FileGuard {
    HANDLE handle = INVALID_HANDLE_VALUE;

    FileGuard() = default;
    explicit FileGuard(HANDLE h) : handle(h) {}
    FileGuard(const FileGuard&) = delete;
    FileGuard& operator=(const FileGuard&) = delete;
    ~FileGuard() {
        if (handle != INVALID_HANDLE_VALUE) CloseHandle(handle);
    }
    bool valid() const { return handle != INVALID_HANDLE_VALUE; }
    // Closes early, where the order of closing matters (before a move).
    void Close() {
        if (handle != INVALID_HANDLE_VALUE) CloseHandle(handle);
        handle = INVALID_HANDLE_VALUE;
    }
    HANDLE release() {
        HANDLE h = handle;
        handle = INVALID_HANDLE_VALUE;
        return h;
    }
};

struct FindGuard {
    HANDLE handle = INVALID_HANDLE_VALUE;

    FindGuard() = default;
    explicit FindGuard(HANDLE h) : handle(h) {}
    FindGuard(const FindGuard&) = delete;
    FindGuard& operator=(const FindGuard&) = delete;
    ~FindGuard() {
        if (handle != INVALID_HANDLE_VALUE) FindClose(handle);
    }
};

struct HeapBlock {
    LPVOID block = nullptr;

    HeapBlock() = default;
    explicit HeapBlock(SIZE_T size) : block(HeapAlloc(GetProcessHeap(), 0, size)) {}
    HeapBlock(const HeapBlock&) = delete;
    HeapBlock& operator=(const HeapBlock&) = delete;
    ~HeapBlock() { reset(); }
    bool Allocate(SIZE_T size) {
        reset();
        block = HeapAlloc(GetProcessHeap(), 0, size);
        return block != nullptr;
    }
    void reset() {
        if (block) HeapFree(GetProcessHeap(), 0, block);
        block = nullptr;
    }
    BYTE* bytes() const { return static_cast<BYTE*>(block); }
    LPSTR text() const { return static_cast<LPSTR>(block); }
    LPVOID release() {
        LPVOID b = block;
        block = nullptr;
        return b;
    }
};
