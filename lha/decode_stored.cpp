// -lh0- and -lz4-: the member is stored as it is.
#include "lha/decoders.h"

namespace {

struct StoredState {
    uint8_t buffer[1 << 16];
};

// Copies exactly `originalSize` bytes; a stored member whose data is shorter
// or longer than its original size is damaged.
LhaStatus DecodeStored(void* state, int, LhaSource* in, LhaSink* out, uint64_t originalSize) {
    StoredState& s = *static_cast<StoredState*>(state);
    uint64_t remaining = originalSize;
    for (;;) {
        uint32_t want = remaining < sizeof s.buffer ? static_cast<uint32_t>(remaining) : sizeof s.buffer;
        if (want == 0) want = 1;  // probe for bytes past the original size
        uint32_t got = 0;
        LhaStatus status = in->read(in->context, s.buffer, want, &got);
        if (status != kLhaOk) return status;
        if (got == 0) return remaining == 0 ? kLhaOk : kLhaDamaged;
        if (got > remaining) return kLhaDamaged;
        status = out->write(out->context, s.buffer, got);
        if (status != kLhaOk) return status;
        remaining -= got;
    }
}

}  // namespace

extern const LhaDecoderType kLh0Decoder = {"-lh0-", sizeof(StoredState), 0, DecodeStored};
extern const LhaDecoderType kLz4Decoder = {"-lz4-", sizeof(StoredState), 0, DecodeStored};
