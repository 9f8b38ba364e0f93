// Writing registry values and keys in the syntax of a .reg export.
#include "brvprofile/registry_text.h"

#include <cstdio>

#include "winapi/cp932.h"

namespace {

std::string QuotedText(const std::string& text);
bool IsOneLineOfText(const std::string& data);
std::string HexBytes(const std::string& data);

}  // namespace

std::string RegValueText(const TreeValue& value) {
    const std::string name = value.name.empty() ? "@" : QuotedText(value.name);
    return name + "=" + RegDataText(value);
}

std::string RegDataText(const TreeValue& value) {
    if (value.type == REG_SZ && IsOneLineOfText(value.data))
        return QuotedText(value.data.substr(0, value.data.size() - 1));
    if (value.type == REG_DWORD && value.data.size() == 4) {
        const unsigned char* b = reinterpret_cast<const unsigned char*>(value.data.data());
        const unsigned long number = b[0] | (b[1] << 8) | (b[2] << 16) | (static_cast<unsigned long>(b[3]) << 24);
        char text[16];
        std::snprintf(text, sizeof text, "dword:%08lx", number);
        return text;
    }
    if (value.type == REG_BINARY) return "hex:" + HexBytes(value.data);
    char prefix[24];
    std::snprintf(prefix, sizeof prefix, "hex(%lx):", static_cast<unsigned long>(value.type));
    return prefix + HexBytes(value.data);
}

void AppendRegKeyText(std::string* out, const std::string& path, const TreeKey& key) {
    *out += "[" + path + "]\n";
    for (const TreeValue& value : key.values) *out += RegValueText(value) + "\n";
    *out += "\n";
    for (const TreeKey& subkey : key.subkeys) AppendRegKeyText(out, path + "\\" + subkey.name, subkey);
}

namespace {

// '\' and '"' escaped; a cp932 character is copied whole, so a 0x5C trail
// byte stays as it is.
std::string QuotedText(const std::string& text) {
    std::string quoted = "\"";
    for (size_t i = 0; i < text.size();) {
        const int size = Cp932CharSize(text.data() + i, text.size() - i);
        if (size == 1 && (text[i] == '\\' || text[i] == '"')) quoted += '\\';
        quoted.append(text, i, size);
        i += size;
    }
    return quoted + "\"";
}

// Ends with its only NUL and holds no line break: it can stand in quotes.
bool IsOneLineOfText(const std::string& data) {
    if (data.empty() || data.back() != '\0') return false;
    for (size_t i = 0; i + 1 < data.size(); ++i)
        if (data[i] == '\0' || data[i] == '\r' || data[i] == '\n') return false;
    return true;
}

std::string HexBytes(const std::string& data) {
    static const char kDigits[] = "0123456789abcdef";
    std::string hex;
    for (size_t i = 0; i < data.size(); ++i) {
        const unsigned char byte = static_cast<unsigned char>(data[i]);
        if (i) hex += ',';
        hex += kDigits[byte >> 4];
        hex += kDigits[byte & 15];
    }
    return hex;
}

}  // namespace
