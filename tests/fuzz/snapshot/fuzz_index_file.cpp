// Fuzzes the index file reader: the input is the file "gateway" in the work
// directory. Nothing may leak, crash or read out of bounds, and the names
// handed to the callback must add up to no more than the file holds.
#include <cstdint>
#include <cstdlib>
#include <cstring>

#include "snapshot/index_file.h"
#include "winapi/sim/simctl.h"

namespace {

size_t nameBytes = 0;
size_t names = 0;

int CountName(HWND, LPCSTR, LPCSTR keyName, LPCSTR displayName, int) {
    if (keyName) abort();
    nameBytes += std::strlen(displayName);
    ++names;
    return 1;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    static unsigned runs = 0;
    if (runs++ % 4096 == 0) {
        sim::Reset();
        CreateDirectoryA("C:\\work", nullptr);
    }
    HANDLE file = CreateFileA("C:\\work\\gateway", GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL,
                              nullptr);
    if (file == INVALID_HANDLE_VALUE) abort();
    DWORD written = 0;
    if (size && !WriteFile(file, data, static_cast<DWORD>(size), &written, nullptr)) abort();
    CloseHandle(file);

    nameBytes = 0;
    names = 0;
    if (ReadIndexFile(kGatewayIndexName, CountName, nullptr, "C:\\work\\", 0) != 1) abort();
    // Each name but an unterminated last one brings its terminator along.
    if (nameBytes + (names ? names - 1 : 0) > size) abort();

    if (sim::OpenHandleCount() || sim::HeapBlockCount() || sim::LocalBlockCount()) abort();
    return 0;
}
