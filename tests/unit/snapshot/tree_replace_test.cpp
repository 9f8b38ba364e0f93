// ReplaceLiveTree: a live tree becomes the snapshot except for its kept
// subkey; a missing or damaged snapshot, or a key that cannot be deleted,
// changes nothing; and (on the simulation) whichever call fails, once or
// from then on, the live tree ends as it was or as the snapshot holds it, or,
// only where even putting it back failed, kept as a profile file that holds
// it and brings it back.
#include "snapshot/tree_replace.h"

#include <gtest/gtest.h>

#include <initializer_list>
#include <string>
#include <vector>

#include "snapshot/profile_file.h"
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

// The kinds of live tree the program replaces, shaped as their callers
// shape them. Null path: a key of the test's own ("Internet Settings").
struct Kind {
    const char* name;
    HKEY root;
    const char* rootName;
    const char* path;
    bool keeps50;  // the tree's 5.0 subkey stays the machine's
    bool live50;   // the live tree has a 5.0 subkey
    TreeProfile profile;
    const char* snapshot;  // the snapshot that replaces it
};

const Kind kInternetOptions = {"Internet options", HKEY_CURRENT_USER, "HKEY_CURRENT_USER", nullptr, true, true,
                               {0, "gateway", nullptr, "proxy"}, "proxy"};
const Kind kKinds[] = {
    kInternetOptions,
    {"Internet options without 5.0", HKEY_CURRENT_USER, "HKEY_CURRENT_USER", nullptr, true, false,
     {0, "gateway", nullptr, "proxy"}, "proxy"},
    {"an identity's accounts", HKEY_CURRENT_USER, "HKEY_CURRENT_USER", nullptr, false, true,
     {0, "gateway", "Taro", "gateway.0"}, "gateway.1"},
    {"a connection's Interfaces", HKEY_LOCAL_MACHINE, "HKEY_LOCAL_MACHINE",
     "SYSTEM\\CurrentControlSet\\Services\\Tcpip\\Parameters\\Interfaces\\{1A2B3C4D-0000-4000-8000-00000000E001}",
     false, true, {1, "tcpip", "LAN", "tcpip.0"}, "tcpip.1"},
};

int KeyCount(const RegTree& tree) {
    int count = 1;
    for (const auto& subkey : tree.subkeys) count += KeyCount(subkey.second);
    return count;
}

RegTree Without50(RegTree tree) {
    for (auto it = tree.subkeys.begin(); it != tree.subkeys.end(); ++it) {
        if (it->first == "5.0") {
            tree.subkeys.erase(it);
            break;
        }
    }
    return tree;
}

class TreeReplaceTest : public snaptest::RegistryTreeTest {
protected:
    void SetUp() override {
        BrvTest::SetUp();
        Use(kInternetOptions);
    }
    // Replaces trees of `kind` from now on, at a path of its own for each
    // `variant`; the snapshot is written anew.
    void Use(const Kind& kind, int variant = 0) {
        kind_ = &kind;
        path_ = kind.path ? kind.path : RootSubPath() + "\\Internet Settings";
        if (variant) path_ += std::to_string(variant);
        tree_ = LiveTree{kind.root,
                         kind.rootName,
                         path_.c_str(),
                         kind.keeps50 ? "5.0" : nullptr,
                         kind.keeps50 ? "proxy.tmp" : nullptr,
                         kActionCreateFullAccess,
                         kind.profile};
        // The saved tree, as another machine had it.
        RegTree saved;
        saved.values = {{"ProxyEnable", REG_DWORD, Dword(1)}, Sz("ProxyServer", "proxy.example:8080"),
                        Sz("ProxyOverride", "<local>")};
        saved.subkeys = {{"5.0", WithValue({"SavedOnly50", REG_DWORD, Dword(7)})}, {"ZoneMap", ZoneMap()}};
        const std::string scratch = RootSubPath() + "\\Saved";
        PutTreeAt(HKEY_CURRENT_USER, scratch, saved);
        HKEY key = nullptr;
        ASSERT_EQ(ERROR_SUCCESS, RegOpenKeyExA(HKEY_CURRENT_USER, scratch.c_str(), 0, KEY_READ, &key));
        ASSERT_EQ(1, SaveRegistryTree(nullptr, key, kind.snapshot, Dir().c_str()));
        RegCloseKey(key);
        DeleteKeyTree(HKEY_CURRENT_USER, scratch);
        saved_ = snaptest::Sorted(saved);
    }
    // This machine's tree, with or without a 5.0 key of its own.
    RegTree Live() const {
        RegTree live;
        live.values = {{"ProxyEnable", REG_DWORD, Dword(0)}, {"LiveOnly", REG_BINARY, std::string("\x01\x02", 2)}};
        live.subkeys = {{"Connections", WithValue({"DefaultConnectionSettings", REG_BINARY, std::string(20, '\x46')})},
                        {"Locked", WithSubkey("Inner", WithValue(Sz("Kept", "yes")))}};
        if (kind_->live50)
            live.subkeys.insert(live.subkeys.begin(), {"5.0", WithValue({"MachineOwn", REG_DWORD, Dword(5)})});
        return snaptest::Sorted(live);
    }
    // What the live tree must hold after a complete replacement.
    RegTree Replaced() const {
        if (!kind_->keeps50) return saved_;
        RegTree t = Without50(saved_);
        if (kind_->live50) t.subkeys.insert(t.subkeys.begin(), {"5.0", WithValue({"MachineOwn", REG_DWORD, Dword(5)})});
        return t;
    }
    void PlantLive() {
        DeleteKeyTree(kind_->root, path_);
        PutTreeAt(kind_->root, path_, Live());
    }
    RegTree LiveNow() const { return DumpTreeAt(kind_->root, path_); }
    int Replace(LPCSTR directory = nullptr) {
        return ReplaceLiveTree(nullptr, tree_, kind_->snapshot, directory ? directory : Dir().c_str());
    }
#if BRV_SIM
    // For each kind, each registry and file function (and `more`) and each
    // call n of it that a clean replacement makes: plants the live tree and
    // runs `failNth`(function, n). Returns the number of runs.
    template <typename FailNth>
    int SweepCalls(std::initializer_list<const Kind*> kinds, std::initializer_list<const char*> more, FailNth failNth) {
        std::vector<const char*> functions = {"RegOpenKeyExA", "RegEnumKeyExA",   "RegEnumValueA", "RegQueryValueExA",
                                              "RegSetValueExA", "RegDeleteKeyA", "RegCreateKeyExA", "CreateFileA",
                                              "ReadFile",       "WriteFile",     "GetFileSize"};
        functions.insert(functions.end(), more);
        int runs = 0;
        for (const Kind* kind : kinds) {
            Use(*kind);
            for (const char* function : functions) {
                PlantLive();
                sim::ForgetCallCounts();
                if (Replace() != 1) ADD_FAILURE() << "a clean replacement failed";
                const int calls = sim::CallCount(function);
                for (int nth = 1; nth <= calls; ++nth, ++runs) {
                    SCOPED_TRACE(std::string(function) + " #" + std::to_string(nth) + " in " + kind->name);
                    PlantLive();
                    sim::ForgetCallCounts();
                    failNth(function, nth);
                }
            }
        }
        return runs;
    }
#endif
    std::string FullPath(const std::string& below = "") const {
        return std::string(kind_->rootName) + "\\" + path_ + (below.empty() ? "" : "\\" + below);
    }

    const Kind* kind_ = nullptr;
    std::string path_;
    LiveTree tree_{};
    RegTree saved_;
};

TEST_F(TreeReplaceTest, TheSnapshotReplacesTheTreeAndTheMachineKeepsIts50) {
    PlantLive();
    EXPECT_EQ(1, Replace());
    EXPECT_EQ(Replaced(), LiveNow());
}

TEST_F(TreeReplaceTest, WithoutALive50ThereIsNoneAfterwards) {
    Use(kKinds[1]);
    PlantLive();
    EXPECT_EQ(1, Replace());
    EXPECT_EQ(Replaced(), LiveNow());
#if BRV_SIM
    EXPECT_TRUE(sim::MessageBoxes().empty());
#endif
}

TEST_F(TreeReplaceTest, AMissingLiveTreeIsCreated) {
    Use(kKinds[1]);
    EXPECT_EQ(1, Replace());
    EXPECT_EQ(Replaced(), LiveNow());
    EXPECT_EQ(INVALID_FILE_ATTRIBUTES, GetFileAttributesA((Dir() + kLiveBackupFolder).c_str()))
        << "the backup is removed";
}

#if BRV_SIM
// Boxes are shown here: the simulation answers them, under Wine they would
// wait for a user.
TEST_F(TreeReplaceTest, AMissingOrDamagedSnapshotChangesNothing) {
    PlantLive();
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
    PlantLive();
    const RegTree before = LiveNow();
    sim::FailCall("RegCreateKeyExA", 1, ERROR_ACCESS_DENIED, "Internet Settings");
    EXPECT_EQ(0, Replace());
    EXPECT_EQ(before, LiveNow());
    const auto& boxes = sim::MessageBoxes();
    ASSERT_EQ(2u, boxes.size());
    EXPECT_TRUE(snaptest::IsSystemErrorBox(
        boxes[0], "レジストリキー\"HKEY_CURRENT_USER\\" + path_ + "\"を作成し、フルアクセスを適用できません。"));
    EXPECT_TRUE(snaptest::IsInformationBox(
        boxes[1], "レジストリキー\"HKEY_CURRENT_USER\\" + path_ + "\"に設定を書き込めなかったため、元の設定に戻しました。"));
}

// Clearing would stop at a key that denies its deletion, with part of the
// tree gone: such a key is named before anything is touched, in each kind of
// tree and wherever it lies (Internet Settings\Locked emptied the tree).
TEST_F(TreeReplaceTest, AKeyThatCannotBeDeletedIsNamedAndNothingChanges) {
    int variant = 0;
    for (const Kind& kind : kKinds) {
        for (const char* below : {"", "5.0", "Connections", "Locked", "Locked\\Inner"}) {
            Use(kind, ++variant);
            if (!kind.live50 && std::string(below) == "5.0") continue;
            SCOPED_TRACE(std::string(kind.name) + " " + below);
            PlantLive();
            sim::RegDenyAccess(FullPath(below), DELETE);
            const size_t boxes = sim::MessageBoxes().size();
            const int deletions = sim::CallCount("RegDeleteKeyA");
            EXPECT_EQ(0, Replace());
            EXPECT_EQ(Live(), LiveNow());
            EXPECT_EQ(deletions, sim::CallCount("RegDeleteKeyA"));
            ASSERT_EQ(boxes + 1, sim::MessageBoxes().size());
            EXPECT_EQ(ExpectedReport("レジストリキー\"" + FullPath(below) +
                                         "\"を削除できないため、設定を書き込みませんでした。元の設定のままです。",
                                     ERROR_ACCESS_DENIED),
                      sim::MessageBoxes().back().text);
        }
    }
}

// Every registry and file call the replacement makes, failed one at a time.
TEST_F(TreeReplaceTest, WhicheverCallFailsTheTreeIsAsBeforeOrReplaced) {
    SweepCalls({&kKinds[0], &kKinds[1]}, {"HeapAlloc"}, [this](const char* function, int nth) {
        sim::FailCall(function, nth, function == std::string("HeapAlloc") ? ERROR_NOT_ENOUGH_MEMORY : ERROR_ACCESS_DENIED);
        const int result = Replace();
        sim::ClearFaults();
        EXPECT_EQ(result == 1 ? Replaced() : Live(), LiveNow()) << "result " << result;
    });
}

// ---- faults that last ----------------------------------------------------------

class LastingFaultTest : public TreeReplaceTest {
protected:
    void SetUp() override {
        TreeReplaceTest::SetUp();
        temp_ = Dir() + "Temp\\";
        keptDir_ = Dir() + "kept\\";
        ASSERT_TRUE(CreateDirectoryA(temp_.c_str(), nullptr));
        ASSERT_TRUE(CreateDirectoryA(keptDir_.c_str(), nullptr));
        sim::SetTempPath(temp_);
    }
    // How a run may end: replaced; as before; or, when even putting the tree
    // back failed, kept as a profile that holds it. Only a saved tree that
    // cannot itself be read back may be neither back nor kept.
    ::testing::AssertionResult EndedWell(int result) {
        const RegTree now = LiveNow();
        const std::vector<std::string> kept = ListFiles(temp_);
        if (result == 1 && now == Replaced() && kept.empty()) return ::testing::AssertionSuccess();
        if (result == 0 && now == Live() && kept.empty()) return ::testing::AssertionSuccess();
        if (sim::MessageBoxes().empty()) return ::testing::AssertionFailure() << "changed without a word";
        const std::string& last = sim::MessageBoxes().back().text;
        if (result == 0 && kept.empty() && sim::LastFailedSubject().find("\\~live\\") != std::string::npos &&
            last == "レジストリキー\"" + FullPath() + "\"に設定を書き込めず、元の設定にも戻せませんでした。")
            return ::testing::AssertionSuccess();
        if (result != 0 || kept.size() != 1)
            return ::testing::AssertionFailure() << "result " << result << ", " << kept.size() << " kept, now "
                                                 << ::testing::PrintToString(now);
        ++keptRuns_;
        return KeptProfileBringsBack(temp_ + kept[0], last);
    }
    // The kept profile is a whole profile of the kind, holding the tree as it
    // was; the replacement the load dialog runs on it brings the tree back
    // (all but the 5.0 subkey, which a load never takes from a file).
    ::testing::AssertionResult KeptProfileBringsBack(const std::string& path, const std::string& box) {
        const std::string expectedBox = "レジストリキー\"" + FullPath() +
                                        "\"に設定を書き込めず、元の設定にも戻せませんでした。元の設定はファイル\"" +
                                        path + "\"に保存しました。このファイルをロードすると元の設定に戻ります。";
        const std::string extension = kind_->profile.kind == 1 ? ".ips" : ".ies";
        const std::string record = kind_->profile.indexRecord ? kind_->profile.indexRecord + std::string(2, '\0') : "";
        if (box != expectedBox || path != temp_ + kKeptProfilePrefix + "1" + extension)
            return ::testing::AssertionFailure() << "box " << box << " for " << path;
        if (UnpackProfileFile(nullptr, path.c_str(), keptDir_.c_str()) == 0)
            return ::testing::AssertionFailure() << "cannot unpack";
        if (ReadBytes(keptDir_ + "profile")[0] != static_cast<char>(kind_->profile.kind) ||
            ReadBytes(keptDir_ + kind_->profile.indexName) != record)
            return ::testing::AssertionFailure() << "header or index";
        const RegTree held = LoadedInto(RootSubPath() + "\\Held", kind_->profile.snapshotName);
        if (!(held == Live())) return ::testing::AssertionFailure() << "holds " << ::testing::PrintToString(held);
        const int loaded = ReplaceLiveTree(nullptr, tree_, kind_->profile.snapshotName, keptDir_.c_str());
        const RegTree now = LiveNow();
        DeleteFileA(path.c_str());
        for (const std::string& file : ListFiles(keptDir_)) DeleteFileA((keptDir_ + file).c_str());
        const bool back = kind_->keeps50 ? Without50(now) == Without50(Live()) : now == Live();
        if (loaded != 1 || !back)
            return ::testing::AssertionFailure() << "loaded " << loaded << ": " << ::testing::PrintToString(now);
        return ::testing::AssertionSuccess();
    }
    RegTree LoadedInto(const std::string& scratch, const char* snapshot) {
        PutTreeAt(HKEY_CURRENT_USER, scratch, RegTree{});
        HKEY key = nullptr;
        RegOpenKeyExA(HKEY_CURRENT_USER, scratch.c_str(), 0, KEY_ALL_ACCESS, &key);
        LoadRegistryTree(nullptr, key, snapshot, keptDir_.c_str());
        RegCloseKey(key);
        const RegTree tree = DumpTreeAt(HKEY_CURRENT_USER, scratch);
        DeleteKeyTree(HKEY_CURRENT_USER, scratch);
        return tree;
    }

    std::string temp_, keptDir_;
    int keptRuns_ = 0;
};

// From the k-th call of a function on, every call of it on the key, value or
// file that call touched fails (memory: every allocation), in each kind of
// tree.
TEST_F(LastingFaultTest, WhicheverCallFailsForGoodTheTreeIsAsBeforeReplacedOrKept) {
    const auto kinds = {&kKinds[0], &kKinds[1], &kKinds[2], &kKinds[3]};
    const int runs = SweepCalls(kinds, {"HeapAlloc"}, [this](const char* function, int nth) {
        const bool memory = function == std::string("HeapAlloc");
        sim::FailCallsOnItsSubjectFrom(function, nth, memory ? ERROR_NOT_ENOUGH_MEMORY : ERROR_ACCESS_DENIED);
        const int result = Replace();
        sim::ClearFaults();
        EXPECT_TRUE(EndedWell(result)) << sim::LastFailedSubject();
        // The first deletions are the live keys': a clear that stops there
        // is undone without meeting the fault again.
        if (function == std::string("RegDeleteKeyA") && nth <= KeyCount(Live())) EXPECT_EQ(Live(), LiveNow());
    });
    EXPECT_GT(runs, 400);
    EXPECT_GT(keptRuns_, 10) << "the sweep reaches the kept profile";
}

// Two faults in one apply: one that stops the replacement, one that meets
// the way back.
TEST_F(LastingFaultTest, TwoFaultsInOneApply) {
    struct Fault {
        const char* function;
        const char* subject;
    };
    const struct {
        Fault stop, back;
    } cases[] = {
        // The clear stops at Locked; Connections cannot be put back.
        {{"RegDeleteKeyA", "Internet Settings\\Locked\\Inner"},
         {"RegSetValueExA", "Connections\\DefaultConnectionSettings"}},
        // The load stops at a value; what it wrote cannot be cleared.
        {{"RegSetValueExA", "Internet Settings\\ProxyServer"}, {"RegDeleteKeyA", "ZoneMap\\Domains"}},
        // The key cannot be re-created; the saved tree cannot be read back.
        {{"RegCreateKeyExA", "Internet Settings"}, {"ReadFile", "~live\\proxy"}},
        // The clear stops; the machine's 5.0 cannot be written back.
        {{"RegDeleteKeyA", "Internet Settings\\Connections"}, {"RegSetValueExA", "5.0\\MachineOwn"}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(std::string(c.stop.function) + " " + c.stop.subject + ", " + c.back.function + " " +
                     c.back.subject);
        PlantLive();
        sim::FailCallsFrom(c.stop.function, 1, ERROR_ACCESS_DENIED, c.stop.subject);
        sim::FailCallsFrom(c.back.function, 1, ERROR_ACCESS_DENIED, c.back.subject);
        const int result = Replace();
        sim::ClearFaults();
        EXPECT_EQ(0, result);
        EXPECT_TRUE(EndedWell(result));
    }
    EXPECT_EQ(3, keptRuns_);
}
#endif

}  // namespace
