// The main window played by the scripted user: the window each Windows family
// gets, every row of the flow table with its question, file dialog, dialog
// and completion box, the cancels that touch nothing, the load that ends
// without completion, the restart prompt after a TCP/IP load, and the
// association button.
#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

#include "app/main_window.h"
#include "app/modes.h"
#include "flow_test_util.h"
#include "ieoe/ieoe_group.h"
#include "tcpip/tcpip_group.h"

namespace {

using namespace flowtest;

class MainWindowTest : public ShellFlowTest {
protected:
    // Runs window mode; `play` is the user in the main window, who leaves it
    // by its close box (the simulation closes a window its script left open).
    void RunMain(std::function<void(HWND)> play) {
        sim::QueueDialogScript([this, play](HWND window, int) {
            main_ = window;
            play(window);
        });
        Flush();
        sim::ForgetCallCounts();
        RunWindowMode(GetModuleHandleA(nullptr));
    }
    // Saves a profile file through a flow dialog of its own, as a user did earlier.
    void SaveProfile(DLGPROC proc, int templateId, const std::string& path) {
        lstrcpynA(ProfileFilePath, path.c_str(), kProfileFilePathSize);
        PlayOk();
        Flush();
        ASSERT_EQ(IDOK, DialogBoxParamA(GetModuleHandleA(nullptr), MAKEINTRESOURCEA(templateId), nullptr, proc, 0));
        ASSERT_TRUE(ClearWorkDirectory(WorkDirectory));
        ProfileFilePath[0] = '\0';
        sim::ForgetCallCounts();
        Forget();
    }
    // Drops what the preparation recorded, so that the checks see the flow only.
    void Forget() {
        forgetBoxes_ = sim::MessageBoxes().size();
        forgetDialogs_ = sim::Dialogs().size();
        forgetFiles_ = sim::FileDialogs().size();
    }
    std::vector<sim::MessageBoxCall> Boxes() const {
        return {sim::MessageBoxes().begin() + forgetBoxes_, sim::MessageBoxes().end()};
    }
    std::vector<sim::DialogCall> Dialogs() const {
        return {sim::Dialogs().begin() + forgetDialogs_, sim::Dialogs().end()};
    }
    std::vector<sim::FileDialogCall> FileDialogs() const {
        return {sim::FileDialogs().begin() + forgetFiles_, sim::FileDialogs().end()};
    }
    std::vector<int> Templates() const {
        std::vector<int> ids;
        for (const sim::DialogCall& call : Dialogs()) ids.push_back(call.templateId);
        return ids;
    }

    HWND main_ = nullptr;
    size_t forgetBoxes_ = 0, forgetDialogs_ = 0, forgetFiles_ = 0;
};

// ---- the window ---------------------------------------------------------------

TEST_F(MainWindowTest, NtFamilyGetsBothGroupsUntilTheCloseBox) {
    RunMain([](HWND window) {
        CHAR caption[64] = "";
        GetWindowTextA(window, caption, sizeof caption);
        EXPECT_STREQ("Brelvane 2.4.1.8", caption);
        for (int id : {IDC_IEOE_SAVE, IDC_IEOE_LOAD, IDC_TCPIP_SAVE, IDC_TCPIP_LOAD, IDC_ASSOCIATE})
            EXPECT_NE(nullptr, GetDlgItem(window, id)) << id;
        sim::Click(window, IDCANCEL);
        EXPECT_TRUE(sim::DialogEnded(window));
    });
    ASSERT_EQ(1u, Dialogs().size());
    EXPECT_EQ(IDD_MAIN_NT, Dialogs()[0].templateId);
    EXPECT_EQ(nullptr, Dialogs()[0].owner);
    EXPECT_EQ(0, Dialogs()[0].param);
    EXPECT_EQ(IDCANCEL, Dialogs()[0].result);
    EXPECT_TRUE(Boxes().empty());
    EXPECT_TRUE(FileDialogs().empty());
}

TEST_F(MainWindowTest, Windows95FamilyGetsTheIeOeGroupOnly) {
    sim::SetVersion(VER_PLATFORM_WIN32_WINDOWS, 4, 10);
    RunMain([](HWND window) {
        EXPECT_NE(nullptr, GetDlgItem(window, IDC_IEOE_SAVE));
        EXPECT_NE(nullptr, GetDlgItem(window, IDC_ASSOCIATE));
        EXPECT_EQ(nullptr, GetDlgItem(window, IDC_TCPIP_SAVE));
        EXPECT_EQ(nullptr, GetDlgItem(window, IDC_TCPIP_LOAD));
    });
    ASSERT_EQ(1u, Dialogs().size());
    EXPECT_EQ(IDD_MAIN_95, Dialogs()[0].templateId);
}

// Enter presses no button of ours (there is no OK): the dialog manager's
// default handling, and the window stays.
TEST_F(MainWindowTest, CommandsOfNoButtonAreLeftToTheDialogManager) {
    RunMain([](HWND window) {
        EXPECT_FALSE(MainDialogProc(window, WM_COMMAND, IDOK, 0));
        EXPECT_FALSE(MainDialogProc(window, WM_INITDIALOG, 0, 0));
        EXPECT_FALSE(sim::DialogEnded(window));
    });
    EXPECT_EQ(1u, Dialogs().size());
    EXPECT_TRUE(Boxes().empty());
}

// ---- the flow table ------------------------------------------------------------

struct FlowRow {
    const char* name;
    int button;
    const char* title;
    const char* question;  // nullptr: none
    bool save;
    std::string filter;
    DWORD flags;
    const char* defExt;
    int dialogTemplate;
    const char* fileName;  // the file the user picks
};

const std::string kIeOeFilter("IE/OE設定用ファイル(*.ies)\0*.ies\0すべてのファイル(*.*)\0*.*\0\0",
                              sizeof "IE/OE設定用ファイル(*.ies)\0*.ies\0すべてのファイル(*.*)\0*.*\0\0" - 1);
const std::string kTcpipFilter("TCP/IP設定用ファイル(*.ips)\0*.ips\0すべてのファイル\0*.*\0\0",
                               sizeof "TCP/IP設定用ファイル(*.ips)\0*.ips\0すべてのファイル\0*.*\0\0" - 1);

const FlowRow kRows[] = {
    {"IeOeSave", IDC_IEOE_SAVE, kIeOeSaveTitle, kIeOeQuestion, true, kIeOeFilter, OFN_OVERWRITEPROMPT, "ies",
     IDD_IEOE, "new.ies"},
    {"IeOeLoad", IDC_IEOE_LOAD, kIeOeLoadTitle, kIeOeQuestion, false, kIeOeFilter, 0x1004, "ies", IDD_IEOE,
     "old.ies"},
    {"TcpipSave", IDC_TCPIP_SAVE, kTcpipSaveTitle, nullptr, true, kTcpipFilter, OFN_OVERWRITEPROMPT, "ips",
     IDD_TCPIP, "new.ips"},
    {"TcpipLoad", IDC_TCPIP_LOAD, kTcpipLoadTitle, kTcpipQuestion, false, kTcpipFilter, 0x1004, "ips", IDD_TCPIP,
     "old.ips"},
};

class FlowRowTest : public MainWindowTest, public ::testing::WithParamInterface<FlowRow> {
protected:
    // A profile file of each kind to load, saved before the flow.
    void SaveProfiles() {
        SaveProfile(IeOeSaveDialogProc, IDD_IEOE, Dir() + "old.ies");
        SaveProfile(TcpipSaveDialogProc, IDD_TCPIP, Dir() + "old.ips");
    }
};

// The user answers OK, picks the file, and cancels the flow's dialog: what
// each step was given, and the clean-up after a dialog that ended with 2.
TEST_P(FlowRowTest, StepsTakeTheValuesOfTheirRow) {
    const FlowRow& row = GetParam();
    Machine();
    SaveProfiles();
    LeaveMarker();
    sim::QueueFileDialogAnswer(Dir() + row.fileName);
    PlayCancel();
    RunMain([&](HWND window) { sim::Click(window, row.button); });

    std::vector<sim::MessageBoxCall> boxes = Boxes();
    if (row.question) {
        ASSERT_EQ(1u, boxes.size());
        EXPECT_EQ(main_, boxes[0].owner);
        EXPECT_EQ(row.question, boxes[0].text);
        EXPECT_EQ(row.title, boxes[0].caption);
        EXPECT_EQ(static_cast<UINT>(MB_OKCANCEL | MB_ICONQUESTION), boxes[0].style);
    } else {
        EXPECT_TRUE(boxes.empty()) << boxes[0].text;
    }

    std::vector<sim::FileDialogCall> files = FileDialogs();
    ASSERT_EQ(1u, files.size());
    const sim::FileDialogCall& file = files[0];
    EXPECT_EQ(row.save, file.save);
    EXPECT_EQ(static_cast<DWORD>(OPENFILENAME_SIZE_VERSION_400A), file.ofn.lStructSize);
    EXPECT_EQ(main_, file.ofn.hwndOwner);
    EXPECT_EQ(row.filter, file.filter);
    EXPECT_EQ(0u, file.ofn.nFilterIndex);
    EXPECT_EQ(nullptr, file.ofn.lpstrCustomFilter);
    EXPECT_EQ(ProfileFilePath, file.ofn.lpstrFile);
    EXPECT_EQ(260u, file.ofn.nMaxFile);
    EXPECT_EQ(nullptr, file.ofn.lpstrFileTitle);
    EXPECT_EQ(nullptr, file.ofn.lpstrInitialDir);
    EXPECT_EQ(row.title, file.title);
    EXPECT_EQ(row.flags, file.ofn.Flags);
    EXPECT_EQ(row.defExt, file.defExt);
    EXPECT_EQ(nullptr, file.ofn.lpfnHook);

    ASSERT_EQ((std::vector<int>{IDD_MAIN_NT, row.dialogTemplate}), Templates());
    EXPECT_EQ(main_, Dialogs()[1].owner);
    EXPECT_EQ(0, Dialogs()[1].param);
    EXPECT_EQ(IDCANCEL, Dialogs()[1].result);
    EXPECT_FALSE(MarkerStays()) << "the work directory is emptied after the dialog";
    EXPECT_STREQ("", ProfileFilePath);
    EXPECT_FALSE(FileExists(Dir() + "new.ies"));
    EXPECT_FALSE(FileExists(Dir() + "new.ips"));
}

// Cancel in the file dialog: no dialog, no box, the work directory untouched.
TEST_P(FlowRowTest, CancelInTheFileDialogEndsTheFlow) {
    const FlowRow& row = GetParam();
    Machine();
    LeaveMarker();
    sim::QueueFileDialogCancel();
    RunMain([&](HWND window) {
        sim::Click(window, row.button);
        EXPECT_FALSE(sim::DialogEnded(window)) << "back in the main window";
    });
    EXPECT_EQ(1u, FileDialogs().size());
    EXPECT_EQ((std::vector<int>{IDD_MAIN_NT}), Templates());
    EXPECT_EQ(row.question ? 1u : 0u, Boxes().size());
    EXPECT_TRUE(MarkerStays());
    EXPECT_EQ(0, sim::CallCount("FindFirstFileA")) << "ClearWorkDirectory is not run";
    EXPECT_STREQ("", ProfileFilePath);
}

INSTANTIATE_TEST_SUITE_P(EveryFlow, FlowRowTest, ::testing::ValuesIn(kRows),
                         [](const ::testing::TestParamInfo<FlowRow>& info) { return std::string(info.param.name); });

class QuestionTest : public MainWindowTest, public ::testing::WithParamInterface<int> {};

// Anything but OK at the question ends the flow before the file dialog.
TEST_P(QuestionTest, CancelAtTheQuestionEndsTheFlow) {
    Machine();
    LeaveMarker();
    sim::QueueMessageBoxAnswer(IDCANCEL);
    RunMain([](HWND window) { sim::Click(window, GetParam()); });
    EXPECT_EQ(1u, Boxes().size());
    EXPECT_TRUE(FileDialogs().empty());
    EXPECT_EQ((std::vector<int>{IDD_MAIN_NT}), Templates());
    EXPECT_TRUE(MarkerStays());
    EXPECT_EQ(0, sim::CallCount("FindFirstFileA"));
}

INSTANTIATE_TEST_SUITE_P(FlowsThatAsk, QuestionTest, ::testing::Values(IDC_IEOE_SAVE, IDC_IEOE_LOAD, IDC_TCPIP_LOAD));

// ---- whole flows ---------------------------------------------------------------

// Save, change, load, through the main window only: a name typed without
// extension gets ".ies", each flow has its own completion text, and the
// saved settings come back.
TEST_F(MainWindowTest, IeOeSaveThenLoadRestoresTheSettings) {
    Machine();
    const RegTree saved = Dump(ieoetest::kSettings);
    sim::QueueFileDialogAnswer(Dir() + "会社");
    Play([](HWND dialog, int) {
        sim::Type(dialog, IDC_COMMENT, "会社のPC");
        sim::Click(dialog, IDOK);
    });
    sim::QueueFileDialogAnswer(Dir() + "会社.ies");
    Play([](HWND dialog, int) {
        CHAR comment[64] = "";
        GetDlgItemTextA(dialog, IDC_COMMENT, comment, sizeof comment);
        EXPECT_STREQ("会社のPC", comment);
        sim::Click(dialog, IDOK);
    });
    RunMain([this](HWND window) {
        sim::Click(window, IDC_IEOE_SAVE);
        EXPECT_TRUE(FileExists(Dir() + "会社.ies"));
        EXPECT_STREQ("", ProfileFilePath);
        EXPECT_TRUE(ListFiles(WorkDirectory).empty());
        Put(ieoetest::kSettings, ieoetest::InternetSettings("other.example.jp:3128", "machine"));
        sim::Click(window, IDC_IEOE_LOAD);
    });

    EXPECT_EQ(saved, Dump(ieoetest::kSettings));
    EXPECT_EQ((std::vector<int>{IDD_MAIN_NT, IDD_IEOE, IDD_IEOE}), Templates());
    EXPECT_EQ(IDOK, Dialogs()[1].result);
    EXPECT_EQ(IDOK, Dialogs()[2].result);
    std::vector<sim::MessageBoxCall> saveBoxes = BoxesCaptioned(kIeOeSaveTitle);
    ASSERT_EQ(2u, saveBoxes.size());
    EXPECT_EQ(kSaved, saveBoxes[1].text);
    EXPECT_EQ(static_cast<UINT>(MB_ICONINFORMATION), saveBoxes[1].style);
    EXPECT_EQ(main_, saveBoxes[1].owner);
    std::vector<sim::MessageBoxCall> loadBoxes = BoxesCaptioned(kIeOeLoadTitle);
    ASSERT_EQ(2u, loadBoxes.size());
    EXPECT_EQ(kIeOeQuestion, loadBoxes[0].text);
    EXPECT_EQ(kDone, loadBoxes[1].text);
    EXPECT_EQ(static_cast<UINT>(MB_ICONINFORMATION), loadBoxes[1].style);
    EXPECT_EQ(4u, Boxes().size()) << "nothing but the questions and completions";
    EXPECT_TRUE(ListFiles(WorkDirectory).empty());
    EXPECT_STREQ("", ProfileFilePath);
}

// The TCP/IP save asks nothing; the load shows its completion first, then the
// restart prompt owned by the main window; "continue" returns to it.
TEST_F(MainWindowTest, TcpipSaveThenLoadOffersTheRestart) {
    Machine();
    const std::string lan = std::string(kInterfaces) + "\\" + kLanGuid;
    const RegTree saved = DumpMachineTree(lan);
    sim::QueueFileDialogAnswer(Dir() + "lan");
    PlayOk();
    sim::QueueFileDialogAnswer(Dir() + "lan.ips");
    PlayOk();
    size_t boxesBeforePrompt = 0;
    Play([&](HWND dialog, int) {
        boxesBeforePrompt = sim::MessageBoxes().size();
        sim::Click(dialog, IDC_CONTINUE);
    });
    RunMain([&](HWND window) {
        sim::Click(window, IDC_TCPIP_SAVE);
        EXPECT_TRUE(FileExists(Dir() + "lan.ips"));
        PutMachineTree(lan, TcpipParameters("172.16.0.9", "172.16.0.1"));
        sim::Click(window, IDC_TCPIP_LOAD);
        EXPECT_FALSE(sim::DialogEnded(window)) << "back in the main window";
    });

    EXPECT_EQ(saved, DumpMachineTree(lan));
    EXPECT_EQ((std::vector<int>{IDD_MAIN_NT, IDD_TCPIP, IDD_TCPIP, IDD_RESTART}), Templates());
    EXPECT_EQ(main_, Dialogs()[3].owner);
    std::vector<sim::MessageBoxCall> saveBoxes = BoxesCaptioned(kTcpipSaveTitle);
    ASSERT_EQ(1u, saveBoxes.size()) << "no question before the save";
    EXPECT_EQ(kDone, saveBoxes[0].text);
    std::vector<sim::MessageBoxCall> loadBoxes = BoxesCaptioned(kTcpipLoadTitle);
    ASSERT_EQ(2u, loadBoxes.size());
    EXPECT_EQ(kTcpipQuestion, loadBoxes[0].text);
    EXPECT_EQ(kDone, loadBoxes[1].text);
    EXPECT_EQ(sim::MessageBoxes().size(), boxesBeforePrompt) << "the completion box comes before the prompt";
    EXPECT_TRUE(sim::ExitWindowsCalls().empty());
    EXPECT_TRUE(ListFiles(WorkDirectory).empty());
}

TEST_F(MainWindowTest, RestartChosenAfterTheLoadAsksWindowsAndStillCleansUp) {
    Machine();
    SaveProfile(TcpipSaveDialogProc, IDD_TCPIP, Dir() + "lan.ips");
    sim::QueueFileDialogAnswer(Dir() + "lan.ips");
    PlayOk();
    PlayRestartPrompt(IDC_RESTART);
    RunMain([](HWND window) { sim::Click(window, IDC_TCPIP_LOAD); });
    EXPECT_EQ((std::vector<UINT>{EWX_REBOOT}), sim::ExitWindowsCalls());
    EXPECT_TRUE(ListFiles(WorkDirectory).empty());
    EXPECT_STREQ("", ProfileFilePath);
}

// The user cancels the load dialog after it unpacked the file: no completion,
// no restart prompt, and the unpacked files are gone.
TEST_F(MainWindowTest, LoadCancelledInItsDialogShowsNothingMore) {
    Machine();
    SaveProfile(TcpipSaveDialogProc, IDD_TCPIP, Dir() + "lan.ips");
    sim::QueueFileDialogAnswer(Dir() + "lan.ips");
    Play([](HWND dialog, int) {
        EXPECT_FALSE(ListFiles(WorkDirectory).empty()) << "the dialog unpacked the file";
        sim::Click(dialog, IDCANCEL);
    });
    RunMain([](HWND window) { sim::Click(window, IDC_TCPIP_LOAD); });
    EXPECT_EQ((std::vector<int>{IDD_MAIN_NT, IDD_TCPIP}), Templates());
    EXPECT_EQ(1u, BoxesCaptioned(kTcpipLoadTitle).size()) << "the question only";
    EXPECT_TRUE(ListFiles(WorkDirectory).empty());
    EXPECT_STREQ("", ProfileFilePath);
}

// A file that is no profile: the dialog refuses it at set-up and ends with 2;
// its own message is all the user sees after the question.
TEST_F(MainWindowTest, DamagedFileEndsTheLoadWithTheDialogsMessageOnly) {
    Machine();
    const RegTree live = Dump(ieoetest::kSettings);
    WriteBytes(Dir() + "damaged.ies", "this is not an LHA archive at all");
    LeaveMarker();
    sim::QueueFileDialogAnswer(Dir() + "damaged.ies");
    RunMain([](HWND window) { sim::Click(window, IDC_IEOE_LOAD); });
    EXPECT_EQ((std::vector<int>{IDD_MAIN_NT, IDD_IEOE}), Templates());
    EXPECT_EQ(IDCANCEL, Dialogs()[1].result);
    std::vector<sim::MessageBoxCall> boxes = Boxes();
    ASSERT_EQ(2u, boxes.size());
    EXPECT_EQ(kIeOeQuestion, boxes[0].text);
    EXPECT_TRUE(boxes[1].captionNull) << "the dialog's own finding, not a completion: " << boxes[1].text;
    EXPECT_EQ(live, Dump(ieoetest::kSettings));
    EXPECT_FALSE(MarkerStays());
}

// The save dialog fails for a path longer than its buffer and leaves the size
// it wanted there: treated as a cancel, and the next dialog starts empty.
TEST_F(MainWindowTest, FailedFileDialogIsACancelAndLeavesNoBytesBehind) {
    Machine();
    LeaveMarker();
    sim::QueueFileDialogAnswer("C:\\" + std::string(300, 'a') + ".ies");
    sim::QueueFileDialogCancel();
    RunMain([](HWND window) {
        sim::Click(window, IDC_IEOE_SAVE);
        EXPECT_STREQ("", ProfileFilePath);
        sim::Click(window, IDC_IEOE_LOAD);
    });
    ASSERT_EQ(2u, FileDialogs().size());
    EXPECT_EQ((std::vector<int>{IDD_MAIN_NT}), Templates());
    EXPECT_TRUE(MarkerStays());
}

// ---- the association -------------------------------------------------------

TEST_F(MainWindowTest, AssociationButtonRunsItsDialogOwnedByTheWindow) {
    sim::SetModuleFileName("C:\\Program Files\\Brelvane\\brelvane.exe");
    Play([](HWND dialog, int) {
        sim::Click(dialog, IDC_ASSOC_IEOE);
        sim::Click(dialog, IDOK);
    });
    RunMain([](HWND window) {
        sim::Click(window, IDC_ASSOCIATE);
        EXPECT_FALSE(sim::DialogEnded(window));
    });
    ASSERT_EQ((std::vector<int>{IDD_MAIN_NT, IDD_ASSOCIATION}), Templates());
    EXPECT_EQ(main_, Dialogs()[1].owner);
    EXPECT_EQ(0, Dialogs()[1].param);
    EXPECT_TRUE(sim::RegHasKey("HKEY_CLASSES_ROOT\\.ies"));
    EXPECT_FALSE(sim::RegHasKey("HKEY_CLASSES_ROOT\\.ips"));
    EXPECT_TRUE(Boxes().empty());
}

// On the Windows 95 family the TCP/IP box cannot be changed, but a
// registration it shows is rewritten with the program's path all the same.
TEST_F(MainWindowTest, Windows95AssociationKeepsTheTcpipTypeItCannotChange) {
    sim::SetVersion(VER_PLATFORM_WIN32_WINDOWS, 4, 10);
    sim::SetModuleFileName("C:\\Brelvane\\brelvane.exe");
    sim::RegPutKey("HKEY_CLASSES_ROOT\\Morvik.InternetProtocolSettings");
    sim::RegPut("HKEY_CLASSES_ROOT\\.ips", "", REG_SZ, ieoetest::Sz("Morvik.InternetProtocolSettings"));
    Play([](HWND dialog, int) {
        EXPECT_FALSE(IsWindowEnabled(GetDlgItem(dialog, IDC_ASSOC_TCPIP)));
        EXPECT_EQ(static_cast<UINT>(BST_CHECKED), IsDlgButtonChecked(dialog, IDC_ASSOC_TCPIP));
        sim::Click(dialog, IDC_ASSOC_TCPIP);  // ignored: the box is disabled
        sim::Click(dialog, IDOK);
    });
    RunMain([](HWND window) { sim::Click(window, IDC_ASSOCIATE); });
    ASSERT_EQ((std::vector<int>{IDD_MAIN_95, IDD_ASSOCIATION}), Templates());
    EXPECT_EQ(IDOK, Dialogs()[1].result);
    EXPECT_TRUE(sim::RegHasKey("HKEY_CLASSES_ROOT\\.ips"));
    EXPECT_TRUE(sim::RegHasKey("HKEY_CLASSES_ROOT\\Morvik.InternetProtocolSettings\\shell\\open\\command"));
    EXPECT_FALSE(sim::RegHasKey("HKEY_CLASSES_ROOT\\.ies"));
}

}  // namespace
