// What the whole-load fuzzers share: the input becomes the unpacked files of
// a profile (see tests/support/unpacked_profile.h), packed into the profile
// file; afterwards only the work directory and that file may be on the drive.
#pragma once

#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <string>

#include "base/workarea.h"
#include "snapshot/profile_file.h"
#include "unpacked_profile.h"
#include "winapi/sim/simctl.h"

namespace profilefuzz {

// A fresh simulated machine with the work directory C:\work\ and the
// profile file C:\<profileName>.
inline void StartMachine(const char* profileName) {
    sim::Reset();
    CreateDirectoryA("C:\\work", nullptr);
    lstrcpyA(WorkDirectory, "C:\\work\\");
    wsprintfA(ProfileFilePath, "C:\\%s", profileName);
}

// Writes the parts of the input under `names` and packs them into the
// profile file, leaving the work directory empty as a flow finds it.
inline void PackInput(const uint8_t* data, size_t size, const char* const* names, size_t count) {
    if (!unpacked::WriteParts(std::string(reinterpret_cast<const char*>(data), size), names, count, WorkDirectory))
        abort();
    if (!PackProfileFile(nullptr, ProfileFilePath, WorkDirectory)) abort();
    ClearWorkDirectory(WorkDirectory);
}

// Aborts when anything but the work directory and the profile file is in C:\.
inline void CheckOnlyWorkAndProfile() {
    const char* profileName = ProfileFilePath + 3;
    WIN32_FIND_DATAA entry;
    HANDLE find = FindFirstFileA("C:\\*", &entry);
    if (find == INVALID_HANDLE_VALUE) abort();
    do {
        if (std::strcmp(entry.cFileName, ".") && std::strcmp(entry.cFileName, "..") &&
            std::strcmp(entry.cFileName, "work") && std::strcmp(entry.cFileName, profileName))
            abort();
    } while (FindNextFileA(find, &entry));
    FindClose(find);
}

// Aborts unless every key, handle and block has been released.
inline void CheckNothingLeaks() {
    if (sim::OpenKeyCount() || sim::OpenHandleCount() || sim::HeapBlockCount() || sim::LocalBlockCount()) abort();
}

}  // namespace profilefuzz
