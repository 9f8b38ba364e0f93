// Helpers shared by the snapshot suites: building records byte by byte,
// reading the named bad inputs, and checking the recorded message boxes.
#pragma once

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <fstream>
#include <iterator>
#include <string>

#include "tests/support/testenv.h"

namespace snaptest {

inline std::string Dword(uint32_t v) {
    std::string s(4, '\0');
    for (int i = 0; i < 4; ++i) s[i] = static_cast<char>((v >> (8 * i)) & 0xFF);
    return s;
}

// One record as the format lays it out, with explicit length fields.
inline std::string RawRecord(uint32_t dataLength, const std::string& data, uint32_t type, uint32_t nameLength,
                             const std::string& name) {
    return Dword(dataLength) + data + Dword(type) + Dword(nameLength) + name;
}

inline std::string Value(const std::string& name, uint32_t type, const std::string& data) {
    return RawRecord(static_cast<uint32_t>(data.size()), data, type, static_cast<uint32_t>(name.size() + 1),
                     name + std::string(1, '\0'));
}

inline std::string Subkey(const std::string& name, const std::string& fileName) {
    std::string data = fileName + std::string(1, '\0');
    return RawRecord(static_cast<uint32_t>(data.size()), data, 0xFFFFFFFFu, static_cast<uint32_t>(name.size() + 1),
                     name + std::string(1, '\0'));
}

// The tree with every key's values in name order: the real registry lists
// values in an order of its own, not always the order of creation.
inline RegTree Sorted(RegTree tree) {
    std::sort(tree.values.begin(), tree.values.end(),
              [](const RegValue& a, const RegValue& b) { return a.name < b.name; });
    for (auto& sub : tree.subkeys) sub.second = Sorted(sub.second);
    return tree;
}

// A fixture that puts whole trees into the registry and reads them back,
// under any root: the settings suites' machine and user trees alike.
class RegistryTreeTest : public BrvTest {
protected:
    static void PutTreeAt(HKEY root, const std::string& path, const RegTree& tree) {
        HKEY key = nullptr;
        ASSERT_EQ(ERROR_SUCCESS,
                  RegCreateKeyExA(root, path.c_str(), 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, &key, nullptr))
            << path;
        BuildTree(key, tree);
        RegCloseKey(key);
    }
    // The tree at `path` below `root`, values sorted; a single value
    // "<none>" when the key is missing.
    static RegTree DumpTreeAt(HKEY root, const std::string& path) {
        HKEY key = nullptr;
        if (RegOpenKeyExA(root, path.c_str(), 0, KEY_READ, &key) != ERROR_SUCCESS)
            return RegTree{{{"<none>", 0, ""}}, {}};
        RegTree tree = DumpTree(key);
        RegCloseKey(key);
        return Sorted(tree);
    }
};

// A named bad input of tests/data/snapshot.
inline std::string DataFile(const std::string& name) {
    std::ifstream in(std::string(BRV_TEST_DATA) + "/snapshot/" + name, std::ios::binary);
    EXPECT_TRUE(in.good()) << "missing test data " << name;
    return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

inline std::string Hex(const std::string& bytes) {
    static const char digits[] = "0123456789ABCDEF";
    std::string out;
    for (unsigned char c : bytes) {
        if (!out.empty()) out += ' ';
        out += digits[c >> 4];
        out += digits[c & 15];
    }
    return out;
}

#if BRV_SIM
// The box ReportSystemError shows for `context`.
inline ::testing::AssertionResult IsSystemErrorBox(const sim::MessageBoxCall& box, const std::string& context) {
    const std::string head = "予期せぬエラーが発生しました。\r\n" + context + "\r\n";
    if (box.text.compare(0, head.size(), head) != 0)
        return ::testing::AssertionFailure() << "box text: " << box.text << "\nexpected start: " << head;
    if (box.style != (MB_OK | MB_ICONEXCLAMATION)) return ::testing::AssertionFailure() << "style " << box.style;
    if (!box.captionNull) return ::testing::AssertionFailure() << "caption given: " << box.caption;
    return ::testing::AssertionSuccess();
}

// Exactly one box so far, the whole text ReportSystemError composes for
// `context` and the error `code`.
inline ::testing::AssertionResult OneSystemErrorBox(const std::string& context, DWORD code) {
    const auto& boxes = sim::MessageBoxes();
    if (boxes.size() != 1) return ::testing::AssertionFailure() << boxes.size() << " boxes instead of 1";
    const std::string expected = ExpectedReport(context, code);
    if (boxes[0].text != expected)
        return ::testing::AssertionFailure() << "box text: " << boxes[0].text << "\nexpected: " << expected;
    return ::testing::AssertionSuccess();
}

// An information box of the program's own findings.
inline ::testing::AssertionResult IsInformationBox(const sim::MessageBoxCall& box, const std::string& text) {
    if (box.text != text) return ::testing::AssertionFailure() << "box text: " << box.text << "\nexpected: " << text;
    if (box.style != (MB_OK | MB_ICONINFORMATION)) return ::testing::AssertionFailure() << "style " << box.style;
    if (!box.captionNull) return ::testing::AssertionFailure() << "caption given: " << box.caption;
    return ::testing::AssertionSuccess();
}

// Exactly one box so far, the system error box for `context`.
inline ::testing::AssertionResult OneSystemErrorBox(const std::string& context) {
    const auto& boxes = sim::MessageBoxes();
    if (boxes.size() != 1) {
        auto failure = ::testing::AssertionFailure() << boxes.size() << " boxes instead of 1";
        for (const auto& b : boxes) failure << "\n  " << b.text;
        return failure;
    }
    return IsSystemErrorBox(boxes[0], context);
}

inline ::testing::AssertionResult OneInformationBox(const std::string& text) {
    const auto& boxes = sim::MessageBoxes();
    if (boxes.size() != 1) {
        auto failure = ::testing::AssertionFailure() << boxes.size() << " boxes instead of 1";
        for (const auto& b : boxes) failure << "\n  " << b.text;
        return failure;
    }
    return IsInformationBox(boxes[0], text);
}
#endif

}  // namespace snaptest
