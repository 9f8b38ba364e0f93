// Comparing a live registry tree with the saved tree that would replace it.
#include "brvprofile/tree_diff.h"

#include "winapi/winapi.h"

namespace {

bool SameName(const std::string& a, const std::string& b) { return lstrcmpiA(a.c_str(), b.c_str()) == 0; }
void DiffValues(const std::string& path, const TreeKey& live, const TreeKey& saved, std::vector<std::string>* lines);
void DiffSubkeys(const std::string& path, const TreeKey& live, const TreeKey& saved, const char* kept,
                 std::vector<std::string>* lines);
void ListWholeKey(char sign, const std::string& path, const TreeKey& key, std::vector<std::string>* lines);

template <typename T>
const T* Named(const std::vector<T>& items, const std::string& name) {
    for (const T& item : items)
        if (SameName(item.name, name)) return &item;
    return nullptr;
}

}  // namespace

void DiffTrees(const std::string& path, const TreeKey& live, const TreeKey& saved, const char* kept,
               std::vector<std::string>* lines) {
    DiffValues(path, live, saved, lines);
    DiffSubkeys(path, live, saved, kept, lines);
}

namespace {

// Changed values first, then added, then removed, each in its tree's order,
// whatever order the two registries list their values in.
void DiffValues(const std::string& path, const TreeKey& live, const TreeKey& saved, std::vector<std::string>* lines) {
    std::vector<std::string> added;
    for (const TreeValue& value : saved.values) {
        const TreeValue* old = Named(live.values, value.name);
        if (!old) {
            added.push_back("+ [" + path + "] " + RegValueText(value));
        } else if (old->type != value.type || old->data != value.data) {
            lines->push_back("~ [" + path + "] " + RegValueText(*old) + " → " + RegDataText(value));
        }
    }
    lines->insert(lines->end(), added.begin(), added.end());
    for (const TreeValue& value : live.values)
        if (!Named(saved.values, value.name)) lines->push_back("- [" + path + "] " + RegValueText(value));
}

void DiffSubkeys(const std::string& path, const TreeKey& live, const TreeKey& saved, const char* kept,
                 std::vector<std::string>* lines) {
    for (const TreeKey& key : saved.subkeys) {
        if (kept && SameName(key.name, kept)) continue;
        const TreeKey* old = Named(live.subkeys, key.name);
        if (old) {
            DiffTrees(path + "\\" + key.name, *old, key, nullptr, lines);
        } else {
            ListWholeKey('+', path + "\\" + key.name, key, lines);
        }
    }
    for (const TreeKey& key : live.subkeys) {
        if (kept && SameName(key.name, kept)) continue;
        if (!Named(saved.subkeys, key.name)) ListWholeKey('-', path + "\\" + key.name, key, lines);
    }
}

void ListWholeKey(char sign, const std::string& path, const TreeKey& key, std::vector<std::string>* lines) {
    lines->push_back(std::string(1, sign) + " [" + path + "]");
    for (const TreeValue& value : key.values) lines->push_back(std::string(1, sign) + " [" + path + "] " + RegValueText(value));
    for (const TreeKey& subkey : key.subkeys) ListWholeKey(sign, path + "\\" + subkey.name, subkey, lines);
}

}  // namespace
