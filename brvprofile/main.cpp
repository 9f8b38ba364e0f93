// brvprofile: look inside a profile file, check it, and apply or save one
// without a window. Exit codes: 0 done, 1 some entries missing or failed,
// 2 the file was refused, 64 bad usage.
#include <cstdio>
#include <string>

#include "base/report.h"
#include "base/workarea.h"
#include "brvprofile/console.h"
#include "brvprofile/tool.h"

namespace {

void WriteToStdout(void*, const std::string& text) { WriteConsoleText(stdout, text); }

int TellUsage(const std::string& problem) {
    ShowInformation(nullptr, ("brvprofile: " + problem + "\n" + ToolHelpText(kCommandHelp)).c_str());
    return kExitUsage;
}

// The request on a work directory of its own, taken down on every way out.
int RunInWorkDirectory(const ToolRequest& request) {
    const std::string path = AbsoluteFilePath(request.file);
    if (path.size() >= static_cast<size_t>(kProfileFilePathSize))
        return TellUsage("ファイル\"" + request.file + "\"のパスが長すぎます。");
    lstrcpynA(ProfileFilePath, path.c_str(), kProfileFilePathSize);
    if (!MakeToolWorkDirectory()) return kExitRefused;
    ClearWorkDirectory(WorkDirectory);
    const ToolConsole console{WriteToStdout, nullptr};
    const int code = RunToolRequest(request, console);
    ClearWorkDirectory(WorkDirectory);
    RemoveDirectoryA(WorkDirectory);
    return code;
}

}  // namespace

int main(int argc, char** argv) {
    ToolRequest request;
    std::string problem;
    if (!ParseToolArguments(argc - 1, argv + 1, &request, &problem)) return TellUsage(problem);
    if (request.help) {
        WriteConsoleText(stdout, ToolHelpText(request.command));
        return kExitDone;
    }
    const int code = RunInWorkDirectory(request);
    std::fflush(stdout);
    return code;
}
