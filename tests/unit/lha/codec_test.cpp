// The codec core on its own: CRC-16, the -lh5- encoder against our decoder,
// hand-made streams for the LArc methods, and bad Huffman tables.
#include <gtest/gtest.h>

#include "codec_streams.h"
#include "lha/crc16.h"
#include "lha/decoders.h"
#include "lha/header.h"

namespace {

TEST(Crc16Test, KnownValues) {
    // CRC-16/ARC check values.
    struct {
        const char* text;
        uint16_t crc;
    } cases[] = {{"", 0x0000}, {"a", 0xE8C1}, {"123456789", 0xBB3D}, {"abc", 0x9738}};
    for (const auto& c : cases) {
        uint16_t got = UpdateCrc16(0, reinterpret_cast<const uint8_t*>(c.text), std::strlen(c.text));
        EXPECT_EQ(got, c.crc) << "text \"" << c.text << "\" got " << std::hex << got;
    }
}

TEST(Crc16Test, PiecewiseEqualsWhole) {
    std::string data = RandomBytes(10000, 7);
    const uint8_t* p = reinterpret_cast<const uint8_t*>(data.data());
    uint16_t whole = UpdateCrc16(0, p, data.size());
    uint16_t pieces = UpdateCrc16(UpdateCrc16(0, p, 4321), p + 4321, data.size() - 4321);
    EXPECT_EQ(whole, pieces);
}

// Encodes with no size limit and decodes with -lh5-.
void ExpectRoundTrip(const std::string& input, size_t* compressedSize = nullptr) {
    std::string compressed, decoded;
    ASSERT_EQ(RunEncoder(input, ~0ull, &compressed), kLhaOk);
    ASSERT_EQ(RunDecoder(kLh5Decoder, compressed, input.size(), &decoded), kLhaOk);
    ASSERT_EQ(decoded.size(), input.size());
    EXPECT_TRUE(decoded == input) << "first difference at "
                                  << std::mismatch(decoded.begin(), decoded.end(), input.begin()).first - decoded.begin();
    if (compressedSize) *compressedSize = compressed.size();
}

TEST(Lh5RoundTripTest, Sizes) {
    for (size_t size : {size_t(0), size_t(1), size_t(2), size_t(3), size_t(8191), size_t(8192), size_t(8193),
                        size_t(70000), size_t(131072 + 300)}) {
        SCOPED_TRACE(size);
        ExpectRoundTrip(SnapshotLikeBytes(size));
    }
}

TEST(Lh5RoundTripTest, IncompressibleMegabyte) {
    ExpectRoundTrip(RandomBytes(1 << 20, 1));
    // With the limit of "must shrink" the encoder gives up instead.
    std::string compressed;
    EXPECT_EQ(RunEncoder(RandomBytes(1 << 20, 1), (1 << 20) - 1, &compressed), kLhaTooLarge);
}

TEST(Lh5RoundTripTest, SnapshotLikeDataShrinks) {
    size_t compressed = 0;
    const std::string input = SnapshotLikeBytes(5 << 20);
    ExpectRoundTrip(input, &compressed);
    EXPECT_LT(compressed, input.size() / 4) << "compressed " << compressed;
}

TEST(Lh5RoundTripTest, LongRunsAndEveryByteValue) {
    std::string input(300000, 'x');
    for (int i = 0; i < 256; ++i) input.insert(input.begin() + i * 1000, 1, static_cast<char>(i));
    input += RandomBytes(5000, 3) + RandomBytes(5000, 3);  // a repeat farther back than a match may reach... partly
    ExpectRoundTrip(input);
}

// A block whose three tables each hold one symbol: every code takes no bits.
std::string SingleSymbolBlock(uint32_t count, uint32_t charSymbol, uint32_t distanceSymbol) {
    TestBitWriter w;
    w.Put(16, count);
    w.Put(5, 0);
    w.Put(5, 0);
    w.Put(9, 0);
    w.Put(9, charSymbol);
    w.Put(4, 0);
    w.Put(4, distanceSymbol);
    return w.Finish();
}

TEST(StaticHuffmanDecoderTest, OneSymbolTablesAndCutAtOriginalSize) {
    std::string out;
    ASSERT_EQ(RunDecoder(kLh5Decoder, SingleSymbolBlock(3, 'A', 0), 3, &out), kLhaOk);
    EXPECT_EQ(out, "AAA");
    // Matches of 256 bytes at distance 1 from the spaces before the start,
    // cut at the original size in the middle of a match.
    ASSERT_EQ(RunDecoder(kLh7Decoder, SingleSymbolBlock(10, 509, 0), 1000, &out), kLhaOk);
    EXPECT_EQ(out, std::string(1000, ' '));
}

struct BadStream {
    const char* name;
    std::string bytes;
};

std::vector<BadStream> BadStaticStreams() {
    std::vector<BadStream> cases;
    {
        TestBitWriter w;  // 20 code-length codes where 19 exist
        w.Put(16, 1);
        w.Put(5, 20);
        cases.push_back({"temp table count past 19", w.Finish()});
    }
    {
        TestBitWriter w;  // a code length of 17
        w.Put(16, 1);
        w.Put(5, 3);
        w.Put(3, 7);
        w.Put(10, 0x3FF);
        w.Put(1, 0);
        cases.push_back({"bit length 17", w.Finish()});
    }
    {
        TestBitWriter w;  // three codes of one bit
        w.Put(16, 1);
        w.Put(5, 3);
        w.Put(3, 1);
        w.Put(3, 1);
        w.Put(3, 1);
        w.Put(2, 0);
        cases.push_back({"over-subscribed code", w.Finish()});
    }
    {
        TestBitWriter w;  // temp code: symbol 1 = "0", symbol 3 = "1"; 13 zeros into a table of 5
        w.Put(16, 1);
        w.Put(5, 4);
        w.Put(3, 0);
        w.Put(3, 1);
        w.Put(3, 0);
        w.Put(2, 0);
        w.Put(3, 1);
        w.Put(9, 5);
        w.Put(1, 0);
        w.Put(4, 10);
        cases.push_back({"zero run past the char table", w.Finish()});
    }
    {
        TestBitWriter w;  // 15 distance codes where -lh5- has 14
        w.Put(16, 1);
        w.Put(5, 0);
        w.Put(5, 0);
        w.Put(9, 0);
        w.Put(9, 'A');
        w.Put(4, 15);
        cases.push_back({"distance table count past 14", w.Finish()});
    }
    {
        TestBitWriter w;  // a one-code temp table meets the unused pattern "1"
        w.Put(16, 1);
        w.Put(5, 3);
        w.Put(3, 1);
        w.Put(3, 0);
        w.Put(3, 0);
        w.Put(2, 0);
        w.Put(9, 5);
        w.Put(1, 1);
        cases.push_back({"pattern that is no code", w.Finish()});
    }
    cases.push_back({"block of no codes", SingleSymbolBlock(0, 'A', 0)});
    cases.push_back({"empty stream", std::string()});
    return cases;
}

TEST(StaticHuffmanDecoderTest, BadTablesAreDamaged) {
    for (const BadStream& bad : BadStaticStreams()) {
        std::string out;
        EXPECT_EQ(RunDecoder(kLh5Decoder, bad.bytes, 100, &out), kLhaDamaged) << bad.name;
        EXPECT_LT(out.size(), 100u) << bad.name;
    }
}

TEST(StaticHuffmanDecoderTest, TruncatedStreamIsDamaged) {
    const std::string input = SnapshotLikeBytes(200000);
    std::string compressed, out;
    ASSERT_EQ(RunEncoder(input, ~0ull, &compressed), kLhaOk);
    compressed.resize(compressed.size() / 2);
    EXPECT_EQ(RunDecoder(kLh5Decoder, compressed, input.size(), &out), kLhaDamaged);
}

TEST(StoredDecoderTest, LengthMustMatch) {
    std::string out;
    EXPECT_EQ(RunDecoder(kLh0Decoder, "abcdef", 6, &out), kLhaOk);
    EXPECT_EQ(out, "abcdef");
    EXPECT_EQ(RunDecoder(kLh0Decoder, "abcdef", 5, &out), kLhaDamaged);
    EXPECT_EQ(RunDecoder(kLz4Decoder, "abcdef", 7, &out), kLhaDamaged);
}

TEST(LarcDecoderTest, Lz5MatchFromInitialHistory) {
    // Flag byte: item 0 a match, items 1-7 literals. The match takes 18 bytes
    // from ring position 0, where the history starts with 13 zeros and then
    // 13 ones.
    std::string stream = "\xFE";
    stream += std::string("\x00\x0F", 2);
    stream += "abcdefg";
    std::string out;
    ASSERT_EQ(RunDecoder(kLz5Decoder, stream, 25, &out), kLhaOk);
    EXPECT_EQ(out, std::string(13, '\0') + std::string(5, '\1') + "abcdefg");
    ASSERT_EQ(RunDecoder(kLz5Decoder, stream, 10, &out), kLhaOk);
    EXPECT_EQ(out, std::string(10, '\0'));
}

TEST(LarcDecoderTest, LzsLiteralsAndMatch) {
    // The ring is 2 KiB and starts 17 bytes before its end: "Hi" lands at
    // positions 2031 and 2032; a match of 2 from 2031 repeats it.
    TestBitWriter w;
    w.Put(1, 1);
    w.Put(8, 'H');
    w.Put(1, 1);
    w.Put(8, 'i');
    w.Put(1, 0);
    w.Put(11, 2031);
    w.Put(4, 0);
    std::string out;
    ASSERT_EQ(RunDecoder(kLzsDecoder, w.Finish(), 4, &out), kLhaOk);
    EXPECT_EQ(out, "HiHi");
}

TEST(DecoderTableTest, MethodsByName) {
    for (const char* method : {"-lh0-", "-lh1-", "-lh4-", "-lh5-", "-lh6-", "-lh7-", "-lzs-", "-lz4-", "-lz5-"}) {
        const LhaDecoderType* type = FindDecoderType(method);
        ASSERT_NE(type, nullptr) << method;
        EXPECT_EQ(std::string(type->method), method);
    }
    for (const char* method : {"-lhd-", "-lh2-", "-lh3-", "-pm2-", "-lh8-", "\0\0\0\0\0"})
        EXPECT_EQ(FindDecoderType(method), nullptr) << method;
    EXPECT_EQ(kLh4Decoder.parameter, 12);
    EXPECT_EQ(kLh5Decoder.parameter, 13);
    EXPECT_EQ(kLh6Decoder.parameter, 15);
    EXPECT_EQ(kLh7Decoder.parameter, 16);
}

TEST(DecoderTableTest, WorkingSetStaysSmall) {
    // Decoding keeps one window and its tables, whatever the member size.
    EXPECT_LE(MaxDecoderStateSize(), 1u << 20);
    EXPECT_LE(kLh5EncoderStateSize, 8u << 20);
}

}  // namespace
