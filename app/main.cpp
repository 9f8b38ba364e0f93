// Entry point of brelvane.exe.
#include "app/startup.h"
#include "winapi/winapi.h"

namespace {

// The shell starts us from the folder of a double-clicked profile file, which
// may hold planted DLLs: take the current directory out of the DLL search
// path, and where the system offers it, search System32 only.
// Both functions came after Windows 2000 (XP SP1, and an update to Vista and
// 7), so they are looked up: where they are missing there is nothing to do.
void HardenDllSearch() {
    HMODULE kernel = GetModuleHandleA("kernel32.dll");
    if (!kernel) return;
    typedef BOOL(WINAPI * SetDllDirectoryFn)(LPCSTR);
    auto setDirectory = reinterpret_cast<SetDllDirectoryFn>(
        reinterpret_cast<void*>(GetProcAddress(kernel, "SetDllDirectoryA")));
    if (setDirectory) setDirectory("");
    typedef BOOL(WINAPI * SetDefaultDllDirectoriesFn)(DWORD);
    auto setDefault = reinterpret_cast<SetDefaultDllDirectoriesFn>(
        reinterpret_cast<void*>(GetProcAddress(kernel, "SetDefaultDllDirectories")));
    if (setDefault) setDefault(LOAD_LIBRARY_SEARCH_SYSTEM32);
}

}  // namespace

// The runtime's lpCmdLine is not used: it cuts an unquoted program name
// at the first byte of a Japanese folder name.
int WINAPI WinMain(HINSTANCE instance, HINSTANCE, LPSTR, int) {
    HardenDllSearch();
    return RunProgram(instance, ProgramArguments());
}
