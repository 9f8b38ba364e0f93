// LHA member headers, levels 0 to 3: reading from a byte stream with every
// size checked before use, and writing the level-2 header we produce.
#pragma once

#include <cstdint>

#include "lha/codec.h"

// Limits on what one archive may make us do.
constexpr uint32_t kMaxHeaderBytes = 65536;  // a header with its extended headers
constexpr uint32_t kMaxMembers = 65536;
constexpr uint64_t kMaxExtractedBytes = 256ull << 20;
constexpr uint32_t kMaxNameBytes = 255;  // a member name of 256 bytes or more is refused

struct LhaMemberHeader {
    char method[6];           // five bytes and a NUL
    int level;
    uint64_t compressedSize;  // the data after the header
    uint64_t originalSize;
    uint16_t crc;
    uint32_t timeStamp;       // MS-DOS date and time (level 0, 1) or Unix time (2, 3)
    // The last component of the stored path; `nameLength` is its full length
    // even when it did not fit into `name` (longer names are refused anyway).
    char name[kMaxNameBytes + 1];
    uint32_t nameLength;
    bool nameTooLong;
};

// Buffered reading of an archive: headers and then each member's data.
struct LhaReader {
    LhaSource* source;
    uint32_t position;
    uint32_t end;
    uint64_t offset;          // archive bytes consumed so far
    uint64_t memberRemaining; // data bytes of the current member not yet consumed
    uint32_t members;
    bool atEnd;
    uint8_t buffer[16384];
    uint8_t header[kMaxHeaderBytes];
};

void StartReader(LhaReader* reader, LhaSource* source);

// Reads the next member header. Skips what is left of the previous member's
// data first. *end becomes true at the end marker or the end of the file.
// kLhaNotArchive when the very first header is not an LHA header.
LhaStatus ReadMemberHeader(LhaReader* reader, LhaMemberHeader* header, bool* end);

// A source over the current member's compressed data.
LhaSource MemberDataSource(LhaReader* reader);

// Decodes the current member into `out`, checking its length and CRC.
// `state` must hold the decoder's stateSize bytes.
LhaStatus DecodeMember(LhaReader* reader, const LhaMemberHeader& header, const LhaDecoderType& decoder, void* state,
                       LhaSink* out);

// Largest state block any decoder needs.
uint32_t MaxDecoderStateSize();

// Level-2 header for a plain file. Returns its length; `out` must hold
// kLevel2HeaderMax bytes. The sizes, CRC and header CRC are filled in.
constexpr uint32_t kLevel2HeaderMax = 64 + kMaxNameBytes;
uint32_t BuildLevel2Header(uint8_t* out, const char* method, const char* name, uint32_t nameLength,
                           uint64_t compressedSize, uint64_t originalSize, uint16_t crc, uint32_t unixTime);
