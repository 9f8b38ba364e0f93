// The order of sorted list boxes: the simulation's sort keys must be the
// ones Wine computes in the Japanese locale, for every text in the data file
// (mixed case, digits, symbols, kana of both kinds and widths, long-vowel
// and iteration marks, kanji, random mixtures).
#include <algorithm>
#include <fstream>
#include <string>
#include <vector>

#include "testenv.h"
#include "winapi/sim/ui_internal.h"

namespace {

std::string FromHex(const std::string& hex) {
    std::string out;
    for (size_t i = 0; i + 1 < hex.size(); i += 2) out += (char)std::stoi(hex.substr(i, 2), nullptr, 16);
    return out;
}

std::string ToHex(const std::string& bytes) {
    static const char digits[] = "0123456789ABCDEF";
    std::string out;
    for (unsigned char c : bytes) {
        out += digits[c >> 4];
        out += digits[c & 15];
    }
    return out;
}

TEST(UiListSortKey, EqualsWineForEveryTextOfTheDataFile) {
    std::ifstream in(BRV_TEST_DATA "/winapi/list-sort-keys-ja.txt");
    ASSERT_TRUE(in.good());
    std::string line;
    int checked = 0, wrong = 0;
    while (std::getline(in, line)) {
        if (line.empty() || line[0] == '#') continue;
        size_t space = line.find(' ');
        std::string text = FromHex(line.substr(0, space));
        std::string expected = line.substr(space + 1);
        std::string got = ToHex(sim::ui::ListSortKey(text));
        if (got != expected && ++wrong <= 10) ADD_FAILURE() << "text " << line.substr(0, space) << "\n wine " << expected << "\n sim  " << got;
        ++checked;
    }
    EXPECT_EQ(0, wrong);
    EXPECT_GT(checked, 2000);
}

TEST(UiListSortKey, OrderIgnoresCaseButNotWidthOrKanaKind) {
    using sim::ui::CompareListText;
    EXPECT_EQ(0, CompareListText("Local", "LOCAL"));
    EXPECT_LT(CompareListText("abc", "ａｂｃ"), 0);
    EXPECT_LT(CompareListText("アイウ", "あいう"), 0) << "katakana before hiragana";
    EXPECT_LT(CompareListText("ab", "a-b"), 0) << "a hyphen only breaks ties";
    EXPECT_LT(CompareListText("x-", "-x"), 0);
    EXPECT_LT(CompareListText("Z", "ア"), 0);
    EXPECT_LT(CompareListText("亜", "腕"), 0) << "kanji in JIS order";
    EXPECT_LT(CompareListText("表示", "腕"), 0);
}

}  // namespace
