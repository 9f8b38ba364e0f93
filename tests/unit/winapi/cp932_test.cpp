// The cp932 walker every subsystem uses: a separator after a lone lead byte
// is still a separator, one after a whole character's trail byte is not.
#include <gtest/gtest.h>

#include "winapi/cp932.h"

namespace {

TEST(Cp932, CharacterSizes) {
    EXPECT_EQ(2, Cp932CharSize("\x83\x5C"));          // "ソ": its trail byte is 0x5C
    EXPECT_EQ(2, Cp932CharSize("\xE0\x40"));
    EXPECT_EQ(1, Cp932CharSize("\x81"));              // a lone lead byte at the end
    EXPECT_EQ(1, Cp932CharSize("\x81/"));             // '/' cannot follow a lead byte
    EXPECT_EQ(1, Cp932CharSize("\x81\x7F"));
    EXPECT_EQ(1, Cp932CharSize("\xA0\x40"));          // no lead byte
    EXPECT_EQ(1, Cp932CharSize("\x83\x5C", 1));       // the trail byte lies past the bytes given
    EXPECT_EQ(2, Cp932CharSize("\x83\x5C", 2));
}

TEST(Cp932, FolderPart) {
    EXPECT_EQ(0, Cp932FolderPartLength("name"));
    EXPECT_EQ(3, Cp932FolderPartLength("C:\\name"));
    EXPECT_EQ(0, Cp932FolderPartLength("\x83\x5C"));          // no separator, only a trail byte
    EXPECT_EQ(5, Cp932FolderPartLength("a\\\x83\x5C\\b"));    // the last '\' is a real one
    EXPECT_EQ(5, Cp932FolderPartLength("dir\x81/*.*"));      // a lone lead byte before '/'
    EXPECT_EQ(0, Cp932FolderPartLength("dir\x81\\"));        // 0x81 0x5C is one character...
    EXPECT_EQ(4, Cp932FolderPartLength("dir\\\x81"));        // ...and a name may end in a lone lead byte
}

}  // namespace
