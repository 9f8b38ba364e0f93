// Seeds the Wine prefix with the settings a Japanese office PC of the time held.
#include "machine.h"

#include "driver.h"

namespace e2e {
namespace {

constexpr char kMainGuid[] = "{5E1B2C9A-0F43-4D8B-B6A7-91C2D3E4F506}";
constexpr char kSecondGuid[] = "{A7C3D2E1-8B94-4F06-9E15-0C2B3A4D5E6F}";

std::string AccountsOf(const char* guid) {
    return std::string("Identities\\") + guid + "\\Software\\Microsoft\\Internet Account Manager\\Accounts";
}

bool SeedIdentity(const char* guid, const char* user, const char* mail, const char* server) {
    std::string identity = std::string("Identities\\") + guid;
    std::string account = AccountsOf(guid) + "\\00000001";
    return PutValue(HKEY_CURRENT_USER, identity, "Username", REG_SZ, Sz(user)) &&
           PutValue(HKEY_CURRENT_USER, identity, "User ID", REG_SZ, Sz(guid)) &&
           PutValue(HKEY_CURRENT_USER, AccountsOf(guid), "Default Mail Account", REG_SZ, Sz("00000001")) &&
           PutValue(HKEY_CURRENT_USER, account, "Account Name", REG_SZ, Sz(server)) &&
           PutValue(HKEY_CURRENT_USER, account, "POP3 Server", REG_SZ, Sz(server)) &&
           PutValue(HKEY_CURRENT_USER, account, "SMTP Server", REG_SZ, Sz(server)) &&
           PutValue(HKEY_CURRENT_USER, account, "POP3 User Name", REG_SZ, Sz(mail)) &&
           PutValue(HKEY_CURRENT_USER, account, "SMTP Email Address", REG_SZ, Sz(mail)) &&
           PutValue(HKEY_CURRENT_USER, account, "SMTP Display Name", REG_SZ, Sz(user)) &&
           PutValue(HKEY_CURRENT_USER, account, "POP3 Port", REG_DWORD, Dword(110)) &&
           PutValue(HKEY_CURRENT_USER, account, "Connection Type", REG_DWORD, Dword(3));
}

bool SeedIdentities() {
    return PutValue(HKEY_CURRENT_USER, "Identities", "Default User ID", REG_SZ, Sz(kMainGuid)) &&
           PutValue(HKEY_CURRENT_USER, "Identities", "Last User ID", REG_SZ, Sz(kMainGuid)) &&
           SeedIdentity(kMainGuid, kMainUser, "taro@example.co.jp", "mail.example.co.jp") &&
           SeedIdentity(kSecondGuid, kSecondUser, "hanako@example.ne.jp", "pop.example.ne.jp");
}

bool SeedInternetSettings() {
    const std::string settings = kInternetSettings;
    const std::string connections("\x46\0\0\0\x05\0\0\0\x03\0\0\0", 12);
    return PutValue(HKEY_CURRENT_USER, settings, "ProxyEnable", REG_DWORD, Dword(1)) &&
           PutValue(HKEY_CURRENT_USER, settings, "ProxyServer", REG_SZ, Sz(kProxy)) &&
           PutValue(HKEY_CURRENT_USER, settings, "ProxyOverride", REG_SZ, Sz("*.example.co.jp;<local>")) &&
           PutValue(HKEY_CURRENT_USER, settings + "\\ZoneMap\\Domains\\example.co.jp", "http", REG_DWORD, Dword(1)) &&
           PutValue(HKEY_CURRENT_USER, settings + "\\Connections", "DefaultConnectionSettings", REG_BINARY,
                    connections) &&
           PutValue(HKEY_CURRENT_USER, settings + "\\5.0\\Cache\\Content", "CacheLimit", REG_DWORD, Dword(0x4000));
}

bool SeedConnection(const char* guid, const char* name, bool dhcp, const char* address, const char* gateway) {
    std::string connection = std::string(kNetworkClass) + "\\" + guid + "\\Connection";
    std::string tcpip = InterfacePath(guid);
    return PutValue(HKEY_LOCAL_MACHINE, connection, "Name", REG_SZ, Sz(name)) &&
           PutValue(HKEY_LOCAL_MACHINE, connection, "PnpInstanceID", REG_SZ,
                    Sz("PCI\\VEN_8086&DEV_100E&SUBSYS_001E8086&REV_02\\3&267A616A&0&18")) &&
           PutValue(HKEY_LOCAL_MACHINE, tcpip, "EnableDHCP", REG_DWORD, Dword(dhcp ? 1 : 0)) &&
           PutValue(HKEY_LOCAL_MACHINE, tcpip, "IPAddress", REG_MULTI_SZ, MultiSz(address)) &&
           PutValue(HKEY_LOCAL_MACHINE, tcpip, "SubnetMask", REG_MULTI_SZ, MultiSz("255.255.255.0")) &&
           PutValue(HKEY_LOCAL_MACHINE, tcpip, "DefaultGateway", REG_MULTI_SZ, MultiSz(gateway)) &&
           PutValue(HKEY_LOCAL_MACHINE, tcpip, "NameServer", REG_SZ, Sz(gateway)) &&
           PutValue(HKEY_LOCAL_MACHINE, tcpip, "Domain", REG_SZ, Sz("example.co.jp"));
}

bool SeedConnections() {
    // The class key also holds keys that are no connection: they must be passed over.
    return PutValue(HKEY_LOCAL_MACHINE, std::string(kNetworkClass) + "\\Descriptions", "Intel(R) PRO/1000 MT",
                    REG_MULTI_SZ, MultiSz("1")) &&
           SeedConnection(kLanGuid, kLanName, false, "192.168.1.20", "192.168.1.1") &&
           SeedConnection(kWlanGuid, kWlanName, true, "0.0.0.0", "");
}

}  // namespace

std::string InterfacePath(const char* guid) { return std::string(kInterfaces) + "\\" + guid; }

bool SeedMachine() {
    RemoveSeededMachine();
    return Check(SeedIdentities(), "seed the identities") &&
           Check(SeedInternetSettings(), "seed the Internet options") &&
           Check(SeedConnections(), "seed the network connections");
}

void RemoveSeededMachine() {
    DeleteTree(HKEY_CURRENT_USER, "Identities");
    DeleteTree(HKEY_CURRENT_USER, "Software\\Microsoft\\Internet Account Manager");
    DeleteTree(HKEY_CURRENT_USER, std::string(kInternetSettings) + "\\ZoneMap\\Domains\\example.co.jp");
    for (const char* guid : {kLanGuid, kWlanGuid}) {
        DeleteTree(HKEY_LOCAL_MACHINE, std::string(kNetworkClass) + "\\" + guid);
        DeleteTree(HKEY_LOCAL_MACHINE, InterfacePath(guid));
    }
    DeleteTree(HKEY_LOCAL_MACHINE, std::string(kNetworkClass) + "\\Descriptions");
}

}  // namespace e2e
