// Opening a profile file as the load dialog of its kind does: unpacking it
// into the work directory, verifying its header and reading its index.
#pragma once

#include <string>
#include <vector>

#include "brvprofile/profile_kinds.h"
#include "snapshot/profile_header.h"
#include "winapi/winapi.h"

struct OpenedProfile {
    const SettingsGroup* kind;
    LPCSTR directory;                  // where the file was unpacked
    ProfileHeaderResult headerResult;  // read or absent
    ProfileHeader header;              // freed by CloseProfile
    std::vector<std::string> names;    // the display name of record k
    BOOL hasOptions;                   // the file holds Internet options
};

// Unpacks the file at `profilePath` into `directory` (which must be
// empty), reads and verifies its header against `kind` and reads its
// index. Returns 1, or 0 after the refusal has been reported. The profile
// is to be closed on either outcome.
int OpenProfile(const SettingsGroup& kind, LPCSTR profilePath, LPCSTR directory, OpenedProfile* profile);

void CloseProfile(OpenedProfile* profile);

// The snapshot name of record `record` ("gateway.3").
std::string EntrySnapshotName(const SettingsGroup& kind, int record);

// The path record `name`'s snapshot is applied to, with the saved name
// standing where the live key name will go.
std::string EntryApplyPath(const SettingsGroup& kind, const std::string& name);

// Validates every snapshot a load could read: the Internet options and
// each record's own snapshot, which must be there. Returns 1, or 0 after
// the first problem has been reported.
int ValidateProfileSnapshots(const OpenedProfile& profile);
