#include <cstring>

#include "lha/decoders.h"

namespace {

const LhaDecoderType* const kDecoderTypes[] = {
    &kLh0Decoder, &kLh1Decoder, &kLh4Decoder, &kLh5Decoder, &kLh6Decoder,
    &kLh7Decoder, &kLzsDecoder, &kLz5Decoder, &kLz4Decoder,
};

}  // namespace

const LhaDecoderType* FindDecoderType(const char* method) {
    for (const LhaDecoderType* type : kDecoderTypes)
        if (std::memcmp(type->method, method, 5) == 0) return type;
    return nullptr;
}
