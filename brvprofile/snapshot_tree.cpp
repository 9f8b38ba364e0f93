// Registry trees in memory, from a snapshot's records or the live registry.
#include "brvprofile/snapshot_tree.h"

#include <cstring>

#include "base/registry_key.h"
#include "base/report.h"
#include "snapshot/registry_snapshot.h"
#include "winapi/guards.h"

namespace {

// The keys being filled, the top one first. A key is only ever added to
// the deepest key, so the pointers above it stay valid.
struct TreeBuilder {
    std::vector<TreeKey*> open;
};

void AddValue(void* context, LPCSTR name, DWORD type, const BYTE* data, DWORD size);
void EnterKey(void* context, LPCSTR name);
void LeaveKey(void* context);
int ReadLiveKey(HWND owner, HKEY key, const std::string& path, TreeKey* tree);
int ReadLiveValues(HWND owner, HKEY key, const std::string& path, TreeKey* tree);
int ReadLiveValue(HWND owner, HKEY key, const std::string& path, LPCSTR name, TreeKey* tree);

}  // namespace

int ReadSnapshotTree(LPCSTR directory, LPCSTR fileName, TreeKey* tree) {
    *tree = TreeKey();
    TreeBuilder builder;
    builder.open.push_back(tree);
    const SnapshotVisitor visitor{AddValue, EnterKey, LeaveKey, &builder};
    return WalkSnapshot(nullptr, fileName, directory, &visitor);
}

int ReadLiveTree(HKEY root, LPCSTR rootName, LPCSTR path, TreeKey* tree) {
    *tree = TreeKey();
    const std::string fullPath = std::string(rootName) + "\\" + path;
    KeyGuard key;
    const Presence found = OpenKeyIfPresent(nullptr, root, path, KEY_READ, &key, {fullPath.c_str()});
    if (found != Presence::kPresent) return found == Presence::kAbsent ? 2 : 0;
    return ReadLiveKey(nullptr, key.key, fullPath, tree);
}

namespace {

void AddValue(void* context, LPCSTR name, DWORD type, const BYTE* data, DWORD size) {
    TreeBuilder* builder = static_cast<TreeBuilder*>(context);
    std::string bytes(reinterpret_cast<const char*>(data), size);
    builder->open.back()->values.push_back(TreeValue{name, type, bytes});
}

void EnterKey(void* context, LPCSTR name) {
    TreeBuilder* builder = static_cast<TreeBuilder*>(context);
    TreeKey* parent = builder->open.back();
    parent->subkeys.push_back(TreeKey{name, {}, {}});
    builder->open.push_back(&parent->subkeys.back());
}

void LeaveKey(void* context) { static_cast<TreeBuilder*>(context)->open.pop_back(); }

// The subkeys in the registry's order, each read whole, then the values.
int ReadLiveKey(HWND owner, HKEY key, const std::string& path, TreeKey* tree) {
    for (DWORD index = 0;; ++index) {
        CHAR name[kMaxRegistryName + 1];
        DWORD length = sizeof name;
        SetLastError(RegEnumKeyExA(key, index, name, &length, nullptr, nullptr, nullptr, nullptr));
        if (GetLastError() == ERROR_NO_MORE_ITEMS) break;
        if (GetLastError() != ERROR_SUCCESS) {
            ReportFailureOn(owner, Named::kRegistryKey, path.c_str(), kActionListSubkeys);
            return 0;
        }
        const std::string subPath = path + "\\" + name;
        KeyGuard subkey;
        if (!OpenKey(owner, key, name, KEY_READ, &subkey, {subPath.c_str()})) return 0;
        tree->subkeys.push_back(TreeKey{name, {}, {}});
        if (!ReadLiveKey(owner, subkey.key, subPath, &tree->subkeys.back())) return 0;
    }
    return ReadLiveValues(owner, key, path, tree);
}

int ReadLiveValues(HWND owner, HKEY key, const std::string& path, TreeKey* tree) {
    for (DWORD index = 0;; ++index) {
        CHAR name[kMaxRegistryName + 1];
        DWORD length = sizeof name;
        SetLastError(RegEnumValueA(key, index, name, &length, nullptr, nullptr, nullptr, nullptr));
        if (GetLastError() == ERROR_NO_MORE_ITEMS) return 1;
        if (GetLastError() != ERROR_SUCCESS) {
            ReportFailureOn(owner, Named::kRegistryKey, path.c_str(), kActionListValues);
            return 0;
        }
        if (!ReadLiveValue(owner, key, path, name, tree)) return 0;
    }
}

// The size first, then the data into a buffer of that size.
int ReadLiveValue(HWND owner, HKEY key, const std::string& path, LPCSTR name, TreeKey* tree) {
    const std::string valuePath = path + "\\" + name;
    DWORD type = 0;
    DWORD size = 0;
    SetLastError(RegQueryValueExA(key, name, nullptr, &type, nullptr, &size));
    HeapBlock data;
    if (GetLastError() == ERROR_SUCCESS && size && !data.Allocate(size)) SetLastError(ERROR_NOT_ENOUGH_MEMORY);
    if (GetLastError() == ERROR_SUCCESS && size)
        SetLastError(RegQueryValueExA(key, name, nullptr, &type, data.bytes(), &size));
    if (GetLastError() != ERROR_SUCCESS) {
        ReportFailureOn(owner, Named::kRegistryValue, valuePath.c_str(), kActionGetValue);
        return 0;
    }
    tree->values.push_back(TreeValue{name, type, std::string(reinterpret_cast<const char*>(data.bytes()), size)});
    return 1;
}

}  // namespace
