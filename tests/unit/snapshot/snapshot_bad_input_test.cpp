// Damaged and hostile snapshots: what the loader applies, what it reports,
// and what the validation says, for each named bad input of
// tests/data/snapshot and for a small snapshot cut at every byte.
#include "snapshot/registry_snapshot.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "tests/unit/snapshot/snapshot_test_util.h"

using snaptest::DataFile;
using snaptest::Dword;
using snaptest::Subkey;
using snaptest::Value;

namespace {

class SnapshotBadInputTest : public BrvTest {
protected:
    int Load() { return LoadRegistryTree(nullptr, Root(), "proxy", Dir().c_str()); }
    int Validate() { return ValidateSnapshot(nullptr, "proxy", Dir().c_str()); }
    void Put(const std::string& name, const std::string& bytes) { WriteBytes(Dir() + name, bytes); }

    std::string BadName(int record, const std::string& name) {
        return "レジストリをロードしようとしましたが、テンポラリファイル\"" + Dir() + "proxy\"の" +
               std::to_string(record) + "番目のレコード\"" + name + "\"は名前が正しくないため、適用しません。";
    }
    std::string BadSubkeyFile(int record, const std::string& name, const std::string& file) {
        return "レジストリをロードしようとしましたが、テンポラリファイル\"" + Dir() + "proxy\"の" +
               std::to_string(record) + "番目のレコード\"" + name + "\"はサブキーのファイル名\"" + file +
               "\"が正しくないため、適用しません。";
    }
    std::string Damaged() {
        return "レジストリをロードしようとしましたが、テンポラリファイル\"" + Dir() + "proxy\"が破損しています。";
    }

    // Loads the named bad input as "proxy": expects `loaded` in the registry,
    // result 1 and the given information box (or none); then the validation
    // must refuse with `validationBox` (or accept when it is empty).
    void Check(const std::string& input, const RegTree& loaded, const std::string& loadBox,
               const std::string& validationBox) {
        SCOPED_TRACE(input);
        Put("proxy", DataFile(input + ".proxy"));
        EXPECT_EQ(1, Load());
        EXPECT_EQ(snaptest::Sorted(loaded), snaptest::Sorted(DumpTree(Root())));
        if (loadBox.empty()) {
            EXPECT_EQ(0u, sim::MessageBoxes().size());
        } else {
            EXPECT_TRUE(snaptest::OneInformationBox(loadBox));
        }
        const size_t before = sim::MessageBoxes().size();
        EXPECT_EQ(validationBox.empty() ? 1 : 0, Validate());
        const auto& boxes = sim::MessageBoxes();
        ASSERT_EQ(before + (validationBox.empty() ? 0 : 1), boxes.size());
        if (!validationBox.empty()) {
            EXPECT_TRUE(snaptest::IsInformationBox(boxes.back(), validationBox));
        }
    }
};

RegTree Values(std::vector<RegValue> values) {
    RegTree tree;
    tree.values = std::move(values);
    return tree;
}

const RegValue kA{"A", REG_DWORD, std::string("\x05\0\0\0", 4)};
const RegValue kNext{"next", REG_DWORD, std::string("\x07\0\0\0", 4)};

TEST_F(SnapshotBadInputTest, RecordCutShortIsDropped) {
    Check("cut-short-record", Values({kA}), "", Damaged());
}

TEST_F(SnapshotBadInputTest, DataLengthOfAllOnesIsACutShortRecord) {
    Check("data-length-ffffffff", Values({kA}), "", Damaged());
}

TEST_F(SnapshotBadInputTest, DataLengthOfFileSizePlusOneIsACutShortRecord) {
    Check("data-length-past-end", Values({kA}), "", Damaged());
}

TEST_F(SnapshotBadInputTest, NameLengthOfAllOnesIsACutShortRecord) {
    Check("name-length-ffffffff", Values({kA}), "", Damaged());
}

TEST_F(SnapshotBadInputTest, NameLengthOfFileSizePlusOneIsACutShortRecord) {
    Check("name-length-past-end", Values({kA}), "", Damaged());
}

TEST_F(SnapshotBadInputTest, NameLengthOfZeroEndsTheFile) {
    Check("name-length-zero", Values({kA}), "", Damaged());
}

TEST_F(SnapshotBadInputTest, NameWithoutNulIsTakenAsItsBytes) {
    Check("name-without-nul", Values({{"ABC", REG_DWORD, Dword(9)}, kNext}), "", "");
}

TEST_F(SnapshotBadInputTest, NameFieldLongerThanARegistryNameIsRefused) {
    const std::string excerpt(255, 'n');
    Check("name-field-too-long", Values({kNext}), BadName(1, excerpt), BadName(1, excerpt));
}

TEST_F(SnapshotBadInputTest, SubkeyFileWithAParentPathIsRefused) {
    Check("subkey-file-dotdot", Values({kNext}), BadSubkeyFile(1, "S", "..\\x"), BadSubkeyFile(1, "S", "..\\x"));
}

TEST_F(SnapshotBadInputTest, SubkeyFileWithADriveIsRefused) {
    Check("subkey-file-drive", Values({kNext}), BadSubkeyFile(1, "S", "C:\\x"), BadSubkeyFile(1, "S", "C:\\x"));
}

TEST_F(SnapshotBadInputTest, SubkeyFileNamingItsOwnFileIsRefused) {
    Check("subkey-file-self", Values({kNext}), BadSubkeyFile(1, "S", "proxy"), BadSubkeyFile(1, "S", "proxy"));
}

TEST_F(SnapshotBadInputTest, SubkeyFileOfAnotherRankIsRefused) {
    Put("proxy.1", Value("x", REG_DWORD, Dword(1)));
    Check("subkey-file-wrong-rank", Values({kNext}), BadSubkeyFile(1, "S", "proxy.1"),
          BadSubkeyFile(1, "S", "proxy.1"));
}

TEST_F(SnapshotBadInputTest, SubkeyFileWithALeadingZeroIsRefused) {
    Put("proxy.00", Value("x", REG_DWORD, Dword(1)));
    Check("subkey-file-leading-zero", Values({kNext}), BadSubkeyFile(1, "S", "proxy.00"),
          BadSubkeyFile(1, "S", "proxy.00"));
}

TEST_F(SnapshotBadInputTest, SubkeyNameWithABackslashIsRefused) {
    Put("proxy.0", Value("x", REG_DWORD, Dword(1)));
    Check("subkey-name-backslash", Values({kNext}), BadName(1, "a\\b"), BadName(1, "a\\b"));
    HKEY nested = nullptr;
    EXPECT_EQ(ERROR_FILE_NOT_FOUND, RegOpenKeyExA(Root(), "a", 0, KEY_READ, &nested));
}

TEST_F(SnapshotBadInputTest, SubkeyNameOfBrokenCp932IsRefused) {
    Put("proxy.0", Value("x", REG_DWORD, Dword(1)));
    Check("subkey-name-broken-cp932", Values({kNext}), BadName(1, "S\x8E"), BadName(1, "S\x8E"));
    EXPECT_TRUE(DumpTree(Root()).subkeys.empty());
}

// RegCreateKeyExA with "" opens the key itself: proxy.0's value would land
// beside the parent's.
TEST_F(SnapshotBadInputTest, EmptySubkeyNameIsRefused) {
    Put("proxy.0", Value("x", REG_DWORD, Dword(1)));
    Check("subkey-name-empty", Values({kNext}), BadName(1, ""), BadName(1, ""));
}

TEST_F(SnapshotBadInputTest, MissingSubkeyFileLeavesTheSubkeyEmpty) {
    Put("proxy", DataFile("subkey-file-missing.proxy"));
    EXPECT_EQ(1, Load());
    RegTree expected = Values({kNext});
    expected.subkeys = {{"S", RegTree{}}};
    EXPECT_EQ(snaptest::Sorted(expected), snaptest::Sorted(DumpTree(Root())));
    const std::string missing = "レジストリをロードするためのテンポラリファイル\"" + Dir() +
                                "proxy.0\"に読み込みアクセスを適用できません。";
    EXPECT_TRUE(snaptest::OneSystemErrorBox(missing));

    EXPECT_EQ(0, Validate());
    ASSERT_EQ(2u, sim::MessageBoxes().size());
    EXPECT_TRUE(snaptest::IsSystemErrorBox(sim::MessageBoxes()[1], missing));
}

TEST_F(SnapshotBadInputTest, LaterSubkeysKeepTheirRankAfterARefusedOne) {
    // The refused record still counts: the second subkey record is rank 1.
    Put("proxy", Subkey("Bad", "other") + Subkey("Good", "proxy.1"));
    Put("proxy.1", Value("x", REG_DWORD, Dword(1)));
    EXPECT_EQ(1, Load());
    RegTree expected;
    expected.subkeys = {{"Good", Values({{"x", REG_DWORD, Dword(1)}})}};
    EXPECT_EQ(snaptest::Sorted(expected), snaptest::Sorted(DumpTree(Root())));
    EXPECT_TRUE(snaptest::OneInformationBox(BadSubkeyFile(1, "Bad", "other")));
}

TEST_F(SnapshotBadInputTest, Cp932NameWithATrailByteOf5CIsOneKey) {
    // ソ is 83 5C: the 0x5C is not a backslash.
    Put("proxy", Subkey("\x83\x5C", "proxy.0"));
    Put("proxy.0", "");
    EXPECT_EQ(1, Validate());
    EXPECT_EQ(1, Load());
    RegTree expected;
    expected.subkeys = {{"\x83\x5C", RegTree{}}};
    EXPECT_EQ(snaptest::Sorted(expected), snaptest::Sorted(DumpTree(Root())));
}

TEST_F(SnapshotBadInputTest, ValidationStopsAtTheFirstProblemDeepInTheTree) {
    Put("proxy", Subkey("A", "proxy.0") + Value("v", REG_DWORD, Dword(1)));
    Put("proxy.0", Subkey("B", "proxy.0.0"));
    Put("proxy.0.0", Subkey("C", "proxy.0.0.5") + Subkey("D", "elsewhere"));
    EXPECT_EQ(0, Validate());
    EXPECT_TRUE(snaptest::OneInformationBox(
        "レジストリをロードしようとしましたが、テンポラリファイル\"" + Dir() +
        "proxy.0.0\"の1番目のレコード\"C\"はサブキーのファイル名\"proxy.0.0.5\"が正しくないため、適用しません。"));
    EXPECT_EQ(RegTree{}, DumpTree(Root()));
}

// A small snapshot: proxy holds subkey S (file proxy.0) and two values.
struct SmallSnapshot {
    std::vector<std::string> records{Subkey("S", "proxy.0"), Value("A", REG_DWORD, Dword(5)),
                                     Value("", REG_SZ, std::string("x\0", 2))};
    std::string Whole() const {
        std::string all;
        for (const auto& r : records) all += r;
        return all;
    }
    // The tree a load of the first `size` bytes must give.
    RegTree Loaded(size_t size) const {
        RegTree tree;
        size_t end = 0;
        for (size_t i = 0; i < records.size(); ++i) {
            end += records[i].size();
            if (end > size) break;
            if (i == 0) tree.subkeys = {{"S", Values({{"in", REG_DWORD, Dword(1)}})}};
            if (i == 1) tree.values.push_back({"A", REG_DWORD, Dword(5)});
            if (i == 2) tree.values.push_back({"", REG_SZ, std::string("x\0", 2)});
        }
        return tree;
    }
    bool AtRecordBoundary(size_t size) const {
        size_t end = 0;
        if (size == 0) return true;
        for (const auto& r : records) {
            end += r.size();
            if (end == size) return true;
        }
        return false;
    }
};

TEST_F(SnapshotBadInputTest, TruncatedAtEveryByte) {
    const SmallSnapshot snapshot;
    const std::string whole = snapshot.Whole();
    Put("proxy.0", Value("in", REG_DWORD, Dword(1)));
    HKEY dest = nullptr;
    for (size_t size = 0; size <= whole.size(); ++size) {
        SCOPED_TRACE("size " + std::to_string(size));
        const std::string name = "t" + std::to_string(size);
        ASSERT_EQ(ERROR_SUCCESS,
                  RegCreateKeyExA(Root(), name.c_str(), 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, &dest, nullptr));
        const size_t boxesBefore = sim::MessageBoxes().size();
        Put("proxy", whole.substr(0, size));
        EXPECT_EQ(1, LoadRegistryTree(nullptr, dest, "proxy", Dir().c_str()));
        EXPECT_EQ(snaptest::Sorted(snapshot.Loaded(size)), snaptest::Sorted(DumpTree(dest)));
        EXPECT_EQ(boxesBefore, sim::MessageBoxes().size());
        RegCloseKey(dest);

        const bool whole_records = snapshot.AtRecordBoundary(size);
        EXPECT_EQ(whole_records ? 1 : 0, Validate());
        EXPECT_EQ(boxesBefore + (whole_records ? 0 : 1), sim::MessageBoxes().size());
    }
}

// Long chains of subkeys stay within the bound the file names give.
TEST_F(SnapshotBadInputTest, DeepestTreeTheNamesAllowIsFollowedAndNoFurther) {
    // "p" + 127 levels of ".0" = 255 bytes; one more level would be 257.
    std::string name = "p";
    for (int level = 0; level < 128; ++level) {
        const std::string child = name + ".0";
        Put(name, Subkey("k", child));
        name = child;
    }
    EXPECT_EQ(0, ValidateSnapshot(nullptr, "p", Dir().c_str()));
    ASSERT_EQ(1u, sim::MessageBoxes().size());
    EXPECT_NE(std::string::npos, sim::MessageBoxes()[0].text.find("サブキーのファイル名"));
}

}  // namespace
