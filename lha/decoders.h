// The decoder records, one per method; FindDecoderType looks them up.
#pragma once

#include "lha/codec.h"

extern const LhaDecoderType kLh0Decoder;
extern const LhaDecoderType kLz4Decoder;
extern const LhaDecoderType kLh1Decoder;
extern const LhaDecoderType kLh4Decoder;
extern const LhaDecoderType kLh5Decoder;
extern const LhaDecoderType kLh6Decoder;
extern const LhaDecoderType kLh7Decoder;
extern const LhaDecoderType kLzsDecoder;
extern const LhaDecoderType kLz5Decoder;
