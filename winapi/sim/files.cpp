// The simulated file system: Windows paths on a private host folder.
//
// "C:\a\b" lives at <root>/C/a/b, other drives at <root>/<letter>/; the root
// is made by sim::Reset() and removed at the next reset and at exit. Paths
// that start with '/' are host paths and are used unchanged. Both '\' and '/'
// separate components. Components keep their exact case: unlike Windows, "A"
// and "a" are different files here (the program never relies on either).
//
// Share modes are enforced between the handles of this process and the
// handles sim::HoldFileOpen gives "other processes"; files are told apart by
// device and inode, so a renamed open file stays the same file.
#include <dirent.h>
#include <fcntl.h>
#include <signal.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <map>
#include <memory>
#include <unordered_map>
#include <vector>

#include "core_parts.h"
#include "simctl.h"

namespace sim::detail {
namespace {

constexpr DWORD kNegativeSeek = 131;  // ERROR_NEGATIVE_SEEK
constexpr DWORD kDirectory = 267;     // ERROR_DIRECTORY
constexpr DWORD kReadData = 0x0001, kWriteData = 0x0002, kAppendData = 0x0004;

struct FileId {
    dev_t dev;
    ino_t ino;
    bool operator<(const FileId& o) const { return dev != o.dev ? dev < o.dev : ino < o.ino; }
};

struct FileObject {
    int fd = -1;
    std::string subject;  // the Windows path it was opened with
    FileId id{};
    bool read = false, write = false, del = false;
    DWORD share = 0;
    bool held = false;  // another process's, not counted
};

struct FindObject {
    std::vector<WIN32_FIND_DATAA> entries;
    size_t next = 0;
    std::string subject;
};

struct FileSystem {
    std::string base;  // holds one folder per drive letter
    std::map<uintptr_t, std::unique_ptr<FileObject>> files;
    std::map<uintptr_t, std::unique_ptr<FindObject>> finds;
    std::string tempPath;
    bool exitHookSet = false;
    // Files deleted while open with FILE_SHARE_DELETE: the name stays until
    // the last handle closes, as on Windows.
    std::map<FileId, std::string> pendingDeletes;
    bool limitAnsiPaths = false;
};

void StartFiles();

// Usable before the first sim::Reset() too: the private root is made on
// first use, never left empty (which would put "C:\" at the host's "/C").
FileSystem& Fs() {
    static FileSystem fs;
    static bool started = false;
    if (!started) {
        started = true;
        StartFiles();
    }
    return fs;
}

void RemoveTree(const std::string& path) {
    struct stat st;
    if (lstat(path.c_str(), &st) != 0) return;
    if (S_ISDIR(st.st_mode)) {
        chmod(path.c_str(), 0700);
        if (DIR* d = opendir(path.c_str())) {
            std::vector<std::string> names;
            while (dirent* e = readdir(d)) {
                if (std::strcmp(e->d_name, ".") && std::strcmp(e->d_name, "..")) names.push_back(e->d_name);
            }
            closedir(d);
            for (const std::string& n : names) RemoveTree(path + "/" + n);
        }
        rmdir(path.c_str());
    } else {
        unlink(path.c_str());
    }
}

void RemoveBase() {
    FileSystem& fs = Fs();
    for (auto& f : fs.files) close(f.second->fd);
    fs.files.clear();
    fs.finds.clear();
    fs.pendingDeletes.clear();
    if (!fs.base.empty()) RemoveTree(fs.base);
    fs.base.clear();
}

bool IsHostPath(const std::string& p) { return !p.empty() && p[0] == '/'; }

// Windows path to its full form: "X:\a\b" with '.', '..' and doubled
// separators resolved. Relative paths are taken from "C:\".
std::string FullWindowsPath(const std::string& path) {
    std::string drive = "C:";
    std::string rest = path;
    if (path.size() >= 2 && path[1] == ':' && static_cast<unsigned char>(path[0]) < 0x80) {
        drive = std::string(1, static_cast<char>(std::toupper(static_cast<unsigned char>(path[0])))) + ":";
        rest = path.substr(2);
    }
    bool trailing = !rest.empty() && LastSeparator(rest, "\\/") == rest.size() - 1;
    std::vector<std::string> parts;
    for (const std::string& part : SplitCp932(rest, "\\/")) {
        if (part.empty() || part == ".") continue;
        if (part == "..") {
            if (!parts.empty()) parts.pop_back();
            continue;
        }
        parts.push_back(part);
    }
    std::string out = drive + "\\";
    for (size_t i = 0; i < parts.size(); ++i) {
        out += parts[i];
        if (i + 1 < parts.size() || trailing) out += "\\";
    }
    return out;
}

// Whether a path holds a character no file name may have (the wildcards
// too, unless `wildcardsAllowed`), or ends in a separator where a file is meant.
bool BadName(const std::string& path, bool wildcardsAllowed) {
    if (IsHostPath(path)) return false;
    std::string rest = (path.size() >= 2 && path[1] == ':') ? path.substr(2) : path;
    for (const std::string& part : SplitCp932(rest, "\\/")) {
        for (size_t i = 0; i < part.size(); ++i) {
            unsigned char c = static_cast<unsigned char>(part[i]);
            if (((c >= 0x81 && c <= 0x9F) || (c >= 0xE0 && c <= 0xFC)) && i + 1 < part.size()) {
                ++i;
                continue;
            }
            if (c < 0x20 || std::strchr("<>:\"|", c)) return true;
            if (!wildcardsAllowed && (c == '*' || c == '?')) return true;
        }
    }
    return false;
}

// A path Windows' ANSI functions refuse when the limit is on.
bool TooLong(const std::string& path) {
    return Fs().limitAnsiPaths && !IsHostPath(path) && path.size() >= MAX_PATH;
}

bool EndsWithSeparator(const std::string& path) {
    return !path.empty() && LastSeparator(path, "\\/") == path.size() - 1;
}

std::string ToHost(const std::string& windowsPath) {
    if (IsHostPath(windowsPath)) return windowsPath;
    std::string full = FullWindowsPath(windowsPath);
    std::string host = Fs().base + "/" + full.substr(0, 1);
    for (const std::string& part : SplitCp932(full.substr(2), "\\"))
        if (!part.empty()) host += "/" + part;
    return host;
}

std::string ParentOf(const std::string& host) {
    size_t slash = host.find_last_of('/');
    if (slash == std::string::npos || slash == 0) return "/";
    return host.substr(0, slash);
}

bool IsDir(const std::string& host) {
    struct stat st;
    return stat(host.c_str(), &st) == 0 && S_ISDIR(st.st_mode);
}

// The status Windows gives for a missing object: 3 when its folder is
// missing too, 2 otherwise.
DWORD MissingStatus(const std::string& host) { return IsDir(ParentOf(host)) ? ERROR_FILE_NOT_FOUND : ERROR_PATH_NOT_FOUND; }

bool ReadOnly(const struct stat& st) { return !S_ISDIR(st.st_mode) && (st.st_mode & 0222) == 0; }

DWORD AttributesOf(const struct stat& st) {
    if (S_ISDIR(st.st_mode)) return FILE_ATTRIBUTE_DIRECTORY;
    return FILE_ATTRIBUTE_ARCHIVE | (ReadOnly(st) ? FILE_ATTRIBUTE_READONLY : 0);
}

FILETIME ToFileTime(time_t t) {
    uint64_t v = (static_cast<uint64_t>(t) + 11644473600ULL) * 10000000ULL;
    return FILETIME{static_cast<DWORD>(v), static_cast<DWORD>(v >> 32)};
}

BOOL Fail(DWORD code) {
    SetError(code);
    return FALSE;
}

HANDLE FailHandle(DWORD code) {
    SetError(code);
    return INVALID_HANDLE_VALUE;
}

// Successful calls leave the last error as it was, as Windows does; only
// CreateFileA says whether it met an existing file.

// Whether a new open (read/write/delete wanted, share granted) is compatible
// with every open handle of the same file.
bool SharingAllows(const FileId& id, bool read, bool write, bool del, DWORD share) {
    if (!read && !write && !del) return true;
    for (const auto& entry : Fs().files) {
        const FileObject& f = *entry.second;
        if (f.id.dev != id.dev || f.id.ino != id.ino) continue;
        // Handles that only look at attributes take no part in sharing.
        if (!f.read && !f.write && !f.del) continue;
        if (read && !(f.share & FILE_SHARE_READ)) return false;
        if (write && !(f.share & FILE_SHARE_WRITE)) return false;
        if (del && !(f.share & FILE_SHARE_DELETE)) return false;
        if (f.read && !(share & FILE_SHARE_READ)) return false;
        if (f.write && !(share & FILE_SHARE_WRITE)) return false;
        if (f.del && !(share & FILE_SHARE_DELETE)) return false;
    }
    return true;
}

// Deleting or renaming needs every open handle to share deletion.
bool AllShareDelete(const FileId& id) { return SharingAllows(id, false, false, true, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE); }

FileObject* FindFile(HANDLE h) {
    auto it = Fs().files.find(reinterpret_cast<uintptr_t>(h));
    return it == Fs().files.end() ? nullptr : it->second.get();
}

std::string SubjectOf(HANDLE h) {
    FileObject* f = FindFile(h);
    if (f) return f->subject;
    auto it = Fs().finds.find(reinterpret_cast<uintptr_t>(h));
    return it == Fs().finds.end() ? "" : it->second->subject;
}

std::vector<std::string> Characters(const std::string& text) {
    std::vector<std::string> chars;
    for (size_t i = 0; i < text.size(); ++i) {
        unsigned char c = static_cast<unsigned char>(text[i]);
        size_t len = (((c >= 0x81 && c <= 0x9F) || (c >= 0xE0 && c <= 0xFC)) && i + 1 < text.size()) ? 2 : 1;
        std::string ch = text.substr(i, len);
        if (len == 1) ch[0] = static_cast<char>(std::tolower(c));
        chars.push_back(ch);
        i += len - 1;
    }
    return chars;
}

bool WildMatch(const std::vector<std::string>& pat, size_t p, const std::vector<std::string>& name, size_t n) {
    if (p == pat.size()) return n == name.size();
    if (pat[p] == "*") {
        for (size_t k = n; k <= name.size(); ++k)
            if (WildMatch(pat, p + 1, name, k)) return true;
        return false;
    }
    if (n == name.size()) return false;
    return (pat[p] == "?" || pat[p] == name[n]) && WildMatch(pat, p + 1, name, n + 1);
}

// Windows wildcard match of whole characters, ignoring ASCII case; "*.*"
// matches every name, with or without a dot.
bool WildMatch(const std::string& pattern, const std::string& name) {
    if (pattern == "*.*" || pattern == "*") return true;
    return WildMatch(Characters(pattern), 0, Characters(name), 0);
}

WIN32_FIND_DATAA FindData(const std::string& name, const struct stat& st) {
    WIN32_FIND_DATAA fd;
    std::memset(&fd, 0, sizeof fd);
    fd.dwFileAttributes = AttributesOf(st);
    fd.ftCreationTime = fd.ftLastAccessTime = fd.ftLastWriteTime = ToFileTime(st.st_mtime);
    if (!S_ISDIR(st.st_mode)) {
        uint64_t size = static_cast<uint64_t>(st.st_size);
        fd.nFileSizeHigh = static_cast<DWORD>(size >> 32);
        fd.nFileSizeLow = static_cast<DWORD>(size);
    }
    std::snprintf(fd.cFileName, sizeof fd.cFileName, "%s", name.c_str());
    return fd;
}

}  // namespace

void ResetFiles();

namespace {

// Roots left behind by simulated machines whose process died without
// running its exit handlers (a crash, a killed test, a fuzzer's _exit): the
// folder name carries the owner's process id.
void SweepDeadRoots() {
    DIR* d = opendir("/tmp");
    if (!d) return;
    std::vector<std::string> dead;
    while (dirent* e = readdir(d)) {
        int pid = 0;
        char rest[32];
        if (std::sscanf(e->d_name, "brvsim.%d.%31s", &pid, rest) != 2 || pid <= 0) continue;
        if (kill(pid, 0) == -1 && errno == ESRCH) dead.push_back(std::string("/tmp/") + e->d_name);
    }
    closedir(d);
    for (const std::string& path : dead) RemoveTree(path);
}

void StartFiles() {
    SweepDeadRoots();
    ResetFiles();
}

}  // namespace

void ResetFiles() {
    FileSystem& fs = Fs();
    RemoveBase();
    char pattern[64];
    std::snprintf(pattern, sizeof pattern, "/tmp/brvsim.%d.XXXXXX", static_cast<int>(getpid()));
    if (mkdtemp(pattern)) fs.base = pattern;
    mkdir((fs.base + "/C").c_str(), 0755);
    if (!fs.exitHookSet) {
        fs.exitHookSet = true;
        std::atexit(RemoveBase);
    }
    // An empty drive: not even the temporary folder exists until a test
    // makes it.
    fs.tempPath = "C:\\Users\\tester\\Temp\\";
    fs.limitAnsiPaths = false;
}

int OpenFileAndFindCount() {
    int n = static_cast<int>(Fs().finds.size());
    for (const auto& f : Fs().files)
        if (!f.second->held) ++n;
    return n;
}

// Closes a file or search handle; false when it is neither.
bool CloseFileHandle(HANDLE h) {
    FileSystem& fs = Fs();
    auto it = fs.files.find(reinterpret_cast<uintptr_t>(h));
    if (it == fs.files.end()) return false;
    FileId id = it->second->id;
    close(it->second->fd);
    fs.files.erase(it);
    auto pending = fs.pendingDeletes.find(id);
    if (pending != fs.pendingDeletes.end()) {
        bool stillOpen = false;
        for (const auto& f : fs.files)
            if (f.second->id.dev == id.dev && f.second->id.ino == id.ino) stillOpen = true;
        if (!stillOpen) {
            struct stat st;
            if (stat(pending->second.c_str(), &st) == 0 && st.st_dev == id.dev && st.st_ino == id.ino)
                unlink(pending->second.c_str());
            fs.pendingDeletes.erase(pending);
        }
    }
    return true;
}

std::string FileHandleSubject(HANDLE h) { return SubjectOf(h); }

}  // namespace sim::detail

using namespace sim::detail;

DWORD GetTempPathA(DWORD nBufferLength, LPSTR lpBuffer) {
    DWORD status;
    if (TakeFault("GetTempPathA", "", &status)) {
        SetError(status);
        return 0;
    }
    const std::string& t = Fs().tempPath;
    if (nBufferLength < t.size() + 1 || !lpBuffer) return static_cast<DWORD>(t.size() + 1);
    std::memcpy(lpBuffer, t.c_str(), t.size() + 1);
    return static_cast<DWORD>(t.size());
}

BOOL CreateDirectoryA(LPCSTR lpPathName, LPSECURITY_ATTRIBUTES) {
    std::string path = lpPathName ? lpPathName : "";
    DWORD status;
    if (TakeFault("CreateDirectoryA", path, &status)) return Fail(status);
    if (BadName(path, false)) return Fail(ERROR_INVALID_NAME);
    if (path.empty()) return Fail(ERROR_PATH_NOT_FOUND);
    std::string host = ToHost(path);
    struct stat st;
    if (stat(host.c_str(), &st) == 0) return Fail(ERROR_ALREADY_EXISTS);
    if (!IsDir(ParentOf(host))) return Fail(ERROR_PATH_NOT_FOUND);
    if (mkdir(host.c_str(), 0755) != 0) return Fail(ERROR_ACCESS_DENIED);
    return TRUE;
}

BOOL RemoveDirectoryA(LPCSTR lpPathName) {
    std::string path = lpPathName ? lpPathName : "";
    DWORD status;
    if (TakeFault("RemoveDirectoryA", path, &status)) return Fail(status);
    if (BadName(path, false)) return Fail(ERROR_INVALID_NAME);
    std::string host = ToHost(path);
    struct stat st;
    if (stat(host.c_str(), &st) != 0) return Fail(MissingStatus(host));
    if (!S_ISDIR(st.st_mode)) return Fail(kDirectory);
    if (rmdir(host.c_str()) != 0) return Fail(errno == ENOTEMPTY || errno == EEXIST ? ERROR_DIR_NOT_EMPTY : ERROR_ACCESS_DENIED);
    return TRUE;
}

static HANDLE OpenFile(const std::string& path, DWORD access, DWORD share, DWORD disposition, DWORD flags,
                       bool held) {
    if (disposition < CREATE_NEW || disposition > TRUNCATE_EXISTING) return FailHandle(ERROR_INVALID_PARAMETER);
    if (path.empty()) return FailHandle(ERROR_PATH_NOT_FOUND);
    if (BadName(path, false)) return FailHandle(ERROR_INVALID_NAME);
    bool read = access & (GENERIC_READ | GENERIC_ALL | kReadData);
    bool write = access & (GENERIC_WRITE | GENERIC_ALL | kWriteData | kAppendData);
    bool del = access & (DELETE | GENERIC_ALL);
    std::string host = ToHost(path);
    struct stat st;
    bool exists = stat(host.c_str(), &st) == 0;
    if (exists && S_ISDIR(st.st_mode)) return FailHandle(ERROR_ACCESS_DENIED);
    if (EndsWithSeparator(path)) return FailHandle(ERROR_INVALID_NAME);
    if (!exists) {
        if (!IsDir(ParentOf(host))) return FailHandle(ERROR_PATH_NOT_FOUND);
        if (disposition == OPEN_EXISTING || disposition == TRUNCATE_EXISTING) return FailHandle(ERROR_FILE_NOT_FOUND);
    } else {
        if (disposition == CREATE_NEW) return FailHandle(ERROR_FILE_EXISTS);
        // Wine's answer for a file whose deletion waits for its handles.
        if (Fs().pendingDeletes.count(FileId{st.st_dev, st.st_ino})) return FailHandle(ERROR_SHARING_VIOLATION);
        if (!SharingAllows(FileId{st.st_dev, st.st_ino}, read, write, del, share))
            return FailHandle(ERROR_SHARING_VIOLATION);
        bool truncates = disposition == CREATE_ALWAYS || disposition == TRUNCATE_EXISTING;
        if (ReadOnly(st) && (write || truncates)) return FailHandle(ERROR_ACCESS_DENIED);
    }
    int oflags = O_RDWR;
    if (!exists) oflags |= O_CREAT | O_EXCL;
    else if (disposition == CREATE_ALWAYS || disposition == TRUNCATE_EXISTING) oflags |= O_TRUNC;
    int fd = open(host.c_str(), oflags | O_CLOEXEC, 0644);
    if (fd < 0 && exists) fd = open(host.c_str(), O_RDONLY | O_CLOEXEC);  // a read-only file opened to read
    if (fd < 0) return FailHandle(errno == ENOENT ? ERROR_PATH_NOT_FOUND : ERROR_ACCESS_DENIED);
    if (!exists && (flags & FILE_ATTRIBUTE_READONLY)) fchmod(fd, 0444);
    struct stat now;
    fstat(fd, &now);
    auto object = std::make_unique<FileObject>();
    object->fd = fd;
    object->subject = path;
    object->id = FileId{now.st_dev, now.st_ino};
    object->read = read;
    object->write = write;
    object->del = del;
    object->share = share;
    object->held = held;
    HANDLE h = NewHandleValue();
    Fs().files[reinterpret_cast<uintptr_t>(h)] = std::move(object);
    // Success still tells whether an existing file was opened or replaced.
    SetError(exists && (disposition == CREATE_ALWAYS || disposition == OPEN_ALWAYS) ? ERROR_ALREADY_EXISTS
                                                                                    : ERROR_SUCCESS);
    return h;
}

HANDLE CreateFileA(LPCSTR lpFileName, DWORD dwDesiredAccess, DWORD dwShareMode, LPSECURITY_ATTRIBUTES,
                   DWORD dwCreationDisposition, DWORD dwFlagsAndAttributes, HANDLE) {
    std::string path = lpFileName ? lpFileName : "";
    DWORD status;
    if (TakeFault("CreateFileA", path, &status)) return FailHandle(status);
    if (TooLong(path)) return FailHandle(ERROR_FILENAME_EXCED_RANGE);
    return OpenFile(path, dwDesiredAccess, dwShareMode, dwCreationDisposition, dwFlagsAndAttributes, false);
}

BOOL ReadFile(HANDLE hFile, LPVOID lpBuffer, DWORD nNumberOfBytesToRead, LPDWORD lpNumberOfBytesRead, void*) {
    DWORD status;
    if (TakeFault("ReadFile", SubjectOf(hFile), &status)) {
        if (lpNumberOfBytesRead) *lpNumberOfBytesRead = 0;
        return Fail(status);
    }
    FileObject* f = FindFile(hFile);
    if (lpNumberOfBytesRead) *lpNumberOfBytesRead = 0;
    if (!f) return Fail(ERROR_INVALID_HANDLE);
    if (!f->read) return Fail(ERROR_ACCESS_DENIED);
    if (!lpNumberOfBytesRead || (!lpBuffer && nNumberOfBytesToRead)) return Fail(ERROR_INVALID_PARAMETER);
    size_t done = 0;
    char* out = static_cast<char*>(lpBuffer);
    while (done < nNumberOfBytesToRead) {
        ssize_t n = read(f->fd, out + done, nNumberOfBytesToRead - done);
        if (n < 0) return Fail(ERROR_READ_FAULT);
        if (n == 0) break;
        done += static_cast<size_t>(n);
    }
    *lpNumberOfBytesRead = static_cast<DWORD>(done);
    return TRUE;
}

BOOL WriteFile(HANDLE hFile, LPCVOID lpBuffer, DWORD nNumberOfBytesToWrite, LPDWORD lpNumberOfBytesWritten, void*) {
    DWORD status;
    if (lpNumberOfBytesWritten) *lpNumberOfBytesWritten = 0;
    if (TakeFault("WriteFile", SubjectOf(hFile), &status)) return Fail(status);
    FileObject* f = FindFile(hFile);
    if (!f) return Fail(ERROR_INVALID_HANDLE);
    if (!f->write) return Fail(ERROR_ACCESS_DENIED);
    if (!lpNumberOfBytesWritten || (!lpBuffer && nNumberOfBytesToWrite)) return Fail(ERROR_INVALID_PARAMETER);
    size_t done = 0;
    const char* in = static_cast<const char*>(lpBuffer);
    while (done < nNumberOfBytesToWrite) {
        ssize_t n = write(f->fd, in + done, nNumberOfBytesToWrite - done);
        if (n <= 0) return Fail(errno == ENOSPC ? ERROR_DISK_FULL : ERROR_WRITE_FAULT);
        done += static_cast<size_t>(n);
    }
    *lpNumberOfBytesWritten = static_cast<DWORD>(done);
    return TRUE;
}

DWORD SetFilePointer(HANDLE hFile, LONG lDistanceToMove, PLONG lpDistanceToMoveHigh, DWORD dwMoveMethod) {
    DWORD status;
    if (TakeFault("SetFilePointer", SubjectOf(hFile), &status)) {
        SetError(status);
        return INVALID_SET_FILE_POINTER;
    }
    FileObject* f = FindFile(hFile);
    if (!f) {
        SetError(ERROR_INVALID_HANDLE);
        return INVALID_SET_FILE_POINTER;
    }
    int64_t distance = lpDistanceToMoveHigh
                           ? static_cast<int64_t>((static_cast<uint64_t>(static_cast<uint32_t>(*lpDistanceToMoveHigh)) << 32) |
                                                  static_cast<uint32_t>(lDistanceToMove))
                           : static_cast<int64_t>(lDistanceToMove);
    int64_t origin;
    if (dwMoveMethod == FILE_BEGIN) origin = 0;
    else if (dwMoveMethod == FILE_CURRENT) origin = lseek(f->fd, 0, SEEK_CUR);
    else if (dwMoveMethod == FILE_END) origin = lseek(f->fd, 0, SEEK_END);
    else {
        SetError(ERROR_INVALID_PARAMETER);
        return INVALID_SET_FILE_POINTER;
    }
    int64_t target = origin + distance;
    if (target < 0 || (!lpDistanceToMoveHigh && target > 0xFFFFFFFELL)) {
        SetError(target < 0 ? kNegativeSeek : ERROR_INVALID_PARAMETER);
        return INVALID_SET_FILE_POINTER;
    }
    lseek(f->fd, target, SEEK_SET);
    if (lpDistanceToMoveHigh) *lpDistanceToMoveHigh = static_cast<LONG>(target >> 32);
    return static_cast<DWORD>(target);
}

BOOL SetEndOfFile(HANDLE hFile) {
    DWORD status;
    if (TakeFault("SetEndOfFile", SubjectOf(hFile), &status)) return Fail(status);
    FileObject* f = FindFile(hFile);
    if (!f) return Fail(ERROR_INVALID_HANDLE);
    if (!f->write) return Fail(ERROR_ACCESS_DENIED);
    off_t pos = lseek(f->fd, 0, SEEK_CUR);
    if (ftruncate(f->fd, pos) != 0) return Fail(ERROR_DISK_FULL);
    return TRUE;
}

DWORD GetFileSize(HANDLE hFile, LPDWORD lpFileSizeHigh) {
    DWORD status;
    if (TakeFault("GetFileSize", SubjectOf(hFile), &status)) {
        SetError(status);
        return INVALID_FILE_SIZE;
    }
    FileObject* f = FindFile(hFile);
    if (!f) {
        SetError(ERROR_INVALID_HANDLE);
        return INVALID_FILE_SIZE;
    }
    struct stat st;
    fstat(f->fd, &st);
    uint64_t size = static_cast<uint64_t>(st.st_size);
    if (lpFileSizeHigh) *lpFileSizeHigh = static_cast<DWORD>(size >> 32);
    return static_cast<DWORD>(size);
}

BOOL FlushFileBuffers(HANDLE hFile) {
    DWORD status;
    if (TakeFault("FlushFileBuffers", SubjectOf(hFile), &status)) return Fail(status);
    FileObject* f = FindFile(hFile);
    if (!f) return Fail(ERROR_INVALID_HANDLE);
    if (!f->write) return Fail(ERROR_ACCESS_DENIED);
    return TRUE;
}

BOOL DeleteFileA(LPCSTR lpFileName) {
    std::string path = lpFileName ? lpFileName : "";
    DWORD status;
    if (TakeFault("DeleteFileA", path, &status)) return Fail(status);
    if (TooLong(path)) return Fail(ERROR_FILENAME_EXCED_RANGE);
    if (BadName(path, false)) return Fail(ERROR_INVALID_NAME);
    if (path.empty()) return Fail(ERROR_PATH_NOT_FOUND);
    std::string host = ToHost(path);
    struct stat st;
    if (stat(host.c_str(), &st) != 0) return Fail(MissingStatus(host));
    if (S_ISDIR(st.st_mode) || ReadOnly(st)) return Fail(ERROR_ACCESS_DENIED);
    FileId id{st.st_dev, st.st_ino};
    if (!AllShareDelete(id)) return Fail(ERROR_SHARING_VIOLATION);
    for (const auto& f : Fs().files) {
        if (f.second->id.dev == id.dev && f.second->id.ino == id.ino) {
            Fs().pendingDeletes[id] = host;
            return TRUE;
        }
    }
    if (unlink(host.c_str()) != 0) return Fail(ERROR_ACCESS_DENIED);
    return TRUE;
}

BOOL MoveFileExA(LPCSTR lpExistingFileName, LPCSTR lpNewFileName, DWORD dwFlags) {
    std::string from = lpExistingFileName ? lpExistingFileName : "";
    std::string to = lpNewFileName ? lpNewFileName : "";
    DWORD status;
    if (TakeFault("MoveFileExA", from, &status)) return Fail(status);
    if (TooLong(from) || TooLong(to)) return Fail(ERROR_FILENAME_EXCED_RANGE);
    if (BadName(from, false) || BadName(to, false)) return Fail(ERROR_INVALID_NAME);
    if (from.empty() || to.empty()) return Fail(ERROR_PATH_NOT_FOUND);
    std::string hostFrom = ToHost(from), hostTo = ToHost(to);
    struct stat src, dst;
    if (stat(hostFrom.c_str(), &src) != 0) return Fail(MissingStatus(hostFrom));
    if (!IsDir(ParentOf(hostTo))) return Fail(ERROR_PATH_NOT_FOUND);
    if (!S_ISDIR(src.st_mode) && !AllShareDelete(FileId{src.st_dev, src.st_ino})) return Fail(ERROR_SHARING_VIOLATION);
    if (stat(hostTo.c_str(), &dst) == 0) {
        if (src.st_dev == dst.st_dev && src.st_ino == dst.st_ino) return TRUE;
        if (!(dwFlags & MOVEFILE_REPLACE_EXISTING)) return Fail(ERROR_ALREADY_EXISTS);
        if (S_ISDIR(dst.st_mode) || S_ISDIR(src.st_mode) || ReadOnly(dst)) return Fail(ERROR_ACCESS_DENIED);
        if (!AllShareDelete(FileId{dst.st_dev, dst.st_ino})) return Fail(ERROR_ACCESS_DENIED);
    }
    if (rename(hostFrom.c_str(), hostTo.c_str()) != 0) return Fail(ERROR_ACCESS_DENIED);
    return TRUE;
}

DWORD GetFileAttributesA(LPCSTR lpFileName) {
    std::string path = lpFileName ? lpFileName : "";
    DWORD status;
    if (TakeFault("GetFileAttributesA", path, &status)) {
        SetError(status);
        return INVALID_FILE_ATTRIBUTES;
    }
    if (BadName(path, false)) {
        SetError(ERROR_INVALID_NAME);
        return INVALID_FILE_ATTRIBUTES;
    }
    std::string host = ToHost(path);
    struct stat st;
    if (path.empty() || stat(host.c_str(), &st) != 0) {
        SetError(path.empty() ? ERROR_PATH_NOT_FOUND : MissingStatus(host));
        return INVALID_FILE_ATTRIBUTES;
    }
    return AttributesOf(st);
}

BOOL SetFileAttributesA(LPCSTR lpFileName, DWORD dwFileAttributes) {
    std::string path = lpFileName ? lpFileName : "";
    DWORD status;
    if (TakeFault("SetFileAttributesA", path, &status)) return Fail(status);
    if (BadName(path, false)) return Fail(ERROR_INVALID_NAME);
    std::string host = ToHost(path);
    struct stat st;
    if (path.empty() || stat(host.c_str(), &st) != 0) return Fail(path.empty() ? ERROR_PATH_NOT_FOUND : MissingStatus(host));
    if (!S_ISDIR(st.st_mode)) chmod(host.c_str(), (dwFileAttributes & FILE_ATTRIBUTE_READONLY) ? 0444 : 0644);
    return TRUE;
}

HANDLE FindFirstFileA(LPCSTR lpFileName, LPWIN32_FIND_DATAA lpFindFileData) {
    std::string path = lpFileName ? lpFileName : "";
    DWORD status;
    if (TakeFault("FindFirstFileA", path, &status)) return FailHandle(status);
    if (path.empty() || !lpFindFileData) return FailHandle(ERROR_PATH_NOT_FOUND);
    size_t sep = LastSeparator(path, IsHostPath(path) ? "/" : "\\/");
    std::string dirPart = sep == std::string::npos ? "" : path.substr(0, sep + 1);
    std::string pattern = sep == std::string::npos ? path : path.substr(sep + 1);
    if (pattern.empty()) return FailHandle(ERROR_FILE_NOT_FOUND);
    if (BadName(dirPart, false) || BadName(pattern, true)) return FailHandle(ERROR_INVALID_NAME);
    std::string hostDir = dirPart.empty() ? ToHost("C:\\") : ToHost(dirPart);
    if (!IsDir(hostDir)) return FailHandle(ERROR_PATH_NOT_FOUND);

    auto object = std::make_unique<FindObject>();
    object->subject = path;
    std::vector<std::pair<std::u16string, WIN32_FIND_DATAA>> found;
    // A drive's root has no "." and "..".
    bool isRoot = !IsHostPath(path) && FullWindowsPath(dirPart.empty() ? "C:\\" : dirPart).size() == 3;
    if (DIR* d = opendir(hostDir.c_str())) {
        while (dirent* e = readdir(d)) {
            std::string name = e->d_name;
            bool dots = name == "." || name == "..";
            if (dots && isRoot) continue;
            if (!WildMatch(pattern, name)) continue;
            struct stat st;
            if (stat((hostDir + "/" + name).c_str(), &st) != 0) continue;
            std::u16string order = dots ? std::u16string(name == "." ? u"\x01" : u"\x02") : FoldName(name);
            found.emplace_back(order, FindData(name, st));
        }
        closedir(d);
    }
    if (found.empty()) return FailHandle(ERROR_FILE_NOT_FOUND);
    std::sort(found.begin(), found.end(),
              [](const auto& a, const auto& b) { return a.first < b.first; });
    for (auto& f : found) object->entries.push_back(f.second);
    *lpFindFileData = object->entries[0];
    object->next = 1;
    HANDLE h = NewHandleValue();
    Fs().finds[reinterpret_cast<uintptr_t>(h)] = std::move(object);
    return h;
}

BOOL FindNextFileA(HANDLE hFindFile, LPWIN32_FIND_DATAA lpFindFileData) {
    DWORD status;
    if (TakeFault("FindNextFileA", SubjectOf(hFindFile), &status)) return Fail(status);
    auto it = Fs().finds.find(reinterpret_cast<uintptr_t>(hFindFile));
    if (it == Fs().finds.end()) return Fail(ERROR_INVALID_HANDLE);
    FindObject& f = *it->second;
    if (f.next >= f.entries.size()) return Fail(ERROR_NO_MORE_FILES);
    *lpFindFileData = f.entries[f.next++];
    return TRUE;
}

BOOL FindClose(HANDLE hFindFile) {
    DWORD status;
    if (TakeFault("FindClose", SubjectOf(hFindFile), &status)) return Fail(status);
    auto it = Fs().finds.find(reinterpret_cast<uintptr_t>(hFindFile));
    if (it == Fs().finds.end()) return Fail(ERROR_INVALID_HANDLE);
    Fs().finds.erase(it);
    return TRUE;
}

DWORD GetFullPathNameA(LPCSTR lpFileName, DWORD nBufferLength, LPSTR lpBuffer, LPSTR* lpFilePart) {
    std::string path = lpFileName ? lpFileName : "";
    DWORD status;
    if (TakeFault("GetFullPathNameA", path, &status)) {
        SetError(status);
        return 0;
    }
    if (path.empty()) {
        SetError(ERROR_INVALID_NAME);
        return 0;
    }
    std::string full = IsHostPath(path) ? path : FullWindowsPath(path);
    if (nBufferLength < full.size() + 1 || !lpBuffer) return static_cast<DWORD>(full.size() + 1);
    std::memcpy(lpBuffer, full.c_str(), full.size() + 1);
    if (lpFilePart) {
        size_t sep = LastSeparator(full, IsHostPath(path) ? "/" : "\\");
        *lpFilePart = (sep == std::string::npos || sep + 1 == full.size()) ? nullptr : lpBuffer + sep + 1;
    }
    return static_cast<DWORD>(full.size());
}

namespace sim {

std::string HostRoot() { return detail::Fs().base + "/C"; }

std::string HostPath(const std::string& windowsPath) { return ToHost(windowsPath); }

void SetTempPath(const std::string& windowsPath) { detail::Fs().tempPath = windowsPath; }

void LimitAnsiPaths() { Fs().limitAnsiPaths = true; }

HANDLE HoldFileOpen(const std::string& windowsPath, DWORD shareMode) {
    return OpenFile(windowsPath, GENERIC_READ | GENERIC_WRITE, shareMode, OPEN_ALWAYS, 0, true);
}

}  // namespace sim
