// The square-law step table of the wave delta coder: 7 rows of 128 unsigned
// 16-bit steps. Row r has the ceiling kRowCeiling[r]; entry i is
// floor(ceiling * i^2 / 127^2), except entry 1, which is 1 in rows 0 and 1 and
// 2 in rows 2 to 6, so that the smallest non-zero step is never 0.
#ifndef DTA_CODECS_DELTA_TABLE_H
#define DTA_CODECS_DELTA_TABLE_H

#include <cstddef>
#include <cstdint>

namespace dta::codecs {

inline constexpr size_t kDeltaRows = 7;
inline constexpr size_t kDeltaSteps = 128;
inline constexpr uint32_t kRowCeiling[kDeltaRows] = {8192, 12288, 16384, 20480, 24576, 28672, 32767};

// Code byte: bit 7 = subtract, bits 0-6 = step index.
inline constexpr uint8_t kCodeSubtract = 0x80;
inline constexpr uint8_t kCodeStepMask = 0x7F;

// Method byte of a wave block using `row` (0..6): 8, 12, ..., 32.
inline constexpr uint8_t WaveMethodForRow(size_t row) {
    return static_cast<uint8_t>(8 + 4 * row);
}

// Row selected by a wave method byte: 12 -> 1, 16 -> 2, ..., 32 -> 6; every
// other value (8 included) -> 0.
size_t DeltaRowForMethod(uint8_t method);

// The 128 steps of `row` (0..6); row values past 6 give row 6.
const uint16_t* DeltaRow(size_t row);

// What each of the 256 code bytes adds to a sample with `row` (0..6; past 6
// gives row 6): the step, or for codes with the subtract bit its two's
// complement, so that decoding is one 16-bit wrap-around add per code.
const uint16_t* CodeDeltas(size_t row);

}  // namespace dta::codecs

#endif  // DTA_CODECS_DELTA_TABLE_H
