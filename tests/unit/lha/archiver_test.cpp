// The archiver commands on real files: round trips, the crafted bad
// archives (each refused with nothing left behind), limits, command lines.
// Runs on the simulation and under Wine; nothing here shows a window.
#include <algorithm>

#include "archive_files.h"
#include "lha/member_name.h"
#include "codec_streams.h"
#include "lha/crc16.h"
#include "testenv.h"

namespace {

class ArchiverTest : public ArchiveFolderTest {
protected:
    std::string CopyData(const std::string& relative, const std::string& name) {
        std::string path = Dir() + name;
        WriteBytes(path, ReadBytes(LhaDataFile(relative)));
        return path;
    }
};

// cp932 names: 設定.txt, and ソフト.txt whose second bytes are 0x5C ('\\').
const char kCp932Name[] = "\x90\xdd\x92\xe8.txt";
const char kCp932BackslashName[] = "\x83\x5c\x83\x74\x83\x67.txt";

TEST_F(ArchiverTest, RoundTripOfAFolder) {
    std::string source = MakeFolder("source");
    std::vector<std::pair<std::string, std::string>> files = {
        {"profile", std::string("\x00\x01\x05\x00\x00\x00tester\x00\x00\x00\x00", 15)},
        {"gateway", SnapshotLikeBytes(300000)},
        {"gateway.1", ""},
        {"one", "x"},
        {"window", SnapshotLikeBytes(8192)},
        {"random", RandomBytes(1 << 20, 5)},
        {kCp932Name, "cp932 name\r\n"},
        {kCp932BackslashName, "second byte 0x5C\r\n"},
        {"UPPER.TXT", "upper\r\n"},
    };
    for (const auto& f : files) WriteBytes(source + f.first, f.second);
    ASSERT_TRUE(CreateDirectoryA((source + "sub").c_str(), nullptr));
    WriteBytes(source + "sub\\inner", "not packed");

    std::string archive = Dir() + "profile.ies";
    CommandResult pack = Carry(PackCommand(archive, source));
    ASSERT_EQ(pack.result, 0) << pack.failure.status << " " << pack.failure.subject;

    CommandResult list = Carry("l " + Quoted(archive));
    ASSERT_EQ(list.result, 0);
    // One line per plain file, in byte order of the names.
    std::vector<std::string> names;
    for (const auto& f : files) names.push_back(f.first);
    std::sort(names.begin(), names.end());
    size_t at = 0;
    for (const std::string& name : names) {
        size_t line = list.output.find("  " + name + "\r\n", at);
        ASSERT_NE(line, std::string::npos) << name << " in\n" << list.output;
        at = line + 1;
    }
    EXPECT_EQ(list.output.find("inner"), std::string::npos);
    EXPECT_NE(list.output.find("-lh5-      300000"), std::string::npos) << list.output;
    EXPECT_NE(list.output.find("-lh0-     1048576     1048576  random"), std::string::npos) << list.output;
    EXPECT_NE(list.output.find("-lh0-           0           0  gateway.1"), std::string::npos) << list.output;

    EXPECT_EQ(Carry("t " + Quoted(archive)).result, 0);
    std::string target = MakeFolder("target");
    CommandResult extract = Carry(ExtractCommand(archive, target));
    ASSERT_EQ(extract.result, 0) << extract.failure.status;
    EXPECT_EQ(ListFiles(target), names);
    for (const auto& f : files) EXPECT_TRUE(ReadBytes(target + f.first) == f.second) << f.first;
}

TEST_F(ArchiverTest, FolderWithSpacesAndNoFinalSeparator) {
    std::string source = MakeFolder("my files");
    WriteBytes(source + "a b.txt", "spaces\r\n");
    std::string archive = Dir() + "my archive.lzh";
    ASSERT_EQ(Carry(PackCommand(archive, source)).result, 0);
    std::string target = MakeFolder("out dir");
    std::string noSeparator = target.substr(0, target.size() - 1);
    ASSERT_EQ(Carry("e " + Quoted(archive) + " " + Quoted(noSeparator) + " *").result, 0);
    EXPECT_EQ(ReadBytes(target + "a b.txt"), "spaces\r\n");
}

TEST_F(ArchiverTest, EmptyFolderMakesAnEmptyArchive) {
    std::string source = MakeFolder("empty");
    std::string archive = Dir() + "empty.lzh";
    ASSERT_EQ(Carry(PackCommand(archive, source)).result, 0);
    EXPECT_EQ(ReadBytes(archive), std::string(1, '\0'));
    CommandResult list = Carry("l " + Quoted(archive));
    EXPECT_EQ(list.result, 0);
    EXPECT_EQ(list.output, "");
}

TEST_F(ArchiverTest, PackReplacesAnExistingArchive) {
    std::string source = MakeFolder("source");
    WriteBytes(source + "new", "new contents");
    std::string archive = Dir() + "a.lzh";
    WriteBytes(archive, "old archive");
    ASSERT_EQ(Carry(PackCommand(archive, source)).result, 0);
    std::string target = MakeFolder("target");
    ASSERT_EQ(Carry(ExtractCommand(archive, target)).result, 0);
    EXPECT_EQ(ListFiles(target), std::vector<std::string>{"new"});
    EXPECT_EQ(ListFiles(Dir()), std::vector<std::string>{"a.lzh"});  // no temporary file left
}

// Names that are one file to Windows, and names it keeps apart. Under Wine
// the real file system has its say too (the simulated one keeps names as
// bytes; the simulation's own folding is compared on every character in
// archiver_sim_test).
TEST_F(ArchiverTest, FoldedMemberNamesAreOneFileExactlyWhenWindowsSaysSo) {
    const struct {
        const char* a;
        const char* b;
        bool same;
    } pairs[] = {
        {"Profile.Txt", "PROFILE.TXT", true},
        {"\x82\x81", "\x82\x60", true},  // full-width a, A
        {"\x83\xbf", "\x83\x9f", true},  // Greek alpha
        {"\x83\xd6", "\x83\xb6", true},  // Greek omega
        {"\x84\x70", "\x84\x40", true},  // Cyrillic a
        {"\x84\x7e", "\x84\x4e", true},  // Cyrillic en, before the gap at 0x847F
        {"\x84\x80", "\x84\x4f", true},  // Cyrillic o, after it
        {"\x84\x91", "\x84\x60", true},  // Cyrillic ya
        {"\xee\xef", "\x87\x54", true},  // Roman one, small (NEC-selected) and capital
        {"\xfa\x49", "\xfa\x53", true},  // Roman ten, small and capital (IBM)
        {"\xfa\x53", "\x87\x5d", true},  // Roman ten, IBM and NEC
        {"\xed\x40", "\xfa\x5c", true},  // the first kanji of the IBM extensions, twice spelt
        {"\x87\x9a", "\x81\xe6", true},  // because, NEC and JIS
        {"\xfa\x5b", "\x81\xe6", true},  // because, IBM
        {"\xee\xf9", "\x81\xca", true},  // not sign
        {"a", "\x82\x81", false},          // ASCII and full-width a
        {"\x82\x60", "\x82\x61", false},  // full-width A, B
        {"\x84\x80", "\x84\x50", false},  // Cyrillic o, Pe
        {"\x83\x61", "\x83\x41", false},  // katakana whose second bytes are 'a' and 'A'
        {"\x82\xa0", "\x82\x9f", false},  // hiragana a and small a: no case
    };
    char foldA[kMaxNameBytes + 1], foldB[kMaxNameBytes + 1];
    int n = 0;
    for (const auto& pair : pairs) {
        SCOPED_TRACE(n++);
        FoldMemberName(pair.a, foldA);
        FoldMemberName(pair.b, foldB);
        EXPECT_EQ(pair.same, std::strcmp(foldA, foldB) == 0);
#if !BRV_SIM
        std::string folder = MakeFolder("pair" + std::to_string(n));
        WriteBytes(folder + pair.a, "a");
        EXPECT_EQ(pair.same, FileExists(folder + pair.b));
#endif
    }
}

struct BadArchive {
    const char* file;
    LhaStatus status;
};

const BadArchive kBadArchives[] = {
    {"not_an_archive.lzh", kLhaNotArchive},
    {"empty_file.lzh", kLhaNotArchive},
    {"header_size_below_fixed_part.lzh", kLhaDamaged},
    {"level0_checksum.lzh", kLhaDamaged},
    {"level2_header_crc.lzh", kLhaDamaged},
    {"extended_size_below_minimum.lzh", kLhaDamaged},
    {"extended_header_past_header.lzh", kLhaDamaged},
    {"level1_extended_past_data.lzh", kLhaDamaged},
    {"level3_header_over_64k.lzh", kLhaDamaged},
    {"huffman_bit_length_17.lzh", kLhaDamaged},
    {"huffman_zero_run_overflow.lzh", kLhaDamaged},
    {"huffman_oversubscribed.lzh", kLhaDamaged},
    {"data_crc_mismatch.lzh", kLhaDamaged},
    {"stored_length_mismatch.lzh", kLhaDamaged},
    {"data_truncated.lzh", kLhaDamaged},
    {"method_unsupported.lzh", kLhaUnsupported},
    {"directory_entry.lzh", kLhaUnsupported},
    {"name_dotdot.lzh", kLhaUnsafeName},
    {"name_colon.lzh", kLhaUnsafeName},
    {"name_control_bytes.lzh", kLhaUnsafeName},
    {"name_device.lzh", kLhaUnsafeName},
    {"name_trailing_dot.lzh", kLhaUnsafeName},
    {"name_too_long.lzh", kLhaUnsafeName},
    {"name_empty.lzh", kLhaUnsafeName},
    {"name_twice_other_case.lzh", kLhaDamaged},
    {"name_twice_greek_case.lzh", kLhaDamaged},
    {"name_lone_lead_byte.lzh", kLhaUnsafeName},
    {"member_too_large.lzh", kLhaTooLarge},
};

TEST_F(ArchiverTest, BadArchivesAreRefusedAndLeaveNothing) {
    for (const BadArchive& bad : kBadArchives) {
        SCOPED_TRACE(bad.file);
        std::string archive = CopyData(std::string("bad/") + bad.file, "in.lzh");
        std::string target = MakeFolder(std::string("out-") + bad.file);
        CommandResult extract = Carry(ExtractCommand(archive, target));
        EXPECT_EQ(extract.result, bad.status);
        EXPECT_EQ(extract.failure.status, bad.status);
        EXPECT_EQ(extract.failure.subject, archive);
        EXPECT_EQ(ListFiles(target), std::vector<std::string>{});
        EXPECT_EQ(Carry("t " + Quoted(archive)).result, bad.status);
    }
}

TEST_F(ArchiverTest, StoredPathsAreReducedToTheirLastComponent) {
    std::string archive = CopyData("bad/paths_reduced_to_last_component.lzh", "in.lzh");
    std::string target = MakeFolder("target");
    ASSERT_EQ(Carry(ExtractCommand(archive, target)).result, 0);
    EXPECT_EQ(ListFiles(target), (std::vector<std::string>{"evil.txt", "name.txt", "passwd"}));
    EXPECT_EQ(ReadBytes(target + "evil.txt"), "evil\r\n");
    EXPECT_EQ(ListFiles(Dir()), std::vector<std::string>{"in.lzh"});
}

// Archives other archivers made, one per method we decode besides -lh5-:
// each member's CRC-16, written by them, must match what we decode.
TEST_F(ArchiverTest, OtherArchiversMethodsDecodeToTheirCrc) {
    for (const char* file : {"corpus_lharc113_lh1.lzh", "corpus_lha_amiga_122_lh4.lzh", "corpus_generated_lzs.lzs",
                             "corpus_larc333_lz5.lzs", "corpus_lha_os2_208_h3_lh5.lzh", "j1_lh6.lzh", "j2_lh7.lzh",
                             "j1_lh0.lzh"}) {
        SCOPED_TRACE(file);
        std::string archive = CopyData(std::string("fuzz-extract/") + file, "in.lzh");
        CommandResult test = Carry("t " + Quoted(archive));
        EXPECT_EQ(test.result, 0) << test.failure.status;
        CommandResult list = Carry("l " + Quoted(archive));
        EXPECT_NE(list.output, "");
    }
}

TEST_F(ArchiverTest, MemberCountLimit) {
    std::string members;
    for (uint32_t i = 0; i < kMaxMembers; ++i) members += Member("-lh0-", std::to_string(100000 + i), "", 0, 0);
    std::string archive = Dir() + "many.lzh";
    WriteBytes(archive, members + std::string(1, '\0'));
    EXPECT_EQ(Carry("t " + Quoted(archive)).result, 0);
    WriteBytes(archive, members + Member("-lh0-", "one more", "", 0, 0) + std::string(1, '\0'));
    std::string target = MakeFolder("target");
    EXPECT_EQ(Carry(ExtractCommand(archive, target)).result, kLhaTooLarge);
    EXPECT_EQ(ListFiles(target), std::vector<std::string>{});
}

// A -lh5- block whose tables hold one symbol each: a match of 256 bytes at
// distance 1, coded in no bits at all.
std::string SpacesStream(uint64_t size) {
    TestBitWriter w;
    for (uint64_t made = 0; made < size; made += 65535ull * 256) {
        w.Put(16, 65535);
        w.Put(5, 0);
        w.Put(5, 0);
        w.Put(9, 0);
        w.Put(9, 509);
        w.Put(4, 0);
        w.Put(4, 0);
    }
    return w.Finish();
}

TEST_F(ArchiverTest, ExtractedSizeLimit) {
    const uint64_t size = 150ull << 20;
    std::string spaces(1 << 16, ' ');
    uint16_t crc = 0;
    for (uint64_t done = 0; done < size; done += spaces.size())
        crc = UpdateCrc16(crc, reinterpret_cast<const uint8_t*>(spaces.data()), spaces.size());
    std::string one = Member("-lh5-", "spaces1", SpacesStream(size), size, crc);
    std::string archive = Dir() + "big.lzh";
    WriteBytes(archive, one + std::string(1, '\0'));
    EXPECT_EQ(Carry("t " + Quoted(archive)).result, 0);
    // Two of them pass 256 MiB together: refused before anything is written.
    WriteBytes(archive, one + Member("-lh5-", "spaces2", SpacesStream(size), size, crc) + std::string(1, '\0'));
    std::string target = MakeFolder("target");
    EXPECT_EQ(Carry(ExtractCommand(archive, target)).result, kLhaTooLarge);
    EXPECT_EQ(ListFiles(target), std::vector<std::string>{});
}

TEST_F(ArchiverTest, CommandLines) {
    std::string source = MakeFolder("source");
    WriteBytes(source + "f", "f");
    const std::string archive = Dir() + "x.lzh";
    const std::vector<std::string> badLines = {std::string(""), std::string("x ") + Quoted(archive), "a " + Quoted(archive), "a \"" + archive,
          "a " + Quoted(archive) + " " + Quoted(source + "*.*") + " extra", "aa " + Quoted(archive),
          "e " + Quoted(archive) + " " + Quoted(source) + " *.txt", "l " + Quoted(archive) + "x\"y",
          "l \"" + std::string(300, 'p') + "\"", "t"};
    for (const std::string& bad : badLines) {
        CommandResult r = Carry(bad);
        EXPECT_EQ(r.result, kLhaBadCommand) << bad;
        EXPECT_EQ(r.failure.status, kLhaBadCommand) << bad;
    }
    EXPECT_EQ(Carry("A " + Quoted(archive) + "  " + Quoted(source + "*.*")).result, 0);
    // Unquoted tokens and '/' as separator work as well.
    std::string target = MakeFolder("target");
    std::string slashes = target;
    std::replace(slashes.begin(), slashes.end(), '\\', '/');
    EXPECT_EQ(Carry("E " + Quoted(archive) + " " + slashes + " *.*").result, 0);
    EXPECT_EQ(ReadBytes(target + "f"), "f");
}

TEST_F(ArchiverTest, MissingArchiveAndMissingFolder) {
    CommandResult r = Carry(ExtractCommand(Dir() + "missing.lzh", Dir()));
    EXPECT_EQ(r.result, kLhaIoFailed);
    EXPECT_EQ(r.failure.action, kActionOpenForReading);
    EXPECT_EQ(r.failure.systemError, static_cast<DWORD>(ERROR_FILE_NOT_FOUND));

    std::string source = MakeFolder("source");
    WriteBytes(source + "f", "f");
    r = Carry(PackCommand(Dir() + "no such folder\\x.lzh", source));
    EXPECT_EQ(r.result, kLhaIoFailed);
    EXPECT_EQ(r.failure.action, kActionReplace);  // nothing can be put there
    EXPECT_EQ(r.failure.systemError, static_cast<DWORD>(ERROR_PATH_NOT_FOUND));
}

}  // namespace
