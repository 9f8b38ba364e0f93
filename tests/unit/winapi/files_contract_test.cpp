// File-system behaviour the program relies on, checked on the simulation and
// on Wine alike. Expected values are Wine's.
#include <algorithm>
#include <ostream>
#include <string>
#include <vector>

#include "testenv.h"

namespace {

struct Entry {
    std::string name;
    DWORD attributes;
    DWORD size;
    bool operator==(const Entry& o) const { return name == o.name && attributes == o.attributes && size == o.size; }
};

std::ostream& operator<<(std::ostream& out, const Entry& e) {
    return out << "{" << e.name << " " << e.attributes << " " << e.size << "}";
}

class FilesContract : public BrvTest {
protected:
    std::string P(const std::string& name) const { return Dir() + name; }
    HANDLE Open(const std::string& path, DWORD access, DWORD share, DWORD disposition) {
        return CreateFileA(path.c_str(), access, share, nullptr, disposition, FILE_ATTRIBUTE_NORMAL, nullptr);
    }
    // The listing in the order given, and the last error at its end.
    std::vector<Entry> List(const std::string& pattern, DWORD* endError) {
        std::vector<Entry> entries;
        WIN32_FIND_DATAA data;
        HANDLE find = FindFirstFileA(pattern.c_str(), &data);
        *endError = GetLastError();
        if (find == INVALID_HANDLE_VALUE) return entries;
        do {
            entries.push_back({data.cFileName, data.dwFileAttributes, data.nFileSizeLow});
        } while (FindNextFileA(find, &data));
        *endError = GetLastError();
        EXPECT_TRUE(FindClose(find));
        return entries;
    }
};

TEST_F(FilesContract, DispositionsAndTheirLastError) {
    SetLastError(77);
    HANDLE h = Open(P("f"), GENERIC_WRITE, 0, CREATE_NEW);
    ASSERT_NE(h, INVALID_HANDLE_VALUE);
    EXPECT_EQ(GetLastError(), 0u);
    CloseHandle(h);

    EXPECT_EQ(Open(P("f"), GENERIC_WRITE, 0, CREATE_NEW), INVALID_HANDLE_VALUE);
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_FILE_EXISTS));

    WriteBytes(P("f"), "hello");
    h = Open(P("f"), GENERIC_WRITE, 0, OPEN_ALWAYS);  // opened as it is
    ASSERT_NE(h, INVALID_HANDLE_VALUE);
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_ALREADY_EXISTS));
    EXPECT_EQ(GetFileSize(h, nullptr), 5u);
    CloseHandle(h);

    h = Open(P("f"), GENERIC_WRITE, 0, CREATE_ALWAYS);  // emptied
    ASSERT_NE(h, INVALID_HANDLE_VALUE);
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_ALREADY_EXISTS));
    EXPECT_EQ(GetFileSize(h, nullptr), 0u);
    CloseHandle(h);

    SetLastError(77);
    h = Open(P("g"), GENERIC_WRITE, 0, OPEN_ALWAYS);
    ASSERT_NE(h, INVALID_HANDLE_VALUE);
    EXPECT_EQ(GetLastError(), 0u);
    CloseHandle(h);
    SetLastError(77);
    h = Open(P("h"), GENERIC_WRITE, 0, CREATE_ALWAYS);
    ASSERT_NE(h, INVALID_HANDLE_VALUE);
    EXPECT_EQ(GetLastError(), 0u);
    CloseHandle(h);

    WriteBytes(P("g"), "data");
    h = Open(P("g"), GENERIC_WRITE, 0, TRUNCATE_EXISTING);
    ASSERT_NE(h, INVALID_HANDLE_VALUE);
    EXPECT_EQ(GetFileSize(h, nullptr), 0u);
    CloseHandle(h);
}

// Only CreateFileA speaks on success; the rest leave the last error alone.
TEST_F(FilesContract, SuccessfulCallsLeaveTheLastErrorAlone) {
    auto check = [](BOOL ok, const char* what) {
        EXPECT_TRUE(ok) << what;
        EXPECT_EQ(GetLastError(), 77u) << what;
        SetLastError(77);
    };
    SetLastError(77);
    check(CreateDirectoryA(P("d").c_str(), nullptr), "CreateDirectoryA");
    HANDLE h = Open(P("d\\f"), GENERIC_READ | GENERIC_WRITE, 0, CREATE_NEW);
    ASSERT_NE(h, INVALID_HANDLE_VALUE);
    EXPECT_EQ(GetLastError(), 0u);
    SetLastError(77);
    DWORD done;
    check(WriteFile(h, "abc", 3, &done, nullptr), "WriteFile");
    check(SetFilePointer(h, 1, nullptr, FILE_BEGIN) == 1, "SetFilePointer");
    CHAR buffer[4];
    check(ReadFile(h, buffer, sizeof buffer, &done, nullptr), "ReadFile");
    check(GetFileSize(h, nullptr) == 3, "GetFileSize");
    check(SetEndOfFile(h), "SetEndOfFile");
    check(CloseHandle(h), "CloseHandle");
    check(GetFileAttributesA(P("d\\f").c_str()) != INVALID_FILE_ATTRIBUTES, "GetFileAttributesA");
    check(MoveFileExA(P("d\\f").c_str(), P("d\\g").c_str(), 0), "MoveFileExA");
    WIN32_FIND_DATAA data;
    HANDLE find = FindFirstFileA(P("d\\*").c_str(), &data);
    check(find != INVALID_HANDLE_VALUE, "FindFirstFileA");
    check(FindNextFileA(find, &data), "FindNextFileA");
    check(FindClose(find), "FindClose");
    check(DeleteFileA(P("d\\g").c_str()), "DeleteFileA");
    check(RemoveDirectoryA(P("d").c_str()), "RemoveDirectoryA");
    HKEY key;
    check(RegOpenKeyExA(Root(), "missing", 0, KEY_READ, &key) == ERROR_FILE_NOT_FOUND, "RegOpenKeyExA");
}

TEST_F(FilesContract, MissingFilesFoldersAndBadRequests) {
    EXPECT_EQ(Open(P("missing"), GENERIC_READ, 0, OPEN_EXISTING), INVALID_HANDLE_VALUE);
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_FILE_NOT_FOUND));
    EXPECT_EQ(Open(P("missing"), GENERIC_WRITE, 0, TRUNCATE_EXISTING), INVALID_HANDLE_VALUE);
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_FILE_NOT_FOUND));
    EXPECT_EQ(Open(P("nodir\\missing"), GENERIC_READ, 0, OPEN_EXISTING), INVALID_HANDLE_VALUE);
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_PATH_NOT_FOUND));
    EXPECT_EQ(Open(P("nodir\\new"), GENERIC_WRITE, 0, CREATE_ALWAYS), INVALID_HANDLE_VALUE);
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_PATH_NOT_FOUND));
    EXPECT_EQ(Open(Dir(), GENERIC_READ, 0, OPEN_EXISTING), INVALID_HANDLE_VALUE);  // a folder
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_ACCESS_DENIED));
    EXPECT_EQ(Open(P("x"), GENERIC_READ, 0, 7), INVALID_HANDLE_VALUE);
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_INVALID_PARAMETER));
    EXPECT_EQ(GetFileAttributesA(P("missing").c_str()), INVALID_FILE_ATTRIBUTES);
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_FILE_NOT_FOUND));
    EXPECT_EQ(GetFileAttributesA(P("nodir\\missing").c_str()), INVALID_FILE_ATTRIBUTES);
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_PATH_NOT_FOUND));
}

TEST_F(FilesContract, SecondOpenWithoutSharingIsASharingViolation) {
    HANDLE first = Open(P("lock"), GENERIC_READ | GENERIC_WRITE, 0, OPEN_ALWAYS);
    ASSERT_NE(first, INVALID_HANDLE_VALUE);
    EXPECT_EQ(Open(P("lock"), GENERIC_READ | GENERIC_WRITE, 0, OPEN_ALWAYS), INVALID_HANDLE_VALUE);
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_SHARING_VIOLATION));
    // Even a reader that shares everything is turned away.
    EXPECT_EQ(Open(P("lock"), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, OPEN_EXISTING),
              INVALID_HANDLE_VALUE);
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_SHARING_VIOLATION));
    EXPECT_EQ(Open(P("lock"), GENERIC_WRITE, 0, CREATE_ALWAYS), INVALID_HANDLE_VALUE);
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_SHARING_VIOLATION));
    CloseHandle(first);
    HANDLE again = Open(P("lock"), GENERIC_READ | GENERIC_WRITE, 0, OPEN_ALWAYS);
    EXPECT_NE(again, INVALID_HANDLE_VALUE);
    CloseHandle(again);
}

TEST_F(FilesContract, ShareBitsAreCheckedBothWays) {
    WriteBytes(P("f"), "abc");
    HANDLE reader = Open(P("f"), GENERIC_READ, FILE_SHARE_READ, OPEN_EXISTING);
    ASSERT_NE(reader, INVALID_HANDLE_VALUE);
    HANDLE reader2 = Open(P("f"), GENERIC_READ, FILE_SHARE_READ, OPEN_EXISTING);
    EXPECT_NE(reader2, INVALID_HANDLE_VALUE);
    CloseHandle(reader2);
    // The first reader does not share writing.
    EXPECT_EQ(Open(P("f"), GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE, OPEN_EXISTING), INVALID_HANDLE_VALUE);
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_SHARING_VIOLATION));
    // A second reader must share reading with the first.
    EXPECT_EQ(Open(P("f"), GENERIC_READ, 0, OPEN_EXISTING), INVALID_HANDLE_VALUE);
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_SHARING_VIOLATION));
    EXPECT_FALSE(DeleteFileA(P("f").c_str()));
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_SHARING_VIOLATION));
    CloseHandle(reader);

    HANDLE shared = Open(P("f"), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, OPEN_EXISTING);
    ASSERT_NE(shared, INVALID_HANDLE_VALUE);
    HANDLE writer = Open(P("f"), GENERIC_WRITE, FILE_SHARE_READ, OPEN_EXISTING);
    EXPECT_NE(writer, INVALID_HANDLE_VALUE);
    CloseHandle(writer);
    CloseHandle(shared);
}

TEST_F(FilesContract, HandlesDoOnlyWhatTheirAccessAllows) {
    WriteBytes(P("f"), "hello");
    HANDLE h = Open(P("f"), GENERIC_READ, FILE_SHARE_READ, OPEN_EXISTING);
    ASSERT_NE(h, INVALID_HANDLE_VALUE);
    DWORD done = 99;
    EXPECT_FALSE(WriteFile(h, "x", 1, &done, nullptr));
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_ACCESS_DENIED));
    EXPECT_EQ(done, 0u);
    CHAR buffer[16];
    EXPECT_TRUE(ReadFile(h, buffer, sizeof buffer, &done, nullptr));
    EXPECT_EQ(std::string(buffer, done), "hello");
    EXPECT_TRUE(ReadFile(h, buffer, sizeof buffer, &done, nullptr));  // at the end: success, nothing read
    EXPECT_EQ(done, 0u);
    CloseHandle(h);
    EXPECT_FALSE(CloseHandle(h));
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_INVALID_HANDLE));
}

TEST_F(FilesContract, PointerEndOfFileAndSize) {
    WriteBytes(P("f"), "hello");
    HANDLE h = Open(P("f"), GENERIC_READ | GENERIC_WRITE, 0, OPEN_EXISTING);
    ASSERT_NE(h, INVALID_HANDLE_VALUE);
    EXPECT_EQ(SetFilePointer(h, 2, nullptr, FILE_BEGIN), 2u);
    EXPECT_TRUE(SetEndOfFile(h));
    EXPECT_EQ(GetFileSize(h, nullptr), 2u);
    EXPECT_EQ(SetFilePointer(h, -5, nullptr, FILE_CURRENT), INVALID_SET_FILE_POINTER);
    EXPECT_EQ(GetLastError(), 131u);  // ERROR_NEGATIVE_SEEK
    EXPECT_EQ(SetFilePointer(h, 10, nullptr, FILE_END), 12u);
    EXPECT_EQ(GetFileSize(h, nullptr), 2u);  // moving past the end does not grow the file
    DWORD done;
    EXPECT_TRUE(WriteFile(h, "z", 1, &done, nullptr));
    DWORD high = 7;
    EXPECT_EQ(GetFileSize(h, &high), 13u);
    EXPECT_EQ(high, 0u);
    EXPECT_TRUE(FlushFileBuffers(h));
    CloseHandle(h);
    EXPECT_EQ(ReadBytes(P("f")), std::string("he\0\0\0\0\0\0\0\0\0\0z", 13));
}

TEST_F(FilesContract, DeleteFileRefusesFoldersAndReadOnlyFiles) {
    ASSERT_TRUE(CreateDirectoryA(P("sub").c_str(), nullptr));
    EXPECT_FALSE(DeleteFileA(P("sub").c_str()));
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_ACCESS_DENIED));

    WriteBytes(P("ro"), "x");
    ASSERT_TRUE(SetFileAttributesA(P("ro").c_str(), FILE_ATTRIBUTE_READONLY));
    EXPECT_EQ(GetFileAttributesA(P("ro").c_str()), static_cast<DWORD>(FILE_ATTRIBUTE_READONLY | FILE_ATTRIBUTE_ARCHIVE));
    EXPECT_FALSE(DeleteFileA(P("ro").c_str()));
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_ACCESS_DENIED));
    EXPECT_TRUE(FileExists(P("ro")));
    ASSERT_TRUE(SetFileAttributesA(P("ro").c_str(), FILE_ATTRIBUTE_NORMAL));
    EXPECT_EQ(GetFileAttributesA(P("ro").c_str()), static_cast<DWORD>(FILE_ATTRIBUTE_ARCHIVE));
    EXPECT_TRUE(DeleteFileA(P("ro").c_str()));
    EXPECT_FALSE(FileExists(P("ro")));

    EXPECT_FALSE(DeleteFileA(P("ro").c_str()));
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_FILE_NOT_FOUND));
    EXPECT_FALSE(DeleteFileA(P("nodir\\x").c_str()));
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_PATH_NOT_FOUND));
}

// The name stays until the last handle goes; meanwhile it cannot be opened.
TEST_F(FilesContract, DeletingAFileOpenWithShareDeleteWaitsForItsHandles) {
    WriteBytes(P("f"), "x");
    HANDLE h = Open(P("f"), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_DELETE, OPEN_EXISTING);
    ASSERT_NE(h, INVALID_HANDLE_VALUE);
    EXPECT_TRUE(DeleteFileA(P("f").c_str()));
    EXPECT_TRUE(FileExists(P("f")));
    EXPECT_EQ(Open(P("f"), GENERIC_WRITE, 0, CREATE_ALWAYS), INVALID_HANDLE_VALUE);
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_SHARING_VIOLATION));
    CloseHandle(h);
    EXPECT_FALSE(FileExists(P("f")));
    HANDLE again = Open(P("f"), GENERIC_WRITE, 0, CREATE_NEW);
    EXPECT_NE(again, INVALID_HANDLE_VALUE);
    CloseHandle(again);
}

TEST_F(FilesContract, HandlesWithoutDataAccessDoNotBlock) {
    WriteBytes(P("f"), "x");
    HANDLE look = Open(P("f"), 0, 0, OPEN_EXISTING);
    ASSERT_NE(look, INVALID_HANDLE_VALUE);
    HANDLE exclusive = Open(P("f"), GENERIC_READ | GENERIC_WRITE, 0, OPEN_EXISTING);
    EXPECT_NE(exclusive, INVALID_HANDLE_VALUE);
    CloseHandle(exclusive);
    CloseHandle(look);
}

TEST_F(FilesContract, NamesWithForbiddenCharactersAreInvalid) {
    for (const char* name : {"a*b", "a?b", "a|b", "a\"b", "a<b", "a>b"}) {
        EXPECT_EQ(Open(P(name), GENERIC_WRITE, 0, CREATE_ALWAYS), INVALID_HANDLE_VALUE) << name;
        EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_INVALID_NAME)) << name;
    }
    WriteBytes(P("f.txt"), "x");
    EXPECT_EQ(Open(P("f.txt\\"), GENERIC_READ, 0, OPEN_EXISTING), INVALID_HANDLE_VALUE);
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_INVALID_NAME));
    EXPECT_EQ(Open(P("new.txt\\"), GENERIC_WRITE, 0, CREATE_ALWAYS), INVALID_HANDLE_VALUE);
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_INVALID_NAME));
    EXPECT_EQ(Open(P("f.txt\\x"), GENERIC_READ, 0, OPEN_EXISTING), INVALID_HANDLE_VALUE);  // a file is no folder
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_PATH_NOT_FOUND));
    EXPECT_TRUE(CreateDirectoryA(P("sub\\").c_str(), nullptr));  // a folder may end in a separator
}

// 0x5C is also the second byte of many double-byte characters ("ソ", "表"):
// it must not split a name.
TEST_F(FilesContract, DoubleByteNamesWithBackslashTrailBytes) {
    const std::string folder = "\x83\x5c\x83\x74\x83\x67";  // ソフト
    const std::string file = "\x95\x5c.txt";                // 表.txt
    ASSERT_TRUE(CreateDirectoryA(P(folder).c_str(), nullptr));
    WriteBytes(P(folder + "\\" + file), "data");
    EXPECT_EQ(ReadBytes(P(folder + "\\" + file)), "data");
    EXPECT_EQ(ListFiles(P(folder)), std::vector<std::string>{file});
    DWORD endError;
    std::vector<Entry> listed = List(P(folder + "\\*.txt"), &endError);
    ASSERT_EQ(listed.size(), 1u);
    EXPECT_EQ(listed[0].name, file);
    CHAR full[MAX_PATH];
    LPSTR part = nullptr;
    ASSERT_GT(GetFullPathNameA(P(folder + "\\" + file).c_str(), MAX_PATH, full, &part), 0u);
    EXPECT_STREQ(part, file.c_str());
    ASSERT_TRUE(DeleteFileA(P(folder + "\\" + file).c_str()));
    EXPECT_TRUE(RemoveDirectoryA(P(folder).c_str()));
}

TEST_F(FilesContract, FindWithoutWildcardsFindsTheNamedEntry) {
    WriteBytes(P("f.txt"), "x");
    DWORD endError;
    std::vector<Entry> one = List(P("f.txt"), &endError);
    ASSERT_EQ(one.size(), 1u);
    EXPECT_EQ(one[0].name, "f.txt");
    EXPECT_EQ(endError, static_cast<DWORD>(ERROR_NO_MORE_FILES));
    std::string folder = Dir().substr(0, Dir().size() - 1);
    std::vector<Entry> self = List(folder, &endError);
    ASSERT_EQ(self.size(), 1u);
    EXPECT_EQ(self[0].attributes, static_cast<DWORD>(FILE_ATTRIBUTE_DIRECTORY));
    EXPECT_TRUE(List(Dir(), &endError).empty());  // a folder with its separator names nothing
    EXPECT_EQ(endError, static_cast<DWORD>(ERROR_FILE_NOT_FOUND));
}

TEST_F(FilesContract, Folders) {
    ASSERT_TRUE(CreateDirectoryA(P("sub").c_str(), nullptr));
    EXPECT_EQ(GetFileAttributesA(P("sub").c_str()), static_cast<DWORD>(FILE_ATTRIBUTE_DIRECTORY));
    EXPECT_FALSE(CreateDirectoryA(P("sub").c_str(), nullptr));
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_ALREADY_EXISTS));
    WriteBytes(P("file"), "");
    EXPECT_FALSE(CreateDirectoryA(P("file").c_str(), nullptr));
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_ALREADY_EXISTS));
    EXPECT_FALSE(CreateDirectoryA(P("no\\sub").c_str(), nullptr));
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_PATH_NOT_FOUND));

    WriteBytes(P("sub\\inner"), "x");
    EXPECT_FALSE(RemoveDirectoryA(P("sub").c_str()));
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_DIR_NOT_EMPTY));
    EXPECT_FALSE(RemoveDirectoryA(P("missing").c_str()));
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_FILE_NOT_FOUND));
    EXPECT_FALSE(RemoveDirectoryA(P("file").c_str()));
    EXPECT_EQ(GetLastError(), 267u);  // ERROR_DIRECTORY
    ASSERT_TRUE(DeleteFileA(P("sub\\inner").c_str()));
    EXPECT_TRUE(RemoveDirectoryA((P("sub") + "\\").c_str()));
}

TEST_F(FilesContract, ListingHasDotsFilesAndFolders) {
    WriteBytes(P("b.txt"), "12345");
    WriteBytes(P("a.txt"), "");
    WriteBytes(P("noext"), "1");
    ASSERT_TRUE(CreateDirectoryA(P("sub").c_str(), nullptr));
    DWORD endError = 0;
    std::vector<Entry> all = List(P("*.*"), &endError);
    EXPECT_EQ(endError, static_cast<DWORD>(ERROR_NO_MORE_FILES));
    const std::vector<Entry> expected = {{".", FILE_ATTRIBUTE_DIRECTORY, 0},   {"..", FILE_ATTRIBUTE_DIRECTORY, 0},
                                         {"a.txt", FILE_ATTRIBUTE_ARCHIVE, 0}, {"b.txt", FILE_ATTRIBUTE_ARCHIVE, 5},
                                         {"noext", FILE_ATTRIBUTE_ARCHIVE, 1}, {"sub", FILE_ATTRIBUTE_DIRECTORY, 0}};
    ASSERT_GE(all.size(), 2u);
    EXPECT_EQ(all[0].name, ".");
    EXPECT_EQ(all[1].name, "..");
    std::sort(all.begin() + 2, all.end(), [](const Entry& a, const Entry& b) { return a.name < b.name; });
    EXPECT_EQ(all, expected);
    EXPECT_EQ(List(P("*"), &endError).size(), 6u);

    std::vector<Entry> txt = List(P("*.txt"), &endError);
    EXPECT_EQ(txt.size(), 2u);
    EXPECT_TRUE(List(P("*.zzz"), &endError).empty());
    EXPECT_EQ(endError, static_cast<DWORD>(ERROR_FILE_NOT_FOUND));
    EXPECT_TRUE(List(P("nodir\\*"), &endError).empty());
    EXPECT_EQ(endError, static_cast<DWORD>(ERROR_PATH_NOT_FOUND));
    EXPECT_EQ(ListFiles(Dir()), (std::vector<std::string>{"a.txt", "b.txt", "noext"}));
}

TEST_F(FilesContract, MoveFileEx) {
    WriteBytes(P("from"), "new");
    WriteBytes(P("to"), "old");
    EXPECT_FALSE(MoveFileExA(P("from").c_str(), P("to").c_str(), 0));
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_ALREADY_EXISTS));
    EXPECT_TRUE(MoveFileExA(P("from").c_str(), P("to").c_str(), MOVEFILE_REPLACE_EXISTING));
    EXPECT_FALSE(FileExists(P("from")));
    EXPECT_EQ(ReadBytes(P("to")), "new");
    EXPECT_FALSE(MoveFileExA(P("from").c_str(), P("other").c_str(), 0));
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_FILE_NOT_FOUND));
    EXPECT_TRUE(MoveFileExA(P("to").c_str(), P("renamed").c_str(), 0));
    EXPECT_EQ(ListFiles(Dir()), std::vector<std::string>{"renamed"});
}

TEST_F(FilesContract, FullPathNames) {
    CHAR buffer[MAX_PATH];
    LPSTR part = nullptr;
    EXPECT_EQ(GetFullPathNameA("C:\\a\\..\\b\\.\\c.txt", MAX_PATH, buffer, &part), 10u);
    EXPECT_STREQ(buffer, "C:\\b\\c.txt");
    EXPECT_STREQ(part, "c.txt");
    EXPECT_EQ(GetFullPathNameA("C:/a/b", MAX_PATH, buffer, nullptr), 6u);
    EXPECT_STREQ(buffer, "C:\\a\\b");
    EXPECT_EQ(GetFullPathNameA("C:\\x\\y.txt", 5, buffer, &part), 11u);  // the size it needs, NUL counted
    EXPECT_EQ(GetFullPathNameA("C:\\x\\", MAX_PATH, buffer, &part), 5u);
    EXPECT_STREQ(buffer, "C:\\x\\");
    EXPECT_EQ(part, nullptr);
}

TEST_F(FilesContract, TempPathBufferTooSmallGivesTheSizeNeeded) {
    CHAR buffer[MAX_PATH];
    DWORD length = GetTempPathA(MAX_PATH, buffer);
    ASSERT_GT(length, 3u);
    EXPECT_EQ(buffer[length - 1], '\\');
    EXPECT_EQ(GetTempPathA(2, buffer), length + 1);
}

}  // namespace
