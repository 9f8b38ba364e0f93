// Values and keys in the syntax of a .reg export, as regedit writes them:
// quoted strings with '\' and '"' escaped, dword:, hex: and hex(N):.
#include <gtest/gtest.h>

#include <string>

#include "brvprofile/registry_text.h"
#include "tests/unit/snapshot/snapshot_test_util.h"

namespace {

using snaptest::Dword;

std::string Text(const std::string& name, DWORD type, const std::string& data) {
    return RegValueText(TreeValue{name, type, data});
}

TEST(RegistryTextTest, StringsAreQuotedWithBackslashAndQuoteEscaped) {
    EXPECT_EQ("\"ProxyServer\"=\"proxy.example.jp:8080\"", Text("ProxyServer", REG_SZ, std::string("proxy.example.jp:8080\0", 22)));
    EXPECT_EQ("\"Path\"=\"C:\\\\dir \\\"x\\\"\"", Text("Path", REG_SZ, std::string("C:\\dir \"x\"\0", 11)));
    EXPECT_EQ("\"a\\\\b\"=\"\"", Text("a\\b", REG_SZ, std::string(1, '\0')));
    EXPECT_EQ("@=\"default\"", Text("", REG_SZ, std::string("default\0", 8)));
}

// 表 is 0x95 0x5C in cp932: its trail byte is no backslash.
TEST(RegistryTextTest, TrailByteBackslashOfACp932CharacterStaysAsItIs) {
    EXPECT_EQ("\"表\"=\"表\\\\\"", Text("表", REG_SZ, std::string("表\\") + std::string(1, '\0')));
    EXPECT_EQ(std::string("\"\x95\x5C\"=\"\x95\x5C\""), Text("\x95\x5C", REG_SZ, std::string("\x95\x5C\0", 3)));
}

TEST(RegistryTextTest, StringsThatAreNoSingleTerminatedLineAreHex) {
    EXPECT_EQ("\"N\"=hex(1):61,62", Text("N", REG_SZ, "ab"));
    EXPECT_EQ("\"N\"=hex(1):", Text("N", REG_SZ, ""));
    EXPECT_EQ("\"N\"=hex(1):61,00,62,00", Text("N", REG_SZ, std::string("a\0b\0", 4)));
    EXPECT_EQ("\"N\"=hex(1):61,0d,0a,62,00", Text("N", REG_SZ, std::string("a\r\nb\0", 5)));
}

TEST(RegistryTextTest, DwordsAreEightLowerCaseDigitsAndOtherSizesHex) {
    EXPECT_EQ("\"A\"=dword:00000005", Text("A", REG_DWORD, Dword(5)));
    EXPECT_EQ("\"A\"=dword:ffffffff", Text("A", REG_DWORD, Dword(0xFFFFFFFFu)));
    EXPECT_EQ("\"A\"=dword:0001e240", Text("A", REG_DWORD, Dword(123456)));
    EXPECT_EQ("\"A\"=hex(4):01,02,03", Text("A", REG_DWORD, "\x01\x02\x03"));
    EXPECT_EQ("\"A\"=hex(4):", Text("A", REG_DWORD, ""));
}

TEST(RegistryTextTest, BinaryAndOtherTypesAreHexBytes) {
    EXPECT_EQ("\"B\"=hex:01,02,00,ff,7f", Text("B", REG_BINARY, std::string("\x01\x02\x00\xFF\x7F", 5)));
    EXPECT_EQ("\"B\"=hex:", Text("B", REG_BINARY, ""));
    EXPECT_EQ("\"E\"=hex(2):25,54,45,4d,50,25,00", Text("E", REG_EXPAND_SZ, std::string("%TEMP%\0", 7)));
    EXPECT_EQ("\"M\"=hex(7):61,00,62,00,00", Text("M", REG_MULTI_SZ, std::string("a\0b\0\0", 5)));
    EXPECT_EQ("\"Q\"=hex(b):01,00,00,00,00,00,00,00", Text("Q", 11, std::string("\x01\0\0\0\0\0\0\0", 8)));
    EXPECT_EQ("\"X\"=hex(ffff0001):00", Text("X", 0xFFFF0001u, std::string(1, '\0')));
}

TEST(RegistryTextTest, KeysListTheirValuesThenEachSubkeyBelowTheirPath) {
    TreeKey leaf{"Domains", {{"http", REG_DWORD, Dword(2)}}, {}};
    TreeKey empty{"Cache", {}, {}};
    TreeKey zone{"ZoneMap", {}, {leaf}};
    TreeKey top{"", {{"ProxyEnable", REG_DWORD, Dword(1)}, {"", REG_SZ, std::string("d\0", 2)}}, {zone, empty}};
    std::string text;
    AppendRegKeyText(&text, "HKEY_CURRENT_USER\\S", top);
    EXPECT_EQ("[HKEY_CURRENT_USER\\S]\n\"ProxyEnable\"=dword:00000001\n@=\"d\"\n\n"
              "[HKEY_CURRENT_USER\\S\\ZoneMap]\n\n"
              "[HKEY_CURRENT_USER\\S\\ZoneMap\\Domains]\n\"http\"=dword:00000002\n\n"
              "[HKEY_CURRENT_USER\\S\\Cache]\n\n",
              text);
}

}  // namespace
