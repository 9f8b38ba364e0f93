// ReplaceLiveTree: a complete replacement, and (on the simulation) every way
// it can fail, each leaving the live tree as it was or as the file holds it.
#include "snapshot/tree_replace.h"

#include <gtest/gtest.h>

#include <string>

#include "snapshot/registry_snapshot.h"
#include "tests/unit/snapshot/snapshot_test_util.h"

using snaptest::Dword;
using snaptest::Sorted;

namespace {

int afterLoadCalls = 0;
int afterLoadResult = 1;

int AfterLoad(HWND, LPCSTR, const void* context) {
    ++afterLoadCalls;
    EXPECT_STREQ("context", static_cast<const char*>(context));
    return afterLoadResult;
}

class TreeReplaceTest : public BrvTest {
protected:
    void SetUp() override {
        BrvTest::SetUp();
        afterLoadCalls = 0;
        afterLoadResult = 1;
        livePath_ = RootSubPath() + "\\Live";
        liveName_ = "HKEY_CURRENT_USER\\" + livePath_;
        tree_ = LiveTree{HKEY_CURRENT_USER, "HKEY_CURRENT_USER", livePath_.c_str(),
                         "レジストリキー\"%s\"を作成し、フルアクセスを適用できません。"};
        // The file's tree, saved from a key of its own.
        saved_.values = {{"ProxyEnable", REG_DWORD, Dword(1)}, {"ProxyServer", REG_SZ, std::string("p:8080\0", 7)}};
        saved_.subkeys = {{"OnlySaved", RegTree{{{"x", REG_BINARY, std::string("\x01\x02", 2)}}, {}}}};
        HKEY key = Create("Saved");
        BuildTree(key, saved_);
        EXPECT_EQ(1, SaveRegistryTree(nullptr, key, "snap", Dir().c_str()));
        RegCloseKey(key);
        // The live tree, which differs.
        live_.values = {{"OnlyLive", REG_SZ, std::string("l\0", 2)}, {"ProxyEnable", REG_DWORD, Dword(0)}};
        live_.subkeys = {{"Deep", RegTree{{}, {{"Deeper", RegTree{{{"d", REG_DWORD, Dword(7)}}, {}}}}}}};
        key = Create("Live");
        BuildTree(key, live_);
        RegCloseKey(key);
    }
    HKEY Create(const std::string& below) {
        HKEY key = nullptr;
        EXPECT_EQ(ERROR_SUCCESS, RegCreateKeyExA(Root(), below.c_str(), 0, nullptr, 0, KEY_ALL_ACCESS, nullptr,
                                                 &key, nullptr));
        return key;
    }
    RegTree Live() {
        HKEY key = nullptr;
        if (RegOpenKeyExA(Root(), "Live", 0, KEY_READ, &key) != ERROR_SUCCESS) return RegTree{{{"<none>", 0, ""}}, {}};
        RegTree tree = DumpTree(key);
        RegCloseKey(key);
        return Sorted(tree);
    }
    int Replace(const char* snapshot = "snap", AfterLoadStep step = nullptr) {
        return ReplaceLiveTree(nullptr, tree_, snapshot, Dir().c_str(), step, "context");
    }

    std::string livePath_, liveName_;
    LiveTree tree_;
    RegTree saved_, live_;
};

TEST_F(TreeReplaceTest, LiveTreeBecomesExactlyTheSnapshot) {
    EXPECT_EQ(1, Replace("snap", AfterLoad));
    EXPECT_TRUE(Sorted(saved_) == Live());
    EXPECT_EQ(1, afterLoadCalls);
    EXPECT_TRUE(FileExists(Dir() + kLiveTreeBackupName)) << "the backup lies in the work directory";
}

TEST_F(TreeReplaceTest, MissingLiveTreeIsCreated) {
    ASSERT_EQ(ERROR_SUCCESS, RegDeleteKeyA(Root(), "Live\\Deep\\Deeper"));
    ASSERT_EQ(ERROR_SUCCESS, RegDeleteKeyA(Root(), "Live\\Deep"));
    ASSERT_EQ(ERROR_SUCCESS, RegDeleteKeyA(Root(), "Live"));
    EXPECT_EQ(1, Replace());
    EXPECT_TRUE(Sorted(saved_) == Live());
}

#if BRV_SIM

using snaptest::IsInformationBox;
using snaptest::IsSystemErrorBox;

class TreeReplaceFailureTest : public TreeReplaceTest {
protected:
    std::string Restored() const {
        return "レジストリキー\"" + liveName_ + "\"にファイルの設定を適用できなかったため、元の設定に戻しました。";
    }
    // One report of the failure, then the box saying the tree is back.
    void ExpectRestoredAfter(const std::string& context) {
        const auto& boxes = sim::MessageBoxes();
        ASSERT_EQ(2u, boxes.size());
        EXPECT_TRUE(IsSystemErrorBox(boxes[0], context));
        EXPECT_TRUE(IsInformationBox(boxes[1], Restored()));
        EXPECT_TRUE(Sorted(live_) == Live());
    }
};

TEST_F(TreeReplaceFailureTest, MissingSnapshotTouchesNothing) {
    EXPECT_EQ(0, Replace("gone"));
    EXPECT_TRUE(snaptest::OneSystemErrorBox("レジストリをロードするためのテンポラリファイル\"" + Dir() +
                                            "gone\"に読み込みアクセスを適用できません。"));
    EXPECT_TRUE(Sorted(live_) == Live());
    EXPECT_FALSE(FileExists(Dir() + kLiveTreeBackupName));
}

TEST_F(TreeReplaceFailureTest, DamagedSnapshotTouchesNothing) {
    WriteBytes(Dir() + "snap", ReadBytes(Dir() + "snap").substr(0, 7));
    EXPECT_EQ(0, Replace());
    ASSERT_EQ(1u, sim::MessageBoxes().size());
    EXPECT_TRUE(IsInformationBox(sim::MessageBoxes()[0], "レジストリをロードしようとしましたが、テンポラリファイル\"" +
                                                             Dir() + "snap\"が破損しています。"));
    EXPECT_TRUE(Sorted(live_) == Live());
}

TEST_F(TreeReplaceFailureTest, LiveTreeThatCannotBeReadIsNotTouched) {
    sim::FailCall("RegOpenKeyExA", 1, ERROR_ACCESS_DENIED, "Live");
    EXPECT_EQ(0, Replace());
    EXPECT_TRUE(snaptest::OneSystemErrorBox("レジストリキー\"" + liveName_ + "\"に読み込みアクセスを適用できません。",
                                            ERROR_ACCESS_DENIED));
    EXPECT_TRUE(Sorted(live_) == Live());
}

TEST_F(TreeReplaceFailureTest, BackupThatCannotBeWrittenTouchesNothing) {
    sim::FailCall("CreateFileA", 1, ERROR_DISK_FULL, kLiveTreeBackupName);
    EXPECT_EQ(0, Replace());
    ASSERT_EQ(1u, sim::MessageBoxes().size());
    EXPECT_TRUE(IsSystemErrorBox(sim::MessageBoxes()[0], "レジストリをセーブするためのテンポラリファイル\"" + Dir() +
                                                             "backup\"に書き込みアクセスを適用できません。"));
    EXPECT_TRUE(Sorted(live_) == Live());
}

TEST_F(TreeReplaceFailureTest, ClearingThatFailsPartWayIsUndone) {
    sim::FailCall("RegDeleteKeyA", 1, ERROR_ACCESS_DENIED, "Deep");
    EXPECT_EQ(0, Replace());
    ExpectRestoredAfter("レジストリをクリアしようとしましたが、レジストリキー\"Deep\"を削除できません。");
}

TEST_F(TreeReplaceFailureTest, KeyThatCannotBeCreatedIsPutBack) {
    sim::FailCall("RegCreateKeyExA", 1, ERROR_ACCESS_DENIED, "Live");
    EXPECT_EQ(0, Replace());
    ExpectRestoredAfter("レジストリキー\"" + liveName_ + "\"を作成し、フルアクセスを適用できません。");
}

TEST_F(TreeReplaceFailureTest, LoadThatFailsAtFileLevelIsPutBack) {
    // The first read is the validation's.
    sim::FailCall("ReadFile", 2, ERROR_READ_FAULT, "snap");
    EXPECT_EQ(0, Replace());
    ExpectRestoredAfter("レジストリの情報をテンポラリファイルから読み込めません。");
}

TEST_F(TreeReplaceFailureTest, FailedStepAfterTheLoadIsPutBack) {
    afterLoadResult = 0;
    EXPECT_EQ(0, Replace("snap", AfterLoad));
    ASSERT_EQ(1u, sim::MessageBoxes().size());
    EXPECT_TRUE(IsInformationBox(sim::MessageBoxes()[0], Restored()));
    EXPECT_TRUE(Sorted(live_) == Live());
}

TEST_F(TreeReplaceFailureTest, TreeThatDidNotExistIsRemovedAgain) {
    ASSERT_EQ(ERROR_SUCCESS, RegDeleteKeyA(Root(), "Live\\Deep\\Deeper"));
    ASSERT_EQ(ERROR_SUCCESS, RegDeleteKeyA(Root(), "Live\\Deep"));
    ASSERT_EQ(ERROR_SUCCESS, RegDeleteKeyA(Root(), "Live"));
    afterLoadResult = 0;
    EXPECT_EQ(0, Replace("snap", AfterLoad));
    EXPECT_FALSE(sim::RegHasKey(liveName_));
    ASSERT_EQ(1u, sim::MessageBoxes().size());
    EXPECT_TRUE(IsInformationBox(sim::MessageBoxes()[0], Restored()));
}

TEST_F(TreeReplaceFailureTest, RestoreThatFailsTooSaysSo) {
    sim::FailCallsFrom("RegCreateKeyExA", 1, ERROR_ACCESS_DENIED, "Live");
    EXPECT_EQ(0, Replace());
    const auto& boxes = sim::MessageBoxes();
    ASSERT_EQ(3u, boxes.size());
    EXPECT_TRUE(IsInformationBox(boxes[2], "レジストリキー\"" + liveName_ +
                                               "\"にファイルの設定を適用できず、元の設定にも戻せませんでした。"));
}

#endif

}  // namespace
