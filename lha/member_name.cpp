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

// The two-byte codes code page 932 assigns a character to; Windows reads
// any other pair as "・", so it cannot keep such a name as written.
bool IsAssignedDoubleByte(unsigned code) {
    static const uint16_t kRanges[][2] = {
        {0x8140, 0x81AC}, {0x81B8, 0x81BF}, {0x81C8, 0x81CE}, {0x81DA, 0x81E8}, {0x81F0, 0x81F7},
        {0x81FC, 0x81FC}, {0x824F, 0x8258}, {0x8260, 0x8279}, {0x8281, 0x829A}, {0x829F, 0x82F1},
        {0x8340, 0x8396}, {0x839F, 0x83B6}, {0x83BF, 0x83D6}, {0x8440, 0x8460}, {0x8470, 0x8491},
        {0x849F, 0x84BE}, {0x8740, 0x875D}, {0x875F, 0x8775}, {0x877E, 0x879C}, {0x889F, 0x9872},
        {0x989F, 0xEAA4}, {0xED40, 0xEEEC}, {0xEEEF, 0xEEFC}, {0xF040, 0xFC4B},
    };
    const unsigned trail = code & 0xFF;
    if (trail < 0x40 || trail == 0x7F || trail > 0xFC) return false;
    for (const auto& range : kRanges)
        if (code >= range[0] && code <= range[1]) return true;
    return false;
}

// Two-byte codes counted without the gaps of the trail byte (0x7F, 0xFD..0x3F),
// so that a block of characters is one run of numbers.
unsigned Linear(unsigned code) {
    const unsigned trail = code & 0xFF;
    return (code >> 8) * 188 + trail - 0x40 - (trail > 0x7F ? 1 : 0);
}

unsigned FromLinear(unsigned linear) {
    const unsigned trail = linear % 188 + 0x40;
    return (linear / 188) << 8 | (trail + (trail >= 0x7F ? 1 : 0));
}

// Characters that code page 932 spells twice (NEC's row 13 and IBM's
// extensions): both spellings read as one character.
const uint16_t kSecondSpellings[][2] = {
    {0x8790, 0x81E0}, {0x8791, 0x81DF}, {0x8792, 0x81E7}, {0x8795, 0x81E3}, {0x8796, 0x81DB},
    {0x8797, 0x81DA}, {0x879A, 0x81E6}, {0x879B, 0x81BF}, {0x879C, 0x81BE}, {0xEEF9, 0x81CA},
    {0xFA54, 0x81CA}, {0xFA58, 0x878A}, {0xFA59, 0x8782}, {0xFA5A, 0x8784}, {0xFA5B, 0x81E6},
};

// One two-byte character as the file system compares it: lower-case
// letters as their capitals (NTFS upper-cases the full-width Latin, Greek,
// Cyrillic letters and the Roman numerals too), and a character of two
// spellings as the first one.
unsigned FoldDoubleByte(unsigned code) {
    if (code >= 0x8281 && code <= 0x829A) return code - 0x21;  // full-width a-z
    if (code >= 0x83BF && code <= 0x83D6) return code - 0x20;  // Greek
    if (code >= 0x8470 && code <= 0x847E) return code - 0x30;  // Cyrillic up to the gap at 0x847F
    if (code >= 0x8480 && code <= 0x8491) return code - 0x31;
    if (code >= 0xEEEF && code <= 0xEEF8) return 0x8754 + (code - 0xEEEF);  // small Roman numerals
    if (code >= 0xFA40 && code <= 0xFA53) return 0x8754 + (code - 0xFA40) % 10;
    if (code >= 0xED40 && code <= 0xEEEC) return FromLinear(Linear(code) + (Linear(0xFA5C) - Linear(0xED40)));
    if (code >= 0xEEFA && code <= 0xEEFC) return 0xFA55 + (code - 0xEEFA);
    for (const auto& spelling : kSecondSpellings)
        if (code == spelling[0]) return spelling[1];
    return code;
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
            if (!IsAssignedDoubleByte(c << 8 | static_cast<uint8_t>(name[i + 1]))) return false;
            ++i;
            continue;
        }
        // A lead byte without its second byte: Windows would drop it or
        // swallow the byte after it, giving the file another name.
        if (IsCp932LeadByte(c)) return false;
        if (c < 0x20 || c == 0x7F || std::strchr(":*?\"<>|", c)) return false;
    }
    char last = name[length - 1];
    if (last == '.' || last == ' ') return false;
    return !IsDeviceName(name, length);
}

void FoldMemberName(const char* name, char* out) {
    size_t i = 0;
    while (name[i] != '\0' && i < kMaxNameBytes) {
        if (i + 1 < kMaxNameBytes && Cp932CharSize(name + i) == 2) {
            const unsigned pair = static_cast<uint8_t>(name[i]) << 8 | static_cast<uint8_t>(name[i + 1]);
            const unsigned code = FoldDoubleByte(pair);
            out[i++] = static_cast<char>(code >> 8);
            out[i++] = static_cast<char>(code & 0xFF);
            continue;
        }
        out[i] = Upper(name[i]);
        ++i;
    }
    out[i] = '\0';
}
