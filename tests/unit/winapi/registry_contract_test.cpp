// Registry behaviour the program relies on, checked on the simulation and on
// Wine alike. Expected values are Wine's.
#include <cstring>
#include <string>
#include <vector>

#include "testenv.h"

namespace {

class RegistryContract : public BrvTest {
protected:
    // Creates `name` under Root() and returns the disposition.
    DWORD Create(const std::string& name) {
        HKEY key = nullptr;
        DWORD disposition = 0;
        LONG rc = RegCreateKeyExA(Root(), name.c_str(), 0, nullptr, REG_OPTION_NON_VOLATILE, KEY_ALL_ACCESS, nullptr,
                                  &key, &disposition);
        EXPECT_EQ(rc, ERROR_SUCCESS) << name;
        if (rc == ERROR_SUCCESS) RegCloseKey(key);
        return disposition;
    }
    std::vector<std::string> SubkeyNames(HKEY key) {
        std::vector<std::string> names;
        for (DWORD i = 0;; ++i) {
            CHAR name[512];
            DWORD size = sizeof name;
            LONG rc = RegEnumKeyExA(key, i, name, &size, nullptr, nullptr, nullptr, nullptr);
            if (rc != ERROR_SUCCESS) {
                EXPECT_EQ(rc, ERROR_NO_MORE_ITEMS);
                break;
            }
            names.emplace_back(name, size);
        }
        return names;
    }
    LONG SetBytes(HKEY key, const char* name, DWORD type, const std::string& bytes) {
        return RegSetValueExA(key, name, 0, type, reinterpret_cast<const BYTE*>(bytes.data()),
                              static_cast<DWORD>(bytes.size()));
    }
};

// Wine keeps subkeys sorted by their UTF-16 names folded to lower case, so
// symbols between 'Z' and 'a' come before letters, digits before both, and
// cp932 names by code point: Greek, Cyrillic, ideographic space, hiragana,
// katakana, kanji, full-width forms, half-width katakana.
TEST_F(RegistryContract, SubkeysEnumerateInFoldedOrder) {
    const char* created[] = {"b", "B2", "a", "_x", "[y", "Zed", "abc", "ABD", "10", "9", "~t",
                             "\x82\xa0" /* あ */, "\x83\x41" /* ア */, "\x88\x9f" /* 亜 */, "\xb1" /* ｱ */,
                             "\x82\x60" /* Ａ */, "\x82\x62" /* Ｃ */, "a b", "a-b", "a.b", "^c", "`d", "{e", "|f",
                             "}g", "\x81\x40" /* ideographic space */, "\x82\x4f" /* ０ */, "\x83\x9f" /* Α */,
                             "\x84\x40" /* А */};
    for (const char* name : created) EXPECT_EQ(Create(name), static_cast<DWORD>(REG_CREATED_NEW_KEY)) << name;
    const std::vector<std::string> expected = {
        "10", "9", "[y", "^c", "_x", "`d", "a", "a b", "a-b", "a.b", "abc", "ABD", "b", "B2", "Zed", "{e", "|f", "}g",
        "~t", "\x83\x9f", "\x84\x40", "\x81\x40", "\x82\xa0", "\x83\x41", "\x88\x9f", "\x82\x4f", "\x82\x60",
        "\x82\x62", "\xb1"};
    EXPECT_EQ(SubkeyNames(Root()), expected);
}

// Lower-case twins of full-width, Greek and Cyrillic capitals name the same key.
TEST_F(RegistryContract, Cp932LettersFoldToTheirCapitals) {
    Create("\x82\x60");  // Ａ
    Create("\x83\x9f");  // Α
    Create("\x84\x40");  // А
    EXPECT_EQ(Create("\x82\x81"), static_cast<DWORD>(REG_OPENED_EXISTING_KEY));  // ａ
    EXPECT_EQ(Create("\x83\xbf"), static_cast<DWORD>(REG_OPENED_EXISTING_KEY));  // α
    EXPECT_EQ(Create("\x84\x70"), static_cast<DWORD>(REG_OPENED_EXISTING_KEY));  // а
    EXPECT_EQ(SubkeyNames(Root()), (std::vector<std::string>{"\x83\x9f", "\x84\x40", "\x82\x60"}));
}

TEST_F(RegistryContract, OpenIgnoresCaseAndEnumerationKeepsIt) {
    Create("MixedCase\\Child");
    HKEY key;
    ASSERT_EQ(RegOpenKeyExA(RootParent(), (RootSubPath() + "\\mIXEDcASE\\CHILD").c_str(), 0, KEY_READ, &key),
              ERROR_SUCCESS);
    RegCloseKey(key);
    EXPECT_EQ(Create("MIXEDCASE"), static_cast<DWORD>(REG_OPENED_EXISTING_KEY));
    EXPECT_EQ(SubkeyNames(Root()), std::vector<std::string>{"MixedCase"});
}

TEST_F(RegistryContract, DoubleByteNamesWithBackslashTrailBytes) {
    const std::string name = "\x83\x5c\x83\x74\x83\x67";  // ソフト: 0x5C is a trail byte
    EXPECT_EQ(Create(name + "\\\x95\x5c"), static_cast<DWORD>(REG_CREATED_NEW_KEY));  // 表 below it
    EXPECT_EQ(SubkeyNames(Root()), std::vector<std::string>{name});
    HKEY key;
    ASSERT_EQ(RegOpenKeyExA(Root(), name.c_str(), 0, KEY_READ, &key), ERROR_SUCCESS);
    EXPECT_EQ(SubkeyNames(key), std::vector<std::string>{"\x95\x5c"});
    RegCloseKey(key);
    EXPECT_EQ(RegDeleteKeyA(Root(), (name + "\\\x95\x5c").c_str()), ERROR_SUCCESS);
    EXPECT_EQ(RegDeleteKeyA(Root(), name.c_str()), ERROR_SUCCESS);
}

TEST_F(RegistryContract, PathForms) {
    Create("a\\b");
    HKEY key;
    EXPECT_EQ(RegOpenKeyExA(Root(), "a\\b\\", 0, KEY_READ, &key), ERROR_SUCCESS);  // trailing backslash
    RegCloseKey(key);
    EXPECT_EQ(RegOpenKeyExA(Root(), "", 0, KEY_READ, &key), ERROR_SUCCESS);  // the key itself
    RegCloseKey(key);
    EXPECT_EQ(RegOpenKeyExA(Root(), nullptr, 0, KEY_READ, &key), ERROR_SUCCESS);
    RegCloseKey(key);
    EXPECT_EQ(RegOpenKeyExA(Root(), "\\a", 0, KEY_READ, &key), 161);  // ERROR_BAD_PATHNAME
    ASSERT_EQ(RegOpenKeyExA(Root(), "a\\\\b", 0, KEY_READ, &key), ERROR_SUCCESS);  // doubled separator
    RegCloseKey(key);
    EXPECT_EQ(RegOpenKeyExA(Root(), "a\\\\c", 0, KEY_READ, &key), ERROR_FILE_NOT_FOUND);
    DWORD disposition;
    EXPECT_EQ(RegCreateKeyExA(Root(), "\\c", 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, &key, &disposition), 161);
}

TEST_F(RegistryContract, MissingKeysAndValuesGiveFileNotFound) {
    HKEY key;
    EXPECT_EQ(RegOpenKeyExA(Root(), "missing", 0, KEY_READ, &key), ERROR_FILE_NOT_FOUND);
    EXPECT_EQ(RegOpenKeyExA(Root(), "missing\\deeper", 0, KEY_READ, &key), ERROR_FILE_NOT_FOUND);
    EXPECT_EQ(RegDeleteKeyA(Root(), "missing"), ERROR_FILE_NOT_FOUND);
    DWORD type = 77, size = 16;
    BYTE data[16];
    EXPECT_EQ(RegQueryValueExA(Root(), "missing", nullptr, &type, data, &size), ERROR_FILE_NOT_FOUND);
    EXPECT_EQ(size, 16u);
    EXPECT_EQ(RegDeleteValueA(Root(), "missing"), ERROR_FILE_NOT_FOUND);
}

TEST_F(RegistryContract, ShortNameBufferGivesMoreDataAndKeepsTheSize) {
    Create("abc");
    CHAR name[16] = "QQQ";
    DWORD size = 3;  // no room for the NUL
    EXPECT_EQ(RegEnumKeyExA(Root(), 0, name, &size, nullptr, nullptr, nullptr, nullptr), ERROR_MORE_DATA);
    EXPECT_EQ(size, 3u);
    EXPECT_EQ(name[0], 'Q');
    size = 0;
    EXPECT_EQ(RegEnumKeyExA(Root(), 0, name, &size, nullptr, nullptr, nullptr, nullptr), ERROR_MORE_DATA);
    size = 4;
    EXPECT_EQ(RegEnumKeyExA(Root(), 0, name, &size, nullptr, nullptr, nullptr, nullptr), ERROR_SUCCESS);
    EXPECT_EQ(size, 3u);
    EXPECT_STREQ(name, "abc");

    ASSERT_EQ(SetBytes(Root(), "value", REG_BINARY, "12345"), ERROR_SUCCESS);
    BYTE data[16];
    DWORD type = 0, dataSize = sizeof data;
    // Short name buffer: the data still comes, and the name as far as it fits.
    std::memset(name, 'Q', sizeof name);
    std::memset(data, 'D', sizeof data);
    size = 3;
    EXPECT_EQ(RegEnumValueA(Root(), 0, name, &size, nullptr, &type, data, &dataSize), ERROR_MORE_DATA);
    EXPECT_EQ(size, 3u);
    EXPECT_STREQ(name, "va");
    EXPECT_EQ(type, static_cast<DWORD>(REG_BINARY));
    EXPECT_EQ(dataSize, 5u);
    EXPECT_EQ(std::string(reinterpret_cast<char*>(data), 5), "12345");
    // Short data buffer: only the size needed and the type come back.
    std::memset(name, 'Q', sizeof name);
    std::memset(data, 'D', sizeof data);
    size = 6;
    dataSize = 4;
    type = 0;
    EXPECT_EQ(RegEnumValueA(Root(), 0, name, &size, nullptr, &type, data, &dataSize), ERROR_MORE_DATA);
    EXPECT_EQ(dataSize, 5u);
    EXPECT_EQ(size, 6u);
    EXPECT_EQ(type, static_cast<DWORD>(REG_BINARY));
    EXPECT_EQ(name[0], 'Q');
    EXPECT_EQ(data[0], 'D');
    dataSize = 2;
    data[0] = 0x55;
    EXPECT_EQ(RegQueryValueExA(Root(), "value", nullptr, &type, data, &dataSize), ERROR_MORE_DATA);
    EXPECT_EQ(dataSize, 5u);
    EXPECT_EQ(type, static_cast<DWORD>(REG_BINARY));
    EXPECT_EQ(data[0], 0x55);  // untouched
    dataSize = 0;
    EXPECT_EQ(RegQueryValueExA(Root(), "value", nullptr, &type, nullptr, &dataSize), ERROR_SUCCESS);
    EXPECT_EQ(dataSize, 5u);
}

TEST_F(RegistryContract, EnumerationEndsWithNoMoreItems) {
    CHAR name[64];
    DWORD size = sizeof name;
    EXPECT_EQ(RegEnumKeyExA(Root(), 0, name, &size, nullptr, nullptr, nullptr, nullptr), ERROR_NO_MORE_ITEMS);
    size = sizeof name;
    EXPECT_EQ(RegEnumValueA(Root(), 0, name, &size, nullptr, nullptr, nullptr, nullptr), ERROR_NO_MORE_ITEMS);
    Create("one");
    ASSERT_EQ(SetBytes(Root(), "v", REG_BINARY, "x"), ERROR_SUCCESS);
    size = sizeof name;
    EXPECT_EQ(RegEnumKeyExA(Root(), 1, name, &size, nullptr, nullptr, nullptr, nullptr), ERROR_NO_MORE_ITEMS);
    size = sizeof name;
    EXPECT_EQ(RegEnumValueA(Root(), 1, name, &size, nullptr, nullptr, nullptr, nullptr), ERROR_NO_MORE_ITEMS);
    size = sizeof name;
    EXPECT_EQ(RegEnumValueA(Root(), 1000, name, &size, nullptr, nullptr, nullptr, nullptr), ERROR_NO_MORE_ITEMS);
}

TEST_F(RegistryContract, DeletingAKeyWithSubkeysIsRefused) {
    Create("parent\\child");
    EXPECT_EQ(RegDeleteKeyA(Root(), "parent"), ERROR_ACCESS_DENIED);
    HKEY key;
    ASSERT_EQ(RegOpenKeyExA(Root(), "parent\\child", 0, KEY_READ, &key), ERROR_SUCCESS);
    RegCloseKey(key);
    EXPECT_EQ(RegDeleteKeyA(Root(), "parent\\child"), ERROR_SUCCESS);
    EXPECT_EQ(RegDeleteKeyA(Root(), "parent"), ERROR_SUCCESS);
    EXPECT_EQ(RegOpenKeyExA(Root(), "parent", 0, KEY_READ, &key), ERROR_FILE_NOT_FOUND);
    EXPECT_EQ(RegDeleteKeyA(Root(), nullptr), ERROR_INVALID_PARAMETER);
}

TEST_F(RegistryContract, ValuesKeepTypeAndBytesVerbatim) {
    struct Case {
        const char* name;
        DWORD type;
        std::string bytes;
    };
    const Case cases[] = {
        {"binary", REG_BINARY, std::string("\x82\xa0\x00\xff\x00", 5)},
        {"short dword", REG_DWORD, std::string("\x01\x02", 2)},
        {"odd type", 0x12345, "abc"},
        {"all ones", 0xFFFFFFFF, std::string("\x00\x01\x02", 3)},
        {"empty", REG_NONE, ""},
        {"", REG_BINARY, "default value"},
        {"sz", REG_SZ, std::string("\x93\xfa\x96\x7b\x00", 5)},  // 日本 with its NUL
        {"multi", REG_MULTI_SZ, std::string("a\0b\0\0", 5)},
    };
    for (const Case& c : cases) ASSERT_EQ(SetBytes(Root(), c.name, c.type, c.bytes), ERROR_SUCCESS) << c.name;
    for (const Case& c : cases) {
        BYTE data[64];
        DWORD type = 0, size = sizeof data;
        ASSERT_EQ(RegQueryValueExA(Root(), c.name, nullptr, &type, data, &size), ERROR_SUCCESS) << c.name;
        EXPECT_EQ(type, c.type) << c.name;
        EXPECT_EQ(std::string(reinterpret_cast<char*>(data), size), c.bytes) << c.name;
    }
    // Overwriting replaces type and bytes.
    ASSERT_EQ(SetBytes(Root(), "binary", REG_DWORD, std::string("\x01\0\0\0", 4)), ERROR_SUCCESS);
    RegTree tree = DumpTree(Root());
    ASSERT_EQ(tree.values.size(), 8u);
    EXPECT_EQ(tree.values[1].name, "all ones");
    EXPECT_EQ(tree.values[2].type, static_cast<DWORD>(REG_DWORD));
    EXPECT_EQ(tree.values[2].data, std::string("\x01\x00\x00\x00", 4));
}

// A string value without its NUL is stored with the NUL when one follows the
// counted bytes in memory (Windows and Wine do this); with another byte there,
// exactly the counted bytes.
TEST_F(RegistryContract, StringWithoutTerminatorGainsTheOneBehindIt) {
    const char withNul[] = "abc";
    ASSERT_EQ(RegSetValueExA(Root(), "a", 0, REG_SZ, reinterpret_cast<const BYTE*>(withNul), 3), ERROR_SUCCESS);
    const char noNul[] = "abcd";
    ASSERT_EQ(RegSetValueExA(Root(), "b", 0, REG_SZ, reinterpret_cast<const BYTE*>(noNul), 3), ERROR_SUCCESS);
    BYTE data[16];
    DWORD size = sizeof data;
    ASSERT_EQ(RegQueryValueExA(Root(), "a", nullptr, nullptr, data, &size), ERROR_SUCCESS);
    EXPECT_EQ(std::string(reinterpret_cast<char*>(data), size), std::string("abc\0", 4));
    size = sizeof data;
    ASSERT_EQ(RegQueryValueExA(Root(), "b", nullptr, nullptr, data, &size), ERROR_SUCCESS);
    EXPECT_EQ(size, 3u);
    EXPECT_EQ(std::string(reinterpret_cast<char*>(data), 3), "abc");
}

// Strings and names are held as UTF-16: broken cp932 does not come back as
// it went in. Binary values are untouched.
TEST_F(RegistryContract, StringsMakeATripThroughUtf16) {
    struct Case {
        DWORD type;
        std::string in;
        std::string out;
    };
    const Case cases[] = {
        {REG_SZ, "\x82", std::string("\0", 1)},                    // lead byte at the end: NUL
        {REG_SZ, std::string("\x82\0", 2), "\x81\x45"},            // bad trail byte: "・", NUL swallowed
        {REG_SZ, std::string("\x82\x20\0", 3), std::string("\x81\x45\0", 3)},
        {REG_SZ, std::string("\xed\x40\0", 3), std::string("\xfa\x5c\0", 3)},  // NEC-selected IBM to IBM
        {REG_SZ, std::string("\x85\x40\0", 3), std::string("\x81\x45\0", 3)},  // unassigned
        {REG_SZ, std::string("\x80\xa0\xfd\xff\0", 5), std::string("\x80\xa0\xfd\xff\0", 5)},
        {REG_SZ, std::string("\x87\x40\xf0\x40\0", 5), std::string("\x87\x40\xf0\x40\0", 5)},
        {REG_SZ, "\x82\xa0\x82", std::string("\x82\xa0\0", 3)},
        {REG_EXPAND_SZ, "\x82", std::string("\0", 1)},
        {REG_MULTI_SZ, std::string("\x82\0\0", 3), std::string("\x81\x45\0", 3)},
        {REG_BINARY, "\x82", "\x82"},
    };
    int n = 0;
    for (const Case& c : cases) {
        std::string name = "v" + std::to_string(n++);
        std::string buffer = c.in + "A";  // no NUL right behind the counted bytes
        ASSERT_EQ(RegSetValueExA(Root(), name.c_str(), 0, c.type, reinterpret_cast<const BYTE*>(buffer.data()),
                                 static_cast<DWORD>(c.in.size())),
                  ERROR_SUCCESS);
        BYTE data[32];
        DWORD size = sizeof data;
        ASSERT_EQ(RegQueryValueExA(Root(), name.c_str(), nullptr, nullptr, data, &size), ERROR_SUCCESS) << name;
        EXPECT_EQ(std::string(reinterpret_cast<char*>(data), size), c.out) << name;
    }

    for (const char* name : {"\x80x", "\xed\x40", "\xfa\x40", "\x87\x40", "z\x82", "\xa0y", "\xfd"}) Create(name);
    EXPECT_EQ(SubkeyNames(Root()),
              (std::vector<std::string>{std::string("z\0", 2), "\x80x", "\xfa\x40", "\x87\x40", "\xfa\x5c", "\xa0y",
                                        "\xfd"}));
}

TEST_F(RegistryContract, ValuesEnumerateInFoldedOrder) {
    for (const char* name : {"zeta", "Alpha", "beta", "", "_u", "a", "B"})
        ASSERT_EQ(SetBytes(Root(), name, REG_BINARY, "x"), ERROR_SUCCESS);
    std::vector<std::string> names;
    for (const RegValue& v : DumpTree(Root()).values) names.push_back(v.name);
    EXPECT_EQ(names, (std::vector<std::string>{"", "_u", "a", "Alpha", "B", "beta", "zeta"}));
}

TEST_F(RegistryContract, NamesLongerThan255Bytes) {
    std::string valueName(300, 'v');
    ASSERT_EQ(SetBytes(Root(), valueName.c_str(), REG_BINARY, "x"), ERROR_SUCCESS);
    CHAR name[400];
    DWORD size = 256;
    EXPECT_EQ(RegEnumValueA(Root(), 0, name, &size, nullptr, nullptr, nullptr, nullptr), ERROR_MORE_DATA);
    EXPECT_EQ(size, 256u);
    size = sizeof name;
    EXPECT_EQ(RegEnumValueA(Root(), 0, name, &size, nullptr, nullptr, nullptr, nullptr), ERROR_SUCCESS);
    EXPECT_EQ(size, 300u);

    EXPECT_EQ(Create(std::string(256, 'k')), static_cast<DWORD>(REG_CREATED_NEW_KEY));
    size = 256;
    EXPECT_EQ(RegEnumKeyExA(Root(), 0, name, &size, nullptr, nullptr, nullptr, nullptr), ERROR_MORE_DATA);
    size = 257;
    EXPECT_EQ(RegEnumKeyExA(Root(), 0, name, &size, nullptr, nullptr, nullptr, nullptr), ERROR_SUCCESS);
    EXPECT_EQ(size, 256u);
}

TEST_F(RegistryContract, HandlesGrantOnlyTheirAccess) {
    Create("k");
    HKEY read, write;
    ASSERT_EQ(RegOpenKeyExA(Root(), "k", 0, KEY_READ, &read), ERROR_SUCCESS);
    ASSERT_EQ(RegOpenKeyExA(Root(), "k", 0, KEY_SET_VALUE, &write), ERROR_SUCCESS);
    EXPECT_EQ(SetBytes(read, "x", REG_BINARY, "1"), ERROR_ACCESS_DENIED);
    EXPECT_EQ(SetBytes(write, "x", REG_BINARY, "1"), ERROR_SUCCESS);
    EXPECT_EQ(RegDeleteValueA(read, "x"), ERROR_ACCESS_DENIED);
    BYTE data[4];
    DWORD size = sizeof data;
    EXPECT_EQ(RegQueryValueExA(write, "x", nullptr, nullptr, data, &size), ERROR_ACCESS_DENIED);
    CHAR name[16];
    size = sizeof name;
    EXPECT_EQ(RegEnumKeyExA(write, 0, name, &size, nullptr, nullptr, nullptr, nullptr), ERROR_ACCESS_DENIED);
    RegCloseKey(read);
    RegCloseKey(write);
}

TEST_F(RegistryContract, DeletedKeyAndBadHandles) {
    HKEY key;
    ASSERT_EQ(RegCreateKeyExA(Root(), "gone", 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, &key, nullptr), ERROR_SUCCESS);
    EXPECT_EQ(RegDeleteKeyA(Root(), "gone"), ERROR_SUCCESS);  // even while open
    EXPECT_EQ(SetBytes(key, "x", REG_BINARY, "1"), ERROR_KEY_DELETED);
    CHAR name[16];
    DWORD size = sizeof name;
    EXPECT_EQ(RegEnumKeyExA(key, 0, name, &size, nullptr, nullptr, nullptr, nullptr), ERROR_KEY_DELETED);
    EXPECT_EQ(RegCloseKey(key), ERROR_SUCCESS);
    EXPECT_EQ(RegCloseKey(key), ERROR_INVALID_HANDLE);
    HKEY bogus = reinterpret_cast<HKEY>(static_cast<uintptr_t>(0x1234));
    EXPECT_EQ(RegOpenKeyExA(bogus, "x", 0, KEY_READ, &key), ERROR_INVALID_HANDLE);
    EXPECT_EQ(RegCloseKey(HKEY_CURRENT_USER), ERROR_SUCCESS);
}

TEST_F(RegistryContract, QueryInfoCountsChildrenAndLongestNames) {
    Create("ab");
    Create("abcde");
    ASSERT_EQ(SetBytes(Root(), "vvv", REG_BINARY, "123456"), ERROR_SUCCESS);
    ASSERT_EQ(SetBytes(Root(), "v", REG_BINARY, "1"), ERROR_SUCCESS);
    DWORD subkeys = 0, maxSubkey = 0, values = 0, maxName = 0, maxData = 0;
    ASSERT_EQ(RegQueryInfoKeyA(Root(), nullptr, nullptr, nullptr, &subkeys, &maxSubkey, nullptr, &values, &maxName,
                               &maxData, nullptr, nullptr),
              ERROR_SUCCESS);
    EXPECT_EQ(subkeys, 2u);
    EXPECT_EQ(maxSubkey, 5u);
    EXPECT_EQ(values, 2u);
    EXPECT_EQ(maxName, 3u);
    EXPECT_EQ(maxData, 6u);
}

TEST_F(RegistryContract, DumpAndBuildRoundTrip) {
    RegTree tree;
    tree.values = {{"", REG_SZ, std::string("top\0", 4)}, {"n", REG_DWORD, std::string("\x05\x00\x00\x00", 4)}};
    RegTree child;
    child.values = {{"bin", REG_BINARY, std::string("\x00\x01", 2)}};
    tree.subkeys = {{"A", child}, {"b", RegTree{}}};
    BuildTree(Root(), tree);
    EXPECT_EQ(DumpTree(Root()), tree);
}

}  // namespace
