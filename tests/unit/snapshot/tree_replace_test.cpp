// ReplaceLiveTree: a live tree becomes the snapshot except for its kept
// subkey; a missing or damaged snapshot changes nothing; and (on the
// simulation) whichever single call fails, the live tree ends either as it
// was or as the snapshot holds it, never emptied or half-loaded.
#include "snapshot/tree_replace.h"

#include <gtest/gtest.h>

#include <string>

#include "snapshot/registry_snapshot.h"
#include "tests/unit/snapshot/snapshot_test_util.h"

using snaptest::Dword;

namespace {

RegValue Sz(const std::string& name, const std::string& text) { return {name, REG_SZ, text + std::string(1, '\0')}; }

RegTree WithValue(const RegValue& value) {
    RegTree t;
    t.values = {value};
    return t;
}

RegTree WithSubkey(const std::string& name, const RegTree& subkey) {
    RegTree t;
    t.subkeys = {{name, subkey}};
    return t;
}

// ZoneMap\Domains\example.com with its one value.
RegTree ZoneMap() { return WithSubkey("Domains", WithSubkey("example.com", WithValue({"http", REG_DWORD, Dword(2)}))); }

// Whether `tree` is `full` with exactly one subkey (and all below it)
// missing somewhere.
bool LacksOneSubtree(const RegTree& tree, const RegTree& full) {
    if (tree.values != full.values) return false;
    if (tree.subkeys.size() + 1 == full.subkeys.size()) {
        for (size_t skip = 0; skip < full.subkeys.size(); ++skip) {
            RegTree rest = full;
            rest.subkeys.erase(rest.subkeys.begin() + static_cast<std::ptrdiff_t>(skip));
            if (rest == tree) return true;
        }
        return false;
    }
    if (tree.subkeys.size() != full.subkeys.size()) return false;
    int differing = 0;
    for (size_t i = 0; i < full.subkeys.size(); ++i) {
        if (tree.subkeys[i] == full.subkeys[i]) continue;
        if (tree.subkeys[i].first != full.subkeys[i].first ||
            !LacksOneSubtree(tree.subkeys[i].second, full.subkeys[i].second))
            return false;
        ++differing;
    }
    return differing == 1;
}

class TreeReplaceTest : public BrvTest {
protected:
    void SetUp() override {
        BrvTest::SetUp();
        livePath_ = RootSubPath() + "\\Internet Settings";
        tree_ = LiveTree{HKEY_CURRENT_USER, "HKEY_CURRENT_USER", livePath_.c_str(), "5.0", "proxy.tmp",
                         "レジストリキー\"HKEY_CURRENT_USER\\%s\"を作成し、フルアクセスを適用できません。"};
        // The saved tree, as another machine had it.
        RegTree saved;
        saved.values = {{"ProxyEnable", REG_DWORD, Dword(1)}, Sz("ProxyServer", "proxy.example:8080"),
                        Sz("ProxyOverride", "<local>")};
        saved.subkeys = {{"5.0", WithValue({"SavedOnly50", REG_DWORD, Dword(7)})}, {"ZoneMap", ZoneMap()}};
        HKEY key = nullptr;
        ASSERT_EQ(ERROR_SUCCESS, RegCreateKeyExA(Root(), "Saved", 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, &key, nullptr));
        BuildTree(key, saved);
        ASSERT_EQ(1, SaveRegistryTree(nullptr, key, "proxy", Dir().c_str()));
        RegCloseKey(key);
        RegDeleteTreeBelow("Saved");
    }
    // This machine's tree, with or without a 5.0 key of its own.
    RegTree Live(bool with50) const {
        RegTree live;
        live.values = {{"ProxyEnable", REG_DWORD, Dword(0)}, {"LiveOnly", REG_BINARY, std::string("\x01\x02", 2)}};
        live.subkeys = {{"Connections", WithValue({"DefaultConnectionSettings", REG_BINARY, std::string(20, '\x46')})}};
        if (with50) live.subkeys.insert(live.subkeys.begin(), {"5.0", WithValue({"MachineOwn", REG_DWORD, Dword(5)})});
        return live;
    }
    // What the live tree must hold after a complete replacement.
    RegTree Replaced(bool with50) const {
        RegTree t;
        t.values = {{"ProxyEnable", REG_DWORD, Dword(1)}, Sz("ProxyServer", "proxy.example:8080"),
                    Sz("ProxyOverride", "<local>")};
        t.subkeys = {{"ZoneMap", ZoneMap()}};
        if (with50) t.subkeys.insert(t.subkeys.begin(), {"5.0", WithValue({"MachineOwn", REG_DWORD, Dword(5)})});
        return t;
    }
    void PlantLive(bool with50) {
        RegDeleteTreeBelow("Internet Settings");
        HKEY key = nullptr;
        ASSERT_EQ(ERROR_SUCCESS,
                  RegCreateKeyExA(Root(), "Internet Settings", 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, &key, nullptr));
        BuildTree(key, Live(with50));
        RegCloseKey(key);
    }
    RegTree LiveNow() const {
        HKEY key = nullptr;
        if (RegOpenKeyExA(Root(), "Internet Settings", 0, KEY_READ, &key) != ERROR_SUCCESS)
            return WithValue({"(no key)", 0, ""});
        RegTree t = DumpTree(key);
        RegCloseKey(key);
        return snaptest::Sorted(t);
    }
    int Replace() { return ReplaceLiveTree(nullptr, tree_, "proxy", Dir().c_str()); }
    void RegDeleteTreeBelow(const std::string& name) {
        std::string path = RootSubPath() + "\\" + name;
        DeleteKeyTree(HKEY_CURRENT_USER, path);
    }

    std::string livePath_;
    LiveTree tree_{};
};

TEST_F(TreeReplaceTest, TheSnapshotReplacesTheTreeAndTheMachineKeepsIts50) {
    PlantLive(true);
    EXPECT_EQ(1, Replace());
    EXPECT_EQ(snaptest::Sorted(Replaced(true)), LiveNow());
}

TEST_F(TreeReplaceTest, WithoutALive50ThereIsNoneAfterwards) {
    PlantLive(false);
    EXPECT_EQ(1, Replace());
    EXPECT_EQ(snaptest::Sorted(Replaced(false)), LiveNow());
#if BRV_SIM
    EXPECT_TRUE(sim::MessageBoxes().empty());
#endif
}

TEST_F(TreeReplaceTest, AMissingLiveTreeIsCreated) {
    EXPECT_EQ(1, Replace());
    EXPECT_EQ(snaptest::Sorted(Replaced(false)), LiveNow());
}

#if BRV_SIM
// Boxes are shown here: the simulation answers them, under Wine they would
// wait for a user.
TEST_F(TreeReplaceTest, AMissingOrDamagedSnapshotChangesNothing) {
    PlantLive(true);
    const RegTree before = LiveNow();
    const std::string whole = ReadBytes(Dir() + "proxy.0");
    DeleteFileA((Dir() + "proxy.0").c_str());
    EXPECT_EQ(0, Replace());
    EXPECT_EQ(before, LiveNow());
    WriteBytes(Dir() + "proxy.0", whole.substr(0, whole.size() - 3));
    EXPECT_EQ(0, Replace());
    EXPECT_EQ(before, LiveNow());
    EXPECT_EQ(2u, sim::MessageBoxes().size());
}

TEST_F(TreeReplaceTest, AFailedRecreationPutsTheLiveTreeBackAndSaysSo) {
    PlantLive(true);
    const RegTree before = LiveNow();
    sim::FailCall("RegCreateKeyExA", 1, ERROR_ACCESS_DENIED, "Internet Settings");
    EXPECT_EQ(0, Replace());
    EXPECT_EQ(before, LiveNow());
    const auto& boxes = sim::MessageBoxes();
    ASSERT_EQ(2u, boxes.size());
    EXPECT_TRUE(snaptest::IsSystemErrorBox(
        boxes[0], "レジストリキー\"HKEY_CURRENT_USER\\" + livePath_ + "\"を作成し、フルアクセスを適用できません。"));
    EXPECT_TRUE(snaptest::IsInformationBox(
        boxes[1], "レジストリキー\"HKEY_CURRENT_USER\\" + livePath_ + "\"に設定を書き込めなかったため、元の設定に戻しました。"));
}

// Every registry and file call the replacement makes, failed one at a time.
TEST_F(TreeReplaceTest, WhicheverCallFailsTheTreeIsAsBeforeOrReplaced) {
    const char* functions[] = {"RegOpenKeyExA", "RegEnumKeyExA", "RegEnumValueA", "RegQueryValueExA",
                               "RegDeleteKeyA", "RegCreateKeyExA", "CreateFileA", "ReadFile",
                               "WriteFile", "GetFileSize", "HeapAlloc"};
    for (bool with50 : {true, false}) {
        const RegTree before = snaptest::Sorted(Live(with50));
        const RegTree after = snaptest::Sorted(Replaced(with50));
        for (const char* function : functions) {
            PlantLive(with50);
            sim::ForgetCallCounts();
            ASSERT_EQ(1, Replace());
            const int calls = sim::CallCount(function);
            for (int nth = 1; nth <= calls; ++nth) {
                SCOPED_TRACE(std::string(function) + " #" + std::to_string(nth) + (with50 ? " with 5.0" : ""));
                PlantLive(with50);
                sim::ForgetCallCounts();
                sim::FailCall(function, nth, function == std::string("HeapAlloc") ? ERROR_NOT_ENOUGH_MEMORY
                                                                                  : ERROR_ACCESS_DENIED);
                const int result = Replace();
                sim::ClearFaults();
                const RegTree now = LiveNow();
                // A subkey whose creation fails inside the load is a
                // record-level skip of the loader, reported there: the rest
                // is loaded. The first creation is the live key itself, which
                // must never be left missing or half-filled.
                if (!(now == before) && !(now == after)) {
                    ASSERT_STREQ("RegCreateKeyExA", function) << ::testing::PrintToString(now);
                    EXPECT_LT(1, nth);
                    EXPECT_EQ(2, result) << "replaced but for a skipped record";
                    EXPECT_TRUE(LacksOneSubtree(now, after)) << ::testing::PrintToString(now);
                    continue;
                }
                // A skipped record that the kept subkey's put-back replaced
                // leaves the tree whole, but was still skipped: 2.
                EXPECT_EQ(result == 0 ? before : after, now) << "result " << result;
                if (result == 2) {
                    EXPECT_STREQ("RegCreateKeyExA", function);
                }
            }
        }
    }
}
#endif

}  // namespace
