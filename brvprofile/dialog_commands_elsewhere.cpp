// diff, apply and save outside Windows: they change or compare the live
// registry, which only the Windows build has.
#include "base/report.h"
#include "brvprofile/tool.h"

namespace {

int WindowsOnly() {
    ShowInformation(nullptr, "このコマンドはWindowsでのみ使えます。");
    return kExitUsage;
}

}  // namespace

int DiffProfileFile(const ToolRequest&, const ToolConsole&) { return WindowsOnly(); }
int ApplyProfileFile(const ToolRequest&, const ToolConsole&) { return WindowsOnly(); }
int SaveProfileFile(const ToolRequest&, const ToolConsole&) { return WindowsOnly(); }
