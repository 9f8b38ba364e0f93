// Member names of an untrusted archive, before they become file names in
// the work directory.
#pragma once

#include <cstdint>

#include "lha/header.h"

// True when the (already reduced) member name may be created as a plain
// file: not empty, ".", "..", no ':' or control bytes or characters Windows
// refuses in names, no trailing dot or space, no reserved device name (with
// or without extension), shorter than 256 bytes.
bool IsSafeMemberName(const LhaMemberHeader& header);

// The name with ASCII letters upper-cased (the second byte of a cp932
// character left alone), for case-insensitive duplicate checks. `out` holds
// kMaxNameBytes + 1 bytes.
void FoldMemberName(const char* name, char* out);
