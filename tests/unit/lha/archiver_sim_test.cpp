// Failures of system calls in the middle of a command: simulation only
// (fault injection, other processes holding files).
#include "archive_files.h"
#include "codec_streams.h"
#include "testenv.h"

#include <cstring>
#include <map>

#include "lha/member_name.h"
#include "winapi/cp932.h"
#include "winapi/sim/core_parts.h"

namespace {

class ArchiverSimTest : public ArchiveFolderTest {
protected:
    // An archive of two members, "first" and "second".
    std::string TwoMemberArchive() {
        std::string source = MakeFolder("source");
        WriteBytes(source + "first", SnapshotLikeBytes(50000));
        WriteBytes(source + "second", SnapshotLikeBytes(70000));
        std::string archive = Dir() + "two.lzh";
        EXPECT_EQ(Carry(PackCommand(archive, source)).result, 0);
        return archive;
    }
};

TEST_F(ArchiverSimTest, TargetHeldOpenByAnotherProgram) {
    std::string archive = TwoMemberArchive();
    std::string target = MakeFolder("target");
    HANDLE held = sim::HoldFileOpen(target + "second", 0);
    CommandResult r = Carry(ExtractCommand(archive, target));
    EXPECT_EQ(r.result, kLhaIoFailed);
    EXPECT_EQ(r.failure.action, kActionCreate);
    EXPECT_EQ(r.failure.systemError, static_cast<DWORD>(ERROR_SHARING_VIOLATION));
    CloseHandle(held);
    // "first" was written and removed again; "second" is the other program's.
    EXPECT_EQ(ListFiles(target), std::vector<std::string>{"second"});
}

TEST_F(ArchiverSimTest, ReadFailureOfTheArchive) {
    std::string archive = TwoMemberArchive();
    std::string target = MakeFolder("target");
    sim::FailCall("ReadFile", 2, ERROR_READ_FAULT, "two.lzh");
    CommandResult r = Carry(ExtractCommand(archive, target));
    EXPECT_EQ(r.result, kLhaIoFailed);
    EXPECT_EQ(r.failure.action, kActionRead);
    EXPECT_EQ(r.failure.systemError, static_cast<DWORD>(ERROR_READ_FAULT));
    EXPECT_EQ(ListFiles(target), std::vector<std::string>{});
}

TEST_F(ArchiverSimTest, PackFailuresLeaveTheOldArchiveAndNoTemporaryFile) {
    std::string source = MakeFolder("source");
    WriteBytes(source + "a", SnapshotLikeBytes(100000));
    WriteBytes(source + "b", RandomBytes(100000, 9));
    std::string archive = Dir() + "out.lzh";
    struct {
        const char* function;
        int nth;
        DWORD error;
        const char* subject;
        ArchiverAction action;
    } faults[] = {
        {"WriteFile", 3, ERROR_DISK_FULL, "~brv0000.tmp", kActionWrite},
        {"ReadFile", 2, ERROR_READ_FAULT, "b", kActionRead},
        {"SetFilePointer", 1, ERROR_INVALID_PARAMETER, "~brv0000.tmp", kActionWrite},
        {"CreateFileA", 1, ERROR_ACCESS_DENIED, "~brv0000.tmp", kActionReplace},
        {"CreateFileA", 1, ERROR_SHARING_VIOLATION, "a", kActionOpenForReading},
        {"MoveFileExA", 1, ERROR_ACCESS_DENIED, "", kActionReplace},
        {"HeapAlloc", 1, ERROR_NOT_ENOUGH_MEMORY, "", kActionAllocate},
        {"FindFirstFileA", 1, ERROR_ACCESS_DENIED, "", kActionListFolder},
    };
    for (const auto& f : faults) {
        SCOPED_TRACE(std::string(f.function) + " " + f.subject);
        WriteBytes(archive, "old archive");
        sim::FailCall(f.function, f.nth, f.error, f.subject);
        CommandResult r = Carry(PackCommand(archive, source));
        EXPECT_EQ(r.result, kLhaIoFailed);
        EXPECT_EQ(r.failure.action, f.action);
        EXPECT_EQ(ReadBytes(archive), "old archive");
        EXPECT_EQ(ListFiles(Dir()), std::vector<std::string>{"out.lzh"});
    }
}

// Every two-byte character: the fold puts two names together exactly when
// the simulated file system (which reads names as Windows does) takes them
// for one, and a name is safe exactly when Windows can keep it as written.
TEST_F(ArchiverSimTest, FoldAgreesWithTheFileSystemOnEveryTwoByteCharacter) {
    std::map<std::u16string, std::string> byFileSystem;
    std::map<std::string, std::u16string> byFold;
    int characters = 0;
    for (unsigned code = 0x8140; code <= 0xFCFC; ++code) {
        const std::string name{static_cast<char>(code >> 8), static_cast<char>(code & 0xFF)};
        if (Cp932CharSize(name.c_str()) != 2) continue;
        const std::u16string windows = sim::detail::FoldName(name);
        LhaMemberHeader header{};
        std::memcpy(header.name, name.data(), 2);
        header.nameLength = 2;
        EXPECT_EQ(IsSafeMemberName(header), windows != u"\u30fb" || code == 0x8145) << std::hex << code;
        if (!IsSafeMemberName(header)) continue;
        ++characters;
        char fold[kMaxNameBytes + 1];
        FoldMemberName(name.c_str(), fold);
        auto one = byFileSystem.emplace(windows, fold);
        auto other = byFold.emplace(fold, windows);
        EXPECT_EQ(one.first->second, fold) << std::hex << code;
        EXPECT_EQ(other.first->second, windows) << std::hex << code;
    }
    EXPECT_EQ(characters, 9604);  // user-defined ones included
}

TEST_F(ArchiverSimTest, ListingIsCutToTheOutputBuffer) {
    std::string archive = TwoMemberArchive();
    CHAR output[40];
    std::memset(output, 0x7f, sizeof output);
    ArchiverFailure failure;
    ASSERT_EQ(CarryOutArchiverCommand(("l " + Quoted(archive)).c_str(), output, sizeof output, &failure), 0);
    EXPECT_EQ(std::strlen(output), sizeof output - 1);
    EXPECT_EQ(std::string(output, 5), "-lh5-");
}

}  // namespace
