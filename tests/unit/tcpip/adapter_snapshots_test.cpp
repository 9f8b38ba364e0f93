// The TCP/IP group's entries inside a real dialog 111, on the simulation and
// under Wine: listing fills list 1007, saving or applying reaches only the
// connection an entry stands for, and the snapshot numbers follow the
// records.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "snapshot/registry_snapshot.h"
#include "settings/group_items.h"
#include "tcpip/tcpip_group.h"
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

// The TCP/IP group's entries: saving or applying what entry `item` stands for.
EntryOutcome Save(HWND dialog, int item, int walked = 1) {
    EntryOutcome outcome = kEntryNotTried;
    EXPECT_EQ(walked, SaveEntryItem(kTcpipGroup, dialog, WorkDirectory, item, &outcome));
    return outcome;
}
EntryOutcome Apply(HWND dialog, int item) { return ApplyEntryItem(kTcpipGroup, dialog, WorkDirectory, item); }

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
        EXPECT_TRUE(ListLiveItems(kTcpipGroup, dialog));
        EXPECT_EQ((Strings{"Wi-Fi", "イーサネット", "ローカル エリア接続 2"}), Entries(dialog));
    });
    EXPECT_FALSE(FileExists(Work("tcpip"))) << "list mode writes nothing";
}

TEST_F(AdapterCallbackTest, MatchModeSavesOnlyTheEntrysConnectionNumberedByTheRecords) {
    Machine();
    const RegTree ethernet = Dump(InterfacesPath(kGuidEthernet));
    const RegTree local2 = Dump(InterfacesPath(kGuidLocal2));
    InDialog([](HWND dialog) {
        ASSERT_TRUE(ListLiveItems(kTcpipGroup, dialog));
        // Position 2 first, then position 1: the numbers follow the records.
        EXPECT_EQ(kEntrySaved, Save(dialog, 2));
        EXPECT_EQ(kEntrySaved, Save(dialog, 1));
    });
    EXPECT_EQ(std::string("ローカル エリア接続 2\0\0イーサネット\0\0", 23 + 14), ReadBytes(Work("tcpip")));
    EXPECT_EQ(local2, SnapshotTree("tcpip.0"));
    EXPECT_EQ(ethernet, SnapshotTree("tcpip.1"));
    EXPECT_FALSE(FileExists(Work("tcpip.2")));
}

TEST_F(AdapterCallbackTest, PositionThatDoesNotExistStopsAtTheFirstConnection) {
    Machine();
    InDialog([](HWND dialog) {
        ASSERT_TRUE(ListLiveItems(kTcpipGroup, dialog));
        EXPECT_EQ(kEntryFailed, Save(dialog, 3, -1));
        EXPECT_EQ(kEntryFailed, Apply(dialog, 3));
    });
    EXPECT_FALSE(FileExists(Work("tcpip")));
}

TEST_F(AdapterCallbackTest, ApplyReplacesTheTreeOfTheConnectionOfThatName) {
    Machine();
    const RegTree wifi = Dump(InterfacesPath(kGuidWifi));
    const RegTree ethernet = Dump(InterfacesPath(kGuidEthernet));
    InDialog([](HWND dialog) {
        ASSERT_TRUE(ListLiveItems(kTcpipGroup, dialog));
        ASSERT_EQ(kEntrySaved, Save(dialog, 0));
    });
    // Wi-Fi's parameters change, and a key of the saved tree is gone.
    DeleteKeyTree(HKEY_LOCAL_MACHINE, InterfacesPath(kGuidWifi));
    Put(InterfacesPath(kGuidWifi), StaticInterface("172.16.0.2", "172.16.0.1"));
    InDialog([](HWND dialog) {
        ASSERT_TRUE(ListSavedItems(kTcpipGroup, dialog, WorkDirectory));
        EXPECT_EQ((Strings{"Wi-Fi"}), Entries(dialog));
        EXPECT_EQ(kEntryApplied, Apply(dialog, 0));
    });
    EXPECT_EQ(wifi, Dump(InterfacesPath(kGuidWifi)));
    EXPECT_EQ(ethernet, Dump(InterfacesPath(kGuidEthernet)));
}

TEST_F(AdapterCallbackTest, ApplyCreatesAnInterfacesKeyThatDoesNotExistYet) {
    Machine();
    const RegTree ethernet = Dump(InterfacesPath(kGuidEthernet));
    InDialog([](HWND dialog) {
        ASSERT_TRUE(ListLiveItems(kTcpipGroup, dialog));
        ASSERT_EQ(kEntrySaved, Save(dialog, 1));
    });
    DeleteKeyTree(HKEY_LOCAL_MACHINE, InterfacesPath(kGuidEthernet));
    InDialog([](HWND dialog) {
        ASSERT_TRUE(ListSavedItems(kTcpipGroup, dialog, WorkDirectory));
        EXPECT_EQ(kEntryApplied, Apply(dialog, 0));
    });
    EXPECT_EQ(ethernet, Dump(InterfacesPath(kGuidEthernet)));
}

TEST_F(AdapterCallbackTest, SavedNameWithoutLiveConnectionIsAWalkOfOne) {
    Machine();
    WriteBytes(Work("tcpip"), std::string("LAN1\0\0Wi-Fi\0\0", 13));
    const RegTree wifi = Dump(InterfacesPath(kGuidWifi));
    InDialog([](HWND dialog) {
        ASSERT_TRUE(ListSavedItems(kTcpipGroup, dialog, WorkDirectory));
        EXPECT_EQ((Strings{"LAN1", "Wi-Fi"}), Entries(dialog));
        EXPECT_EQ(kEntryMissingHere, Apply(dialog, 0));
    });
    EXPECT_EQ(wifi, Dump(InterfacesPath(kGuidWifi)));
}

}  // namespace
