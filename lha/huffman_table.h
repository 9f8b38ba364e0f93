// Canonical Huffman decoding table as LHA builds it: codes assigned in order
// of length, then symbol; at most 16 bits. Short codes resolve with one
// lookup of `kLookupBits` bits, longer ones by walking the lengths.
#pragma once

#include <cstdint>

#include "lha/decode_common.h"

template <int kMaxSymbols, int kLookupBits>
struct HuffmanTable {
    static constexpr uint16_t kSlow = 0xFFFF;
    uint16_t lookup[1 << kLookupBits];  // (symbol << 5) | length, or kSlow
    uint16_t count[17];
    uint16_t firstCode[17];   // canonical first code of each length
    uint16_t firstIndex[17];  // index into `sorted` of each length's first symbol
    uint16_t sorted[kMaxSymbols];
    int single;  // the symbol of a one-symbol table (decoded with no bits), or -1

    void SetSingle(int symbol) { single = symbol; }

    // Builds from `n` code lengths (0 = unused). False for lengths over 16
    // or an over-subscribed code; an incomplete code is accepted and only
    // its unused patterns fail when decoded.
    bool Build(const uint8_t* lengths, int n) {
        single = -1;
        for (int i = 0; i <= 16; ++i) count[i] = 0;
        for (int i = 0; i < n; ++i) {
            if (lengths[i] > 16) return false;
            ++count[lengths[i]];
        }
        count[0] = 0;
        uint32_t code = 0;
        uint32_t index = 0;
        for (int len = 1; len <= 16; ++len) {
            firstCode[len] = static_cast<uint16_t>(code);
            firstIndex[len] = static_cast<uint16_t>(index);
            code += count[len];
            index += count[len];
            if (code > (1u << len)) return false;
            code <<= 1;
        }
        uint16_t next[17];
        for (int len = 1; len <= 16; ++len) next[len] = firstIndex[len];
        for (int i = 0; i < n; ++i)
            if (lengths[i]) sorted[next[lengths[i]]++] = static_cast<uint16_t>(i);

        for (auto& e : lookup) e = kSlow;
        for (int len = 1; len <= kLookupBits; ++len) {
            for (uint32_t k = 0; k < count[len]; ++k) {
                uint32_t c = firstCode[len] + k;
                uint32_t start = c << (kLookupBits - len);
                uint32_t span = 1u << (kLookupBits - len);
                uint16_t entry = static_cast<uint16_t>((sorted[firstIndex[len] + k] << 5) | len);
                for (uint32_t j = 0; j < span; ++j) lookup[start + j] = entry;
            }
        }
        return true;
    }

    // Next symbol, or -1 for a pattern that is no code.
    int Decode(BitReader& reader) const {
        if (single >= 0) return single;
        uint32_t peek = reader.Peek(16);
        uint16_t entry = lookup[peek >> (16 - kLookupBits)];
        if (entry != kSlow) {
            reader.Skip(entry & 31);
            return entry >> 5;
        }
        for (int len = kLookupBits + 1; len <= 16; ++len) {
            uint32_t c = peek >> (16 - len);
            uint32_t offset = c - firstCode[len];
            if (c >= firstCode[len] && offset < count[len]) {
                reader.Skip(len);
                return sorted[firstIndex[len] + offset];
            }
        }
        return -1;
    }
};
