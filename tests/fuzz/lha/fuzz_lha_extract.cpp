// The `e` command on an untrusted archive, on the simulated file system.
// After every run: no handle or heap block left, and after a failure no
// file left in the target folder.
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <string>

#include "lha/archiver.h"
#include "lha/header.h"
#include "winapi/sim/simctl.h"

namespace {

const char kArchive[] = "C:\\fuzz\\in.lzh";
const char kFolder[] = "C:\\fuzz\\out\\";

struct Input {
    const uint8_t* data;
    size_t size;
};

LhaStatus Read(void* context, uint8_t* buffer, uint32_t size, uint32_t* got) {
    Input* in = static_cast<Input*>(context);
    size_t take = size < in->size ? size : in->size;
    std::memcpy(buffer, in->data, take);
    in->data += take;
    in->size -= take;
    *got = static_cast<uint32_t>(take);
    return kLhaOk;
}

// Archives that promise more than a few MiB only cost disk time here; the
// limits themselves are covered by the unit tests.
bool PromisesLittle(const uint8_t* data, size_t size) {
    static std::unique_ptr<LhaReader> reader(new LhaReader);
    Input input = {data, size};
    LhaSource source = {Read, &input};
    StartReader(reader.get(), &source);
    uint64_t total = 0;
    for (int i = 0; i < 1000; ++i) {
        LhaMemberHeader h;
        bool end = false;
        if (ReadMemberHeader(reader.get(), &h, &end) != kLhaOk || end) return true;
        total += h.originalSize;
        if (total > (4u << 20)) return false;
    }
    return false;
}

int FilesIn(const char* folder) {
    WIN32_FIND_DATAA data;
    std::string pattern = std::string(folder) + "*";
    HANDLE find = FindFirstFileA(pattern.c_str(), &data);
    if (find == INVALID_HANDLE_VALUE) return 0;
    int count = 0;
    do {
        if (!(data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY)) {
            ++count;
            DeleteFileA((std::string(folder) + data.cFileName).c_str());
        }
    } while (FindNextFileA(find, &data));
    FindClose(find);
    return count;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    static bool ready = false;
    if (!ready) {
        sim::Reset();
        CreateDirectoryA("C:\\fuzz\\", nullptr);
        CreateDirectoryA(kFolder, nullptr);
        ready = true;
    }
    if (!PromisesLittle(data, size)) return 0;
    HANDLE file = CreateFileA(kArchive, GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE) std::abort();
    DWORD written = 0;
    if (size && !WriteFile(file, data, static_cast<DWORD>(size), &written, nullptr)) std::abort();
    CloseHandle(file);

    ArchiverFailure failure;
    std::string command = std::string("e \"") + kArchive + "\" \"" + kFolder + "\" *";
    int result = CarryOutArchiverCommand(command.c_str(), nullptr, 0, &failure);
    int left = FilesIn(kFolder);
    if (result != 0 && left != 0) std::abort();  // a failed extraction left files behind
    if (result != 0 && failure.status == kLhaIoFailed) std::abort();  // nothing here should fail a call
    if (sim::OpenHandleCount() != 0 || sim::HeapBlockCount() != 0) std::abort();
    return 0;
}
