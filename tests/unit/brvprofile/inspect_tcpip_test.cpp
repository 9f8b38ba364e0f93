// show and check on .ips files made by the TCP/IP save dialog.
#include <gtest/gtest.h>

#include <string>

#include "resources/resource.h"
#include "tcpip/tcpip_group.h"
#include "tests/unit/brvprofile/tool_test_util.h"
#include "tests/unit/tcpip/tcpip_test_util.h"

namespace {

using tooltest::Outcome;
using tooltest::RunTool;

class InspectTcpipTest : public TcpipTest {
protected:
    void SaveWithDialog(std::function<void(HWND)> before) {
        sim::QueueDialogScript([before](HWND dialog, int) {
            before(dialog);
            sim::Click(dialog, IDOK);
        });
        ASSERT_EQ(1, DialogBoxParamA(nullptr, MAKEINTRESOURCEA(IDD_TCPIP), nullptr, TcpipSaveDialogProc, 0));
        ASSERT_TRUE(ClearWorkDirectory(WorkDirectory));
    }
    static bool Has(const std::string& text, const std::string& part) { return text.find(part) != std::string::npos; }
};

TEST_F(InspectTcpipTest, ShowAndCheckWhatTheSaveDialogWrote) {
    PutAdapter(tcpiptest::kGuidEthernet, "ローカル エリア接続", tcpiptest::StaticInterface("192.168.10.20", "192.168.10.1"));
    PutAdapter(tcpiptest::kGuidWifi, "Wi-Fi", tcpiptest::DhcpInterface("192.168.0.5"));
    SaveWithDialog([](HWND dialog) { sim::Type(dialog, IDC_COMMENT, "本社3階"); });

    const Outcome shown = RunTool({"show", ProfileFilePath, "--tree"});
    EXPECT_EQ(kExitDone, shown.code);
    EXPECT_TRUE(Has(shown.out, "種類: TCP/IP\n保存元コンピュータ名: TESTPC\n保存者コメント: 本社3階\n"
                               "ネットワークの項目: 2\n"
                               "  レコード 0: \"Wi-Fi\" スナップショット tcpip.0\n"
                               "  レコード 1: \"ローカル エリア接続\" スナップショット tcpip.1\n"))
        << shown.out;
    const std::string interfaces = "[HKEY_LOCAL_MACHINE\\SYSTEM\\CurrentControlSet\\Services\\Tcpip\\Parameters\\Interfaces\\";
    EXPECT_TRUE(Has(shown.out, interfaces + "ローカル エリア接続]\n")) << shown.out;
    EXPECT_TRUE(Has(shown.out, "\"IPAddress\"=hex(7):31,39,32,2e,31,36,38,2e,31,30,2e,32,30,00,00\n")) << shown.out;
    EXPECT_TRUE(Has(shown.out, "\"NameServer\"=\"192.168.10.1,8.8.8.8\"\n")) << shown.out;
    EXPECT_TRUE(Has(shown.out, interfaces + "Wi-Fi\\4d6f62696c65]\n")) << shown.out;

    EXPECT_EQ(kExitDone, RunTool({"check", ProfileFilePath}).code);
    EXPECT_TRUE(sim::MessageBoxes().empty());
}

TEST_F(InspectTcpipTest, AnIesIsNoIpsAndAnIpsWithoutEntriesHasNoIndex) {
    PutAdapter(tcpiptest::kGuidEthernet, "LAN", tcpiptest::StaticInterface("10.0.0.2", "10.0.0.1"));
    SaveWithDialog([](HWND dialog) { SendDlgItemMessageA(dialog, IDC_ENTRY_LIST, LB_SETSEL, FALSE, -1); });
    EXPECT_EQ(kExitRefused, RunTool({"check", ProfileFilePath}).code);
    ASSERT_EQ(1u, sim::MessageBoxes().size());
    EXPECT_TRUE(snaptest::IsSystemErrorBox(sim::MessageBoxes()[0], "テンポラリファイル\"" + std::string(WorkDirectory) +
                                                                       "tcpip\"に読み込みアクセスを適用できません。"));

    // The same archive named .ies is read as an IE/OE file: its header refuses it.
    const std::string ies = Dir() + "renamed.ies";
    WriteBytes(ies, ReadBytes(ProfileFilePath));
    lstrcpyA(ProfileFilePath, ies.c_str());
    EXPECT_EQ(kExitRefused, RunTool({"check", ProfileFilePath}).code);
    ASSERT_EQ(2u, sim::MessageBoxes().size());
    EXPECT_TRUE(snaptest::IsInformationBox(sim::MessageBoxes()[1], "バージョンが一致しません。"));
}

}  // namespace
