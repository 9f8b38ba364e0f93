#include "lha/member_name.h"

#include <cstring>

#include "winapi/cp932.h"

namespace {

char Upper(char c) { return (c >= 'a' && c <= 'z') ? static_cast<char>(c - 'a' + 'A') : c; }

// CON, PRN, AUX, NUL, COM1-9, LPT1-9 name devices whatever follows the
// first dot, and Windows ignores spaces before that dot.
bool IsDeviceName(const char* name, uint32_t length) {
    uint32_t base = 0;
    while (base < length && name[base] != '.') ++base;
    while (base > 0 && name[base - 1] == ' ') --base;
    char upper[5] = {};
    if (base != 3 && base != 4) return false;
    for (uint32_t i = 0; i < base; ++i) upper[i] = Upper(name[i]);
    if (base == 3)
        return !std::strcmp(upper, "CON") || !std::strcmp(upper, "PRN") || !std::strcmp(upper, "AUX") ||
               !std::strcmp(upper, "NUL");
    return (!std::strncmp(upper, "COM", 3) || !std::strncmp(upper, "LPT", 3)) && upper[3] >= '1' && upper[3] <= '9';
}

}  // namespace

bool IsSafeMemberName(const LhaMemberHeader& header) {
    if (header.nameTooLong || header.nameLength == 0) return false;
    const char* name = header.name;
    const uint32_t length = header.nameLength;
    if (!std::strcmp(name, ".") || !std::strcmp(name, "..")) return false;
    for (uint32_t i = 0; i < length; ++i) {
        uint8_t c = static_cast<uint8_t>(name[i]);
        if (Cp932CharSize(name + i, length - i) == 2) {
            ++i;
            continue;
        }
        if (c < 0x20 || c == 0x7F || std::strchr(":*?\"<>|", c)) return false;
    }
    char last = name[length - 1];
    if (last == '.' || last == ' ') return false;
    return !IsDeviceName(name, length);
}

void FoldMemberName(const char* name, char* out) {
    size_t i = 0;
    for (; name[i] != '\0' && i < kMaxNameBytes; ++i) {
        if (Cp932CharSize(name + i) == 2) {
            out[i] = name[i];
            ++i;
            out[i] = name[i];
            continue;
        }
        out[i] = Upper(name[i]);
    }
    out[i] = '\0';
}
