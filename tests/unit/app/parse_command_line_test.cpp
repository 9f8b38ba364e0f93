// The command-line parser: the path token goes to ProfileFilePath and the
// switch after it picks the mode. Pure byte work, so it runs on the
// simulation and under Wine alike.
#include <gtest/gtest.h>

#include <string>

#include "app/modes.h"
#include "base/workarea.h"

namespace {

struct Case {
    const char* arguments;
    const char* path;  // expected ProfileFilePath, nullptr when not checked
    int mode;
};

const Case kCases[] = {
    {"\"D:\\My Files\\a.ies\" /ies", "D:\\My Files\\a.ies", kModeIeOe},
    {"D:\\a.ips /ips", "D:\\a.ips", kModeTcpip},
    {"   D:\\a.ips    /ips", "D:\\a.ips", kModeTcpip},
    {"/ies", nullptr, kModeUnknown},          // the switch alone is taken as the path
    {"x /IES", "x", kModeUnknown},            // case-sensitive
    {"x /iesx", "x", kModeIeOe},              // only four bytes are looked at
    {"x /ipsfoo bar", "x", kModeTcpip},
    {"x /ie", "x", kModeUnknown},
    {"x /i", "x", kModeUnknown},
    {"x", nullptr, kModeUnknown},             // a path without a switch
    {"\"D:\\never closed /ies", nullptr, kModeUnknown},
    {"a\"b c\"d /ies", "ab cd", kModeIeOe},   // quotes open and close inside the token
    {"\"\" /ies", "", kModeIeOe},
    {"x  ", nullptr, kModeUnknown},
    {"x \"/ies\"", "x", kModeUnknown},        // a quoted switch is not a switch
    {"", nullptr, kModeUnknown},
    {"x /ies /ips", "x", kModeIeOe},
};

TEST(ParseCommandLine, TableOfArguments) {
    for (const Case& c : kCases) {
        ProfileFilePath[0] = '\0';
        int mode = ParseCommandLine(c.arguments);
        EXPECT_EQ(c.mode, mode) << "arguments: " << c.arguments;
        if (c.path) {
            EXPECT_STREQ(c.path, ProfileFilePath) << "arguments: " << c.arguments;
        }
    }
}

// Japanese path bytes pass through untouched: no second byte of a cp932
// character is a quote, slash or space.
TEST(ParseCommandLine, Cp932PathIsCopiedBytewise) {
    const std::string path = "C:\\\x83\x65\x83\x58\x83\x67\\\x90\xdd\x92\xe8.ies";  // テスト\設定.ies
    std::string arguments = "\"" + path + "\" /ies";
    EXPECT_EQ(kModeIeOe, ParseCommandLine(arguments.c_str()));
    EXPECT_EQ(path, ProfileFilePath);
}

// The token is cut at 260 bytes; the switch search then resumes at the last
// byte copied, so a path of exactly 260 bytes loses its switch.
TEST(ParseCommandLine, TokenIsCutAt260Bytes) {
    std::string longPath(300, 'a');
    EXPECT_EQ(kModeUnknown, ParseCommandLine((longPath + " /ies").c_str()));
    EXPECT_EQ(std::string(260, 'a'), ProfileFilePath);

    std::string exact(260, 'b');
    EXPECT_EQ(kModeUnknown, ParseCommandLine((exact + " /ies").c_str()));
    EXPECT_EQ(exact, ProfileFilePath);

    // 259 bytes and the switch still fit.
    std::string fits(259, 'c');
    EXPECT_EQ(kModeIeOe, ParseCommandLine((fits + " /ies").c_str()));
    EXPECT_EQ(fits, ProfileFilePath);

    // A cut inside a quoted stretch whose last copied byte is a space: the
    // search starts there, skips it and finds the switch right after.
    std::string quoted = "\"" + std::string(259, 'd') + " /ies";
    EXPECT_EQ(kModeIeOe, ParseCommandLine(quoted.c_str()));
    EXPECT_EQ(std::string(259, 'd') + " ", ProfileFilePath);
}

}  // namespace
