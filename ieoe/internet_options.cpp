#include "ieoe/internet_options.h"

#include "ieoe/accounts.h"
#include "snapshot/profile_header.h"

namespace {

constexpr char kProxySnapshot[] = "proxy";

}  // namespace

// The 5.0 subtree belongs to this machine: its live content is kept in
// "proxy.tmp" meanwhile. A key that cannot be created is worded as the
// machine's key that cannot be opened. Kept as a profile, the tree is an
// IE/OE file of Internet options alone: an empty index and "proxy".
const OptionsPart kInternetOptions = {
    kProxySnapshot,
    {HKEY_CURRENT_USER, "HKEY_CURRENT_USER", "Software\\Microsoft\\Windows\\CurrentVersion\\Internet Settings", "5.0",
     "proxy.tmp", kActionReadAccess,
     {kProfileKindIeOe, kGatewayIndexName, nullptr, kProxySnapshot}},
    "インターネットオプションをファイルにセーブする。",
    "インターネットオプションをファイルからロードする。",
};
