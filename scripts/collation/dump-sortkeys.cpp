// Prints the Japanese-locale sort key (LCMAP_SORTKEY | NORM_IGNORECASE, the
// comparison list boxes sort by) of every cp932 character, one per line:
// "<cp932 code> <UTF-16 code> <key bytes>". Run under Wine; make-table turns
// the output into the simulation's collation table.
//   x86_64-w64-mingw32-g++-posix -O1 -static dump-sortkeys.cpp -o dump-sortkeys.exe
//   scripts/wine-exec dump-sortkeys.exe > sortkeys.txt
#include <windows.h>

#include <cstdio>

static void Print(const char* bytes, int length, unsigned code) {
    WCHAR wide[4];
    if (MultiByteToWideChar(932, MB_ERR_INVALID_CHARS, bytes, length, wide, 4) != 1) return;
    unsigned char key[256];
    int n = LCMapStringW(0x411, LCMAP_SORTKEY | NORM_IGNORECASE, wide, 1, reinterpret_cast<WCHAR*>(key), sizeof key);
    std::printf("%04X %04X", code, (unsigned)wide[0]);
    for (int i = 0; i < n; ++i) std::printf(" %02X", key[i]);
    std::printf("\n");
}

int main() {
    for (unsigned c = 0x01; c < 0x100; ++c) {
        if ((c >= 0x81 && c <= 0x9F) || (c >= 0xE0 && c <= 0xFC)) continue;
        char s[1] = {(char)c};
        Print(s, 1, c);
    }
    for (unsigned lead = 0x81; lead <= 0xFC; ++lead) {
        if (lead > 0x9F && lead < 0xE0) continue;
        for (unsigned trail = 0x40; trail <= 0xFC; ++trail) {
            if (trail == 0x7F) continue;
            char s[2] = {(char)lead, (char)trail};
            Print(s, 2, (lead << 8) | trail);
        }
    }
    return 0;
}
