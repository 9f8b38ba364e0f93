// The two adapter callbacks inside a real dialog 111, on the simulation and
// under Wine: list mode fills list 1007 (on load, the index reading does), match mode saves or applies only
// the connection an entry stands for, and the snapshot numbers follow the
// records.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "snapshot/registry_snapshot.h"
#include "snapshot/settings_dialog.h"
#include "tcpip/adapter_snapshots.h"
#include "tcpip/adapters.h"
#include "tests/unit/tcpip/tcpip_test_util.h"

namespace {

using tcpiptest::DhcpInterface;
using tcpiptest::InDialog;
using tcpiptest::InterfacesPath;
using tcpiptest::kGuidEthernet;
using tcpiptest::kGuidLocal2;
using tcpiptest::kGuidWifi;
using tcpiptest::StaticInterface;
using Strings = std::vector<std::string>;

Strings Entries(HWND dialog) {
    Strings names;
    const LRESULT count = SendDlgItemMessageA(dialog, IDC_ENTRY_LIST, LB_GETCOUNT, 0, 0);
    for (LRESULT i = 0; i < count; ++i) {
        char buffer[256] = "";
        SendDlgItemMessageA(dialog, IDC_ENTRY_LIST, LB_GETTEXT, i, reinterpret_cast<LPARAM>(buffer));
        names.push_back(buffer);
    }
    return names;
}

class AdapterCallbackTest : public TcpipTest {
protected:
    void Machine() {
        PutAdapter(kGuidLocal2, "ローカル エリア接続 2", StaticInterface("10.0.0.5", "10.0.0.1"));
        PutAdapter(kGuidEthernet, "イーサネット", StaticInterface("192.168.10.21", "192.168.10.1"));
        PutAdapter(kGuidWifi, "Wi-Fi", DhcpInterface("192.168.0.7"));
        PutOtherSubkeys();
    }
    std::string Work(const std::string& name) const { return std::string(WorkDirectory) + name; }
    // Loads the snapshot file `name` into a scratch key and dumps it.
    RegTree SnapshotTree(const std::string& name) {
        DeleteKeyTree(HKEY_LOCAL_MACHINE, InterfacesPath("{scratch}"));
        Put(InterfacesPath("{scratch}"), RegTree{});
        HKEY key = nullptr;
        EXPECT_EQ(ERROR_SUCCESS, RegOpenKeyExA(HKEY_LOCAL_MACHINE, InterfacesPath("{scratch}").c_str(), 0,
                                               KEY_ALL_ACCESS, &key));
        EXPECT_EQ(1, LoadRegistryTree(nullptr, key, name.c_str(), WorkDirectory));
        RegCloseKey(key);
        RegTree tree = Dump(InterfacesPath("{scratch}"));
        DeleteKeyTree(HKEY_LOCAL_MACHINE, InterfacesPath("{scratch}"));
        return tree;
    }
};

TEST_F(AdapterCallbackTest, ListModeAddsEveryConnectionOnceSorted) {
    Machine();
    InDialog([](HWND dialog) {
        EXPECT_EQ(1, EnumAdapters(SaveAdapter, dialog, WorkDirectory, -1));
        EXPECT_EQ((Strings{"Wi-Fi", "イーサネット", "ローカル エリア接続 2"}), Entries(dialog));
    });
    EXPECT_FALSE(FileExists(Work("tcpip"))) << "list mode writes nothing";
}

TEST_F(AdapterCallbackTest, MatchModeSavesOnlyTheEntrysConnectionNumberedByTheRecords) {
    Machine();
    const RegTree ethernet = Dump(InterfacesPath(kGuidEthernet));
    const RegTree local2 = Dump(InterfacesPath(kGuidLocal2));
    InDialog([](HWND dialog) {
        ASSERT_EQ(1, EnumAdapters(SaveAdapter, dialog, WorkDirectory, -1));
        // Position 2 first, then position 1: the numbers follow the records.
        EXPECT_EQ(1, EnumAdapters(SaveAdapter, dialog, WorkDirectory, 2));
        EXPECT_EQ(1, EnumAdapters(SaveAdapter, dialog, WorkDirectory, 1));
    });
    EXPECT_EQ(std::string("ローカル エリア接続 2\0\0イーサネット\0\0", 23 + 14), ReadBytes(Work("tcpip")));
    EXPECT_EQ(local2, SnapshotTree("tcpip.0"));
    EXPECT_EQ(ethernet, SnapshotTree("tcpip.1"));
    EXPECT_FALSE(FileExists(Work("tcpip.2")));
}

TEST_F(AdapterCallbackTest, PositionThatDoesNotExistStopsAtTheFirstConnection) {
    Machine();
    InDialog([](HWND dialog) {
        ASSERT_EQ(1, EnumAdapters(SaveAdapter, dialog, WorkDirectory, -1));
        EXPECT_EQ(-1, EnumAdapters(SaveAdapter, dialog, WorkDirectory, 3));
        EXPECT_EQ(-1, EnumAdapters(ApplyAdapter, dialog, WorkDirectory, 3));
    });
    EXPECT_FALSE(FileExists(Work("tcpip")));
}

TEST_F(AdapterCallbackTest, ApplyReplacesTheTreeOfTheConnectionOfThatName) {
    Machine();
    const RegTree wifi = Dump(InterfacesPath(kGuidWifi));
    const RegTree ethernet = Dump(InterfacesPath(kGuidEthernet));
    InDialog([](HWND dialog) {
        ASSERT_EQ(1, EnumAdapters(SaveAdapter, dialog, WorkDirectory, -1));
        ASSERT_EQ(1, EnumAdapters(SaveAdapter, dialog, WorkDirectory, 0));
    });
    // Wi-Fi's parameters change, and a key of the saved tree is gone.
    DeleteKeyTree(HKEY_LOCAL_MACHINE, InterfacesPath(kGuidWifi));
    Put(InterfacesPath(kGuidWifi), StaticInterface("172.16.0.2", "172.16.0.1"));
    InDialog([](HWND dialog) {
        ASSERT_TRUE(FillEntryListFromIndex(dialog, IDC_ENTRY_LIST, kTcpipIndexName));
        EXPECT_EQ((Strings{"Wi-Fi"}), Entries(dialog));
        EXPECT_EQ(-1, EnumAdapters(ApplyAdapter, dialog, WorkDirectory, 0));
    });
    EXPECT_EQ(wifi, Dump(InterfacesPath(kGuidWifi)));
    EXPECT_EQ(ethernet, Dump(InterfacesPath(kGuidEthernet)));
}

TEST_F(AdapterCallbackTest, ApplyCreatesAnInterfacesKeyThatDoesNotExistYet) {
    Machine();
    const RegTree ethernet = Dump(InterfacesPath(kGuidEthernet));
    InDialog([](HWND dialog) {
        ASSERT_EQ(1, EnumAdapters(SaveAdapter, dialog, WorkDirectory, -1));
        ASSERT_EQ(1, EnumAdapters(SaveAdapter, dialog, WorkDirectory, 1));
    });
    DeleteKeyTree(HKEY_LOCAL_MACHINE, InterfacesPath(kGuidEthernet));
    InDialog([](HWND dialog) {
        ASSERT_TRUE(FillEntryListFromIndex(dialog, IDC_ENTRY_LIST, kTcpipIndexName));
        EXPECT_EQ(-1, EnumAdapters(ApplyAdapter, dialog, WorkDirectory, 0));
    });
    EXPECT_EQ(ethernet, Dump(InterfacesPath(kGuidEthernet)));
}

TEST_F(AdapterCallbackTest, SavedNameWithoutLiveConnectionIsAWalkOfOne) {
    Machine();
    WriteBytes(Work("tcpip"), std::string("LAN1\0\0Wi-Fi\0\0", 13));
    const RegTree wifi = Dump(InterfacesPath(kGuidWifi));
    InDialog([](HWND dialog) {
        ASSERT_TRUE(FillEntryListFromIndex(dialog, IDC_ENTRY_LIST, kTcpipIndexName));
        EXPECT_EQ((Strings{"LAN1", "Wi-Fi"}), Entries(dialog));
        EXPECT_EQ(1, EnumAdapters(ApplyAdapter, dialog, WorkDirectory, 0));
    });
    EXPECT_EQ(wifi, Dump(InterfacesPath(kGuidWifi)));
}

}  // namespace
