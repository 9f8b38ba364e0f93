// Japanese literals in the sources must reach the binary as cp932 bytes,
// since every text the program shows goes through the ANSI functions.
#include <gtest/gtest.h>

#include <cstring>

TEST(Charset, JapaneseLiteralsAreCp932) {
#if defined(__clang__)
    GTEST_SKIP() << "clang keeps UTF-8 literals (fuzzing builds only)";
#else
    const char text[] = "処理が完了しました。";
    const unsigned char expected[] = {0x8f, 0x88, 0x97, 0x9d, 0x82, 0xaa, 0x8a, 0xae, 0x97,
                                      0xb9, 0x82, 0xb5, 0x82, 0xdc, 0x82, 0xb5, 0x82, 0xbd, 0x81, 0x42};
    ASSERT_EQ(sizeof(expected), std::strlen(text));
    EXPECT_EQ(0, std::memcmp(expected, text, sizeof(expected)));
#endif
}
