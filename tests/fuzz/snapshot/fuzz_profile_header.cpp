// Fuzzes the profile header reader: the input is the file "profile" in the
// work directory, read for both kinds. Nothing may leak, crash or read out of
// bounds, and a header that is read must hand out texts within the file.
#include <cstdint>
#include <cstdlib>
#include <cstring>

#include "base/workarea.h"
#include "snapshot/profile_header.h"
#include "winapi/sim/simctl.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    // A reset per input would dominate the run; the file is replaced anyway.
    static unsigned runs = 0;
    if (runs++ % 4096 == 0) {
        sim::Reset();
        CreateDirectoryA("C:\\work", nullptr);
        lstrcpynA(WorkDirectory, "C:\\work\\", kWorkDirectorySize);
    }

    HANDLE file = CreateFileA("C:\\work\\profile", GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL,
                              nullptr);
    if (file == INVALID_HANDLE_VALUE) abort();
    DWORD written = 0;
    if (size && !WriteFile(file, data, static_cast<DWORD>(size), &written, nullptr)) abort();
    CloseHandle(file);

    for (BYTE kind = 0; kind < 2; ++kind) {
        ProfileHeader header;
        ProfileHeaderResult result = ReadProfileHeader(nullptr, WorkDirectory, kind, kind, &header);
        if (result == kProfileHeaderRead) {
            // Texts come from the file: never longer than it.
            if (std::strlen(header.sourceName) + std::strlen(header.comment) > size) abort();
            if (size < 2 || data[0] != kind) abort();
        } else if (header.sourceName || header.comment) {
            abort();
        }
        FreeProfileHeader(&header);
    }

    if (sim::OpenHandleCount() || sim::HeapBlockCount() || sim::LocalBlockCount()) abort();
    return 0;
}
