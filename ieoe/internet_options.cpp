#include "ieoe/internet_options.h"

// The 5.0 subtree belongs to this machine: its live content is kept in
// "proxy.tmp" meanwhile. A key that cannot be created is worded as the
// machine's key that cannot be opened.
const OptionsPart kInternetOptions = {
    "proxy",
    {HKEY_CURRENT_USER, "HKEY_CURRENT_USER", "Software\\Microsoft\\Windows\\CurrentVersion\\Internet Settings", "5.0",
     "proxy.tmp", "レジストリキー\"HKEY_CURRENT_USER\\%s\"に読み込みアクセスを適用できません。"},
    "インターネットオプションをファイルにセーブする。",
    "インターネットオプションをファイルからロードする。",
};
