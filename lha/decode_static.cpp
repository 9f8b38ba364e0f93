// -lh4- to -lh7-: LZSS with static Huffman blocks. One decoder; the methods
// differ only in dictionary bits (12, 13, 15, 16), which also fix the number
// of distance codes and the width of their count field.
#include <new>

#include "lha/decoders.h"
#include "lha/huffman_table.h"

namespace {

constexpr int kCharCodes = 510;      // 256 literals + lengths 3..256
constexpr int kTempCodes = 19;       // code-length codes of the char table
constexpr int kMaxDistanceCodes = 17;
constexpr int kMinMatch = 3;

struct StaticState {
    BitReader reader;
    HistoryWindow window;
    HuffmanTable<kCharCodes, 12> chars;
    HuffmanTable<kTempCodes, 8> temp;
    HuffmanTable<kMaxDistanceCodes, 8> distances;
    uint8_t lengths[kCharCodes];
    uint8_t history[1 << 16];
};

// Reads the lengths of the temp or distance table: a count, then 3-bit
// lengths where 7 continues in unary. In the temp table a 2-bit run of
// zeros follows the third length.
bool ReadShortLengths(StaticState& s, int maxCodes, int countBits, int specialIndex,
                      HuffmanTable<kMaxDistanceCodes, 8>* distances, HuffmanTable<kTempCodes, 8>* temp) {
    BitReader& r = s.reader;
    int n = static_cast<int>(r.Get(countBits));
    if (n == 0) {
        int symbol = static_cast<int>(r.Get(countBits));
        if (symbol >= maxCodes) return false;
        if (distances) distances->SetSingle(symbol);
        if (temp) temp->SetSingle(symbol);
        return true;
    }
    if (n > maxCodes) return false;
    int i = 0;
    while (i < n) {
        int len = static_cast<int>(r.Get(3));
        if (len == 7) {
            while (r.Get(1)) {
                if (++len > 16) return false;
            }
        }
        s.lengths[i++] = static_cast<uint8_t>(len);
        if (i == specialIndex) {
            // Encoders may run these zeros past `n`; they stay inside the table.
            int zeros = static_cast<int>(r.Get(2));
            while (zeros-- > 0 && i < maxCodes) s.lengths[i++] = 0;
        }
    }
    for (int k = n; k < maxCodes; ++k) s.lengths[k] = 0;
    if (r.status != kLhaOk) return false;
    return distances ? distances->Build(s.lengths, maxCodes) : temp->Build(s.lengths, maxCodes);
}

// The char table's lengths, coded with the temp table: 0 = one zero,
// 1 = 3..18 zeros, 2 = 20..531 zeros, k >= 3 = length k - 2.
bool ReadCharLengths(StaticState& s) {
    BitReader& r = s.reader;
    int n = static_cast<int>(r.Get(9));
    if (n == 0) {
        int symbol = static_cast<int>(r.Get(9));
        if (symbol >= kCharCodes) return false;
        s.chars.SetSingle(symbol);
        return true;
    }
    if (n > kCharCodes) return false;
    int i = 0;
    while (i < n) {
        int c = s.temp.Decode(r);
        if (c < 0) return false;
        if (c <= 2) {
            int zeros = c == 0 ? 1 : c == 1 ? static_cast<int>(r.Get(4)) + 3 : static_cast<int>(r.Get(9)) + 20;
            if (i + zeros > n) return false;
            while (zeros-- > 0) s.lengths[i++] = 0;
        } else {
            if (c - 2 > 16) return false;
            s.lengths[i++] = static_cast<uint8_t>(c - 2);
        }
    }
    for (int k = n; k < kCharCodes; ++k) s.lengths[k] = 0;
    if (r.status != kLhaOk) return false;
    return s.chars.Build(s.lengths, kCharCodes);
}

LhaStatus DecodeStatic(void* state, int dictionaryBits, LhaSource* in, LhaSink* out, uint64_t originalSize) {
    StaticState& s = *new (state) StaticState;
    const int distanceCodes = dictionaryBits + 1;
    const int countBits = dictionaryBits <= 13 ? 4 : 5;
    s.reader.Start(in);
    s.window.Start(s.history, dictionaryBits, out, originalSize, 0);
    // Bytes before the start of the member read as spaces, as LHA has it.
    for (uint32_t i = 0; i < s.window.size; ++i) s.history[i] = ' ';
    BitReader& r = s.reader;
    HistoryWindow& w = s.window;

    while (!w.Done() && r.status == kLhaOk) {
        uint32_t blockSize = r.Get(16);
        if (blockSize == 0) return kLhaDamaged;
        if (!ReadShortLengths(s, kTempCodes, 5, 3, nullptr, &s.temp) || !ReadCharLengths(s) ||
            !ReadShortLengths(s, distanceCodes, countBits, -1, &s.distances, nullptr)) {
            return r.status != kLhaOk ? r.status : kLhaDamaged;
        }
        while (blockSize-- > 0 && !w.Done()) {
            int c = s.chars.Decode(r);
            if (c < 0) return kLhaDamaged;
            if (c < 256) {
                w.Literal(static_cast<uint8_t>(c));
                continue;
            }
            int p = s.distances.Decode(r);
            if (p < 0) return kLhaDamaged;
            uint32_t distance = p <= 1 ? static_cast<uint32_t>(p) : (1u << (p - 1)) + r.Get(p - 1);
            w.Copy(distance + 1, static_cast<uint32_t>(c - 256 + kMinMatch));
            if (r.status != kLhaOk) break;
        }
    }
    return FinishDecode(r, w);
}

}  // namespace

#define LHA_STATIC_DECODER(name, bits) {name, sizeof(StaticState), bits, DecodeStatic}
extern const LhaDecoderType kLh4Decoder = LHA_STATIC_DECODER("-lh4-", 12);
extern const LhaDecoderType kLh5Decoder = LHA_STATIC_DECODER("-lh5-", 13);
extern const LhaDecoderType kLh6Decoder = LHA_STATIC_DECODER("-lh6-", 15);
extern const LhaDecoderType kLh7Decoder = LHA_STATIC_DECODER("-lh7-", 16);
