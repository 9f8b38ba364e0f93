// Command-line mode played by the scripted user: a file the shell opened goes
// straight to its load dialog after the question, without owner and without
// the main window; a command line without a switch gets the association
// message; the work directory is emptied in every case.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "app/modes.h"
#include "app/startup.h"
#include "flow_test_util.h"
#include "ieoe/ieoe_group.h"
#include "tcpip/tcpip_group.h"

namespace {

using namespace flowtest;

const char kNeedsAssociation[] = "この項目を実行するには関連設定を行う必要があります。";

class CommandLineModeTest : public ShellFlowTest {
protected:
    void SetUp() override {
        ShellFlowTest::SetUp();
        Machine();
    }
    void SaveProfile(DLGPROC proc, int templateId, const std::string& path) {
        lstrcpynA(ProfileFilePath, path.c_str(), kProfileFilePathSize);
        PlayOk();
        Flush();
        ASSERT_EQ(IDOK, DialogBoxParamA(GetModuleHandleA(nullptr), MAKEINTRESOURCEA(templateId), nullptr, proc, 0));
        ASSERT_TRUE(ClearWorkDirectory(WorkDirectory));
        ProfileFilePath[0] = '\0';
        forgetBoxes_ = sim::MessageBoxes().size();
        forgetDialogs_ = sim::Dialogs().size();
    }
    void Run(const std::string& arguments) {
        std::vector<char> line(arguments.begin(), arguments.end());
        line.push_back('\0');
        Flush();
        RunCommandLineMode(GetModuleHandleA(nullptr), line.data());
    }
    std::vector<sim::MessageBoxCall> Boxes() const {
        return {sim::MessageBoxes().begin() + forgetBoxes_, sim::MessageBoxes().end()};
    }
    std::vector<sim::DialogCall> Dialogs() const {
        return {sim::Dialogs().begin() + forgetDialogs_, sim::Dialogs().end()};
    }
    std::vector<int> Templates() const {
        std::vector<int> ids;
        for (const sim::DialogCall& call : Dialogs()) ids.push_back(call.templateId);
        return ids;
    }
    static void ExpectBox(const sim::MessageBoxCall& box, const char* text, const char* caption, UINT style) {
        EXPECT_EQ(nullptr, box.owner);
        EXPECT_EQ(text, box.text);
        EXPECT_EQ(caption, box.caption);
        EXPECT_EQ(style, box.style);
    }

    size_t forgetBoxes_ = 0, forgetDialogs_ = 0;
};

// A path with blanks, quoted as the association's command quotes it.
TEST_F(CommandLineModeTest, IesFileIsLoadedAfterTheQuestion) {
    const std::string path = Dir() + "My Files\\会社.ies";
    CreateDirectoryA((Dir() + "My Files").c_str(), nullptr);
    SaveProfile(IeOeSaveDialogProc, IDD_IEOE, path);
    const RegTree saved = Dump(ieoetest::kSettings);
    Put(ieoetest::kSettings, ieoetest::InternetSettings("changed.example.jp:1", "machine"));
    std::string seenPath;
    Play([&](HWND dialog, int) {
        seenPath = ProfileFilePath;
        sim::Click(dialog, IDOK);
    });
    Run("\"" + path + "\" /ies");

    EXPECT_EQ(path, seenPath);
    EXPECT_EQ(saved, Dump(ieoetest::kSettings));
    ASSERT_EQ((std::vector<int>{IDD_IEOE}), Templates()) << "no main window";
    EXPECT_EQ(nullptr, Dialogs()[0].owner);
    EXPECT_EQ(0, Dialogs()[0].param);
    std::vector<sim::MessageBoxCall> boxes = Boxes();
    ASSERT_EQ(2u, boxes.size());
    ExpectBox(boxes[0], kIeOeQuestion, kIeOeLoadTitle, MB_OKCANCEL | MB_ICONQUESTION);
    ExpectBox(boxes[1], kDone, kIeOeLoadTitle, MB_ICONINFORMATION);
    EXPECT_TRUE(ListFiles(WorkDirectory).empty());
}

TEST_F(CommandLineModeTest, IpsFileIsLoadedThenTheRestartIsOffered) {
    const std::string path = Dir() + "lan.ips";
    SaveProfile(TcpipSaveDialogProc, IDD_TCPIP, path);
    const std::string lan = std::string(kInterfaces) + "\\" + kLanGuid;
    const RegTree saved = DumpMachineTree(lan);
    PutMachineTree(lan, TcpipParameters("172.16.0.9", "172.16.0.1"));
    PlayOk();
    PlayRestartPrompt(IDC_SHUTDOWN);
    Run(path + " /ips");

    EXPECT_EQ(saved, DumpMachineTree(lan));

    ASSERT_EQ((std::vector<int>{IDD_TCPIP, IDD_RESTART}), Templates());
    EXPECT_EQ(nullptr, Dialogs()[0].owner);
    EXPECT_EQ(IDOK, Dialogs()[0].result);
    EXPECT_EQ(nullptr, Dialogs()[1].owner);
    std::vector<sim::MessageBoxCall> boxes = Boxes();
    ASSERT_EQ(2u, boxes.size());
    ExpectBox(boxes[0], kTcpipQuestion, kTcpipLoadTitle, MB_OKCANCEL | MB_ICONQUESTION);
    ExpectBox(boxes[1], kDone, kTcpipLoadTitle, MB_ICONINFORMATION);
    EXPECT_EQ((std::vector<UINT>{EWX_SHUTDOWN}), sim::ExitWindowsCalls());
    EXPECT_TRUE(ListFiles(WorkDirectory).empty());
}

// Each of these gives the association message alone, without caption.
TEST_F(CommandLineModeTest, CommandLineWithoutASwitchNeedsTheAssociation) {
    for (const char* arguments : {"C:\\a.ies", "\"C:\\My Files\\a.ies /ies", "x /IES", "/ies", "C:\\a.ies /ipx"}) {
        LeaveMarker();
        size_t before = sim::MessageBoxes().size();
        Run(arguments);
        ASSERT_EQ(before + 1, sim::MessageBoxes().size()) << arguments;
        const sim::MessageBoxCall& box = sim::MessageBoxes().back();
        EXPECT_EQ(nullptr, box.owner);
        EXPECT_EQ(kNeedsAssociation, box.text);
        EXPECT_TRUE(box.captionNull);
        EXPECT_EQ(static_cast<UINT>(MB_ICONINFORMATION), box.style);
        EXPECT_FALSE(MarkerStays()) << arguments;
    }
    EXPECT_TRUE(sim::Dialogs().empty());
}

class CommandLineQuestionTest : public CommandLineModeTest, public ::testing::WithParamInterface<const char*> {};

// Cancel at the question: no dialog, but the work directory is emptied.
TEST_P(CommandLineQuestionTest, CancelAtTheQuestionStillEmptiesTheWorkDirectory) {
    LeaveMarker();
    sim::QueueMessageBoxAnswer(IDCANCEL);
    Run(GetParam());
    EXPECT_EQ(1u, sim::MessageBoxes().size());
    EXPECT_TRUE(sim::Dialogs().empty());
    EXPECT_FALSE(MarkerStays());
}

INSTANTIATE_TEST_SUITE_P(BothSwitches, CommandLineQuestionTest,
                         ::testing::Values("C:\\a.ies /ies", "C:\\a.ips /ips"));

// A load dialog that ends with 2 (here: the file is missing) shows no
// completion box and, for TCP/IP, no restart prompt.
TEST_F(CommandLineModeTest, LoadThatFailsShowsOnlyTheDialogsReport) {
    const RegTree live = DumpMachineTree(std::string(kInterfaces) + "\\" + kLanGuid);
    Run(Dir() + "missing.ips /ips");
    ASSERT_EQ((std::vector<int>{IDD_TCPIP}), Templates());
    EXPECT_EQ(IDCANCEL, Dialogs()[0].result);
    EXPECT_TRUE(BoxesCaptioned(kTcpipLoadTitle).size() == 1) << "the question, no completion";
    EXPECT_TRUE(sim::ExitWindowsCalls().empty());
    EXPECT_EQ(live, DumpMachineTree(std::string(kInterfaces) + "\\" + kLanGuid));
    EXPECT_TRUE(ListFiles(WorkDirectory).empty());
}

TEST_F(CommandLineModeTest, LoadCancelledByTheUserShowsNothingMore) {
    const std::string path = Dir() + "saved.ies";
    SaveProfile(IeOeSaveDialogProc, IDD_IEOE, path);
    PlayCancel();
    Run(path + " /ies");
    ASSERT_EQ((std::vector<int>{IDD_IEOE}), Templates());
    EXPECT_EQ(1u, Boxes().size());
    EXPECT_TRUE(ListFiles(WorkDirectory).empty());
}

// Started with arguments, the program runs this mode inside its work area
// and never the main window; shut-down then leaves nothing behind.
TEST_F(CommandLineModeTest, ProgramWithArgumentsRunsThisMode) {
    const std::string path = Dir() + "saved.ies";
    SaveProfile(IeOeSaveDialogProc, IDD_IEOE, path);
    const std::string temp = Dir() + "Temp\\";
    ASSERT_TRUE(CreateDirectoryA(temp.c_str(), nullptr));
    sim::SetTempPath(temp);
    PlayOk();
    Flush();
    std::string arguments = "\"" + path + "\" /ies";
    EXPECT_EQ(0, RunProgram(GetModuleHandleA(nullptr), &arguments[0]));

    EXPECT_EQ((std::vector<int>{IDD_IEOE}), Templates());
    EXPECT_EQ(IDOK, Dialogs()[0].result);
    ASSERT_EQ(2u, Boxes().size());
    EXPECT_EQ(kDone, Boxes()[1].text);
    EXPECT_STREQ((temp + "Morvik\\brv\\").c_str(), WorkDirectory);
    EXPECT_EQ(INVALID_FILE_ATTRIBUTES, GetFileAttributesA((temp + "Morvik").c_str()));
}

}  // namespace
