// Helpers shared by the file-level archiver tests.
#pragma once

#include <string>
#include <vector>

#include "lha/archiver.h"
#include "lha/header.h"
#include "testenv.h"

// A file of tests/data/lha/ by its relative path, as a path the file API
// takes (a host path on the simulation, the Z: drive under Wine).
inline std::string LhaDataFile(const std::string& relative) {
    std::string path = std::string(BRV_TEST_DATA) + "/lha/" + relative;
#ifdef _WIN32
    for (char& c : path)
        if (c == '/') c = '\\';
    path = "Z:" + path;
#endif
    return path;
}

struct CommandResult {
    int result;
    ArchiverFailure failure;
    std::string output;
};

// Runs a command without any window.
inline CommandResult Carry(const std::string& command) {
    CommandResult r;
    std::vector<char> output(1 << 16, '\x7f');
    r.result = CarryOutArchiverCommand(command.c_str(), output.data(), static_cast<DWORD>(output.size()), &r.failure);
    r.output = output.data();
    return r;
}

inline std::string Quoted(const std::string& s) { return "\"" + s + "\""; }
inline std::string PackCommand(const std::string& archive, const std::string& folder) {
    return "a " + Quoted(archive) + " " + Quoted(folder + "*.*");
}
inline std::string ExtractCommand(const std::string& archive, const std::string& folder) {
    return "e " + Quoted(archive) + " " + Quoted(folder) + " *";
}

// One level-2 member header with its data.
inline std::string Member(const std::string& method, const std::string& name, const std::string& data,
                          uint64_t originalSize, uint16_t crc) {
    uint8_t header[kLevel2HeaderMax];
    uint32_t length = BuildLevel2Header(header, method.c_str(), name.c_str(), static_cast<uint32_t>(name.size()),
                                        data.size(), originalSize, crc, 0);
    return std::string(reinterpret_cast<char*>(header), length) + data;
}

// The fixture of the file-level archiver tests: folders in the test's own
// scratch folder.
class ArchiveFolderTest : public BrvTest {
protected:
    // A new folder below Dir(), with its final backslash.
    std::string MakeFolder(const std::string& name) {
        std::string folder = Dir() + name + "\\";
        EXPECT_TRUE(CreateDirectoryA(folder.c_str(), nullptr)) << folder << " error " << GetLastError();
        return folder;
    }
};
