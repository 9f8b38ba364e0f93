// 32-bit little-endian fields, the byte order of every integer in our files.
#pragma once

#include "winapi/winapi.h"

inline void PutLittleEndian(BYTE* out, DWORD value) {
    out[0] = static_cast<BYTE>(value);
    out[1] = static_cast<BYTE>(value >> 8);
    out[2] = static_cast<BYTE>(value >> 16);
    out[3] = static_cast<BYTE>(value >> 24);
}

inline DWORD GetLittleEndian(const BYTE* in) {
    return static_cast<DWORD>(in[0]) | static_cast<DWORD>(in[1]) << 8 | static_cast<DWORD>(in[2]) << 16 |
           static_cast<DWORD>(in[3]) << 24;
}
