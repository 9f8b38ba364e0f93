// What replacing a live tree by a saved one changes, line by line.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "brvprofile/tree_diff.h"
#include "tests/unit/snapshot/snapshot_test_util.h"

namespace {

using snaptest::Dword;
using Lines = std::vector<std::string>;

std::string Sz(const std::string& text) { return text + std::string(1, '\0'); }

Lines Diff(const TreeKey& live, const TreeKey& saved, const char* kept = nullptr) {
    Lines lines;
    DiffTrees("HKEY_CURRENT_USER\\T", live, saved, kept, &lines);
    return lines;
}

TEST(TreeDiffTest, EqualTreesGiveNoLine) {
    TreeKey tree{"", {{"A", REG_DWORD, Dword(1)}}, {TreeKey{"S", {{"B", REG_SZ, Sz("b")}}, {}}}};
    EXPECT_EQ(Lines{}, Diff(tree, tree));
}

TEST(TreeDiffTest, OneChangedOneAddedOneRemovedValueGiveThreeLinesInThatOrder) {
    TreeKey live{"", {{"Gone", REG_DWORD, Dword(7)}, {"Changed", REG_SZ, Sz("old")}, {"Same", REG_DWORD, Dword(1)}}, {}};
    TreeKey saved{"", {{"Added", REG_BINARY, "\x01"}, {"Same", REG_DWORD, Dword(1)}, {"Changed", REG_SZ, Sz("new")}}, {}};
    EXPECT_EQ((Lines{"~ [HKEY_CURRENT_USER\\T] \"Changed\"=\"old\" → \"new\"",
                     "+ [HKEY_CURRENT_USER\\T] \"Added\"=hex:01",
                     "- [HKEY_CURRENT_USER\\T] \"Gone\"=dword:00000007"}),
              Diff(live, saved));
}

TEST(TreeDiffTest, ATypeOfItsOwnIsAChangeAndNamesCompareWithoutCase) {
    TreeKey live{"", {{"port", REG_SZ, Dword(110)}}, {TreeKey{"accounts", {}, {}}}};
    TreeKey saved{"", {{"Port", REG_DWORD, Dword(110)}}, {TreeKey{"Accounts", {}, {}}}};
    EXPECT_EQ((Lines{"~ [HKEY_CURRENT_USER\\T] \"port\"=hex(1):6e,00,00,00 → dword:0000006e"}), Diff(live, saved));
}

TEST(TreeDiffTest, WholeKeysAreListedWithEverythingBelowThem) {
    TreeKey added{"New", {{"A", REG_DWORD, Dword(1)}}, {TreeKey{"Deep", {{"", REG_SZ, Sz("d")}}, {}}}};
    TreeKey gone{"Old", {{"B", REG_DWORD, Dword(2)}}, {}};
    TreeKey live{"", {}, {gone}};
    TreeKey saved{"", {}, {added}};
    EXPECT_EQ((Lines{"+ [HKEY_CURRENT_USER\\T\\New]", "+ [HKEY_CURRENT_USER\\T\\New] \"A\"=dword:00000001",
                     "+ [HKEY_CURRENT_USER\\T\\New\\Deep]", "+ [HKEY_CURRENT_USER\\T\\New\\Deep] @=\"d\"",
                     "- [HKEY_CURRENT_USER\\T\\Old]", "- [HKEY_CURRENT_USER\\T\\Old] \"B\"=dword:00000002"}),
              Diff(live, saved));
}

TEST(TreeDiffTest, ChangesDeepDownNameTheirKey) {
    TreeKey live{"", {}, {TreeKey{"A", {}, {TreeKey{"B", {{"V", REG_DWORD, Dword(1)}}, {}}}}}};
    TreeKey saved{"", {}, {TreeKey{"A", {}, {TreeKey{"B", {{"V", REG_DWORD, Dword(2)}}, {}}}}}};
    EXPECT_EQ((Lines{"~ [HKEY_CURRENT_USER\\T\\A\\B] \"V\"=dword:00000001 → dword:00000002"}), Diff(live, saved));
}

// The machine keeps its own 5.0: what either side holds there is no change.
TEST(TreeDiffTest, TheKeptSubkeyIsLeftOutOnBothSidesAtTheTopOnly) {
    TreeKey live{"", {}, {TreeKey{"5.0", {{"Mine", REG_SZ, Sz("machine")}}, {}},
                          TreeKey{"Z", {}, {TreeKey{"5.0", {{"X", REG_DWORD, Dword(1)}}, {}}}}}};
    TreeKey saved{"", {}, {TreeKey{"Z", {}, {}}}};
    EXPECT_EQ((Lines{"- [HKEY_CURRENT_USER\\T\\Z\\5.0]", "- [HKEY_CURRENT_USER\\T\\Z\\5.0] \"X\"=dword:00000001"}),
              Diff(live, saved, "5.0"));
    TreeKey savedFive{"", {}, {TreeKey{"5.0", {{"Theirs", REG_SZ, Sz("file")}}, {}}, TreeKey{"Z", {}, {TreeKey{"5.0", {{"X", REG_DWORD, Dword(1)}}, {}}}}}};
    EXPECT_EQ(Lines{}, Diff(live, savedFive, "5.0"));
}

}  // namespace
