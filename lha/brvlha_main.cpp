// brvlha: the archiver on the command line.
//   brvlha a ARCHIVE DIR   pack every plain file of DIR
//   brvlha e ARCHIVE DIR   extract every member into DIR
//   brvlha l ARCHIVE       list the members
//   brvlha t ARCHIVE       test every member's CRC
// It builds the same command text the program passes to the archiver, prints
// what went wrong on stderr and exits non-zero on failure.
#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

#include "lha/archiver.h"

#ifndef _WIN32
#include <unistd.h>

#include "winapi/cp932_utf8.h"
#endif

namespace {

// On Linux the simulation takes paths starting with '/' as host paths, so a
// relative path is made absolute here.
std::string HostAbsolute(const std::string& path) {
#ifdef _WIN32
    return path;
#else
    if (!path.empty() && path[0] == '/') return path;
    char cwd[4096];
    if (!getcwd(cwd, sizeof cwd)) return path;
    return std::string(cwd) + "/" + path;
#endif
}

char Separator(const std::string& path) {
    return path.find('/') != std::string::npos && path.find('\\') == std::string::npos ? '/' : '\\';
}

std::string WithSeparator(const std::string& folder) {
    if (!folder.empty() && (folder.back() == '/' || folder.back() == '\\')) return folder;
    return folder + Separator(folder);
}

// Messages are cp932; a Linux terminal wants UTF-8.
void PrintText(FILE* stream, const std::string& text) {
#ifdef _WIN32
    std::fputs(text.c_str(), stream);
#else
    WriteCp932AsUtf8(stream, text);
#endif
}

// The archiver's text for `failure`; after a failed system call, the
// system's own text follows it.
std::string FailureText(const ArchiverFailure& failure) {
    CHAR text[kMessageBufferSize];
    FormatArchiverFailure(failure, text);
    std::string message = text;
    if (failure.status != kLhaIoFailed) return message;
    LPSTR system = nullptr;
    if (FormatMessageA(FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS | FORMAT_MESSAGE_ALLOCATE_BUFFER,
                       nullptr, failure.systemError, MAKELANGID(LANG_NEUTRAL, SUBLANG_DEFAULT),
                       reinterpret_cast<LPSTR>(&system), 0, nullptr) &&
        system) {
        message += " ";
        message += system;
    }
    if (system) LocalFree(system);
    return message;
}

int Usage() {
    std::fputs("usage: brvlha a ARCHIVE DIR | e ARCHIVE DIR | l ARCHIVE | t ARCHIVE\n", stderr);
    return 2;
}

}  // namespace

int main(int argc, char** argv) {
    if (argc < 3) return Usage();
    const std::string command = argv[1];
    const std::string archive = HostAbsolute(argv[2]);
    std::string line;
    if ((command == "a" || command == "e") && argc == 4) {
        std::string folder = WithSeparator(HostAbsolute(argv[3]));
        line = command == "a" ? "a \"" + archive + "\" \"" + folder + "*.*\"" : "e \"" + archive + "\" \"" + folder + "\" *";
    } else if ((command == "l" || command == "t") && argc == 3) {
        line = command + " \"" + archive + "\"";
    } else {
        return Usage();
    }
    if (std::strchr(argv[2], '"') || (argc == 4 && std::strchr(argv[3], '"'))) return Usage();

    std::vector<CHAR> output(1 << 20);
    ArchiverFailure failure;
    int result = CarryOutArchiverCommand(line.c_str(), output.data(), static_cast<DWORD>(output.size()), &failure);
    PrintText(stdout, output.data());
    if (result != 0) PrintText(stderr, "brvlha: " + FailureText(failure) + "\n");
    return result;
}
