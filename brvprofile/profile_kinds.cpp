// The IE/OE and TCP/IP profile kinds, and finding one by name or extension.
#include "brvprofile/profile_kinds.h"

#include "settings/index_file.h"
#include "snapshot/profile_header.h"

const ProfileKind kIeOeProfile = {
    "ies", ".ies", "IE/OE", kProfileKindIeOe, FALSE, "保存元ユーザ名", kGatewayIndexName,
    "HKEY_CURRENT_USER\\Identities\\%s\\Software\\Microsoft\\Internet Account Manager\\Accounts",
    "proxy", "HKEY_CURRENT_USER\\Software\\Microsoft\\Windows\\CurrentVersion\\Internet Settings", "5.0",
    "アカウント",
};

const ProfileKind kTcpipProfile = {
    "ips", ".ips", "TCP/IP", kProfileKindTcpip, TRUE, "保存元コンピュータ名", kTcpipIndexName,
    "HKEY_LOCAL_MACHINE\\SYSTEM\\CurrentControlSet\\Services\\Tcpip\\Parameters\\Interfaces\\%s",
    nullptr, nullptr, nullptr,
    "ネットワーク",
};

namespace {

const ProfileKind* const kKinds[] = {&kIeOeProfile, &kTcpipProfile};

}  // namespace

const ProfileKind* KindOfFile(LPCSTR path) {
    const int length = lstrlenA(path);
    if (length < 4) return nullptr;
    for (const ProfileKind* kind : kKinds)
        if (lstrcmpiA(path + length - 4, kind->extension) == 0) return kind;
    return nullptr;
}

const ProfileKind* KindNamed(LPCSTR word) {
    for (const ProfileKind* kind : kKinds)
        if (lstrcmpA(word, kind->word) == 0) return kind;
    return nullptr;
}
