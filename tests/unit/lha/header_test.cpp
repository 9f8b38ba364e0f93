// Member headers of every level read from memory, the checks on their
// sizes, and the rules for member names.
#include <gtest/gtest.h>

#include <memory>

#include "codec_streams.h"
#include "lha/crc16.h"
#include "lha/header.h"
#include "lha/member_name.h"

namespace {

void Le16(std::string& s, uint32_t v) {
    s.push_back(static_cast<char>(v));
    s.push_back(static_cast<char>(v >> 8));
}
void Le32(std::string& s, uint32_t v) {
    Le16(s, v & 0xFFFF);
    Le16(s, v >> 16);
}

// Level 0: size byte, checksum, method, sizes, time, attribute, level, name, CRC.
std::string Level0(const std::string& method, const std::string& name, uint32_t compressed, uint32_t original,
                   uint16_t crc) {
    std::string body = method;
    Le32(body, compressed);
    Le32(body, original);
    Le32(body, 0x4A2B3C4D);
    body.push_back(0x20);
    body.push_back(0);
    body.push_back(static_cast<char>(name.size()));
    body += name;
    Le16(body, crc);
    uint32_t sum = 0;
    for (unsigned char c : body) sum += c;
    return std::string(1, static_cast<char>(body.size())) + std::string(1, static_cast<char>(sum)) + body;
}

// Level 1 with the given extended headers (each type + data) after the base.
std::string Level1(const std::string& name, uint32_t dataSize, const std::vector<std::string>& extended) {
    uint32_t extendedTotal = 0;
    for (const std::string& e : extended) extendedTotal += static_cast<uint32_t>(e.size()) + 2;
    std::string body = "-lh0-";
    Le32(body, dataSize + extendedTotal);
    Le32(body, dataSize);
    Le32(body, 0);
    body.push_back(0x20);
    body.push_back(1);
    body.push_back(static_cast<char>(name.size()));
    body += name;
    Le16(body, 0);
    body.push_back('M');
    Le16(body, extended.empty() ? 0 : static_cast<uint32_t>(extended[0].size()) + 2);
    uint32_t sum = 0;
    for (unsigned char c : body) sum += c;
    std::string out = std::string(1, static_cast<char>(body.size())) + std::string(1, static_cast<char>(sum)) + body;
    for (size_t i = 0; i < extended.size(); ++i) {
        out += extended[i];
        Le16(out, i + 1 < extended.size() ? static_cast<uint32_t>(extended[i + 1].size()) + 2 : 0);
    }
    return out;
}

// Level 3: four-byte sizes throughout.
std::string Level3(const std::string& name, uint32_t dataSize, uint32_t totalOverride = 0) {
    std::string e1 = std::string(1, '\x01') + name;
    std::string h = std::string("\x04\x00", 2) + "-lh0-";
    Le32(h, dataSize);
    Le32(h, dataSize);
    Le32(h, 0);
    h.push_back(0x20);
    h.push_back(3);
    Le16(h, 0);
    h.push_back('U');
    uint32_t total = 32 + static_cast<uint32_t>(e1.size()) + 4;
    Le32(h, totalOverride ? totalOverride : total);
    Le32(h, static_cast<uint32_t>(e1.size()) + 4);
    h += e1;
    Le32(h, 0);
    return h;
}

struct ParsedMember {
    LhaStatus status;
    bool end;
    LhaMemberHeader header;
};

// Reads the first header of `bytes`.
ParsedMember ParseFirst(const std::string& bytes) {
    auto reader = std::make_unique<LhaReader>();
    MemorySource source{&bytes};
    LhaSource in = source.Source();
    StartReader(reader.get(), &in);
    ParsedMember m{};
    m.status = ReadMemberHeader(reader.get(), &m.header, &m.end);
    return m;
}

TEST(HeaderTest, Level0NameIsLastComponent) {
    ParsedMember m = ParseFirst(Level0("-lh5-", "DIR\\SUB/FILE.TXT", 10, 20, 0x1234) + std::string(10, 'x'));
    ASSERT_EQ(m.status, kLhaOk);
    EXPECT_STREQ(m.header.method, "-lh5-");
    EXPECT_EQ(m.header.level, 0);
    EXPECT_EQ(m.header.compressedSize, 10u);
    EXPECT_EQ(m.header.originalSize, 20u);
    EXPECT_EQ(m.header.crc, 0x1234);
    EXPECT_STREQ(m.header.name, "FILE.TXT");
}

TEST(HeaderTest, Cp932SecondByteIsNoSeparator) {
    // 0x83 0x5C is one character whose second byte looks like '\'.
    ParsedMember m = ParseFirst(Level0("-lh0-", "dir\\\x83\x5c.txt", 0, 0, 0));
    ASSERT_EQ(m.status, kLhaOk);
    EXPECT_STREQ(m.header.name, "\x83\x5c.txt");
}

TEST(HeaderTest, Level1ExtendedHeadersComeOutOfTheDataSize) {
    std::string dir = std::string("\x02", 1) + "a\xFF" + "b\xFF";
    std::string name = std::string("\x01", 1) + "long name.txt";
    ParsedMember m = ParseFirst(Level1("LONGNA~1.TXT", 5, {dir, name}) + "hello");
    ASSERT_EQ(m.status, kLhaOk);
    EXPECT_EQ(m.header.level, 1);
    EXPECT_EQ(m.header.compressedSize, 5u);
    EXPECT_STREQ(m.header.name, "long name.txt");
}

TEST(HeaderTest, Level2RoundTripWithHeaderCrc) {
    uint8_t buffer[kLevel2HeaderMax];
    uint32_t length = BuildLevel2Header(buffer, "-lh5-", "profile", 7, 123, 456, 0xBEEF, 1000000000);
    std::string bytes(reinterpret_cast<char*>(buffer), length);
    ParsedMember m = ParseFirst(bytes);
    ASSERT_EQ(m.status, kLhaOk);
    EXPECT_EQ(m.header.level, 2);
    EXPECT_EQ(m.header.compressedSize, 123u);
    EXPECT_EQ(m.header.originalSize, 456u);
    EXPECT_EQ(m.header.crc, 0xBEEF);
    EXPECT_EQ(m.header.timeStamp, 1000000000u);
    EXPECT_STREQ(m.header.name, "profile");
    bytes[31] ^= 1;  // a byte of the name
    EXPECT_EQ(ParseFirst(bytes).status, kLhaDamaged);
}

TEST(HeaderTest, Level2SizeNeverStartsWithZeroByte) {
    // 39 + N bytes: a 217-byte name makes 256, which would begin with 0x00.
    std::string name(217, 'n');
    uint8_t buffer[kLevel2HeaderMax];
    uint32_t length = BuildLevel2Header(buffer, "-lh0-", name.c_str(), 217, 0, 0, 0, 0);
    EXPECT_EQ(length, 257u);
    EXPECT_NE(buffer[0], 0);
    ParsedMember m = ParseFirst(std::string(reinterpret_cast<char*>(buffer), length));
    ASSERT_EQ(m.status, kLhaOk);
    EXPECT_EQ(m.header.nameLength, 217u);
}

TEST(HeaderTest, Level2FromOs9CountsTwoBytesShort) {
    uint8_t buffer[kLevel2HeaderMax];
    uint32_t length = BuildLevel2Header(buffer, "-lh0-", "osk.txt", 7, 0, 0, 0, 0);
    std::string bytes(reinterpret_cast<char*>(buffer), length);
    bytes[23] = 'K';
    bytes[0] = static_cast<char>(length - 2);  // as LHa for OS-9/68k writes it
    bytes[27] = bytes[28] = 0;
    bytes.erase(26, 5);  // no CRC header (that LHa writes none)
    bytes[24] = static_cast<char>(3 + 7);
    bytes[0] = static_cast<char>(bytes.size() - 2);
    ParsedMember m = ParseFirst(bytes);
    ASSERT_EQ(m.status, kLhaOk);
    EXPECT_STREQ(m.header.name, "osk.txt");
    // The largest size field plus those two bytes would pass 64 KiB.
    std::string huge = bytes;
    huge[0] = '\xFF';
    huge[1] = '\xFF';
    huge += std::string(70000, 'x');
    EXPECT_EQ(ParseFirst(huge).status, kLhaDamaged);
}

TEST(HeaderTest, Level3) {
    ParsedMember m = ParseFirst(Level3("three.bin", 4) + "data");
    ASSERT_EQ(m.status, kLhaOk);
    EXPECT_EQ(m.header.level, 3);
    EXPECT_STREQ(m.header.name, "three.bin");
    EXPECT_EQ(ParseFirst(Level3("three.bin", 4, 70000)).status, kLhaDamaged);  // over 64 KiB
}

TEST(HeaderTest, EndOfArchive) {
    std::string one = Level0("-lh0-", "a", 1, 1, 0) + "x";
    auto reader = std::make_unique<LhaReader>();
    for (const std::string& tail : {std::string(1, '\0'), std::string()}) {
        std::string bytes = one + tail;
        MemorySource source{&bytes};
        LhaSource in = source.Source();
        StartReader(reader.get(), &in);
        LhaMemberHeader h;
        bool end = false;
        ASSERT_EQ(ReadMemberHeader(reader.get(), &h, &end), kLhaOk);
        ASSERT_FALSE(end);
        ASSERT_EQ(ReadMemberHeader(reader.get(), &h, &end), kLhaOk);
        EXPECT_TRUE(end);
    }
}

// Damaged as the second member; as the first, damaged when it starts like
// an LHA header, else not an archive.
void ExpectBadHeader(const std::string& header, const char* what, LhaStatus asFirst = kLhaDamaged) {
    std::string good = Level0("-lh0-", "a", 0, 0, 0);
    EXPECT_EQ(ParseFirst(header).status, asFirst) << what;
    auto reader = std::make_unique<LhaReader>();
    std::string bytes = good + header;
    MemorySource source{&bytes};
    LhaSource in = source.Source();
    StartReader(reader.get(), &in);
    LhaMemberHeader h;
    bool end = false;
    ASSERT_EQ(ReadMemberHeader(reader.get(), &h, &end), kLhaOk);
    EXPECT_EQ(ReadMemberHeader(reader.get(), &h, &end), kLhaDamaged) << what;
}

TEST(HeaderTest, SizesAreCheckedBeforeUse) {
    std::string level0 = Level0("-lh0-", "name.txt", 0, 0, 0);
    std::string shortSize = level0;
    shortSize[0] = 20;  // below the fixed part
    ExpectBadHeader(shortSize, "level-0 size below its fixed part");
    std::string badSum = level0;
    badSum[1] ^= 0x55;
    ExpectBadHeader(badSum, "level-0 checksum");
    ExpectBadHeader(Level0("-lh0-", "name.txt", 0, 0, 0).substr(0, 15), "truncated header", kLhaNotArchive);

    std::string tiny = std::string("\x02", 1);  // an extended header of 2 bytes (type and nothing else)
    ExpectBadHeader(Level1("x", 0, {tiny.substr(0, 0)}), "level-1 extended size 2");
    std::string big = std::string("\x01", 1) + "name";
    std::string level1 = Level1("x", 0, {big});
    // The extended header claims more than the data area holds.
    level1[7] = 2;
    level1[8] = 0;
    uint32_t sum = 0;
    for (size_t i = 2; i < static_cast<unsigned char>(level1[0]) + 2u; ++i) sum += static_cast<unsigned char>(level1[i]);
    level1[1] = static_cast<char>(sum);
    ExpectBadHeader(level1, "level-1 extended headers past the data");

    uint8_t buffer[kLevel2HeaderMax];
    uint32_t length = BuildLevel2Header(buffer, "-lh0-", "n", 1, 0, 0, 0, 0);
    std::string level2(reinterpret_cast<char*>(buffer), length);
    std::string pastEnd = level2;
    pastEnd[24] = 100;  // first extended header runs past the header
    ExpectBadHeader(pastEnd, "level-2 extended header past the header");
    std::string below = level2;
    below[24] = 1;
    ExpectBadHeader(below, "level-2 extended size 1");
    std::string small = level2;
    small[0] = 20;
    ExpectBadHeader(small, "level-2 size below its fixed part");
}

TEST(HeaderTest, NotAnArchive) {
    EXPECT_EQ(ParseFirst("").status, kLhaNotArchive);
    EXPECT_EQ(ParseFirst("This is a plain text file, long enough to hold a header.").status, kLhaNotArchive);
    EXPECT_EQ(ParseFirst(std::string("MZ\x90\x00", 4) + std::string(100, '\0')).status, kLhaNotArchive);
    // A zero byte alone is an empty archive; followed by more it is not one (an Amiga program, say).
    ParsedMember empty = ParseFirst(std::string(1, '\0'));
    EXPECT_EQ(empty.status, kLhaOk);
    EXPECT_TRUE(empty.end);
    EXPECT_EQ(ParseFirst(std::string("\0\0\x03\xF3", 4)).status, kLhaNotArchive);
}

LhaMemberHeader Named(const std::string& name) {
    LhaMemberHeader h{};
    h.nameLength = static_cast<uint32_t>(name.size());
    h.nameTooLong = name.size() > kMaxNameBytes;
    std::memcpy(h.name, name.data(), std::min<size_t>(name.size(), kMaxNameBytes));
    return h;
}

TEST(MemberNameTest, SafeAndUnsafeNames) {
    for (const char* ok : {"profile", "gateway.1", "tcpip", "a", "...a", "CONSOLE.txt", "COM0", "LPT10", "con x",
                           "\x83\x5c", "\x83\x7c.txt", "\x83\x7c", "\x84\x80", "\xed\x40", "\xfc\x4b"})
        EXPECT_TRUE(IsSafeMemberName(Named(ok))) << ok;
    for (const char* bad : {"", ".", "..", "a:b", "c:", "tab\there", "esc\x1b]2;x", "del\x7f", "dot.", "space ",
                            "CON", "con.txt", "Nul", "aux.tar.gz", "COM1", "lpt9.log", "PRN .txt", "a*b", "a?b",
                            "a\"b", "a<b", "a>b", "a|b", "CON\x82", "dot.\x82", "a\x82.b", "\x84\x7f", "\x85\x40",
                            "\xeb\x40"})
        EXPECT_FALSE(IsSafeMemberName(Named(bad))) << bad;
    EXPECT_TRUE(IsSafeMemberName(Named(std::string(255, 'n'))));
    EXPECT_FALSE(IsSafeMemberName(Named(std::string(256, 'n'))));
}

TEST(MemberNameTest, FoldingLeavesSecondBytesAlone) {
    char out[kMaxNameBytes + 1];
    FoldMemberName("Profile.Txt", out);
    EXPECT_STREQ(out, "PROFILE.TXT");
    FoldMemberName("\x83\x61z", out);  // 0x83 0x61 is one character; its second byte is 'a'
    EXPECT_STREQ(out, "\x83\x61Z");
}

}  // namespace
