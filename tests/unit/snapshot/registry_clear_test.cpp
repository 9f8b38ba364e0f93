// ClearRegistryTree: bottom-up deletion, a missing path, and (on the
// simulation) every failure with its message.
#include "snapshot/registry_clear.h"

#include <gtest/gtest.h>

#include <string>

#include "tests/unit/snapshot/snapshot_test_util.h"

using snaptest::Dword;

namespace {

class RegistryClearTest : public BrvTest {
protected:
    // Root\Tree with three levels: Tree\A\A1\A2, Tree\B; values on each.
    void SetUp() override {
        BrvTest::SetUp();
        RegTree a2;
        a2.values = {{"v2", REG_DWORD, Dword(2)}};
        RegTree a1;
        a1.subkeys = {{"A2", a2}};
        a1.values = {{"v1", REG_DWORD, Dword(1)}};
        RegTree a;
        a.subkeys = {{"A1", a1}};
        RegTree tree;
        tree.subkeys = {{"A", a}, {"B", RegTree{{{"b", REG_SZ, std::string("b\0", 2)}}, {}}}};
        tree.values = {{"top", REG_DWORD, Dword(0)}};
        RegTree root;
        root.subkeys = {{"Tree", tree}, {"Other", RegTree{}}};
        BuildTree(Root(), root);
    }
    std::string TreePath() const { return RootSubPath() + "\\Tree"; }
    int Clear(const std::string& path) { return ClearRegistryTree(nullptr, RootParent(), path.c_str()); }
    bool Exists(const std::string& below) {
        HKEY key = nullptr;
        LONG status = RegOpenKeyExA(Root(), below.c_str(), 0, KEY_READ, &key);
        if (status == ERROR_SUCCESS) RegCloseKey(key);
        // A key denied to us still exists.
        return status != ERROR_FILE_NOT_FOUND;
    }
};

TEST_F(RegistryClearTest, ThreeLevelSubtreeIsDeleted) {
    EXPECT_EQ(1, Clear(TreePath()));
    EXPECT_FALSE(Exists("Tree"));
    RegTree expected;
    expected.subkeys = {{"Other", RegTree{}}};
    EXPECT_EQ(snaptest::Sorted(expected), snaptest::Sorted(DumpTree(Root())));
}

TEST_F(RegistryClearTest, KeyWithoutSubkeysIsDeletedWithItsValues) {
    EXPECT_EQ(1, Clear(TreePath() + "\\B"));
    EXPECT_FALSE(Exists("Tree\\B"));
    EXPECT_TRUE(Exists("Tree\\A\\A1\\A2"));
}

TEST_F(RegistryClearTest, OnlyTheLastComponentIsDeleted) {
    EXPECT_EQ(1, Clear(TreePath() + "\\A\\A1"));
    EXPECT_FALSE(Exists("Tree\\A\\A1"));
    EXPECT_TRUE(Exists("Tree\\A"));
}

TEST_F(RegistryClearTest, MissingPathIsNothingToDo) {
    EXPECT_EQ(1, Clear(TreePath() + "\\Nowhere"));
    EXPECT_EQ(1, Clear(RootSubPath() + "\\No\\Such\\Path"));
    EXPECT_TRUE(Exists("Tree\\A\\A1\\A2"));
#if BRV_SIM
    EXPECT_EQ(0u, sim::MessageBoxes().size());
#endif
}

#if BRV_SIM

using snaptest::OneSystemErrorBox;

TEST_F(RegistryClearTest, KeyThatCannotBeOpenedWithFullAccess) {
    sim::RegDenyAccess(RootPath() + "\\Tree", KEY_ALL_ACCESS);
    EXPECT_EQ(0, Clear(TreePath()));
    EXPECT_TRUE(OneSystemErrorBox("レジストリをクリアしようとしましたが、レジストリキー\"" + TreePath() +
                                  "\"をフルアクセスを適用できません。"));
    EXPECT_TRUE(Exists("Tree\\A\\A1\\A2"));
}

TEST_F(RegistryClearTest, DeepSubkeyThatCannotBeOpenedStopsEverything) {
    sim::RegDenyAccess(RootPath() + "\\Tree\\A\\A1\\A2", KEY_ALL_ACCESS);
    EXPECT_EQ(0, Clear(TreePath()));
    EXPECT_TRUE(OneSystemErrorBox(
        "レジストリをクリアしようとしましたが、レジストリキー\"A2\"をフルアクセスを適用できません。"));
    EXPECT_TRUE(Exists("Tree\\A\\A1\\A2"));
    EXPECT_TRUE(Exists("Tree\\B"));
}

TEST_F(RegistryClearTest, SubkeysDeletedBeforeAFailureStayDeleted) {
    sim::RegDenyAccess(RootPath() + "\\Tree\\B", KEY_ALL_ACCESS);
    EXPECT_EQ(0, Clear(TreePath()));
    EXPECT_TRUE(OneSystemErrorBox(
        "レジストリをクリアしようとしましたが、レジストリキー\"B\"をフルアクセスを適用できません。"));
    EXPECT_FALSE(Exists("Tree\\A"));
    EXPECT_TRUE(Exists("Tree\\B"));
}

TEST_F(RegistryClearTest, SubkeyEnumerationFails) {
    sim::FailCall("RegEnumKeyExA", 2, ERROR_ACCESS_DENIED);
    EXPECT_EQ(0, Clear(TreePath()));
    EXPECT_TRUE(OneSystemErrorBox("レジストリをクリアしようとしましたが、サブキーを列挙できません。"));
}

TEST_F(RegistryClearTest, DeletionFailureShowsItsOwnStatus) {
    sim::FailCall("RegDeleteKeyA", 1, ERROR_ACCESS_DENIED, "Tree\\A\\A1\\A2");
    EXPECT_EQ(0, Clear(TreePath()));
    EXPECT_TRUE(OneSystemErrorBox("レジストリをクリアしようとしましたが、レジストリキー\"A2\"を削除できません。",
                                  ERROR_ACCESS_DENIED));
}

TEST_F(RegistryClearTest, TopLevelDeletionFailureNamesTheCallersPath) {
    sim::FailCall("RegDeleteKeyA", 1, ERROR_ACCESS_DENIED, "Tree");
    EXPECT_EQ(0, Clear(TreePath()));
    EXPECT_TRUE(OneSystemErrorBox("レジストリをクリアしようとしましたが、レジストリキー\"" + TreePath() +
                                  "\"を削除できません。"));
    EXPECT_FALSE(Exists("Tree\\A"));
}

TEST_F(RegistryClearTest, SubkeyListedButNotFoundDoesNotLoopForever) {
    sim::FailCallsFrom("RegOpenKeyExA", 1, ERROR_FILE_NOT_FOUND, "Tree\\A");
    EXPECT_EQ(0, Clear(TreePath()));
    EXPECT_TRUE(OneSystemErrorBox(
        "レジストリをクリアしようとしましたが、レジストリキー\"A\"をフルアクセスを適用できません。"));
}

#endif

}  // namespace
