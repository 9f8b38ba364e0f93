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

#if BRV_SIM

HWND Owner() { return nullptr; }

TEST_F(ProfileFileTest, LockedTargetCannotBeOverwritten) {
    std::string work = Work();
    WriteBytes(work + "profile", "new");
    std::string profile = Dir() + "saved.ies";
    WriteBytes(profile, "locked");
    HANDLE held = sim::HoldFileOpen(profile, 0);
    EXPECT_EQ(PackProfileFile(Owner(), profile.c_str(), work.c_str()), 0);
    CloseHandle(held);
    ASSERT_EQ(sim::MessageBoxes().size(), 1u);
    const sim::MessageBoxCall& box = sim::MessageBoxes()[0];
    EXPECT_NE(box.text.find(profile + "に上書きできません。"), std::string::npos) << box.text;
    EXPECT_EQ(box.owner, Owner());
    EXPECT_EQ(box.style, static_cast<UINT>(MB_OK | MB_ICONEXCLAMATION));
    EXPECT_EQ(ReadBytes(profile), "locked");
}

TEST_F(ProfileFileTest, TargetFolderMissing) {
    std::string work = Work();
    WriteBytes(work + "profile", "new");
    std::string profile = Dir() + "no such folder\\saved.ies";
    EXPECT_EQ(PackProfileFile(Owner(), profile.c_str(), work.c_str()), 0);
    // One box, from the archiver, saying which file it could not make.
    ASSERT_EQ(sim::MessageBoxes().size(), 1u);
    EXPECT_NE(sim::MessageBoxes()[0].text.find("ファイル\"" + profile + "\"を作成し、書き込みアクセスを適用できません。"),
              std::string::npos)
        << sim::MessageBoxes()[0].text;
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
