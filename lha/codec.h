// The codecs work on byte streams only, so they can be tested and fuzzed
// without files: the caller supplies where compressed bytes come from and
// where decoded bytes go, and owns every buffer (the state block included).
#pragma once

#include <cstdint>

#include "lha/lha_status.h"

// Reads up to `size` bytes into `buffer`; *got == 0 means the end of the data.
struct LhaSource {
    LhaStatus (*read)(void* context, uint8_t* buffer, uint32_t size, uint32_t* got);
    void* context;
};

// Takes `size` bytes; anything but kLhaOk stops the codec with that status.
struct LhaSink {
    LhaStatus (*write)(void* context, const uint8_t* data, uint32_t size);
    void* context;
};

// One decoder per method. The caller allocates `stateSize` bytes (suitably
// aligned for any type) and passes them to `decode`, which produces exactly
// `originalSize` bytes or fails. `parameter` is the method's own setting
// (the dictionary bits of the static-Huffman family).
struct LhaDecoderType {
    const char* method;  // five bytes, "-lh5-"
    uint32_t stateSize;
    int parameter;
    LhaStatus (*decode)(void* state, int parameter, LhaSource* in, LhaSink* out, uint64_t originalSize);
};

// The decoder for a five-byte method id, or nullptr when we have none.
const LhaDecoderType* FindDecoderType(const char* method);

// -lh5- encoder. Reads `in` to its end and writes the compressed stream to
// `out`. Stops early with kLhaTooLarge as soon as the output would pass
// `sizeLimit` bytes (the caller then stores the member instead).
// *inputSize receives the bytes read and *outputSize the bytes written.
constexpr uint32_t kLh5EncoderStateSize = 3u << 20;
LhaStatus EncodeLh5(void* state, LhaSource* in, LhaSink* out, uint64_t sizeLimit, uint64_t* inputSize,
                    uint64_t* outputSize);
