// Registry and work-area set-up shared by the IE/OE suites: identities laid
// out as Outlook Express lays them out, an Internet Settings tree, and the
// work directory and profile path the dialogs read.
#pragma once

#include <gtest/gtest.h>

#include <string>

#include "base/workarea.h"
#include "snapshot/registry_clear.h"
#include "tests/unit/snapshot/snapshot_test_util.h"

namespace ieoetest {

using snaptest::Dword;

constexpr char kSettings[] = "Software\\Microsoft\\Windows\\CurrentVersion\\Internet Settings";
constexpr char kShared[] = "Software\\Microsoft\\Internet Account Manager\\Accounts";

inline std::string Accounts(const std::string& guid) {
    return "Identities\\" + guid + "\\Software\\Microsoft\\Internet Account Manager\\Accounts";
}

inline void Remove(const std::string& path) { ClearRegistryTree(nullptr, HKEY_CURRENT_USER, path.c_str()); }

inline std::string Sz(const std::string& text) { return text + std::string(1, '\0'); }

// An identity key with its "Username" (terminated as Outlook Express
// stores it) and, when given, its account tree.

// One mail account as Outlook Express keeps it: strings, numbers and a
// binary password blob.
inline RegTree MailAccount(const std::string& name, const std::string& server) {
    RegTree account;
    account.values = {{"Account Name", REG_SZ, Sz(name)},
                      {"POP3 Server", REG_SZ, Sz(server)},
                      {"POP3 Port", REG_DWORD, Dword(110)},
                      {"POP3 Password2", REG_BINARY, std::string("\x01\x02\x00\xFF\x7Fpw", 7)},
                      {"Connection Type", REG_DWORD, Dword(3)}};
    RegTree accounts;
    accounts.subkeys = {{"00000001", account}};
    accounts.values = {{"Default Mail Account", REG_SZ, Sz("00000001")}};
    return accounts;
}

inline RegTree InternetSettings(const std::string& proxy, const std::string& fiveValue) {
    RegTree domains;
    domains.subkeys = {{"example.co.jp", RegTree{{{"http", REG_DWORD, Dword(2)}}, {}}}};
    RegTree zoneMap;
    zoneMap.subkeys = {{"Domains", domains}};
    RegTree connections;
    connections.values = {{"DefaultConnectionSettings", REG_BINARY, std::string("\x3C\0\0\0\x05\0\0\0", 8)}};
    RegTree five;
    five.values = {{"Mine", REG_SZ, Sz(fiveValue)}};
    RegTree settings;
    settings.values = {{"ProxyEnable", REG_DWORD, Dword(1)},
                       {"ProxyServer", REG_SZ, Sz(proxy)},
                       {"ProxyOverride", REG_SZ, Sz("<local>")}};
    settings.subkeys = {{"5.0", five}, {"Connections", connections}, {"ZoneMap", zoneMap}};
    return settings;
}

// Points WorkDirectory and ProfileFilePath into the test's folder.
inline void UseWorkArea(const std::string& dir) {
    wsprintfA(WorkDirectory, "%sbrv\\", dir.c_str());
    CreateDirectoryA(WorkDirectory, nullptr);
    wsprintfA(ProfileFilePath, "%ssaved.ies", dir.c_str());
}

}  // namespace ieoetest

// The fixture of the IE/OE suites: the trees the program touches are
// removed before and after each test, and the work area lies in the test's
// folder.
class IeOeTest : public snaptest::RegistryTreeTest {
protected:
    void SetUp() override {
        BrvTest::SetUp();
        RemoveTouchedTrees();
        ieoetest::UseWorkArea(Dir());
    }
    void TearDown() override {
        RemoveTouchedTrees();
        BrvTest::TearDown();
    }
    static void RemoveTouchedTrees() {
        ieoetest::Remove("Identities");
        ieoetest::Remove(ieoetest::kSettings);
        ieoetest::Remove(ieoetest::kShared);
    }
    static void Put(const std::string& path, const RegTree& tree) { PutTreeAt(HKEY_CURRENT_USER, path, tree); }
    static RegTree Dump(const std::string& path) { return DumpTreeAt(HKEY_CURRENT_USER, path); }
    // An identity key with its "Username" (terminated, as Outlook Express
    // stores it) and, when given, its account tree.
    static void PutIdentity(const std::string& guid, const std::string& user, const RegTree* accounts) {
        RegTree identity;
        identity.values = {{"Username", REG_SZ, ieoetest::Sz(user)}, {"User ID", REG_SZ, ieoetest::Sz(guid)}};
        Put("Identities\\" + guid, identity);
        if (accounts) Put(ieoetest::Accounts(guid), *accounts);
    }
};
