// The form the named bad profiles of tests/data and the load fuzzers' inputs
// take: the files of an unpacked profile joined by "#F#", in an order each
// subsystem fixes; a part "#NONE#" stands for a file the profile does not
// hold, and so do the names after the last part.
#pragma once

#include <cstddef>
#include <string>

#include "winapi/winapi.h"

namespace unpacked {

// Writes each part of `bytes` into `directory` (ending with a backslash)
// under the name of the same place in `names`; parts beyond the names are
// ignored. False when a file cannot be written.
inline bool WriteParts(const std::string& bytes, const char* const* names, size_t count, const std::string& directory) {
    size_t start = 0;
    for (size_t file = 0; file < count; ++file) {
        const size_t cut = bytes.find("#F#", start);
        const std::string part = bytes.substr(start, cut == std::string::npos ? std::string::npos : cut - start);
        if (part != "#NONE#") {
            HANDLE out = CreateFileA((directory + names[file]).c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                                     FILE_ATTRIBUTE_NORMAL, nullptr);
            if (out == INVALID_HANDLE_VALUE) return false;
            DWORD written = 0;
            const bool ok = part.empty() || (WriteFile(out, part.data(), static_cast<DWORD>(part.size()), &written,
                                                       nullptr) && written == part.size());
            CloseHandle(out);
            if (!ok) return false;
        }
        if (cut == std::string::npos) break;
        start = cut + 3;
    }
    return true;
}

}  // namespace unpacked
