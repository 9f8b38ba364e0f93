// What a work file costs under Wine on this disk, for flows_bench.py: N
// small files created in an empty folder and deleted again, once created
// with CREATE_ALWAYS (as the snapshot writer and the archiver create them)
// and once with CREATE_NEW. Wine truncates a file it opens with
// CREATE_ALWAYS, and on ext4 a file truncated to zero is written out when it
// is closed, which makes its deletion slow. And N more files created beside
// N others: Wine looks for each new name in the whole folder.
//
//   file_costs DIR\ N      prints "phase NAME SECONDS" per step
#include <windows.h>

#include <cstdio>
#include <cstdlib>
#include <string>

namespace {

double Seconds() {
    LARGE_INTEGER frequency, now;
    QueryPerformanceFrequency(&frequency);
    QueryPerformanceCounter(&now);
    return double(now.QuadPart) / double(frequency.QuadPart);
}

std::string FileName(const std::string& folder, int n, const char* base = "proxy") {
    return folder + base + "." + std::to_string(n);
}

bool CreateFiles(const std::string& folder, int count, DWORD disposition, const char* base = "proxy") {
    static const char kRecord[] = "\x04\0\0\0\x05\0\0\0\x04\0\0\0\x02\0\0\0A";
    for (int n = 0; n < count; ++n) {
        HANDLE file = CreateFileA(FileName(folder, n, base).c_str(), GENERIC_WRITE, 0, nullptr, disposition,
                                  FILE_ATTRIBUTE_NORMAL, nullptr);
        if (file == INVALID_HANDLE_VALUE) return false;
        DWORD written = 0;
        const BOOL ok = WriteFile(file, kRecord, sizeof kRecord, &written, nullptr);
        CloseHandle(file);
        if (!ok) return false;
    }
    return true;
}

bool DeleteFiles(const std::string& folder, int count, const char* base = "proxy") {
    for (int n = 0; n < count; ++n)
        if (!DeleteFileA(FileName(folder, n, base).c_str())) return false;
    return true;
}

// N more files next to the N "proxy" files, deleted again untimed.
bool MeasureBeside(const std::string& folder, int count) {
    const double start = Seconds();
    if (!CreateFiles(folder, count, CREATE_ALWAYS, "~live")) return false;
    std::printf("phase create-beside %.3f\n", Seconds() - start);
    return DeleteFiles(folder, count, "~live");
}

bool Measure(const std::string& folder, int count, DWORD disposition, const char* label) {
    const double start = Seconds();
    if (!CreateFiles(folder, count, disposition)) return false;
    const double created = Seconds();
    std::printf("phase create-%s %.3f\n", label, created - start);
    if (disposition == CREATE_ALWAYS && !MeasureBeside(folder, count)) return false;
    const double deleting = Seconds();
    if (!DeleteFiles(folder, count)) return false;
    std::printf("phase delete-%s %.3f\n", label, Seconds() - deleting);
    return true;
}

}  // namespace

int main(int argc, char** argv) {
    if (argc != 3 || std::atoi(argv[2]) <= 0) {
        std::fprintf(stderr, "usage: file_costs DIR\\ N\n");
        return 64;
    }
    const std::string folder = argv[1];
    const int count = std::atoi(argv[2]);
    if (!Measure(folder, count, CREATE_ALWAYS, "always") || !Measure(folder, count, CREATE_NEW, "new")) {
        std::fprintf(stderr, "file_costs: failed (%lu)\n", GetLastError());
        return 1;
    }
    return 0;
}
