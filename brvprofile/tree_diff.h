// What replacing a live registry tree by a saved one changes, as lines:
// keys and values added (+), removed (-) and changed (~ old → new).
#pragma once

#include <string>
#include <vector>

#include "brvprofile/registry_text.h"

// Appends to `lines` one line per change that replacing `live` by `saved`
// makes below `path`: "+ [key]" and "- [key]" for a whole key (followed by
// the lines of its values and subkeys), "+ [key] value", "- [key] value" and
// "~ [key] "name"=old → new"; in each key the changed values come first,
// then the added, then the removed. Key and value names compare without regard to
// case, as the registry's do. A top-level subkey named `kept` (may be null)
// is left out on both sides.
void DiffTrees(const std::string& path, const TreeKey& live, const TreeKey& saved, const char* kept,
               std::vector<std::string>* lines);
