// The command line: the program's name skipped as Windows reads it, then the
// path token goes to ProfileFilePath and the switch after it picks the mode.
// Pure byte work, so it runs on the simulation and under Wine alike.
#include <gtest/gtest.h>

#include <string>

#include "app/modes.h"
#include "app/startup.h"
#include "base/workarea.h"

#if BRV_SIM
#include "testenv.h"
#endif

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

// What follows the program's name, as Windows splits off the name: quoted up
// to the closing quote (an unclosed one takes the whole line), unquoted up to
// the first space or tab; any other byte, cp932 lead bytes among them, is
// part of the name. The blanks after the name are skipped.
TEST(SkipProgramName, TableOfCommandLines) {
    const struct {
        const char* commandLine;
        const char* arguments;
    } cases[] = {
        {"brelvane.exe", ""},
        {"brelvane.exe   ", ""},
        {"C:\\ツール\\brelvane.exe", ""},
        {"C:\\ツール\\brelvane.exe \"D:\\a.ies\" /ies", "\"D:\\a.ies\" /ies"},
        {"C:\\ﾂｰﾙ\\ｿﾌﾄ.exe D:\\a.ips /ips", "D:\\a.ips /ips"},  // single-byte kana, 0xA1-0xDF
        {"\"C:\\Program Files\\ツール\\brelvane.exe\" \"D:\\My Files\\a.ies\" /ies", "\"D:\\My Files\\a.ies\" /ies"},
        {"\"C:\\a b\\brelvane.exe\"\"D:\\a.ies\" /ies", "\"D:\\a.ies\" /ies"},  // no blank after the quote
        {"\"C:\\a b\\brelvane.exe\"x /ies", "x /ies"},
        {"\"C:\\never closed.exe /ies", ""},
        {"\"\" /ies", "/ies"},
        {"brelvane.exe\t/ies", "/ies"},
        {"brelvane.exe \t D:\\a.ies /ies", "D:\\a.ies /ies"},
        {"C:\\Tools\\brelvane\"x y\".exe D:\\a.ies /ies", "y\".exe D:\\a.ies /ies"},  // a quote inside the name does not group
        {"", ""},
        {" D:\\a.ies /ies", "D:\\a.ies /ies"},  // an empty name
    };
    for (const auto& c : cases) {
        std::string line = c.commandLine;
        EXPECT_STREQ(c.arguments, SkipProgramName(&line[0])) << "command line: " << c.commandLine;
    }
}

#if BRV_SIM
TEST(SkipProgramName, ProgramArgumentsComeFromTheProcessCommandLine) {
    sim::SetCommandLine("C:\\ツール\\brelvane.exe \"D:\\a.ies\" /ies");
    EXPECT_STREQ("\"D:\\a.ies\" /ies", ProgramArguments());
    EXPECT_EQ(kModeIeOe, ParseCommandLine(ProgramArguments()));
    EXPECT_STREQ("D:\\a.ies", ProfileFilePath);
    sim::SetCommandLine("C:\\ツール\\brelvane.exe");
    EXPECT_STREQ("", ProgramArguments());
}
#endif

}  // namespace
