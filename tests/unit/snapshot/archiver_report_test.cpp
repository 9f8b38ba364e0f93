// What the user sees when an archiver command fails: the profile container
// words the failure and shows it. Simulation only (scripted message boxes,
// fault injection).
#include "archive_files.h"
#include "codec_streams.h"
#include "snapshot/profile_file.h"
#include "testenv.h"

namespace {

class ArchiverReportTest : public ArchiveFolderTest {
protected:
    // No window: the simulation records boxes only for real owners or none.
    HWND Owner() const { return nullptr; }
};

TEST_F(ArchiverReportTest, BadArchiveShowsOneInformationBox) {
    struct {
        const char* file;
        const char* text;  // %s: the archive's path
    } cases[] = {
        {"bad/not_an_archive.lzh", "ファイル\"%s\"はLHA形式の書庫ではありません。"},
        {"bad/data_crc_mismatch.lzh", "ファイル\"%s\"が破損しています。"},
        {"bad/method_unsupported.lzh", "ファイル\"%s\"には展開できない形式のデータ(-pm2-)が含まれています。"},
        {"bad/name_control_bytes.lzh", "ファイル\"%s\"には安全に展開できない名前のファイルが含まれています。"},
        {"bad/member_too_large.lzh", "ファイル\"%s\"は大きすぎるため処理できません。"},
    };
    int boxes = 0;
    for (const auto& c : cases) {
        SCOPED_TRACE(c.file);
        std::string archive = Dir() + "in.lzh";
        WriteBytes(archive, ReadBytes(LhaDataFile(c.file)));
        std::string target = MakeFolder(std::string("out") + std::to_string(boxes));
        int result = RunArchiverCommand(Owner(), ExtractCommand(archive, target).c_str(), nullptr, 0);
        EXPECT_NE(result, 0);
        ASSERT_EQ(sim::MessageBoxes().size(), static_cast<size_t>(++boxes));
        const sim::MessageBoxCall& box = sim::MessageBoxes().back();
        CHAR expected[kMessageBufferSize];
        wsprintfA(expected, c.text, archive.c_str());
        EXPECT_EQ(box.text, expected);
        EXPECT_EQ(box.owner, Owner());
        EXPECT_TRUE(box.captionNull);
        EXPECT_EQ(box.style, static_cast<UINT>(MB_OK | MB_ICONINFORMATION));
        EXPECT_EQ(ListFiles(target), std::vector<std::string>{});
    }
}

TEST_F(ArchiverReportTest, WriteFailureMidExtractionRemovesWhatWasWritten) {
    std::string source = MakeFolder("source");
    WriteBytes(source + "first", SnapshotLikeBytes(50000));
    WriteBytes(source + "second", SnapshotLikeBytes(70000));
    std::string archive = Dir() + "two.lzh";
    ASSERT_EQ(Carry(PackCommand(archive, source)).result, 0);
    std::string target = MakeFolder("target");
    sim::FailCall("WriteFile", 1, ERROR_DISK_FULL, "second");
    int result = RunArchiverCommand(Owner(), ExtractCommand(archive, target).c_str(), nullptr, 0);
    EXPECT_EQ(result, kLhaIoFailed);
    EXPECT_EQ(ListFiles(target), std::vector<std::string>{});
    ASSERT_EQ(sim::MessageBoxes().size(), 1u);
    const sim::MessageBoxCall& box = sim::MessageBoxes()[0];
    EXPECT_EQ(box.style, static_cast<UINT>(MB_OK | MB_ICONEXCLAMATION));  // through ReportSystemError
    EXPECT_NE(box.text.find("ファイル\"" + target + "second\"に書き込めません。"), std::string::npos) << box.text;
}

}  // namespace
