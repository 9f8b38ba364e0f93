// The console on Linux: UTF-8 text, host paths, a work folder below /tmp.
#include <iconv.h>
#include <stdlib.h>
#include <unistd.h>

#include <cstring>

#include "base/report.h"
#include "base/workarea.h"
#include "brvprofile/console.h"

void WriteConsoleText(FILE* stream, const std::string& cp932) {
    const std::string text = WithoutCarriageReturns(cp932);
    iconv_t convert = iconv_open("UTF-8", "CP932");
    if (convert == reinterpret_cast<iconv_t>(-1)) {
        std::fwrite(text.data(), 1, text.size(), stream);
        return;
    }
    std::string in = text;
    std::string out(in.size() * 3 + 16, '\0');
    char* inp = &in[0];
    size_t inLeft = in.size();
    char* outp = &out[0];
    size_t outLeft = out.size();
    // A byte that is no cp932 is shown as '?' and the rest goes on.
    while (inLeft > 0 && iconv(convert, &inp, &inLeft, &outp, &outLeft) == static_cast<size_t>(-1) && outLeft > 0) {
        *outp++ = '?';
        --outLeft;
        ++inp;
        --inLeft;
    }
    iconv_close(convert);
    std::fwrite(out.data(), 1, out.size() - outLeft, stream);
}

// The simulation takes a path that starts with '/' as a host path.
std::string AbsoluteFilePath(const std::string& path) {
    if (!path.empty() && path[0] == '/') return path;
    char cwd[4096];
    if (!getcwd(cwd, sizeof cwd)) return path;
    return std::string(cwd) + "/" + path;
}

BOOL MakeToolWorkDirectory() {
    const char* tmp = getenv("TMPDIR");
    std::string pattern = std::string(tmp && *tmp ? tmp : "/tmp") + "/brvprofile.XXXXXX";
    if (pattern.size() + 2 > sizeof WorkDirectory || !mkdtemp(&pattern[0])) {
        SetLastError(ERROR_PATH_NOT_FOUND);
        ReportSystemErrorWith(nullptr, "ディレクトリ\"%s\"を作成できません。", pattern.c_str());
        return FALSE;
    }
    std::strcpy(WorkDirectory, (pattern + "/").c_str());
    return TRUE;
}
