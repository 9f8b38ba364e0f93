// The two kinds of profile file are the two settings groups: finding one by
// the word of the command line or by a file's extension, and the paths the
// console shows for what a file holds.
#pragma once

#include <string>

#include "settings/settings_group.h"
#include "winapi/winapi.h"

// The group a file's extension names (case-insensitive), or null.
const SettingsGroup* KindOfFile(LPCSTR path);
// The group named on the command line ("ies", "ips"), or null.
const SettingsGroup* KindNamed(LPCSTR word);

// Where the group's options part is applied, with its root
// ("HKEY_CURRENT_USER\Software\...\Internet Settings"); the group must have one.
std::string OptionsTreeName(const SettingsGroup& kind);
