// PackProfileFile and UnpackProfileFile. The round trips run on the
// simulation and under Wine; the failures, which show a box, on the
// simulation only.
#include "archive_files.h"
#include "snapshot/profile_file.h"
#include "testenv.h"

namespace {

class ProfileFileTest : public BrvTest {
protected:
    std::string Work() {
        std::string work = Dir() + "brv\\";
        CreateDirectoryA(work.c_str(), nullptr);
        return work;
    }
};

TEST_F(ProfileFileTest, PackThenUnpack) {
    std::string work = Work();
    WriteBytes(work + "profile", std::string("\x01\x01\x06\x00\x00\x00TESTPC\x00\x00\x00\x00", 16));
    WriteBytes(work + "tcpip", std::string("LAN\x00\x00", 5));
    WriteBytes(work + "tcpip.1", std::string(4000, 'r'));
    std::string profile = Dir() + "saved.ips";
    ASSERT_NE(PackProfileFile(nullptr, profile.c_str(), work.c_str()), 0);
    for (const std::string& name : ListFiles(work)) DeleteFileA((work + name).c_str());
    ASSERT_NE(UnpackProfileFile(nullptr, profile.c_str(), work.c_str()), 0);
    EXPECT_EQ(ListFiles(work), (std::vector<std::string>{"profile", "tcpip", "tcpip.1"}));
    EXPECT_EQ(ReadBytes(work + "tcpip.1"), std::string(4000, 'r'));
}

TEST_F(ProfileFileTest, PackOverwritesAnExistingFile) {
    std::string work = Work();
    WriteBytes(work + "profile", "new");
    std::string profile = Dir() + "saved.ies";
    WriteBytes(profile, "an older profile file");
    ASSERT_NE(PackProfileFile(nullptr, profile.c_str(), work.c_str()), 0);
    CommandResult list = Carry("l " + Quoted(profile));
    ASSERT_EQ(list.result, 0);
    EXPECT_NE(list.output.find("  profile\r\n"), std::string::npos);
}

TEST_F(ProfileFileTest, PathsWithSpacesAreQuoted) {
    std::string work = Dir() + "work dir\\";
    ASSERT_TRUE(CreateDirectoryA(work.c_str(), nullptr));
    WriteBytes(work + "gateway 1", "spaced name");
    std::string folder = Dir() + "my profiles\\";
    ASSERT_TRUE(CreateDirectoryA(folder.c_str(), nullptr));
    std::string profile = folder + "saved file.ies";
    ASSERT_NE(PackProfileFile(nullptr, profile.c_str(), work.c_str()), 0);
    DeleteFileA((work + "gateway 1").c_str());
    ASSERT_NE(UnpackProfileFile(nullptr, profile.c_str(), work.c_str()), 0);
    EXPECT_EQ(ReadBytes(work + "gateway 1"), "spaced name");
}

// Files that merely look like a temporary file of ours are another
// program's: they survive the save untouched.
TEST_F(ProfileFileTest, FilesNamedLikeTheTemporaryFileSurvive) {
    std::string work = Work();
    WriteBytes(work + "profile", "new");
    std::string profile = Dir() + "saved.ies";
    const std::vector<std::string> others = {"saved.ies~", "~brv0000.tmp", "~brv0001.tmp"};
    for (const std::string& name : others) WriteBytes(Dir() + name, "not ours: " + name);
    WriteBytes(profile, "old");
    ASSERT_NE(PackProfileFile(nullptr, profile.c_str(), work.c_str()), 0);
    for (const std::string& name : others) EXPECT_EQ(ReadBytes(Dir() + name), "not ours: " + name);
    EXPECT_EQ(ListFiles(Dir()), (std::vector<std::string>{"saved.ies", "saved.ies~", "~brv0000.tmp", "~brv0001.tmp"}));
    EXPECT_EQ(Carry("l " + Quoted(profile)).result, 0);
}

// A target path of 259 bytes, the most the dialogs give, whatever the
// length of its own name: the file beside it must still fit. (Wine takes
// longer paths; Windows does not, and the simulation is told to do the same.)
TEST_F(ProfileFileTest, TargetPathOf259Bytes) {
#if BRV_SIM
    sim::LimitAnsiPaths();
#endif
    std::string work = Work();
    WriteBytes(work + "profile", "new");
    for (size_t nameLength : {11u, 12u, 40u}) {
        SCOPED_TRACE(nameLength);
        const size_t folderNameLength = 259 - Dir().size() - 1 - nameLength;
        std::string folder = Dir() + std::string(folderNameLength, static_cast<char>('a' + nameLength % 26)) + "\\";
        ASSERT_TRUE(CreateDirectoryA(folder.c_str(), nullptr)) << GetLastError();
        std::string profile = folder + std::string(nameLength - 4, 'p') + ".ies";
        ASSERT_EQ(profile.size(), 259u);
        WriteBytes(profile, "old");
        ASSERT_NE(PackProfileFile(nullptr, profile.c_str(), work.c_str()), 0);
        EXPECT_EQ(ListFiles(folder).size(), 1u);
        CommandResult list = Carry("l " + Quoted(profile));
        EXPECT_EQ(list.result, 0);
        EXPECT_NE(list.output.find("  profile\r\n"), std::string::npos);
    }
}

#if BRV_SIM

HWND Owner() { return nullptr; }

// A target that cannot be replaced, or a folder where nothing can be put:
// the one message, and whatever was there stays as it was.
TEST_F(ProfileFileTest, TargetThatCannotBeReplaced) {
    std::string work = Work();
    WriteBytes(work + "profile", "new");
    enum Obstacle { kLocked, kReadOnly, kFolderMissing };
    for (Obstacle obstacle : {kLocked, kReadOnly, kFolderMissing}) {
        SCOPED_TRACE(obstacle);
        std::string folder = Dir() + (obstacle == kFolderMissing ? "no such folder\\" : "");
        std::string profile = folder + "saved" + std::to_string(obstacle) + ".ies";
        const size_t before = sim::MessageBoxes().size();
        HANDLE held = INVALID_HANDLE_VALUE;
        if (obstacle != kFolderMissing) WriteBytes(profile, "the old file");
        if (obstacle == kLocked) held = sim::HoldFileOpen(profile, 0);
        if (obstacle == kReadOnly) SetFileAttributesA(profile.c_str(), FILE_ATTRIBUTE_READONLY);
        EXPECT_EQ(PackProfileFile(Owner(), profile.c_str(), work.c_str()), 0);
        if (held != INVALID_HANDLE_VALUE) CloseHandle(held);
        ASSERT_EQ(sim::MessageBoxes().size(), before + 1);
        const sim::MessageBoxCall& box = sim::MessageBoxes().back();
        EXPECT_NE(box.text.find(profile + "に上書きできません。"), std::string::npos) << box.text;
        EXPECT_EQ(box.owner, Owner());
        EXPECT_EQ(box.style, static_cast<UINT>(MB_OK | MB_ICONEXCLAMATION));
        if (obstacle != kFolderMissing) EXPECT_EQ(ReadBytes(profile), "the old file");
        SetFileAttributesA(profile.c_str(), FILE_ATTRIBUTE_NORMAL);
    }
    EXPECT_EQ(ListFiles(Dir()), (std::vector<std::string>{"saved0.ies", "saved1.ies"}));  // nothing beside them
}

// A full disk, a failing read, a move that is refused: from the k-th call
// on, every call of one function fails. A save over an existing file then
// either completes or leaves the old file byte for byte, reports once, and
// leaves no file of its own behind; files named like ours are never touched.
TEST_F(ProfileFileTest, LastingFaultsNeverCostTheOldFile) {
    std::string work = Work();
    WriteBytes(work + "profile", std::string("\x01\x01\x06\x00\x00\x00TESTPC\x00\x00\x00\x00", 16));
    WriteBytes(work + "tcpip", std::string("LAN\x00\x00", 5));
    WriteBytes(work + "tcpip.0", std::string(150000, 'r') + std::string(90000, 's'));
    std::string folder = Dir() + "profiles\\";
    ASSERT_TRUE(CreateDirectoryA(folder.c_str(), nullptr));
    std::string profile = folder + "saved.ips";
    const std::string old = "the profile the user had, " + std::string(3000, 'o');
    const std::vector<std::string> names = {"saved.ips", "saved.ips~", "~brv0000.tmp"};
    auto prepare = [&] {
        WriteBytes(profile, old);
        WriteBytes(folder + "saved.ips~", "not ours");
        WriteBytes(folder + "~brv0000.tmp", "not ours either");
    };
    const struct {
        const char* function;
        DWORD error;
    } faults[] = {
        {"WriteFile", ERROR_DISK_FULL},       {"CreateFileA", ERROR_ACCESS_DENIED},
        {"ReadFile", ERROR_READ_FAULT},       {"SetFilePointer", ERROR_DISK_FULL},
        {"SetEndOfFile", ERROR_DISK_FULL},    {"GetFileSize", ERROR_ACCESS_DENIED},
        {"MoveFileExA", ERROR_ACCESS_DENIED}, {"FindFirstFileA", ERROR_ACCESS_DENIED},
        {"FindNextFileA", ERROR_ACCESS_DENIED}, {"HeapAlloc", ERROR_NOT_ENOUGH_MEMORY},
    };
    int failures = 0;
    for (const auto& fault : faults) {
        prepare();
        sim::ForgetCallCounts();
        ASSERT_NE(PackProfileFile(Owner(), profile.c_str(), work.c_str()), 0);
        const int calls = sim::CallCount(fault.function);
        for (int k = 1; k <= calls; ++k) {
            SCOPED_TRACE(std::string(fault.function) + " from call " + std::to_string(k));
            prepare();
            const size_t boxes = sim::MessageBoxes().size();
            sim::ForgetCallCounts();
            sim::FailCallsFrom(fault.function, k, fault.error);
            const int packed = PackProfileFile(Owner(), profile.c_str(), work.c_str());
            sim::ClearFaults();
            EXPECT_EQ(ListFiles(folder), names);
            EXPECT_EQ(ReadBytes(folder + "saved.ips~"), "not ours");
            EXPECT_EQ(ReadBytes(folder + "~brv0000.tmp"), "not ours either");
            if (packed) {
                EXPECT_EQ(Carry("t " + Quoted(profile)).result, 0);
                EXPECT_EQ(sim::MessageBoxes().size(), boxes);
                continue;
            }
            ++failures;
            EXPECT_EQ(ReadBytes(profile), old);
            EXPECT_EQ(sim::MessageBoxes().size(), boxes + 1);
        }
    }
    EXPECT_GT(failures, 20);
}

TEST_F(ProfileFileTest, UnpackOfANonArchive) {
    std::string work = Work();
    std::string profile = Dir() + "letter.ies";
    WriteBytes(profile, "Dear user,\r\nthis is no profile file.\r\n");
    EXPECT_EQ(UnpackProfileFile(Owner(), profile.c_str(), work.c_str()), 0);
    ASSERT_EQ(sim::MessageBoxes().size(), 1u);
    EXPECT_EQ(sim::MessageBoxes()[0].text, "ファイル\"" + profile + "\"はLHA形式の書庫ではありません。");
    EXPECT_EQ(sim::MessageBoxes()[0].style, static_cast<UINT>(MB_OK | MB_ICONINFORMATION));
    EXPECT_EQ(ListFiles(work), std::vector<std::string>{});
}

TEST_F(ProfileFileTest, UnpackOfAMissingFile) {
    std::string work = Work();
    std::string profile = Dir() + "gone.ips";
    EXPECT_EQ(UnpackProfileFile(Owner(), profile.c_str(), work.c_str()), 0);
    ASSERT_EQ(sim::MessageBoxes().size(), 1u);
    EXPECT_NE(sim::MessageBoxes()[0].text.find("ファイル\"" + profile + "\"に読み込みアクセスを適用できません。"),
              std::string::npos);
}

TEST_F(ProfileFileTest, CommandsPassedToTheArchiver) {
    // The two command lines, observed through the files the archiver opens.
    std::string work = Work();
    WriteBytes(work + "profile", "p");
    std::string profile = Dir() + "saved.ies";
    ASSERT_NE(PackProfileFile(Owner(), profile.c_str(), work.c_str()), 0);
    EXPECT_EQ(sim::CallCount("FindFirstFileA"), 1);
    ASSERT_NE(UnpackProfileFile(Owner(), profile.c_str(), work.c_str()), 0);
    EXPECT_EQ(sim::MessageBoxes().size(), 0u);
}

#endif

}  // namespace
