// The console programs' cp932-to-UTF-8 writer: every character converted,
// every bad byte marked once and the text after it kept.
#include <gtest/gtest.h>

#include <string>

#include "winapi/cp932_utf8.h"

namespace {

TEST(Cp932Utf8, Table) {
    const std::string bad = "\xEF\xBF\xBD";  // U+FFFD
    const struct {
        std::string cp932, utf8;
    } cases[] = {
        {"", ""},
        {"ab\\~\r\n", "ab\\~\r\n"},                                     // ASCII as it is
        {"\x82\xA0\x83\x5C", "\xE3\x81\x82\xE3\x82\xBD"},               // "あソ": a trail byte 0x5C
        {"\xB1\xDF", "\xEF\xBD\xB1\xEF\xBE\x9F"},                       // half-width katakana
        {"\x87\x40", "\xE2\x91\xA0"},                                   // a NEC special character
        {"x\x82", "x" + bad},                                           // a lone lead byte at the end
        {"\x82\x20z", bad + " z"},                                      // an invalid trail byte is kept
        {"\x82\x7F" "a", bad + "\x7F" "a"},
        {"\x85\x5C" "a", bad + "a"},                                    // a pair without a character goes whole
        {"\xA0\x82\xA0", bad + "\xE3\x81\x82"},                         // no character starts with 0xA0
        {"\x81\x81\x81", "\xEF\xBC\x9D" + bad},                         // "＝" and a lone lead byte
    };
    for (const auto& c : cases) EXPECT_EQ(c.utf8, Cp932ToUtf8(c.cp932)) << c.cp932;
}

}  // namespace
