// Fuzzes the index file reader that both settings groups use: the input is
// the file "gateway" in the work directory. Nothing may leak, crash or read
// out of bounds, and the records handed to the callback must cover exactly
// the bytes of the file.
#include <cstdint>
#include <cstdlib>
#include <cstring>

#include "snapshot/index_file.h"
#include "winapi/sim/simctl.h"

namespace {

// Index names as the two groups use them.
constexpr char kGatewayIndexName[] = "gateway";
constexpr char kTcpipIndexName[] = "tcpip";

size_t recordBytes = 0;

int CountRecord(HWND, LPCSTR, LPCSTR keyName, LPCSTR displayName, int) {
    if (keyName) abort();
    recordBytes += std::strlen(displayName) + 2;
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

    recordBytes = 0;
    if (ReadIndexFile(kGatewayIndexName, CountRecord, nullptr, "C:\\work\\", 0) != 1) abort();
    // Every record is a name, its terminator and a pad byte; only the last
    // one may lack its pad (one byte short) or both (two bytes short).
    if (recordBytes < size || recordBytes > size + 2) abort();

    if (sim::OpenKeyCount() || sim::OpenHandleCount() || sim::HeapBlockCount() || sim::LocalBlockCount()) abort();
    return 0;
}
