#include "lha/header.h"

#include <cstring>

#include "lha/crc16.h"
#include "lha/decoders.h"
#include "winapi/cp932.h"

namespace {

uint32_t Le16(const uint8_t* p) { return p[0] | (static_cast<uint32_t>(p[1]) << 8); }
uint32_t Le32(const uint8_t* p) { return Le16(p) | (Le16(p + 2) << 16); }
uint64_t Le64(const uint8_t* p) { return Le32(p) | (static_cast<uint64_t>(Le32(p + 4)) << 32); }
void Put16(uint8_t* p, uint32_t v) {
    p[0] = static_cast<uint8_t>(v);
    p[1] = static_cast<uint8_t>(v >> 8);
}
void Put32(uint8_t* p, uint32_t v) {
    Put16(p, v & 0xFFFF);
    Put16(p + 2, v >> 16);
}

// Reads up to `size` bytes through the buffer; *got < size only at the end.
LhaStatus ReadBytes(LhaReader* r, uint8_t* out, uint32_t size, uint32_t* got) {
    *got = 0;
    while (*got < size) {
        if (r->position == r->end) {
            uint32_t n = 0;
            LhaStatus status = r->source->read(r->source->context, r->buffer, sizeof r->buffer, &n);
            if (status != kLhaOk) return status;
            r->position = 0;
            r->end = n;
            if (n == 0) break;
        }
        uint32_t take = r->end - r->position;
        if (take > size - *got) take = size - *got;
        std::memcpy(out + *got, r->buffer + r->position, take);
        r->position += take;
        *got += take;
    }
    r->offset += *got;
    return kLhaOk;
}

// Reads exactly `size` bytes or reports `shortStatus`.
LhaStatus ReadExactly(LhaReader* r, uint8_t* out, uint32_t size, LhaStatus shortStatus) {
    uint32_t got = 0;
    LhaStatus status = ReadBytes(r, out, size, &got);
    if (status != kLhaOk) return status;
    return got == size ? kLhaOk : shortStatus;
}

LhaStatus SkipMemberData(LhaReader* r) {
    uint8_t scratch[4096];
    while (r->memberRemaining > 0) {
        uint32_t want = r->memberRemaining < sizeof scratch ? static_cast<uint32_t>(r->memberRemaining) : sizeof scratch;
        LhaStatus status = ReadExactly(r, scratch, want, kLhaDamaged);
        if (status != kLhaOk) return status;
        r->memberRemaining -= want;
    }
    return kLhaOk;
}

// The last component of a stored path: separators are '\', '/' and 0xFF,
// and the second byte of a cp932 character is never one.
void TakeLastComponent(const uint8_t* path, uint32_t length, LhaMemberHeader* h) {
    uint32_t start = 0;
    for (uint32_t i = 0; i < length;) {
        int size = Cp932CharSize(reinterpret_cast<const char*>(path + i), length - i);
        uint8_t c = path[i];
        if (size == 1 && (c == '\\' || c == '/' || c == 0xFF)) start = i + 1;
        i += size;
    }
    h->nameLength = length - start;
    h->nameTooLong = h->nameLength > kMaxNameBytes;
    uint32_t copy = h->nameTooLong ? kMaxNameBytes : h->nameLength;
    std::memcpy(h->name, path + start, copy);
    h->name[copy] = '\0';
}

struct ExtendedFields {
    const uint8_t* fileName;
    uint32_t fileNameLength;
    int32_t crcOffset;  // of the header CRC inside the header buffer, or -1
    bool hasLargeSizes;
    uint64_t compressedSize;
    uint64_t originalSize;
};

// Takes in one extended header at header[at]: a type byte, its data and
// the `width`-byte size of the next one.
void TakeExtended(const uint8_t* header, uint32_t at, uint32_t size, int width, ExtendedFields* f) {
    const uint8_t* p = header + at;
    uint32_t dataLength = size - 1 - width;
    const uint8_t* data = p + 1;
    switch (p[0]) {
    case 0x00:
        if (dataLength >= 2) f->crcOffset = static_cast<int32_t>(at + 1);
        break;
    case 0x01:
        f->fileName = data;
        f->fileNameLength = dataLength;
        break;
    case 0x42:
        if (dataLength >= 16) {
            f->hasLargeSizes = true;
            f->compressedSize = Le64(data);
            f->originalSize = Le64(data + 8);
        }
        break;
    default:
        break;
    }
}

// Walks the extended headers in header[first, limit); a size of 0 ends the
// list, one below width + 1 or past `limit` makes the header damaged.
bool WalkExtended(const uint8_t* header, uint32_t first, uint32_t limit, uint32_t nextSize, int width,
                  ExtendedFields* f) {
    uint32_t at = first;
    while (nextSize != 0) {
        if (nextSize < static_cast<uint32_t>(width) + 1 || nextSize > limit - at) return false;
        TakeExtended(header, at, nextSize, width, f);
        at += nextSize;
        nextSize = width == 2 ? Le16(header + at - 2) : Le32(header + at - 4);
    }
    return true;
}

// Level 1: an extended file name that is empty keeps the base name.
void TakeLevel1Extended(const uint8_t* header, uint32_t at, uint32_t size, ExtendedFields* f) {
    const uint8_t* name = f->fileName;
    const uint32_t nameBytes = f->fileNameLength;
    TakeExtended(header, at, size, 2, f);
    if (f->fileNameLength == 0) {
        f->fileName = name;
        f->fileNameLength = nameBytes;
    }
}

// Level 1: the extended headers sit in the data area and count in its size.
// *used is where the base header ends and becomes where the last one ends.
LhaStatus ReadLevel1Extended(LhaReader* r, LhaMemberHeader* h, uint32_t* used, ExtendedFields* f) {
    uint8_t* b = r->header;
    uint32_t at = *used;
    uint32_t nextSize = Le16(b + at - 2);
    uint64_t extendedTotal = 0;
    while (nextSize != 0) {
        if (nextSize < 3 || extendedTotal + nextSize > h->compressedSize || at + nextSize > kMaxHeaderBytes)
            return kLhaDamaged;
        LhaStatus status = ReadExactly(r, b + at, nextSize, kLhaDamaged);
        if (status != kLhaOk) return status;
        TakeLevel1Extended(b, at, nextSize, f);
        at += nextSize;
        extendedTotal += nextSize;
        nextSize = Le16(b + at - 2);
    }
    f->crcOffset = -1;  // level 1 header CRCs are not checked by the archivers that write them
    f->hasLargeSizes = false;
    h->compressedSize -= extendedTotal;
    *used = at;
    return kLhaOk;
}

// Level 0 and 1: one-byte header size and an additive checksum.
LhaStatus ReadLevel01(LhaReader* r, LhaMemberHeader* h, uint32_t* used, ExtendedFields* f) {
    uint8_t* b = r->header;
    uint32_t total = b[0] + 2u;
    uint32_t nameLength = b[21];
    uint32_t fixed = 22 + nameLength + 2 + (h->level == 1 ? 3 : 0);
    if (total < fixed) return kLhaDamaged;
    LhaStatus status = ReadExactly(r, b + 22, total - 22, kLhaDamaged);
    if (status != kLhaOk) return status;
    uint32_t sum = 0;
    for (uint32_t i = 2; i < total; ++i) sum += b[i];
    if ((sum & 0xFF) != b[1]) return kLhaDamaged;
    h->crc = static_cast<uint16_t>(Le16(b + 22 + nameLength));
    // Amiga archivers keep a file comment after a NUL in the name.
    uint32_t visible = 0;
    while (visible < nameLength && b[22 + visible] != 0) ++visible;
    f->fileName = b + 22;
    f->fileNameLength = visible;
    *used = total;
    return h->level == 0 ? kLhaOk : ReadLevel1Extended(r, h, used, f);
}

LhaStatus ReadLevel2(LhaReader* r, LhaMemberHeader* h, uint32_t* used, ExtendedFields* f) {
    uint8_t* b = r->header;
    uint32_t total = Le16(b);
    if (total < 26) return kLhaDamaged;
    LhaStatus status = ReadExactly(r, b + 22, total - 22, kLhaDamaged);
    if (status != kLhaOk) return status;
    // LHa for OS-9/68k counts its header two bytes short.
    if (b[23] == 'K') {
        if (total + 2 > kMaxHeaderBytes) return kLhaDamaged;
        status = ReadExactly(r, b + total, 2, kLhaDamaged);
        if (status != kLhaOk) return status;
        total += 2;
    }
    h->crc = static_cast<uint16_t>(Le16(b + 21));
    if (!WalkExtended(b, 26, total, Le16(b + 24), 2, f)) return kLhaDamaged;
    *used = total;
    return kLhaOk;
}

LhaStatus ReadLevel3(LhaReader* r, LhaMemberHeader* h, uint32_t* used, ExtendedFields* f) {
    uint8_t* b = r->header;
    if (Le16(b) != 4) return kLhaDamaged;
    LhaStatus status = ReadExactly(r, b + 22, 10, kLhaDamaged);
    if (status != kLhaOk) return status;
    uint32_t total = Le32(b + 24);
    if (total < 32 || total > kMaxHeaderBytes) return kLhaDamaged;
    status = ReadExactly(r, b + 32, total - 32, kLhaDamaged);
    if (status != kLhaOk) return status;
    h->crc = static_cast<uint16_t>(Le16(b + 21));
    if (!WalkExtended(b, 32, total, Le32(b + 28), 4, f)) return kLhaDamaged;
    *used = total;
    return kLhaOk;
}

bool HeaderCrcMatches(uint8_t* header, uint32_t size, int32_t offset) {
    uint32_t stored = Le16(header + offset);
    Put16(header + offset, 0);
    uint16_t crc = UpdateCrc16(0, header, size);
    Put16(header + offset, stored);
    return crc == stored;
}

// The first byte of a header; a zero byte or the end of the file ends
// the archive (*end). An empty file is no archive, and an end marker first
// is an empty archive only when nothing follows: otherwise the file is
// something else that starts with a zero byte.
LhaStatus ReadFirstByte(LhaReader* r, bool first, bool* end) {
    uint8_t* b = r->header;
    uint32_t got = 0;
    LhaStatus status = ReadBytes(r, b, 1, &got);
    if (status != kLhaOk) return status;
    if (got == 0) {
        if (first) return kLhaNotArchive;
        *end = true;
        return kLhaOk;
    }
    if (b[0] != 0) return kLhaOk;
    if (first) {
        status = ReadBytes(r, b + 1, 1, &got);
        if (status != kLhaOk) return status;
        if (got != 0) return kLhaNotArchive;
    }
    *end = true;
    return kLhaOk;
}

// The 22 bytes every level starts with: method, sizes, time stamp, level.
LhaStatus ReadCommonPart(LhaReader* r, LhaMemberHeader* h, LhaStatus malformed) {
    const uint8_t* b = r->header;
    LhaStatus status = ReadExactly(r, r->header + 1, 21, malformed);
    if (status != kLhaOk) return status;
    if (b[2] != '-' || b[6] != '-' || b[20] > 3) return malformed;
    if (r->members >= kMaxMembers) return kLhaTooLarge;
    std::memset(h, 0, sizeof *h);
    std::memcpy(h->method, b + 2, 5);
    h->method[5] = '\0';
    h->level = b[20];
    h->compressedSize = Le32(b + 7);
    h->originalSize = Le32(b + 11);
    h->timeStamp = Le32(b + 15);
    return kLhaOk;
}

LhaStatus ReadLevelPart(LhaReader* r, LhaMemberHeader* h, uint32_t* used, ExtendedFields* f) {
    switch (h->level) {
    case 0:
    case 1:
        return ReadLevel01(r, h, used, f);
    case 2:
        return ReadLevel2(r, h, used, f);
    default:
        return ReadLevel3(r, h, used, f);
    }
}

// Checks the header CRC and takes what the extended headers said into `h`.
LhaStatus TakeExtendedFields(uint8_t* header, uint32_t used, const ExtendedFields& f, LhaMemberHeader* h) {
    if (f.crcOffset >= 0 && !HeaderCrcMatches(header, used, f.crcOffset)) return kLhaDamaged;
    if (f.hasLargeSizes) {
        h->compressedSize = f.compressedSize;
        h->originalSize = f.originalSize;
    }
    TakeLastComponent(f.fileName ? f.fileName : header, f.fileName ? f.fileNameLength : 0, h);
    return kLhaOk;
}

LhaStatus ReadMemberData(void* context, uint8_t* buffer, uint32_t size, uint32_t* got) {
    LhaReader* r = static_cast<LhaReader*>(context);
    if (size > r->memberRemaining) size = static_cast<uint32_t>(r->memberRemaining);
    LhaStatus status = ReadBytes(r, buffer, size, got);
    if (status != kLhaOk) return status;
    r->memberRemaining -= *got;
    return kLhaOk;
}

struct CheckingSink {
    LhaSink* target;
    uint16_t crc;
    uint64_t count;
};

LhaStatus WriteChecked(void* context, const uint8_t* data, uint32_t size) {
    CheckingSink* c = static_cast<CheckingSink*>(context);
    c->crc = UpdateCrc16(c->crc, data, size);
    c->count += size;
    return c->target->write(c->target->context, data, size);
}

}  // namespace

void StartReader(LhaReader* reader, LhaSource* source) {
    reader->source = source;
    reader->position = 0;
    reader->end = 0;
    reader->offset = 0;
    reader->memberRemaining = 0;
    reader->members = 0;
    reader->atEnd = false;
}

LhaStatus ReadMemberHeader(LhaReader* r, LhaMemberHeader* h, bool* end) {
    *end = false;
    LhaStatus status = SkipMemberData(r);
    if (status != kLhaOk) return status;
    const bool first = r->members == 0;
    status = ReadFirstByte(r, first, end);
    if (status != kLhaOk || *end) return status;
    status = ReadCommonPart(r, h, first ? kLhaNotArchive : kLhaDamaged);
    if (status != kLhaOk) return status;
    ExtendedFields f = {nullptr, 0, -1, false, 0, 0};
    uint32_t used = 0;
    status = ReadLevelPart(r, h, &used, &f);
    if (status != kLhaOk) return status;
    status = TakeExtendedFields(r->header, used, f, h);
    if (status != kLhaOk) return status;
    r->memberRemaining = h->compressedSize;
    ++r->members;
    return kLhaOk;
}

LhaSource MemberDataSource(LhaReader* reader) { return LhaSource{ReadMemberData, reader}; }

LhaStatus DecodeMember(LhaReader* reader, const LhaMemberHeader& header, const LhaDecoderType& decoder, void* state,
                       LhaSink* out) {
    LhaSource in = MemberDataSource(reader);
    CheckingSink check = {out, 0, 0};
    LhaSink sink = {WriteChecked, &check};
    LhaStatus status = decoder.decode(state, decoder.parameter, &in, &sink, header.originalSize);
    if (status != kLhaOk) return status;
    if (check.count != header.originalSize || check.crc != header.crc) return kLhaDamaged;
    return kLhaOk;
}

uint32_t MaxDecoderStateSize() {
    const LhaDecoderType* all[] = {&kLh0Decoder, &kLz4Decoder, &kLh1Decoder, &kLh4Decoder, &kLh5Decoder,
                                   &kLh6Decoder, &kLh7Decoder, &kLzsDecoder, &kLz5Decoder};
    uint32_t size = 0;
    for (const LhaDecoderType* d : all)
        if (d->stateSize > size) size = d->stateSize;
    return size;
}

uint32_t BuildLevel2Header(uint8_t* out, const char* method, const char* name, uint32_t nameLength,
                           uint64_t compressedSize, uint64_t originalSize, uint16_t crc, uint32_t unixTime) {
    uint32_t total = 26 + 5 + (3 + nameLength) + 5;
    const bool pad = (total & 0xFF) == 0;  // a first byte of 0 would read as the end marker
    if (pad) ++total;
    std::memset(out, 0, total);
    Put16(out, total);
    std::memcpy(out + 2, method, 5);
    Put32(out + 7, static_cast<uint32_t>(compressedSize));
    Put32(out + 11, static_cast<uint32_t>(originalSize));
    Put32(out + 15, unixTime);
    out[19] = 0x20;
    out[20] = 2;
    Put16(out + 21, crc);
    out[23] = 'M';
    Put16(out + 24, 5);
    uint8_t* p = out + 26;
    p[0] = 0x00;  // common: header CRC, filled in below
    Put16(p + 3, 3 + nameLength);
    p += 5;
    p[0] = 0x01;
    std::memcpy(p + 1, name, nameLength);
    Put16(p + 1 + nameLength, 5);
    p += 3 + nameLength;
    p[0] = 0x40;  // MS-DOS attributes: archive
    Put16(p + 1, 0x20);
    Put16(p + 3, 0);
    Put16(out + 27, UpdateCrc16(0, out, total));
    return total;
}
