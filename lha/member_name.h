// Member names of an untrusted archive, before they become file names in
// the work directory.
#pragma once

#include <cstdint>

#include "lha/header.h"

// True when the (already reduced) member name may be created as a plain
// file: not empty, ".", "..", no ':' or control bytes or characters Windows
// refuses in names, no trailing dot or space, no reserved device name (with
// or without extension), shorter than 256 bytes, and whole cp932 that
// Windows keeps as written (no lead byte without its second byte, no
// two-byte code without a character).
bool IsSafeMemberName(const LhaMemberHeader& header);

// The name as Windows compares file names, for duplicate checks: letters
// upper-cased (ASCII, and the full-width Latin, Greek and Cyrillic letters
// and Roman numerals of cp932; the second byte of a two-byte character is
// never taken for ASCII), and a character that cp932 spells twice in one
// spelling. Two names with the same fold are one file. `out` holds
// kMaxNameBytes + 1 bytes; the fold has the name's length.
void FoldMemberName(const char* name, char* out);
