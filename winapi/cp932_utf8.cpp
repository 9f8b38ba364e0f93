#include "winapi/cp932_utf8.h"

#include <errno.h>
#include <iconv.h>

#include <algorithm>

#include "winapi/cp932.h"

namespace {

constexpr char kReplacement[] = "\xEF\xBF\xBD";  // U+FFFD

}  // namespace

std::string Cp932ToUtf8(const std::string& cp932) {
    iconv_t convert = iconv_open("UTF-8", "CP932");
    if (convert == reinterpret_cast<iconv_t>(-1)) return cp932;
    // Every byte gives at most 3 UTF-8 bytes, and so does a replaced one.
    std::string in = cp932;
    std::string out(in.size() * 3 + 4, '\0');
    char* inp = &in[0];
    size_t inLeft = in.size();
    char* outp = &out[0];
    size_t outLeft = out.size();
    while (inLeft > 0 && iconv(convert, &inp, &inLeft, &outp, &outLeft) == static_cast<size_t>(-1) &&
           (errno == EILSEQ || errno == EINVAL) && outLeft >= 3) {
        const size_t bad = static_cast<size_t>(Cp932CharSize(inp, inLeft));
        std::copy(kReplacement, kReplacement + 3, outp);
        outp += 3;
        outLeft -= 3;
        inp += bad;
        inLeft -= bad;
    }
    iconv_close(convert);
    out.resize(out.size() - outLeft);
    return out;
}

void WriteCp932AsUtf8(FILE* stream, const std::string& cp932) {
    const std::string text = Cp932ToUtf8(cp932);
    std::fwrite(text.data(), 1, text.size(), stream);
}
