// Fuzzes the gateway reader: the input is the index file. Every name handed
// to the callback must end inside the data read; nothing may leak or crash.
#include <cstdint>
#include <cstdlib>
#include <string>

#include "ieoe/accounts.h"
#include "winapi/sim/simctl.h"

namespace {

const char kDirectory[] = "C:\\work\\";
size_t total = 0;

int Visit(HWND, LPCSTR, LPCSTR keyName, LPCSTR name, int) {
    if (keyName) abort();
    total += static_cast<size_t>(lstrlenA(name)) + 2;
    return 1;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    sim::Reset();
    CreateDirectoryA("C:\\work", nullptr);
    HANDLE file = CreateFileA("C:\\work\\gateway", GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL,
                              nullptr);
    if (file == INVALID_HANDLE_VALUE) abort();
    DWORD written = 0;
    if (size && !WriteFile(file, data, static_cast<DWORD>(size), &written, nullptr)) abort();
    CloseHandle(file);

    total = 0;
    if (ReadGatewayIndex(Visit, nullptr, kDirectory, -1) != 1) abort();
    // The records cover the data, with at most the last one's two bytes short.
    if (total < size || total > size + 2) abort();
    if (sim::OpenKeyCount() || sim::OpenHandleCount() || sim::HeapBlockCount()) abort();
    return 0;
}
