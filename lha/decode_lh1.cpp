// -lh1-: LZSS with a 4 KiB window; literals and lengths (3..60) are coded
// with an adaptive Huffman tree that is updated after every symbol and
// rebuilt with halved counts when the root's count reaches 0x8000; the upper
// six bits of a distance come from a fixed code, the lower six are plain.
#include <new>

#include "lha/decode_common.h"
#include "lha/decoders.h"
#include "lha/huffman_table.h"

namespace {

constexpr int kSymbols = 314;                // 256 literals + 58 lengths
constexpr int kNodes = 2 * kSymbols - 1;     // 627
constexpr int kRoot = kNodes - 1;
constexpr uint32_t kMaxFrequency = 0x8000;
constexpr int kMinMatch = 3;

struct Lh1State {
    BitReader reader;
    HistoryWindow window;
    HuffmanTable<64, 8> upperBits;
    uint16_t frequency[kNodes + 1];
    int16_t parent[kNodes + kSymbols];  // leaves' parents at kNodes + symbol
    int16_t child[kNodes];              // left child; leaves point at kNodes + symbol
    uint8_t history[4096];
};

void StartTree(Lh1State& s) {
    for (int i = 0; i < kSymbols; ++i) {
        s.frequency[i] = 1;
        s.child[i] = static_cast<int16_t>(i + kNodes);
        s.parent[i + kNodes] = static_cast<int16_t>(i);
    }
    for (int i = 0, j = kSymbols; j <= kRoot; i += 2, ++j) {
        s.frequency[j] = static_cast<uint16_t>(s.frequency[i] + s.frequency[i + 1]);
        s.child[j] = static_cast<int16_t>(i);
        s.parent[i] = s.parent[i + 1] = static_cast<int16_t>(j);
    }
    s.frequency[kNodes] = 0xFFFF;  // sentinel above the root
    s.parent[kRoot] = 0;
}

// Halves every leaf count and builds the tree anew, keeping nodes sorted
// by count.
void Rebuild(Lh1State& s) {
    int j = 0;
    for (int i = 0; i < kNodes; ++i) {
        if (s.child[i] >= kNodes) {
            s.frequency[j] = static_cast<uint16_t>((s.frequency[i] + 1) / 2);
            s.child[j] = s.child[i];
            ++j;
        }
    }
    for (int i = 0, k = kSymbols; k < kNodes; i += 2, ++k) {
        uint32_t f = static_cast<uint32_t>(s.frequency[i]) + s.frequency[i + 1];
        int at = k - 1;
        while (at >= 0 && f < s.frequency[at]) --at;
        ++at;
        for (int m = k; m > at; --m) {
            s.frequency[m] = s.frequency[m - 1];
            s.child[m] = s.child[m - 1];
        }
        s.frequency[at] = static_cast<uint16_t>(f);
        s.child[at] = static_cast<int16_t>(i);
    }
    for (int i = 0; i < kNodes; ++i) {
        int k = s.child[i];
        if (k >= kNodes) {
            s.parent[k] = static_cast<int16_t>(i);
        } else {
            s.parent[k] = s.parent[k + 1] = static_cast<int16_t>(i);
        }
    }
}

// Counts symbol `c` and moves nodes so that counts stay in order.
void Update(Lh1State& s, int c) {
    if (s.frequency[kRoot] == kMaxFrequency) Rebuild(s);
    c = s.parent[c + kNodes];
    do {
        uint16_t k = ++s.frequency[c];
        int l = c + 1;
        if (k > s.frequency[l]) {
            while (k > s.frequency[++l]) {
            }
            --l;
            s.frequency[c] = s.frequency[l];
            s.frequency[l] = k;

            int i = s.child[c];
            s.parent[i] = static_cast<int16_t>(l);
            if (i < kNodes) s.parent[i + 1] = static_cast<int16_t>(l);
            int j = s.child[l];
            s.child[l] = static_cast<int16_t>(i);
            s.parent[j] = static_cast<int16_t>(c);
            if (j < kNodes) s.parent[j + 1] = static_cast<int16_t>(c);
            s.child[c] = static_cast<int16_t>(j);
            c = l;
        }
        c = s.parent[c];
    } while (c != 0);
}

int DecodeSymbol(Lh1State& s) {
    int c = s.child[kRoot];
    while (c < kNodes) {
        c += static_cast<int>(s.reader.Get(1));
        c = s.child[c];
    }
    c -= kNodes;
    Update(s, c);
    return c;
}

// Code lengths of the distance's upper six bits: one code of 3 bits, three
// of 4, eight of 5, twelve of 6, twenty-four of 7 and sixteen of 8.
void BuildUpperBitsTable(Lh1State& s) {
    uint8_t lengths[64];
    for (int i = 0; i < 64; ++i)
        lengths[i] = static_cast<uint8_t>(i < 1 ? 3 : i < 4 ? 4 : i < 12 ? 5 : i < 24 ? 6 : i < 48 ? 7 : 8);
    s.upperBits.Build(lengths, 64);
}

LhaStatus DecodeLh1(void* state, int, LhaSource* in, LhaSink* out, uint64_t originalSize) {
    Lh1State& s = *new (state) Lh1State;
    s.reader.Start(in);
    s.window.Start(s.history, 12, out, originalSize, 0);
    for (uint32_t i = 0; i < 4096; ++i) s.history[i] = ' ';
    StartTree(s);
    BuildUpperBitsTable(s);
    BitReader& r = s.reader;
    HistoryWindow& w = s.window;
    while (!w.Done() && r.status == kLhaOk) {
        int c = DecodeSymbol(s);
        if (c < 256) {
            w.Literal(static_cast<uint8_t>(c));
            continue;
        }
        int upper = s.upperBits.Decode(r);
        uint32_t distance = (static_cast<uint32_t>(upper) << 6) | r.Get(6);
        w.Copy(distance + 1, static_cast<uint32_t>(c - 256 + kMinMatch));
    }
    return FinishDecode(r, w);
}

}  // namespace

extern const LhaDecoderType kLh1Decoder = {"-lh1-", sizeof(Lh1State), 0, DecodeLh1};
