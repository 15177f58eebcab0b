// Delta encoder for 16-bit PCM wave blocks. Each sample becomes one code
// byte chosen closed-loop: against the predictor the decoder will hold, the
// step of the block's table row that lands nearest the true sample. Two
// channels keep one predictor each; any other channel count shares one.
#ifndef DTA_PACK_WAVE_ENCODER_H
#define DTA_PACK_WAVE_ENCODER_H

#include <cstddef>
#include <cstdint>
#include <vector>

namespace dta::pack {

// Encodes one wave block body: method byte (which names the table row),
// the 44-byte `header` copy when `withHeader`, the raw first sample (or
// frame, for 2 channels) and one code per further sample. `pcm` holds
// `size` bytes of little-endian 16-bit samples, a whole number of frames
// (4 bytes for 2 channels, else 2); `channels` comes from the header. A block
// without the header copy never passes the decoder's header-present test.
std::vector<uint8_t> EncodeWaveBlock(const uint8_t* header, bool withHeader, const uint8_t* pcm, size_t size,
                                     uint16_t channels);

}  // namespace dta::pack

#endif  // DTA_PACK_WAVE_ENCODER_H
