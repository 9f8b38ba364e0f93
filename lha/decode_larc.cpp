// LArc's two LZSS methods. -lzs-: 2 KiB window, a flag bit per item, an
// 8-bit literal or an 11-bit position with a 4-bit length (2..17).
// -lz5-: 4 KiB window, a flag byte per eight items, a literal byte or two
// bytes of 12-bit position and 4-bit length (3..18). Positions are absolute
// in the ring, which starts a full match length before its end.
#include <new>

#include "lha/decode_common.h"
#include "lha/decoders.h"

namespace {

struct LarcState {
    BitReader reader;
    HistoryWindow window;
    uint8_t history[4096];
};

// Copies from an absolute ring position (not a distance back).
void CopyFrom(HistoryWindow& w, uint32_t from, uint32_t length) {
    w.Copy(((w.position - from) & w.mask), length);
}

LhaStatus DecodeLzs(void* state, int, LhaSource* in, LhaSink* out, uint64_t originalSize) {
    LarcState& s = *new (state) LarcState;
    s.reader.Start(in);
    s.window.Start(s.history, 11, out, originalSize, 2048 - 17);
    for (uint32_t i = 0; i < 2048; ++i) s.history[i] = ' ';
    BitReader& r = s.reader;
    HistoryWindow& w = s.window;
    while (!w.Done() && r.status == kLhaOk) {
        if (r.Get(1)) {
            w.Literal(static_cast<uint8_t>(r.Get(8)));
        } else {
            uint32_t from = r.Get(11);
            uint32_t length = r.Get(4) + 2;
            CopyFrom(w, from, length);
        }
    }
    return FinishDecode(r, w);
}

// The -lz5- ring starts filled with runs, ramps, zeros and spaces, so early
// matches can refer to it (LArc 3.33 agrees byte for byte).
void FillLz5History(uint8_t* h) {
    uint32_t k = 0;
    for (int i = 0; i < 256; ++i)
        for (int j = 0; j < 13; ++j) h[k++] = static_cast<uint8_t>(i);
    for (int i = 0; i < 256; ++i) h[k++] = static_cast<uint8_t>(i);
    for (int i = 0; i < 256; ++i) h[k++] = static_cast<uint8_t>(255 - i);
    for (int i = 0; i < 128; ++i) h[k++] = 0;
    while (k < 4096 - 18) h[k++] = ' ';
    while (k < 4096) h[k++] = 0;  // where LArc's look-ahead sits: never written before the start
}

LhaStatus DecodeLz5(void* state, int, LhaSource* in, LhaSink* out, uint64_t originalSize) {
    LarcState& s = *new (state) LarcState;
    s.reader.Start(in);
    s.window.Start(s.history, 12, out, originalSize, 4096 - 18);
    FillLz5History(s.history);
    BitReader& r = s.reader;
    HistoryWindow& w = s.window;
    uint32_t flags = 0;
    int flagCount = 0;
    while (!w.Done() && r.status == kLhaOk) {
        if (flagCount == 0) {
            flags = r.GetByte();
            flagCount = 8;
        }
        --flagCount;
        uint32_t first = r.GetByte();
        if (flags & 1) {
            w.Literal(static_cast<uint8_t>(first));
        } else {
            uint32_t second = r.GetByte();
            uint32_t from = first | ((second & 0xF0) << 4);
            CopyFrom(w, from, (second & 0x0F) + 3);
        }
        flags >>= 1;
    }
    return FinishDecode(r, w);
}

}  // namespace

extern const LhaDecoderType kLzsDecoder = {"-lzs-", sizeof(LarcState), 0, DecodeLzs};
extern const LhaDecoderType kLz5Decoder = {"-lz5-", sizeof(LarcState), 0, DecodeLz5};
