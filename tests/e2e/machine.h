// The settings of a user's machine that the scenarios save and load: two
// Outlook Express identities with mail accounts, Internet options with a
// proxy, and two network connections with their TCP/IP parameters, written
// into the throwaway Wine prefix as Windows XP lays them out.
#pragma once

#include <windows.h>

#include <string>

namespace e2e {

constexpr char kInternetSettings[] = "Software\\Microsoft\\Windows\\CurrentVersion\\Internet Settings";
constexpr char kNetworkClass[] = "SYSTEM\\CurrentControlSet\\Control\\Network\\{4D36E972-E325-11CE-BFC1-08002BE10318}";
constexpr char kInterfaces[] = "SYSTEM\\CurrentControlSet\\Services\\Tcpip\\Parameters\\Interfaces";
constexpr char kLanGuid[] = "{3F2A8C41-7D5E-4B19-A0C6-2E9D14B7F853}";
constexpr char kWlanGuid[] = "{B81E05D2-64C3-4F7A-9E28-5D0A3C61E947}";
constexpr char kLanName[] = "ローカル エリア接続";
constexpr char kWlanName[] = "ワイヤレス ネットワーク接続";
constexpr char kMainUser[] = "メイン ユーザー";
constexpr char kSecondUser[] = "山田 花子";
constexpr char kProxy[] = "proxy.example.co.jp:8080";

// Writes the identities, the Internet options and the connections; false
// (after printing what failed) when the registry refused.
bool SeedMachine();
// Removes what SeedMachine wrote.
void RemoveSeededMachine();

std::string InterfacePath(const char* guid);

}  // namespace e2e
