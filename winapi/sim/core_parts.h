// Pieces shared by the non-UI parts of the simulation (registry, files,
// system). Not part of the control surface.
#pragma once

#include <string>

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

}  // namespace sim::detail
