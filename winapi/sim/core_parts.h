// Pieces shared by the non-UI parts of the simulation (registry, files,
// system). Not part of the control surface.
#pragma once

#include <string>
#include <vector>

#include "sim_internal.h"

namespace sim::detail {

// Each part forgets its state; ResetCore() calls them in this order.
void ResetSystem();
void ResetRegistry();
void ResetFiles();

// Handles of files, searches and tokens share one numbering so that a
// handle of one kind is never mistaken for another.
HANDLE NewHandleValue();

// Counts of the handle-based objects owned by each part.
int OpenFileAndFindCount();
int OpenTokenCount();

// Closes a file handle (false when `h` is not one) and names what it was
// opened with, for CloseHandle in the system part.
bool CloseFileHandle(HANDLE h);
std::string FileHandleSubject(HANDLE h);

// ASCII-only case folding for subject matching.
bool EqualsNoCase(const std::string& a, const std::string& b);

// cp932 bytes to UTF-16 code units, lowercased as Wine folds registry names.
std::u16string FoldName(const std::string& bytes);

// Paths in cp932: a separator is a single-byte character, never the trail
// byte of a double-byte one ("ソ" is 0x83 0x5C). `separators` lists them.
std::vector<std::string> SplitCp932(const std::string& text, const char* separators);
// Offset of the last separator, or std::string::npos.
size_t LastSeparator(const std::string& text, const char* separators);

// What cp932 bytes become after a trip through UTF-16 and back, as the
// registry stores ANSI names and strings: unassigned or broken characters
// turn into "・", a lead byte at the very end into NUL, NEC-selected IBM
// characters into their IBM codes.
std::string ThroughUtf16(const std::string& bytes);

}  // namespace sim::detail
