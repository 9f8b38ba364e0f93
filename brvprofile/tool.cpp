// Running one parsed request: the command it names on the file it names.
#include "brvprofile/tool.h"

int RunToolRequest(const ToolRequest& request, const ToolConsole& console) {
    switch (request.command) {
    case kCommandShow:
        return ShowProfileFile(request, console);
    case kCommandCheck:
        return CheckProfileFile(request, console);
    case kCommandDiff:
        return DiffProfileFile(request, console);
    case kCommandApply:
        return ApplyProfileFile(request, console);
    case kCommandSave:
        return SaveProfileFile(request, console);
    default:
        return kExitUsage;
    }
}
