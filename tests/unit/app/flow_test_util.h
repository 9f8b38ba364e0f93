// Set-up shared by the shell's flow suites: a machine with Outlook Express
// identities, Internet options and network connections, an empty work area,
// and the scripted user's steps through a flow.
#pragma once

#include <functional>
#include <string>
#include <vector>

#include "base/workarea.h"
#include "resources/resource.h"
#include "tests/unit/ieoe/ieoe_test_util.h"

namespace flowtest {

constexpr char kIeOeSaveTitle[] = "現行のIE/OEの設定をファイルにセーブ";
constexpr char kIeOeLoadTitle[] = "現行のIE/OEの設定をファイルからロード";
constexpr char kTcpipSaveTitle[] = "現行のTCP/IPの設定をファイルにセーブ";
constexpr char kTcpipLoadTitle[] = "現行のTCP/IPの設定をファイルからロード";
constexpr char kIeOeQuestion[] = "現在動作しているInternet ExplorerおよびOutlook Expressをすべて終了してください。";
constexpr char kTcpipQuestion[] =
    "この操作には管理者権限が必要です。また、このコンピュータのすべてのユーザに影響を及ぼすことに注意してください。";
constexpr char kSaved[] = "処理が完了しました。";
constexpr char kDone[] = "処理を完了しました。";

constexpr char kNetworkClass[] =
    "SYSTEM\\CurrentControlSet\\Control\\Network\\{4D36E972-E325-11CE-BFC1-08002BE10318}";
constexpr char kInterfaces[] = "SYSTEM\\CurrentControlSet\\Services\\Tcpip\\Parameters\\Interfaces";
constexpr char kLanGuid[] = "{6A1F0D2E-3B4C-4D5E-8F90-A1B2C3D4E5F6}";
constexpr char kWlanGuid[] = "{9C8B7A6D-5E4F-4A3B-9C2D-1E0F9A8B7C6D}";

// One connection's TCP/IP parameters as Windows XP keeps them.
inline RegTree TcpipParameters(const std::string& address, const std::string& gateway) {
    RegTree tree;
    tree.values = {{"EnableDHCP", REG_DWORD, snaptest::Dword(0)},
                   {"IPAddress", REG_MULTI_SZ, address + std::string(2, '\0')},
                   {"SubnetMask", REG_MULTI_SZ, std::string("255.255.255.0") + std::string(2, '\0')},
                   {"DefaultGateway", REG_MULTI_SZ, gateway + std::string(2, '\0')},
                   {"NameServer", REG_SZ, ieoetest::Sz("192.168.10.1")}};
    return tree;
}

inline std::string Work(const std::string& name) { return std::string(WorkDirectory) + name; }

}  // namespace flowtest

// The IE/OE fixture with the network connections and the shell's file
// association added to the trees it sets up and removes.
class ShellFlowTest : public IeOeTest {
protected:
    void SetUp() override {
        IeOeTest::SetUp();
        ProfileFilePath[0] = '\0';
    }

    static void PutMachineTree(const std::string& path, const RegTree& tree) {
        PutTreeAt(HKEY_LOCAL_MACHINE, path, tree);
    }
    static RegTree DumpMachineTree(const std::string& path) { return DumpTreeAt(HKEY_LOCAL_MACHINE, path); }
    // A network connection: its adapter key with the connection name, and its TCP/IP parameters.
    static void PutConnection(const std::string& guid, const std::string& name, const RegTree& parameters) {
        RegTree connection;
        connection.values = {{"Name", REG_SZ, ieoetest::Sz(name)}, {"PnpInstanceID", REG_SZ, ieoetest::Sz("PCI\\X")}};
        RegTree adapter;
        adapter.subkeys = {{"Connection", connection}};
        PutMachineTree(std::string(flowtest::kNetworkClass) + "\\" + guid, adapter);
        PutMachineTree(std::string(flowtest::kInterfaces) + "\\" + guid, parameters);
    }
    // Two identities, Internet options and two connections.
    void Machine() {
        RegTree a = ieoetest::MailAccount("Taro mail", "pop.a.example.jp");
        RegTree b = ieoetest::MailAccount("Hanako mail", "pop.b.example.jp");
        PutIdentity("{1A000000-0000-0000-0000-000000000000}", "Taro", &a);
        PutIdentity("{2B000000-0000-0000-0000-000000000000}", "Hanako", &b);
        Put(ieoetest::kSettings, ieoetest::InternetSettings("proxy.example.jp:8080", "machine"));
        PutConnection(flowtest::kLanGuid, "ローカル エリア接続", flowtest::TcpipParameters("192.168.10.20", "192.168.10.1"));
        PutConnection(flowtest::kWlanGuid, "ワイヤレス ネットワーク接続",
                      flowtest::TcpipParameters("10.0.0.7", "10.0.0.1"));
    }
    // A file left in the work directory shows whether a flow emptied it.
    void LeaveMarker() { WriteBytes(flowtest::Work("marker"), "x"); }
    bool MarkerStays() { return FileExists(flowtest::Work("marker")); }

    // The boxes shown with `caption` (the flow's questions and completion boxes).
    static std::vector<sim::MessageBoxCall> BoxesCaptioned(const std::string& caption) {
        std::vector<sim::MessageBoxCall> found;
        for (const sim::MessageBoxCall& box : sim::MessageBoxes()) {
            if (box.caption == caption) found.push_back(box);
        }
        return found;
    }
    // The user's part in the flow's dialogs, in the order they come up; they
    // wait until Flush(), so that a test can name them before the window
    // that opens them is itself queued.
    void Play(sim::DialogScript script) { pending_.push_back(std::move(script)); }
    void PlayOk() {
        Play([](HWND dialog, int) { sim::Click(dialog, IDOK); });
    }
    void PlayCancel() {
        Play([](HWND dialog, int) { sim::Click(dialog, IDCANCEL); });
    }
    void PlayRestartPrompt(int button) {
        Play([button](HWND dialog, int) { sim::Click(dialog, button); });
    }
    void Flush() {
        for (sim::DialogScript& script : pending_) sim::QueueDialogScript(std::move(script));
        pending_.clear();
    }

private:
    std::vector<sim::DialogScript> pending_;
};
