// Registry and work-area set-up shared by the TCP/IP suites: network
// adapters and their TCP/IP parameters laid out as Windows lays them out,
// and the work directory and profile path the dialogs read.
#pragma once

#include <gtest/gtest.h>

#include <functional>
#include <string>

#include "base/workarea.h"
#include "resources/resource.h"
#include "tests/unit/snapshot/snapshot_test_util.h"

namespace tcpiptest {

using snaptest::Dword;

constexpr char kClassKey[] = "SYSTEM\\CurrentControlSet\\Control\\Network\\{4D36E972-E325-11CE-BFC1-08002BE10318}";
constexpr char kInterfaces[] = "SYSTEM\\CurrentControlSet\\Services\\Tcpip\\Parameters\\Interfaces";

// Adapter key names as Windows gives them, in the registry's (sorted) order.
constexpr char kGuidEthernet[] = "{1A2B3C4D-0000-4000-8000-00000000E001}";
constexpr char kGuidWifi[] = "{5E6F7A8B-0000-4000-8000-00000000F002}";
constexpr char kGuidLocal2[] = "{9C0D1E2F-0000-4000-8000-00000000A003}";
constexpr char kGuidExtra[] = "{D4E5F6A7-0000-4000-8000-00000000B004}";

inline std::string Sz(const std::string& text) { return text + std::string(1, '\0'); }
// A REG_MULTI_SZ of one string: the string, its NUL and the list's NUL.
inline std::string MultiSz(const std::string& text) { return text + std::string(2, '\0'); }

inline std::string InterfacesPath(const std::string& guid) { return std::string(kInterfaces) + "\\" + guid; }
inline std::string AdapterPath(const std::string& guid) { return std::string(kClassKey) + "\\" + guid; }

// The Interfaces tree of a connection with a fixed address, and one that
// DHCP configured, with the per-network subkey Windows keeps below it.
inline RegTree StaticInterface(const std::string& address, const std::string& gateway) {
    RegTree tree;
    tree.values = {{"EnableDHCP", REG_DWORD, Dword(0)},
                   {"IPAddress", REG_MULTI_SZ, MultiSz(address)},
                   {"SubnetMask", REG_MULTI_SZ, MultiSz("255.255.255.0")},
                   {"DefaultGateway", REG_MULTI_SZ, MultiSz(gateway)},
                   {"DefaultGatewayMetric", REG_MULTI_SZ, MultiSz("0")},
                   {"NameServer", REG_SZ, Sz("192.168.10.1,8.8.8.8")},
                   {"Domain", REG_SZ, Sz("office.example.co.jp")},
                   {"RegistrationEnabled", REG_DWORD, Dword(1)},
                   {"UseZeroBroadcast", REG_DWORD, Dword(0)}};
    return tree;
}

inline RegTree DhcpInterface(const std::string& leased) {
    RegTree network;
    network.values = {{"DhcpIPAddress", REG_SZ, Sz(leased)},
                      {"DhcpSubnetMask", REG_SZ, Sz("255.255.255.0")},
                      {"DhcpServer", REG_SZ, Sz("192.168.0.1")},
                      {"LeaseObtainedTime", REG_DWORD, Dword(0x5F5E1000)}};
    RegTree tree;
    tree.values = {{"EnableDHCP", REG_DWORD, Dword(1)},
                   {"IPAddress", REG_MULTI_SZ, MultiSz("0.0.0.0")},
                   {"SubnetMask", REG_MULTI_SZ, MultiSz("0.0.0.0")},
                   {"DefaultGateway", REG_MULTI_SZ, std::string(1, '\0')},
                   {"NameServer", REG_SZ, Sz("")},
                   {"Domain", REG_SZ, Sz("")},
                   {"DhcpIPAddress", REG_SZ, Sz(leased)},
                   {"DhcpSubnetMask", REG_SZ, Sz("255.255.255.0")},
                   {"DhcpDefaultGateway", REG_MULTI_SZ, MultiSz("192.168.0.1")},
                   {"DhcpNameServer", REG_SZ, Sz("192.168.0.1")}};
    tree.subkeys = {{"4d6f62696c65", network}};
    return tree;
}

// Points WorkDirectory and ProfileFilePath into the test's folder.
inline void UseWorkArea(const std::string& dir) {
    wsprintfA(WorkDirectory, "%sbrv\\", dir.c_str());
    CreateDirectoryA(WorkDirectory, nullptr);
    wsprintfA(ProfileFilePath, "%ssaved.ips", dir.c_str());
}

// Runs `body` inside dialog 111 during its WM_INITDIALOG, then ends the
// dialog: the callbacks get a real list 1007 on both sides, and no user is
// needed.
inline INT_PTR CALLBACK BodyDialogProc(HWND dialog, UINT message, WPARAM, LPARAM lParam) {
    if (message != WM_INITDIALOG) return FALSE;
    (*reinterpret_cast<const std::function<void(HWND)>*>(lParam))(dialog);
    EndDialog(dialog, 1);
    return TRUE;
}
inline void InDialog(const std::function<void(HWND)>& body) {
    ASSERT_EQ(1, DialogBoxParamA(GetModuleHandleA(nullptr), MAKEINTRESOURCEA(IDD_TCPIP), nullptr, BodyDialogProc,
                                 reinterpret_cast<LPARAM>(&body)));
}

}  // namespace tcpiptest

// The fixture of the TCP/IP suites: the class key and the Interfaces trees
// of the test adapters are removed before and after each test, and the work
// area lies in the test's folder.
class TcpipTest : public snaptest::RegistryTreeTest {
protected:
    void SetUp() override {
        BrvTest::SetUp();
        RemoveTouchedTrees();
        tcpiptest::UseWorkArea(Dir());
    }
    void TearDown() override {
        RemoveTouchedTrees();
        BrvTest::TearDown();
    }
    static void RemoveTouchedTrees() {
        DeleteKeyTree(HKEY_LOCAL_MACHINE, tcpiptest::kClassKey);
        for (const char* guid : {tcpiptest::kGuidEthernet, tcpiptest::kGuidWifi, tcpiptest::kGuidLocal2,
                                 tcpiptest::kGuidExtra})
            DeleteKeyTree(HKEY_LOCAL_MACHINE, tcpiptest::InterfacesPath(guid));
    }
    static void Put(const std::string& path, const RegTree& tree) { PutTreeAt(HKEY_LOCAL_MACHINE, path, tree); }
    static RegTree Dump(const std::string& path) { return DumpTreeAt(HKEY_LOCAL_MACHINE, path); }
    // An adapter key as the network class keeps it: its Connection subkey
    // with "Name" (terminated), "PnpInstanceId" and "MediaSubType".
    static void PutConnection(const std::string& guid, const std::string& name) {
        RegTree connection;
        connection.values = {{"Name", REG_SZ, tcpiptest::Sz(name)},
                             {"PnpInstanceId", REG_SZ, tcpiptest::Sz("PCI\\VEN_8086&DEV_100E&SUBSYS_001E8086&REV_02\\3&267A616A&0&18")},
                             {"MediaSubType", REG_DWORD, tcpiptest::Dword(1)}};
        Put(tcpiptest::AdapterPath(guid) + "\\Connection", connection);
    }
    // A connection with its TCP/IP parameters.
    static void PutAdapter(const std::string& guid, const std::string& name, const RegTree& interfaces) {
        PutConnection(guid, name);
        Put(tcpiptest::InterfacesPath(guid), interfaces);
    }
    // What else the class key holds on a real machine: a subkey with Ndi
    // (a protocol or service, never listed even with a Connection name) and
    // "Descriptions" without a Connection subkey.
    static void PutOtherSubkeys() {
        RegTree ndi;
        ndi.values = {{"Service", REG_SZ, tcpiptest::Sz("Tcpip")}, {"HelpText", REG_SZ, tcpiptest::Sz("TCP/IP")}};
        Put(tcpiptest::AdapterPath("{0B000000-0000-0000-0000-00000000D1D1}") + "\\Ndi", ndi);
        RegTree connection;
        connection.values = {{"Name", REG_SZ, tcpiptest::Sz("NdiProtocol")}};
        Put(tcpiptest::AdapterPath("{0B000000-0000-0000-0000-00000000D1D1}") + "\\Connection", connection);
        RegTree descriptions;
        descriptions.values = {{"Intel(R) PRO/1000 MT Network Connection", REG_MULTI_SZ, tcpiptest::MultiSz("1")}};
        Put(tcpiptest::AdapterPath("Descriptions"), descriptions);
    }
};
