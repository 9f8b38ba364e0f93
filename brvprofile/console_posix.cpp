// The console on Linux: UTF-8 text, host paths, a work folder below /tmp.
#include <stdlib.h>
#include <unistd.h>

#include <cstring>

#include "base/report.h"
#include "base/report_context.h"
#include "base/workarea.h"
#include "brvprofile/console.h"
#include "winapi/cp932_utf8.h"

void WriteConsoleText(FILE* stream, const std::string& cp932) {
    WriteCp932AsUtf8(stream, WithoutCarriageReturns(cp932));
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
        ReportFailureOn(nullptr, Named::kDirectory, pattern.c_str(), kActionCreate);
        return FALSE;
    }
    std::strcpy(WorkDirectory, (pattern + "/").c_str());
    return TRUE;
}
