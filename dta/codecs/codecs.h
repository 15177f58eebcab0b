// Block decoders: pure functions over spans. They keep no state, allocate
// nothing, and never read or write outside the buffers they are given, also
// on malicious input; a body that would need to is refused with kDecodeError.
#ifndef DTA_CODECS_CODECS_H
#define DTA_CODECS_CODECS_H

#include <cstddef>
#include <cstdint>

#include "dta/format.h"
#include "dta/reason.h"

namespace dta::codecs {

inline constexpr int32_t kDecodeError = -1;

// Why and where a decoder refused its input: `at` is the offset of the
// failing token, flag word or field in the input that function was given
// (the block body for DecodeBlock and DecodeWave, the payload for DecodeLz).
struct DecodeFault {
    Reason reason = Reason::None;
    size_t at = 0;
};

// Decodes one unscrambled block body (method byte first) into `out`, which
// holds `capacity` bytes (a whole block, normally format::block::kDecodedSize). `waveHeader`
// is the entry's descrambled 44-byte header, or null for an entry that has
// none. Returns the bytes written, or kDecodeError for an empty body, a body
// whose decoding would not fit `capacity`, and everything the two functions
// below refuse. Method 1 is LZ, 0 and 2 to 7 are stored, 8 and up are wave.
// On kDecodeError a non-null `fault` says why and at which body byte.
int32_t DecodeBlock(const uint8_t* body, size_t size, uint8_t* out, size_t capacity,
                    const uint8_t* waveHeader, DecodeFault* fault = nullptr);

// Decodes an LZ payload into out[written .. capacity); back-references may
// reach back to out[0]. Returns the bytes written from `written` on (0 for a
// payload of 2 bytes or fewer), or kDecodeError when a token or flag word
// runs past the payload, a back-reference reaches before out[0], or the
// output would pass `capacity`.
int32_t DecodeLz(const uint8_t* payload, size_t size, uint8_t* out, size_t capacity, size_t written,
                 DecodeFault* fault = nullptr);

// Decodes a wave block body (method 8 and up) with the entry's wave header.
// Returns the bytes written, header copy included, or kDecodeError when the
// header is null or gives 0 channels, a recognised header copy or the raw
// first sample/frame is cut short, a stereo stream has an odd number of code
// bytes, a nested LZ body is bad, or the output would pass `capacity`.
int32_t DecodeWave(const uint8_t* body, size_t size, uint8_t* out, size_t capacity, const uint8_t* waveHeader,
                   DecodeFault* fault = nullptr);

}  // namespace dta::codecs

#endif  // DTA_CODECS_CODECS_H
