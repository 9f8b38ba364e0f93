// A registry tree held in memory, read from a snapshot or from the live
// registry, and written as text in the syntax of a .reg export.
#pragma once

#include <string>
#include <vector>

#include "winapi/winapi.h"

struct TreeValue {
    std::string name;  // empty for the default value
    DWORD type;
    std::string data;  // the bytes exactly as stored
};

struct TreeKey {
    std::string name;               // one component; empty for the top key
    std::vector<TreeValue> values;  // in the order read
    std::vector<TreeKey> subkeys;   // in the order read
};

// `"name"=data` as a .reg export writes a value: "@" for the default value,
// strings quoted with '\' and '"' escaped (never the 0x5C trail byte of a
// cp932 character), "dword:" for a 4-byte REG_DWORD, "hex:" for REG_BINARY
// and "hex(N):" for everything else and for a string that is not one NUL-
// terminated line of text.
std::string RegValueText(const TreeValue& value);

// Just the part after the '=' of RegValueText.
std::string RegDataText(const TreeValue& value);

// The key as "[path]", its values one a line, a blank line, then each
// subkey the same way below "path\name".
void AppendRegKeyText(std::string* out, const std::string& path, const TreeKey& key);
