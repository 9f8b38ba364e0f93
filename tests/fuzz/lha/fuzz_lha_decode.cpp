// The decoders alone. First byte: which method; next three: the original
// size (20 bits, up to 1 MiB, so runs stay fast); the rest is the
// compressed stream.
#include <cstdint>
#include <cstdlib>
#include <vector>

#include "lha/decoders.h"
#include "lha/header.h"

namespace {

struct Input {
    const uint8_t* data;
    size_t size;
};

LhaStatus Read(void* context, uint8_t* buffer, uint32_t size, uint32_t* got) {
    Input* in = static_cast<Input*>(context);
    size_t take = size < in->size ? size : in->size;
    for (size_t i = 0; i < take; ++i) buffer[i] = in->data[i];
    in->data += take;
    in->size -= take;
    *got = static_cast<uint32_t>(take);
    return kLhaOk;
}

LhaStatus Discard(void* context, const uint8_t*, uint32_t size) {
    *static_cast<uint64_t*>(context) += size;
    return kLhaOk;
}

const LhaDecoderType* const kTypes[] = {&kLh0Decoder, &kLh1Decoder, &kLh4Decoder, &kLh5Decoder, &kLh6Decoder,
                                        &kLh7Decoder, &kLzsDecoder, &kLz5Decoder, &kLz4Decoder};

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    if (size < 4) return 0;
    const LhaDecoderType& type = *kTypes[data[0] % 9];
    uint64_t originalSize = data[1] | (data[2] << 8) | (static_cast<uint64_t>(data[3] & 0x0F) << 16);
    static std::vector<uint8_t> state(MaxDecoderStateSize());
    Input input = {data + 4, size - 4};
    LhaSource source = {Read, &input};
    uint64_t written = 0;
    LhaSink sink = {Discard, &written};
    LhaStatus status = type.decode(state.data(), type.parameter, &source, &sink, originalSize);
    // Never more than the original size; all of it on success.
    if (written > originalSize || (status == kLhaOk && written != originalSize)) std::abort();
    return 0;
}
