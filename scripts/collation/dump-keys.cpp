// Prints the Japanese-locale sort key (LCMAP_SORTKEY | NORM_IGNORECASE) of
// each cp932 line of its input, as hex; the source of the expected keys in
// tests/data/winapi/list-sort-keys-ja.txt. Run under Wine:
//   x86_64-w64-mingw32-g++-posix -O1 -static dump-keys.cpp -o dump-keys.exe
//   scripts/wine-exec dump-keys.exe < strings.txt > keys.txt
#include <windows.h>

#include <cstdio>
#include <cstring>

int main() {
    char line[1024];
    while (std::fgets(line, sizeof line, stdin)) {
        size_t n = std::strlen(line);
        while (n && (line[n - 1] == '\n' || line[n - 1] == '\r')) line[--n] = '\0';
        unsigned char key[1024];
        int length = LCMapStringA(0x411, LCMAP_SORTKEY | NORM_IGNORECASE, line, -1, reinterpret_cast<char*>(key),
                                  sizeof key);
        for (int i = 0; i < length; ++i) std::printf(" %02X", key[i]);
        std::printf("\n");
    }
    return 0;
}
