// LZ encoder for archive blocks: the payload layout the block decoder reads
// (16-bit big-endian flag words, 12-bit offset / 4-bit length
// back-references, zero-offset runs of 16 to 4111 bytes). Greedy matching
// over hash chains with one step of lazy evaluation; through stretches that
// find no matches it searches ever more sparsely, so that incompressible
// data costs little time.
#ifndef DTA_PACK_LZ_ENCODER_H
#define DTA_PACK_LZ_ENCODER_H

#include <cstddef>
#include <cstdint>
#include <vector>

namespace dta::pack {

// Encodes data[start .. size) as an LZ payload (no method byte). The bytes
// data[0 .. start) stand for output the decoder has already written to the
// same block; back-references may reach them. An empty range gives an empty
// payload, which decodes to nothing.
std::vector<uint8_t> EncodeLz(const uint8_t* data, size_t size, size_t start = 0);

}  // namespace dta::pack

#endif  // DTA_PACK_LZ_ENCODER_H
