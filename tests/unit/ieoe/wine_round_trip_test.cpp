// One save -> change -> load round trip through the real dialog manager
// (Wine): template 112 from the program's resources, OK pressed by a helper
// thread that finds each dialog by its caption. The real registry holds the
// identities and Internet Settings of the throwaway prefix.
#include <gtest/gtest.h>

#include <atomic>
#include <string>
#include <thread>

#include "ieoe/ieoe_group.h"
#include "resources/resource.h"
#include "tests/unit/ieoe/ieoe_test_util.h"

namespace {

using ieoetest::Accounts;
using ieoetest::kSettings;
using ieoetest::MailAccount;
using ieoetest::Remove;

constexpr char kGuid[] = "{5D000000-0000-0000-0000-000000000000}";

// Runs the dialog and presses OK in it once it is on the screen.
INT_PTR RunPressingOk(DLGPROC proc, const char* caption) {
    std::atomic<bool> done{false};
    std::thread presser([&] {
        for (int i = 0; i < 400 && !done; ++i) {
            HWND dialog = FindWindowA("#32770", caption);
            if (dialog) {
                PostMessageA(dialog, WM_COMMAND, IDOK, 0);
                return;
            }
            Sleep(50);
        }
    });
    INT_PTR result = DialogBoxParamA(GetModuleHandleA(nullptr), MAKEINTRESOURCEA(IDD_IEOE), nullptr, proc, 0);
    done = true;
    presser.join();
    return result;
}

class WineRoundTripTest : public IeOeTest {};

TEST_F(WineRoundTripTest, SaveChangeLoadGivesTheSavedSettingsBack) {
    RegTree accounts = MailAccount("Taro mail", "pop.example.jp");
    PutIdentity(kGuid, "Taro", &accounts);
    Put(kSettings, ieoetest::InternetSettings("proxy.example.jp:8080", "machine"));
    const RegTree savedAccounts = Dump(Accounts(kGuid));
    const RegTree savedSettings = Dump(kSettings);

    ASSERT_EQ(1, RunPressingOk(IeOeSaveDialogProc, "現行のIE/OEの設定をファイルにセーブ"));
    ASSERT_TRUE(FileExists(ProfileFilePath));
    ASSERT_TRUE(ClearWorkDirectory(WorkDirectory));

    Remove(Accounts(kGuid));
    Put(Accounts(kGuid), MailAccount("changed", "pop.changed"));
    RegTree extra;
    extra.values = {{"OnlyLive", REG_DWORD, ieoetest::Dword(9)}};
    Put(kSettings, extra);

    ASSERT_EQ(1, RunPressingOk(IeOeLoadDialogProc, "現行のIE/OEの設定をファイルにロード"));
    EXPECT_TRUE(savedAccounts == Dump(Accounts(kGuid)));
    EXPECT_TRUE(savedSettings == Dump(kSettings)) << "5.0 is the machine's own, which did not change";
}

}  // namespace
