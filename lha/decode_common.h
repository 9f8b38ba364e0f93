// Pieces every decoder shares: a bit reader over an LhaSource and the
// history window that also buffers output for the sink.
#pragma once

#include <cstdint>
#include <cstring>

#include "lha/codec.h"

// Compressed streams may end a few bits short of the decoder's look-ahead;
// past this many zero bytes of padding the data is truncated.
constexpr uint32_t kMaxPaddingBytes = 16;

// Most-significant-bit-first reader. Failures are sticky: after one, every
// read yields zero bits and the decoder loop stops at its next check.
struct BitReader {
    LhaSource* source;
    uint64_t bits;      // left-aligned
    int count;          // valid bits in `bits`
    uint32_t position;  // next byte in buffer
    uint32_t end;
    uint32_t padding;
    LhaStatus status;
    uint8_t buffer[8192];

    void Start(LhaSource* in) {
        source = in;
        bits = 0;
        count = 0;
        position = 0;
        end = 0;
        padding = 0;
        status = kLhaOk;
    }

    // Tops the bit buffer up to at least 57 bits.
    void Refill() {
        while (count <= 56) {
            if (position == end && !FillBuffer()) {
                // Past the end: zero bits, counted.
                if (++padding > kMaxPaddingBytes && status == kLhaOk) status = kLhaDamaged;
                count += 8;
                continue;
            }
            bits |= static_cast<uint64_t>(buffer[position++]) << (56 - count);
            count += 8;
        }
    }

    uint32_t Peek(int n) {
        if (count < n) Refill();
        return static_cast<uint32_t>(bits >> (64 - n));
    }
    void Skip(int n) {
        bits <<= n;
        count -= n;
    }
    uint32_t Get(int n) {
        if (n == 0) return 0;
        uint32_t value = Peek(n);
        Skip(n);
        return value;
    }

    // Reads whole bytes when the method is byte-oriented (-lz5-).
    uint32_t GetByte() { return Get(8); }

private:
    bool FillBuffer() {
        if (status != kLhaOk) return false;
        uint32_t got = 0;
        LhaStatus s = source->read(source->context, buffer, sizeof buffer, &got);
        if (s != kLhaOk) {
            status = s;
            return false;
        }
        position = 0;
        end = got;
        return got != 0;
    }
};

// History ring of 2^bits bytes. Output leaves through the sink whenever the
// ring wraps and at the end, so memory stays the ring's size. `remaining`
// counts the bytes still owed: output is cut there.
struct HistoryWindow {
    uint8_t* data;
    uint32_t size;
    uint32_t mask;
    uint32_t position;
    uint32_t flushed;  // start of the bytes not yet handed to the sink
    uint64_t remaining;
    LhaSink* sink;
    LhaStatus status;

    void Start(uint8_t* storage, int bits, LhaSink* out, uint64_t originalSize, uint32_t startPosition) {
        data = storage;
        size = 1u << bits;
        mask = size - 1;
        position = startPosition;
        flushed = startPosition;
        remaining = originalSize;
        sink = out;
        status = kLhaOk;
    }

    bool Done() const { return remaining == 0 || status != kLhaOk; }

    void Literal(uint8_t byte) {
        data[position++] = byte;
        --remaining;
        if (position == size) Wrap();
    }

    // Copies `length` bytes starting `distance` bytes back (1 = the last byte).
    void Copy(uint32_t distance, uint32_t length) {
        if (length > remaining) length = static_cast<uint32_t>(remaining);
        remaining -= length;
        uint32_t from = (position - distance) & mask;
        if (from + length <= size && position + length < size) {
            uint8_t* to = data + position;
            const uint8_t* src = data + from;
            if (from + length <= position || position + length <= from) {
                std::memcpy(to, src, length);
            } else {
                for (uint32_t i = 0; i < length; ++i) to[i] = src[i];
            }
            position += length;
            return;
        }
        while (length--) {
            data[position++] = data[from];
            from = (from + 1) & mask;
            if (position == size) Wrap();
        }
    }

    // Hands the tail of the output to the sink; call once at the end.
    LhaStatus Finish() {
        if (status == kLhaOk && position > flushed) status = sink->write(sink->context, data + flushed, position - flushed);
        flushed = position;
        return status;
    }

private:
    void Wrap() {
        if (status == kLhaOk && size > flushed) status = sink->write(sink->context, data + flushed, size - flushed);
        position = 0;
        flushed = 0;
    }
};

// The end of a decode: the reader's failure wins over the sink's, and a
// stream that ran dry before the original size is damaged.
inline LhaStatus FinishDecode(BitReader& reader, HistoryWindow& window) {
    LhaStatus s = window.Finish();
    if (reader.status != kLhaOk) return reader.status;
    if (s != kLhaOk) return s;
    return window.remaining == 0 ? kLhaOk : kLhaDamaged;
}
