// The two kinds of profile file as data: what tells them apart for the
// console tool (extension, header kind, index, where each snapshot goes).
#pragma once

#include "winapi/winapi.h"

struct ProfileKind {
    LPCSTR word;           // on the command line: "ies" or "ips"
    LPCSTR extension;      // ".ies" or ".ips"
    LPCSTR label;          // shown to the user: "IE/OE" or "TCP/IP"
    BYTE headerKind;       // the kind byte of the profile header
    BOOL headerRequired;   // a file without "profile" is refused
    LPCSTR sourceLabel;    // what the header's source name is
    LPCSTR indexName;      // "gateway" or "tcpip"
    // Where an entry's snapshot is applied: one %s, the entry's live key
    // name (the saved display name stands in for it in a listing).
    LPCSTR entryPathFormat;
    // The Internet options ("proxy", applied to optionsPath keeping the
    // machine's own optionsKeptSubkey); null for TCP/IP.
    LPCSTR optionsSnapshot;
    LPCSTR optionsPath;
    LPCSTR optionsKeptSubkey;
    // Wording of the entries ("アカウント", "ネットワーク").
    LPCSTR entryLabel;
};

extern const ProfileKind kIeOeProfile;
extern const ProfileKind kTcpipProfile;

// The kind a file's extension names (case-insensitive), or null.
const ProfileKind* KindOfFile(LPCSTR path);
// The kind named on the command line ("ies", "ips"), or null.
const ProfileKind* KindNamed(LPCSTR word);
