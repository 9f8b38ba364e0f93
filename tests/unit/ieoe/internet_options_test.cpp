// Saving and applying the Internet options on dialog 112 of the program's
// resources, played by the simulation's scripted user.
#include "ieoe/internet_options.h"

#include <gtest/gtest.h>

#include <functional>
#include <string>

#include "base/workarea.h"
#include "resources/resource.h"
#include "testenv.h"

namespace {

const char kPath[] = "HKEY_CURRENT_USER\\Software\\Microsoft\\Windows\\CurrentVersion\\Internet Settings";
const char kSubPath[] = "Software\\Microsoft\\Windows\\CurrentVersion\\Internet Settings";

INT_PTR CALLBACK PlainDialogProc(HWND, UINT message, WPARAM, LPARAM) { return message == WM_INITDIALOG; }

class InternetOptionsTest : public BrvTest {
protected:
    void SetUp() override {
        BrvTest::SetUp();
        lstrcpynA(WorkDirectory, Dir().c_str(), kWorkDirectorySize);
    }
    // Runs `step` inside dialog 112 with the check box as given.
    void InDialog(bool checked, const std::function<void(HWND)>& step) {
        sim::QueueDialogScript([&](HWND dialog, int) {
            CheckDlgButton(dialog, IDC_OPTIONS, checked ? BST_CHECKED : BST_UNCHECKED);
            step(dialog);
            EndDialog(dialog, 1);
        });
        ASSERT_EQ(1, DialogBoxParamA(nullptr, MAKEINTRESOURCEA(IDD_IEOE), nullptr, PlainDialogProc, 0));
    }
    static void Put(const std::string& below, const std::string& name, DWORD type, const std::string& data) {
        sim::RegPut(std::string(kPath) + below, name, type, data);
    }
    static std::string Dword(DWORD v) { return std::string(reinterpret_cast<const char*>(&v), 4); }
    // An Internet Settings tree as Internet Explorer leaves it.
    static void PlantSettings() {
        Put("", "ProxyEnable", REG_DWORD, Dword(1));
        Put("", "ProxyServer", REG_SZ, std::string("proxy.example.co.jp:8080\0", 25));
        Put("", "ProxyOverride", REG_SZ, std::string("*.local;<local>\0", 16));
        Put("\\Connections", "DefaultConnectionSettings", REG_BINARY, std::string("\x46\x00\x00\x00\x05", 5));
        Put("\\ZoneMap\\Domains\\example.co.jp", "http", REG_DWORD, Dword(2));
        Put("\\5.0\\Cache", "SignatureSaved", REG_DWORD, Dword(1));
    }
    RegTree Live() const {
        HKEY key = nullptr;
        if (RegOpenKeyExA(HKEY_CURRENT_USER, kSubPath, 0, KEY_READ, &key) != ERROR_SUCCESS) return RegTree{};
        RegTree tree = DumpTree(key);
        RegCloseKey(key);
        return tree;
    }
};

TEST_F(InternetOptionsTest, UncheckedSavesAndAppliesNothing) {
    PlantSettings();
    const RegTree before = Live();
    int saved = -1;
    InDialog(false, [&](HWND dialog) { saved = SaveOptionsPart(dialog, kInternetOptions, WorkDirectory); });
    EXPECT_EQ(kEntryNotTried, saved);
    EXPECT_FALSE(FileExists(Dir() + "proxy"));
    WriteBytes(Dir() + "proxy", "");  // an empty snapshot would empty the tree
    int applied = -1;
    InDialog(false, [&](HWND dialog) { applied = ApplyOptionsPart(dialog, kInternetOptions, WorkDirectory); });
    EXPECT_EQ(kEntryNotTried, applied);
    EXPECT_EQ(before, Live());
    EXPECT_TRUE(sim::MessageBoxes().empty());
}

TEST_F(InternetOptionsTest, ApplyGivesTheSavedTreeWithTheMachinesOwn50) {
    PlantSettings();
    int saved = 0;
    InDialog(true, [&](HWND dialog) { saved = SaveOptionsPart(dialog, kInternetOptions, WorkDirectory); });
    ASSERT_EQ(kEntrySaved, saved);
    const RegTree savedTree = Live();

    // The machine changes: one value only here, a saved key gone, its own 5.0.
    Put("", "LiveOnly", REG_DWORD, Dword(9));
    ASSERT_EQ(ERROR_SUCCESS,
              RegDeleteKeyA(HKEY_CURRENT_USER, (std::string(kSubPath) + "\\ZoneMap\\Domains\\example.co.jp").c_str()));
    Put("\\5.0\\Cache", "SignatureSaved", REG_DWORD, Dword(0));
    Put("\\5.0", "MachineOwn", REG_DWORD, Dword(5));
    RegTree expected = savedTree;
    for (auto& subkey : expected.subkeys)
        if (subkey.first == "5.0") {
            HKEY key = nullptr;
            RegOpenKeyExA(HKEY_CURRENT_USER, (std::string(kSubPath) + "\\5.0").c_str(), 0, KEY_READ, &key);
            subkey.second = DumpTree(key);
            RegCloseKey(key);
        }

    int applied = -1;
    InDialog(true, [&](HWND dialog) { applied = ApplyOptionsPart(dialog, kInternetOptions, WorkDirectory); });
    EXPECT_EQ(kEntryApplied, applied);
    EXPECT_EQ(expected, Live());
    EXPECT_TRUE(sim::MessageBoxes().empty());
}

TEST_F(InternetOptionsTest, NoLive50MeansNoneAfterwards) {
    PlantSettings();
    InDialog(true, [&](HWND dialog) { SaveOptionsPart(dialog, kInternetOptions, WorkDirectory); });
    ASSERT_EQ(ERROR_SUCCESS,
              RegDeleteKeyA(HKEY_CURRENT_USER, (std::string(kSubPath) + "\\5.0\\Cache").c_str()));
    ASSERT_EQ(ERROR_SUCCESS, RegDeleteKeyA(HKEY_CURRENT_USER, (std::string(kSubPath) + "\\5.0").c_str()));
    InDialog(true, [&](HWND dialog) { ApplyOptionsPart(dialog, kInternetOptions, WorkDirectory); });
    EXPECT_FALSE(sim::RegHasKey(std::string(kPath) + "\\5.0"));
    EXPECT_TRUE(sim::RegHasKey(std::string(kPath) + "\\ZoneMap\\Domains\\example.co.jp"));
    EXPECT_TRUE(sim::MessageBoxes().empty());
}

TEST_F(InternetOptionsTest, FailuresWithTheirMessages) {
    int saved = -1;
    // No Internet Settings at all.
    InDialog(true, [&](HWND dialog) { saved = SaveOptionsPart(dialog, kInternetOptions, WorkDirectory); });
    EXPECT_EQ(kEntryFailed, saved);
    ASSERT_EQ(1u, sim::MessageBoxes().size());
    EXPECT_EQ(ExpectedReport(std::string("レジストリキー\"") + kPath + "\"に読み込みアクセスを適用できません。",
                             ERROR_FILE_NOT_FOUND),
              sim::MessageBoxes()[0].text);

    PlantSettings();
    InDialog(true, [&](HWND dialog) { saved = SaveOptionsPart(dialog, kInternetOptions, WorkDirectory); });
    const RegTree before = Live();
    sim::FailCall("RegOpenKeyExA", 1, ERROR_ACCESS_DENIED, "5.0");
    int applied = -1;
    InDialog(true, [&](HWND dialog) { applied = ApplyOptionsPart(dialog, kInternetOptions, WorkDirectory); });
    sim::ClearFaults();
    EXPECT_EQ(kEntryFailed, applied);
    EXPECT_EQ(before, Live());
    ASSERT_EQ(2u, sim::MessageBoxes().size());
    EXPECT_EQ(ExpectedReport(std::string("レジストリキー\"") + kPath + "\\5.0\"に読み込みアクセスを適用できません。",
                             ERROR_ACCESS_DENIED),
              sim::MessageBoxes()[1].text);
}

}  // namespace
