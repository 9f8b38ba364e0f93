// Walking code page 932 text a character at a time. A trail byte may be
// 0x5C, which is then no backslash; a lead byte that is not followed by a
// trail byte stands alone, so a separator after it is still a separator.
// Plain bytes only: the archiver's codec, which calls no Windows function,
// uses it too.
#pragma once

#include <cstddef>

inline bool IsCp932LeadByte(unsigned char byte) {
    return (byte >= 0x81 && byte <= 0x9F) || (byte >= 0xE0 && byte <= 0xFC);
}

inline bool IsCp932TrailByte(unsigned char byte) {
    return (byte >= 0x40 && byte <= 0x7E) || (byte >= 0x80 && byte <= 0xFC);
}

// 2 when the `left` bytes at `text` (left >= 1) start with a whole two-byte
// character, else 1: also for a lone lead byte at the end or one followed by
// a byte that cannot be its trail byte.
inline int Cp932CharSize(const char* text, size_t left) {
    const unsigned char* p = reinterpret_cast<const unsigned char*>(text);
    return left >= 2 && IsCp932LeadByte(p[0]) && IsCp932TrailByte(p[1]) ? 2 : 1;
}

// The same for NUL-terminated text (the terminator is no trail byte).
inline int Cp932CharSize(const char* text) { return Cp932CharSize(text, text[0] ? 2 : 1); }

// The length of `path` up to and including its last '\' or '/'; 0 when it
// has none.
inline int Cp932FolderPartLength(const char* path) {
    int cut = 0;
    for (int i = 0; path[i]; i += Cp932CharSize(path + i)) {
        if (path[i] == '\\' || path[i] == '/') cut = i + 1;
    }
    return cut;
}
