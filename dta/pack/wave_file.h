// The canonical 44-byte RIFF/WAVE header that wave entries begin with.
#ifndef DTA_PACK_WAVE_FILE_H
#define DTA_PACK_WAVE_FILE_H

#include <cstddef>
#include <cstdint>

#include "dta/format.h"

namespace dta::pack {

struct WaveFormat {
    uint16_t formatTag = 0;  // 1 = PCM
    uint16_t channels = 0;
    uint32_t sampleRate = 0;
    uint16_t blockAlign = 0;
    uint16_t bitsPerSample = 0;
    uint32_t dataSize = 0;  // bytes of sample data after the header
};

// Reads the header of a canonical WAVE file: "RIFF" at 0, "WAVE" at 8, a
// 16-byte "fmt " chunk at 12 and the "data" chunk header at 36. False for
// anything else (other chunk orders, extended format chunks, short files).
bool ParseCanonicalWave(const uint8_t* file, size_t size, WaveFormat* format);

// True when a whole file can be delta coded: canonical 16-bit PCM with at
// least one channel, 2 bytes per sample per channel, the data chunk running
// exactly to the end of the file and holding whole frames of the coder's
// layout (4 bytes for 2 channels, 2 otherwise).
bool IsDeltaCodable(const WaveFormat& format, size_t fileSize);

// Writes a canonical header for `dataSize` bytes of PCM samples.
void WriteWaveHeader(uint8_t* header, uint16_t channels, uint32_t sampleRate, uint16_t bitsPerSample,
                     uint32_t dataSize);

}  // namespace dta::pack

#endif  // DTA_PACK_WAVE_FILE_H
