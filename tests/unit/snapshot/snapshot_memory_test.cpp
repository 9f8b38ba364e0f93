// Snapshots in memory: a tree saved to memory is the files SaveRegistryTree
// writes, byte for byte, once written out; a validated read keeps exactly the
// files it read; a load from memory gives the tree back.
#include "snapshot/snapshot_memory.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "tests/unit/snapshot/snapshot_test_util.h"

using snaptest::Dword;

namespace {

RegTree Nested(int depth, int width) {
    RegTree tree;
    tree.values = {{"v", REG_DWORD, Dword(static_cast<uint32_t>(depth))}, {"", REG_SZ, std::string("x\0", 2)}};
    for (int i = 0; depth > 0 && i < width; ++i)
        tree.subkeys.push_back({"k" + std::to_string(i), Nested(depth - 1, width)});
    return tree;
}

RegTree WithLargeValue() {
    RegTree tree = Nested(1, 3);
    std::string big(150 * 1024, '\0');
    for (size_t i = 0; i < big.size(); ++i) big[i] = static_cast<char>(i * 13);
    tree.subkeys[1].second.values.push_back({"big", REG_BINARY, big});
    return tree;
}

std::string Text(const BYTE* bytes, DWORD size) { return std::string(reinterpret_cast<const char*>(bytes), size); }

class SnapshotMemoryTest : public BrvTest {
protected:
    HKEY Key(const char* name) {
        HKEY key = nullptr;
        EXPECT_EQ(ERROR_SUCCESS, RegCreateKeyExA(Root(), name, 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, &key, nullptr));
        return key;
    }
    std::string Folder(const char* name) {
        const std::string folder = Dir() + name + "\\";
        EXPECT_TRUE(CreateDirectoryA(folder.c_str(), nullptr));
        return folder;
    }
    static std::vector<std::string> Contents(const std::string& folder) {
        std::vector<std::string> contents;
        for (const std::string& file : ListFiles(folder)) contents.push_back(file + "=" + ReadBytes(folder + file));
        return contents;
    }
};

TEST_F(SnapshotMemoryTest, MemoryHoldsTheFilesAndGivesTheTreeBack) {
    const RegTree trees[] = {RegTree{}, Nested(1, 1), Nested(3, 3), WithLargeValue()};
    for (const RegTree& tree : trees) {
        SCOPED_TRACE(::testing::PrintToString(tree));
        DeleteKeyTree(Root(), "Source");
        DeleteKeyTree(Root(), "Loaded");
        HKEY source = Key("Source");
        BuildTree(source, tree);
        const std::string files = Folder("files"), fromMemory = Folder("memory");
        ASSERT_EQ(1, SaveRegistryTree(nullptr, source, "proxy", files.c_str()));
        SnapshotMemory saved;
        ASSERT_EQ(1, SaveRegistryTreeToMemory(nullptr, source, "proxy", &saved));
        ASSERT_TRUE(WriteSnapshotFiles(nullptr, saved, fromMemory.c_str()));
        EXPECT_EQ(Contents(files), Contents(fromMemory));

        SnapshotMemory read;
        ASSERT_EQ(1, ReadValidSnapshot(nullptr, "proxy", files.c_str(), &read));
        ASSERT_EQ(ListFiles(files).size(), read.Count());
        for (DWORD n = 0; n < read.Count(); ++n) {
            const BYTE* bytes = nullptr;
            DWORD size = 0;
            ASSERT_TRUE(saved.Find(read.Name(n), &bytes, &size)) << read.Name(n);
            EXPECT_EQ(ReadBytes(files + read.Name(n)), Text(read.Bytes(n), read.Size(n)));
            EXPECT_EQ(Text(bytes, size), Text(read.Bytes(n), read.Size(n)));
        }
        HKEY loaded = Key("Loaded");
        EXPECT_EQ(1, LoadWholeRegistryTreeFromMemory(nullptr, loaded, "proxy", read, files.c_str()));
        EXPECT_EQ(DumpTree(source), DumpTree(loaded));
        RegCloseKey(source);
        RegCloseKey(loaded);
        for (const std::string& folder : {files, fromMemory}) {
            for (const std::string& file : ListFiles(folder)) DeleteFileA((folder + file).c_str());
            RemoveDirectoryA(folder.c_str());
        }
    }
}

#if BRV_SIM
// A damaged file keeps the read from succeeding; a file memory lacks is
// reported as one that cannot be opened.
TEST_F(SnapshotMemoryTest, ADamagedOrMissingFileFails) {
    HKEY source = Key("Source");
    BuildTree(source, Nested(1, 2));
    ASSERT_EQ(1, SaveRegistryTree(nullptr, source, "proxy", Dir().c_str()));
    const std::string whole = ReadBytes(Dir() + "proxy.1");
    WriteBytes(Dir() + "proxy.1", whole.substr(0, whole.size() - 1));
    SnapshotMemory read;
    EXPECT_EQ(0, ReadValidSnapshot(nullptr, "proxy", Dir().c_str(), &read));
    EXPECT_EQ(1u, sim::MessageBoxes().size());

    SnapshotMemory partial;
    ASSERT_EQ(1, SaveRegistryTreeToMemory(nullptr, source, "proxy", &partial));
    HKEY loaded = Key("Loaded");
    EXPECT_EQ(0, LoadWholeRegistryTreeFromMemory(nullptr, loaded, "other", partial, "C:\\where\\"));
    const std::string context =
        "レジストリをロードするためのテンポラリファイル\"C:\\where\\other\"に読み込みアクセスを適用できません。";
    EXPECT_EQ(ExpectedReport(context, ERROR_FILE_NOT_FOUND),
              sim::MessageBoxes().back().text);
    RegCloseKey(source);
    RegCloseKey(loaded);
}
#endif

}  // namespace
