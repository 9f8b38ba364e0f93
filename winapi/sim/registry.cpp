// The simulated registry. Keys and values live in order-statistic trees keyed
// by the folded name (cp932 decoded to UTF-16, lowercased), so lookups are
// case-insensitive, names keep their case, and enumeration by index costs
// O(log n). The folded order is the order Wine enumerates in, for subkeys and
// for values alike (Windows proper lists values in creation order; programs
// must not rely on either).
#include <ext/pb_ds/assoc_container.hpp>
#include <ext/pb_ds/tree_policy.hpp>

#include <cstring>
#include <map>
#include <memory>
#include <unordered_map>

#include "core_parts.h"
#include "simctl.h"

#if defined(__has_feature)
#if __has_feature(address_sanitizer) && !defined(__SANITIZE_ADDRESS__)
#define __SANITIZE_ADDRESS__ 1
#endif
#endif
#ifdef __SANITIZE_ADDRESS__
#include <sanitizer/asan_interface.h>
#endif

namespace sim::detail {
namespace {

// Whether a byte past a caller's buffer may be looked at (under the address
// sanitizer only memory the program owns; elsewhere, as on Windows, any).
bool Readable(const BYTE* p) {
#ifdef __SANITIZE_ADDRESS__
    return __asan_region_is_poisoned(const_cast<BYTE*>(p), 1) == nullptr;
#else
    (void)p;
    return true;
#endif
}

struct Key;
using KeyRef = std::shared_ptr<Key>;

struct Value {
    std::string name;
    DWORD type;
    std::string data;
};

template <typename T>
using OrderedTree = __gnu_pbds::tree<std::u16string, T, std::less<std::u16string>, __gnu_pbds::rb_tree_tag,
                                     __gnu_pbds::tree_order_statistics_node_update>;

struct Key {
    std::string name;  // as created
    Key* parent = nullptr;
    bool deleted = false;
    REGSAM denied = 0;
    OrderedTree<KeyRef> subkeys;
    OrderedTree<Value> values;
};

struct OpenKey {
    KeyRef key;
    REGSAM access;
};

const char* const kRootNames[] = {"HKEY_CLASSES_ROOT", "HKEY_CURRENT_USER", "HKEY_LOCAL_MACHINE", "HKEY_USERS"};

struct Registry {
    KeyRef roots[4];
    std::unordered_map<uintptr_t, OpenKey> open;
};

// Usable before the first sim::Reset() too.
Registry& Reg() {
    static Registry registry;
    if (!registry.roots[0]) {
        for (int i = 0; i < 4; ++i) {
            registry.roots[i] = std::make_shared<Key>();
            registry.roots[i]->name = kRootNames[i];
        }
    }
    return registry;
}

constexpr LONG kBadPathname = 161;  // ERROR_BAD_PATHNAME
constexpr LONG kNoAccess = 998;     // ERROR_NOACCESS
constexpr REGSAM kMaximumAllowed = 0x02000000;

int RootIndex(HKEY hKey) {
    uintptr_t v = reinterpret_cast<uintptr_t>(hKey);
    uintptr_t base = reinterpret_cast<uintptr_t>(HKEY_CLASSES_ROOT);
    if (v >= base && v < base + 4) return static_cast<int>(v - base);
    return -1;
}

REGSAM MapAccess(REGSAM sam) {
    REGSAM out = sam & 0x00FFFFFF;
    if (sam & GENERIC_READ) out |= KEY_READ;
    if (sam & GENERIC_WRITE) out |= KEY_WRITE;
    if (sam & GENERIC_EXECUTE) out |= KEY_EXECUTE;
    if (sam & (GENERIC_ALL | kMaximumAllowed)) out |= KEY_ALL_ACCESS;
    return out & ~static_cast<REGSAM>(0x300);  // KEY_WOW64_* pick a view, they grant nothing
}

// The handle's key and granted access, or the status to fail with.
LONG Resolve(HKEY hKey, KeyRef* key, REGSAM* access) {
    int root = RootIndex(hKey);
    if (root >= 0) {
        *key = Reg().roots[root];
        *access = KEY_ALL_ACCESS;
        return ERROR_SUCCESS;
    }
    auto it = Reg().open.find(reinterpret_cast<uintptr_t>(hKey));
    if (it == Reg().open.end()) return ERROR_INVALID_HANDLE;
    *key = it->second.key;
    *access = it->second.access;
    return ERROR_SUCCESS;
}

std::string PathOf(const Key* key) {
    if (!key) return "";
    if (!key->parent) return key->name;
    return PathOf(key->parent) + "\\" + key->name;
}

std::string HandlePath(HKEY hKey) {
    KeyRef key;
    REGSAM access;
    if (Resolve(hKey, &key, &access) != ERROR_SUCCESS) return "";
    return PathOf(key.get());
}

std::string JoinPath(const std::string& base, LPCSTR sub) {
    if (!sub || !*sub) return base;
    std::string s(sub);
    while (!s.empty() && LastSeparator(s, "\\") == s.size() - 1) s.pop_back();
    return base.empty() ? s : base + "\\" + s;
}

// Key handles come from the same numbering as file handles, as in Windows'
// one handle table: a file handle passed as a key is never taken for one.
HKEY NewKeyHandle(const KeyRef& key, REGSAM access) {
    uintptr_t value = reinterpret_cast<uintptr_t>(NewHandleValue());
    Reg().open[value] = OpenKey{key, access};
    return reinterpret_cast<HKEY>(value);
}

std::vector<std::string> SplitPath(const std::string& path) {
    if (path.empty()) return {};
    std::vector<std::string> parts = SplitCp932(path, "\\");
    while (!parts.empty() && parts.back().empty()) parts.pop_back();  // a trailing backslash is harmless
    return parts;
}

KeyRef FindChild(const Key& key, const std::string& name) {
    auto it = key.subkeys.find(FoldName(name));
    return it == key.subkeys.end() ? nullptr : it->second;
}

KeyRef AddChild(Key& key, const std::string& name) {
    auto child = std::make_shared<Key>();
    child->name = name;
    child->parent = &key;
    key.subkeys.insert(std::make_pair(FoldName(name), child));
    return child;
}

// Walks `path` below `from` without creating anything.
KeyRef Walk(KeyRef from, const std::string& path) {
    for (const std::string& part : SplitPath(path)) {
        if (part.empty()) continue;  // "a\\b" is "a\b"
        from = FindChild(*from, part);
        if (!from) return nullptr;
    }
    return from;
}

// Finds or makes the key of a full path with the root spelled out.
KeyRef KeyOfFullPath(const std::string& fullPath, bool create) {
    std::vector<std::string> parts = SplitPath(fullPath);
    if (parts.empty()) return nullptr;
    KeyRef key;
    for (int i = 0; i < 4; ++i)
        if (EqualsNoCase(parts[0], kRootNames[i])) key = Reg().roots[i];
    if (!key) return nullptr;
    for (size_t i = 1; i < parts.size(); ++i) {
        if (parts[i].empty()) continue;
        KeyRef child = FindChild(*key, parts[i]);
        if (!child) {
            if (!create) return nullptr;
            child = AddChild(*key, parts[i]);
        }
        key = child;
    }
    return key;
}

bool IsString(DWORD type) { return type == REG_SZ || type == REG_EXPAND_SZ || type == REG_MULTI_SZ; }

// Size the registry keeps for a value: string types are held as UTF-16.
DWORD StoredSize(const Value& v) {
    if (!IsString(v.type)) return static_cast<DWORD>(v.data.size());
    return static_cast<DWORD>(FoldName(v.data).size() * 2);
}

// Copies a name into an ANSI buffer of *size bytes the way RegEnum*A do: it
// must fit with its NUL, else ERROR_MORE_DATA and nothing changes.
bool NameFits(const std::string& name, LPDWORD size) { return name.size() < *size; }

void StoreName(const std::string& name, LPSTR buffer, LPDWORD size) {
    std::memcpy(buffer, name.data(), name.size());
    buffer[name.size()] = '\0';
    *size = static_cast<DWORD>(name.size());
}

}  // namespace

void ResetRegistry() {
    Registry& r = Reg();
    r.open.clear();
    for (int i = 0; i < 4; ++i) {
        r.roots[i] = std::make_shared<Key>();
        r.roots[i]->name = kRootNames[i];
    }
}

}  // namespace sim::detail

using namespace sim::detail;

LONG RegOpenKeyExA(HKEY hKey, LPCSTR lpSubKey, DWORD ulOptions, REGSAM samDesired, PHKEY phkResult) {
    (void)ulOptions;
    DWORD status;
    if (TakeFault("RegOpenKeyExA", JoinPath(HandlePath(hKey), lpSubKey), &status)) return static_cast<LONG>(status);
    if (!phkResult) return ERROR_INVALID_PARAMETER;
    KeyRef base;
    REGSAM baseAccess;
    if (LONG rc = Resolve(hKey, &base, &baseAccess)) return rc;
    if (base->deleted) return ERROR_KEY_DELETED;
    std::string sub = lpSubKey ? lpSubKey : "";
    if (!sub.empty() && sub[0] == '\\') return kBadPathname;
    KeyRef key = Walk(base, sub);
    if (!key) return ERROR_FILE_NOT_FOUND;
    REGSAM access = MapAccess(samDesired);
    if (access & key->denied) return ERROR_ACCESS_DENIED;
    *phkResult = NewKeyHandle(key, access);
    return ERROR_SUCCESS;
}

LONG RegCreateKeyExA(HKEY hKey, LPCSTR lpSubKey, DWORD Reserved, LPSTR lpClass, DWORD dwOptions, REGSAM samDesired,
                     const SECURITY_ATTRIBUTES* lpSecurityAttributes, PHKEY phkResult, LPDWORD lpdwDisposition) {
    (void)Reserved;
    (void)lpClass;
    (void)dwOptions;
    (void)lpSecurityAttributes;
    DWORD status;
    if (TakeFault("RegCreateKeyExA", JoinPath(HandlePath(hKey), lpSubKey), &status))
        return static_cast<LONG>(status);
    if (!phkResult) return ERROR_INVALID_PARAMETER;
    KeyRef key;
    REGSAM baseAccess;
    if (LONG rc = Resolve(hKey, &key, &baseAccess)) return rc;
    if (key->deleted) return ERROR_KEY_DELETED;
    std::string sub = lpSubKey ? lpSubKey : "";
    if (!sub.empty() && sub[0] == '\\') return kBadPathname;
    REGSAM access = MapAccess(samDesired);

    std::vector<std::string> parts = SplitPath(sub);
    // Check the whole way first so that a refusal leaves nothing behind.
    KeyRef probe = key;
    bool creates = false;
    for (const std::string& part : parts) {
        if (part.empty()) continue;
        KeyRef child = FindChild(*probe, part);
        if (!child) {
            creates = true;
            break;
        }
        probe = child;
    }
    if (!creates && (access & probe->denied)) return ERROR_ACCESS_DENIED;
    // Windows wants the right to create subkeys when one is made (Wine does
    // not check it; being strict here catches the fault before Windows does).
    if (creates && !(baseAccess & KEY_CREATE_SUB_KEY) && probe == key) return ERROR_ACCESS_DENIED;
    if (creates && (probe->denied & KEY_CREATE_SUB_KEY)) return ERROR_ACCESS_DENIED;

    DWORD disposition = REG_OPENED_EXISTING_KEY;
    for (const std::string& part : parts) {
        if (part.empty()) continue;
        KeyRef child = FindChild(*key, part);
        if (!child) {
            child = AddChild(*key, ThroughUtf16(part));
            disposition = REG_CREATED_NEW_KEY;
        }
        key = child;
    }
    *phkResult = NewKeyHandle(key, access);
    if (lpdwDisposition) *lpdwDisposition = disposition;
    return ERROR_SUCCESS;
}

LONG RegCloseKey(HKEY hKey) {
    DWORD status;
    if (TakeFault("RegCloseKey", HandlePath(hKey), &status)) return static_cast<LONG>(status);
    if (RootIndex(hKey) >= 0) return ERROR_SUCCESS;
    auto& open = Reg().open;
    auto it = open.find(reinterpret_cast<uintptr_t>(hKey));
    if (it == open.end()) return ERROR_INVALID_HANDLE;
    open.erase(it);
    return ERROR_SUCCESS;
}

LONG RegEnumKeyExA(HKEY hKey, DWORD dwIndex, LPSTR lpName, LPDWORD lpcchName, LPDWORD lpReserved, LPSTR lpClass,
                   LPDWORD lpcchClass, PFILETIME lpftLastWriteTime) {
    DWORD status;
    if (TakeFault("RegEnumKeyExA", HandlePath(hKey), &status)) return static_cast<LONG>(status);
    if (lpReserved || !lpName || !lpcchName) return ERROR_INVALID_PARAMETER;
    KeyRef key;
    REGSAM access;
    if (LONG rc = Resolve(hKey, &key, &access)) return rc;
    if (key->deleted) return ERROR_KEY_DELETED;
    if (!(access & KEY_ENUMERATE_SUB_KEYS)) return ERROR_ACCESS_DENIED;
    if (dwIndex >= key->subkeys.size()) return ERROR_NO_MORE_ITEMS;
    const std::string& name = key->subkeys.find_by_order(dwIndex)->second->name;
    if (!NameFits(name, lpcchName)) return ERROR_MORE_DATA;
    if (lpClass && lpcchClass && *lpcchClass == 0) return ERROR_MORE_DATA;
    StoreName(name, lpName, lpcchName);
    if (lpClass && lpcchClass) lpClass[0] = '\0';
    if (lpcchClass) *lpcchClass = 0;
    if (lpftLastWriteTime) *lpftLastWriteTime = FILETIME{0, 0};
    return ERROR_SUCCESS;
}

LONG RegEnumValueA(HKEY hKey, DWORD dwIndex, LPSTR lpValueName, LPDWORD lpcchValueName, LPDWORD lpReserved,
                   LPDWORD lpType, LPBYTE lpData, LPDWORD lpcbData) {
    DWORD status;
    if (TakeFault("RegEnumValueA", HandlePath(hKey), &status)) return static_cast<LONG>(status);
    if (lpReserved || !lpValueName || !lpcchValueName || (lpData && !lpcbData)) return ERROR_INVALID_PARAMETER;
    KeyRef key;
    REGSAM access;
    if (LONG rc = Resolve(hKey, &key, &access)) return rc;
    if (key->deleted) return ERROR_KEY_DELETED;
    if (!(access & KEY_QUERY_VALUE)) return ERROR_ACCESS_DENIED;
    if (dwIndex >= key->values.size()) return ERROR_NO_MORE_ITEMS;
    const Value& v = key->values.find_by_order(dwIndex)->second;
    DWORD size = static_cast<DWORD>(v.data.size());
    if (lpType) *lpType = v.type;
    // Wine's order: a short data buffer is told first and nothing is copied;
    // a short name buffer still gets the data and as much of the name as fits.
    if (lpData && *lpcbData < size) {
        *lpcbData = size;
        return ERROR_MORE_DATA;
    }
    if (!NameFits(v.name, lpcchValueName)) {
        if (lpData) std::memcpy(lpData, v.data.data(), size);
        if (lpcbData) *lpcbData = size;
        if (*lpcchValueName) {
            std::memcpy(lpValueName, v.name.data(), *lpcchValueName - 1);
            lpValueName[*lpcchValueName - 1] = '\0';
        }
        return ERROR_MORE_DATA;
    }
    StoreName(v.name, lpValueName, lpcchValueName);
    if (lpData) std::memcpy(lpData, v.data.data(), size);
    if (lpcbData) *lpcbData = size;
    return ERROR_SUCCESS;
}

LONG RegQueryValueExA(HKEY hKey, LPCSTR lpValueName, LPDWORD lpReserved, LPDWORD lpType, LPBYTE lpData,
                      LPDWORD lpcbData) {
    std::string name = lpValueName ? lpValueName : "";
    DWORD status;
    if (TakeFault("RegQueryValueExA", HandlePath(hKey) + "\\" + name, &status)) return static_cast<LONG>(status);
    if (lpReserved || (lpData && !lpcbData)) return ERROR_INVALID_PARAMETER;
    KeyRef key;
    REGSAM access;
    if (LONG rc = Resolve(hKey, &key, &access)) return rc;
    if (key->deleted) return ERROR_KEY_DELETED;
    if (!(access & KEY_QUERY_VALUE)) return ERROR_ACCESS_DENIED;
    auto it = key->values.find(FoldName(name));
    if (it == key->values.end()) {
        if (lpType) *lpType = REG_NONE;
        return ERROR_FILE_NOT_FOUND;
    }
    const Value& v = it->second;
    DWORD size = static_cast<DWORD>(v.data.size());
    if (lpType) *lpType = v.type;
    if (lpData && *lpcbData < size) {
        *lpcbData = size;
        return ERROR_MORE_DATA;
    }
    if (lpData) std::memcpy(lpData, v.data.data(), size);
    if (lpcbData) *lpcbData = size;
    return ERROR_SUCCESS;
}

LONG RegSetValueExA(HKEY hKey, LPCSTR lpValueName, DWORD Reserved, DWORD dwType, const BYTE* lpData, DWORD cbData) {
    (void)Reserved;
    std::string name = lpValueName ? lpValueName : "";
    DWORD status;
    if (TakeFault("RegSetValueExA", HandlePath(hKey) + "\\" + name, &status)) return static_cast<LONG>(status);
    KeyRef key;
    REGSAM access;
    if (LONG rc = Resolve(hKey, &key, &access)) return rc;
    if (key->deleted) return ERROR_KEY_DELETED;
    if (!(access & KEY_SET_VALUE)) return ERROR_ACCESS_DENIED;
    if (!lpData && cbData) return kNoAccess;
    std::string data(reinterpret_cast<const char*>(lpData), lpData ? cbData : 0);
    // Windows counts the terminator a caller forgot for a string that has
    // one right behind the counted bytes ("yes NT does this", says Wine),
    // reading one byte past the buffer to find out.
    if (IsString(dwType) && cbData && lpData[cbData - 1] != 0 && Readable(lpData + cbData) && lpData[cbData] == 0)
        data.push_back('\0');
    // Strings are held as UTF-16 and given back in cp932.
    if (IsString(dwType)) data = ThroughUtf16(data);
    std::u16string fold = FoldName(name);
    auto it = key->values.find(fold);
    if (it != key->values.end()) {
        it->second.type = dwType;
        it->second.data = std::move(data);
    } else {
        key->values.insert(std::make_pair(fold, Value{ThroughUtf16(name), dwType, std::move(data)}));
    }
    return ERROR_SUCCESS;
}

LONG RegDeleteValueA(HKEY hKey, LPCSTR lpValueName) {
    std::string name = lpValueName ? lpValueName : "";
    DWORD status;
    if (TakeFault("RegDeleteValueA", HandlePath(hKey) + "\\" + name, &status)) return static_cast<LONG>(status);
    KeyRef key;
    REGSAM access;
    if (LONG rc = Resolve(hKey, &key, &access)) return rc;
    if (key->deleted) return ERROR_KEY_DELETED;
    if (!(access & KEY_SET_VALUE)) return ERROR_ACCESS_DENIED;
    auto it = key->values.find(FoldName(name));
    if (it == key->values.end()) return ERROR_FILE_NOT_FOUND;
    key->values.erase(it);
    return ERROR_SUCCESS;
}

LONG RegDeleteKeyA(HKEY hKey, LPCSTR lpSubKey) {
    DWORD status;
    if (TakeFault("RegDeleteKeyA", JoinPath(HandlePath(hKey), lpSubKey), &status)) return static_cast<LONG>(status);
    if (!lpSubKey) return ERROR_INVALID_PARAMETER;
    KeyRef base;
    REGSAM access;
    if (LONG rc = Resolve(hKey, &base, &access)) return rc;
    if (base->deleted) return ERROR_KEY_DELETED;
    std::string sub = lpSubKey;
    if (!sub.empty() && sub[0] == '\\') return kBadPathname;
    KeyRef key = Walk(base, sub);
    if (!key) return ERROR_FILE_NOT_FOUND;
    if (key->denied & DELETE) return ERROR_ACCESS_DENIED;
    // Wine and Windows refuse a key with subkeys, and a root, with this status.
    if (!key->parent || key->subkeys.size() != 0) return ERROR_ACCESS_DENIED;
    Key* parent = key->parent;
    parent->subkeys.erase(FoldName(key->name));
    key->deleted = true;
    return ERROR_SUCCESS;
}

LONG RegQueryInfoKeyA(HKEY hKey, LPSTR lpClass, LPDWORD lpcchClass, LPDWORD lpReserved, LPDWORD lpcSubKeys,
                      LPDWORD lpcbMaxSubKeyLen, LPDWORD lpcbMaxClassLen, LPDWORD lpcValues,
                      LPDWORD lpcbMaxValueNameLen, LPDWORD lpcbMaxValueLen, LPDWORD lpcbSecurityDescriptor,
                      PFILETIME lpftLastWriteTime) {
    DWORD status;
    if (TakeFault("RegQueryInfoKeyA", HandlePath(hKey), &status)) return static_cast<LONG>(status);
    if (lpReserved) return ERROR_INVALID_PARAMETER;
    KeyRef key;
    REGSAM access;
    if (LONG rc = Resolve(hKey, &key, &access)) return rc;
    if (key->deleted) return ERROR_KEY_DELETED;
    if (!(access & KEY_QUERY_VALUE)) return ERROR_ACCESS_DENIED;
    if (lpClass && lpcchClass && *lpcchClass) lpClass[0] = '\0';
    if (lpcchClass) *lpcchClass = 0;
    if (lpcSubKeys) *lpcSubKeys = static_cast<DWORD>(key->subkeys.size());
    if (lpcbMaxSubKeyLen) {
        // Lengths are the registry's own, in UTF-16 units, as Wine reports them.
        size_t m = 0;
        for (const auto& entry : key->subkeys) m = std::max(m, entry.first.size());
        *lpcbMaxSubKeyLen = static_cast<DWORD>(m);
    }
    if (lpcbMaxClassLen) *lpcbMaxClassLen = 0;
    if (lpcValues) *lpcValues = static_cast<DWORD>(key->values.size());
    if (lpcbMaxValueNameLen || lpcbMaxValueLen) {
        size_t names = 0;
        DWORD data = 0;
        for (const auto& entry : key->values) {
            names = std::max(names, entry.first.size());
            if (lpcbMaxValueLen) data = std::max(data, StoredSize(entry.second));
        }
        if (lpcbMaxValueNameLen) *lpcbMaxValueNameLen = static_cast<DWORD>(names);
        if (lpcbMaxValueLen) *lpcbMaxValueLen = data;
    }
    if (lpcbSecurityDescriptor) *lpcbSecurityDescriptor = 0;
    if (lpftLastWriteTime) *lpftLastWriteTime = FILETIME{0, 0};
    return ERROR_SUCCESS;
}

namespace sim {

int OpenKeyCount() { return static_cast<int>(detail::Reg().open.size()); }

void RegPut(const std::string& path, const std::string& valueName, DWORD type, const std::string& bytes) {
    KeyRef key = KeyOfFullPath(path, true);
    if (!key) return;
    std::u16string fold = FoldName(valueName);
    auto it = key->values.find(fold);
    if (it != key->values.end()) {
        it->second.type = type;
        it->second.data = bytes;
    } else {
        key->values.insert(std::make_pair(fold, Value{valueName, type, bytes}));
    }
}

void RegPutKey(const std::string& path) { KeyOfFullPath(path, true); }

bool RegHasKey(const std::string& path) { return KeyOfFullPath(path, false) != nullptr; }

void RegDenyAccess(const std::string& path, REGSAM deniedBits) {
    KeyRef key = KeyOfFullPath(path, true);
    if (key) key->denied |= MapAccess(deniedBits);
}

}  // namespace sim
