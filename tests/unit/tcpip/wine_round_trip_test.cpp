// One save -> change -> load round trip through the real dialog manager
// (Wine): template 111 from the program's resources, played by the user of
// dialog_user.h. The real registry of the throwaway prefix holds the
// adapters and their TCP/IP parameters.
#include <gtest/gtest.h>

#include <string>

#include "tcpip/tcpip_group.h"
#include "tests/unit/app/dialog_user.h"
#include "tests/unit/tcpip/tcpip_test_util.h"

namespace {

using tcpiptest::InterfacesPath;
using tcpiptest::kGuidEthernet;
using tcpiptest::kGuidWifi;

std::string Text(HWND dialog, int id) {
    char buffer[1024] = "";
    GetDlgItemTextA(dialog, id, buffer, sizeof buffer);
    return buffer;
}

std::string ComputerName() {
    char name[16] = "";
    DWORD size = sizeof name;
    EXPECT_TRUE(GetComputerNameA(name, &size));
    return name;
}

INT_PTR RunDialog(DLGPROC proc) {
    return DialogBoxParamA(GetModuleHandleA(nullptr), MAKEINTRESOURCEA(IDD_TCPIP), nullptr, proc, 0);
}

class TcpipWineRoundTripTest : public TcpipTest {};

TEST_F(TcpipWineRoundTripTest, SaveChangeLoadGivesTheSavedParametersBack) {
    PutAdapter(kGuidEthernet, "イーサネット", tcpiptest::StaticInterface("192.168.10.21", "192.168.10.1"));
    PutAdapter(kGuidWifi, "Wi-Fi", tcpiptest::DhcpInterface("192.168.0.7"));
    PutOtherSubkeys();
    const RegTree ethernet = Dump(InterfacesPath(kGuidEthernet));
    const RegTree wifi = Dump(InterfacesPath(kGuidWifi));

    user::PlayDialog(IDC_ENTRY_LIST, [](HWND dialog) {
        EXPECT_EQ(2, SendDlgItemMessageA(dialog, IDC_ENTRY_LIST, LB_GETSELCOUNT, 0, 0));
        SetDlgItemTextA(dialog, IDC_COMMENT, "自宅のPC");
        user::Press(dialog, IDOK);
    });
    ASSERT_EQ(1, RunDialog(TcpipSaveDialogProc));
    user::Finish();
    ASSERT_TRUE(FileExists(ProfileFilePath));
    ASSERT_TRUE(ClearWorkDirectory(WorkDirectory));

    DeleteKeyTree(HKEY_LOCAL_MACHINE, InterfacesPath(kGuidEthernet));
    Put(InterfacesPath(kGuidEthernet), tcpiptest::DhcpInterface("10.9.9.9"));
    DeleteKeyTree(HKEY_LOCAL_MACHINE, InterfacesPath(kGuidWifi));

    user::PlayDialog(IDC_ENTRY_LIST, [](HWND dialog) {
        char caption[256] = "";
        GetWindowTextA(dialog, caption, sizeof caption);
        EXPECT_STREQ("現行のTCP/IPの設定をファイルにロード", caption);
        EXPECT_EQ(ComputerName(), Text(dialog, IDC_SOURCE_NAME));
        EXPECT_EQ("自宅のPC", Text(dialog, IDC_COMMENT));
        EXPECT_EQ(2, SendDlgItemMessageA(dialog, IDC_ENTRY_LIST, LB_GETCOUNT, 0, 0));
        user::Press(dialog, IDOK);
    });
    ASSERT_EQ(1, RunDialog(TcpipLoadDialogProc));
    user::Finish();
    EXPECT_EQ(ethernet, Dump(InterfacesPath(kGuidEthernet)));
    EXPECT_EQ(wifi, Dump(InterfacesPath(kGuidWifi))) << "an Interfaces key that was gone is created";
}

}  // namespace
