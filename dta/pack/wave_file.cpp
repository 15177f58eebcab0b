#include "dta/pack/wave_file.h"

#include <cstring>

#include "dta/format.h"

namespace dta::pack {

using format::ReadLe16;
using format::ReadLe32;
using format::WriteLe16;
using format::WriteLe32;

bool ParseCanonicalWave(const uint8_t* file, size_t size, WaveFormat* format) {
    if (file == nullptr || format == nullptr || size < format::wave_header::kSize) return false;
    if (std::memcmp(file, "RIFF", 4) != 0 || std::memcmp(file + 8, "WAVE", 4) != 0 ||
        std::memcmp(file + 12, "fmt ", 4) != 0 || ReadLe32(file + 16) != 16 ||
        std::memcmp(file + 36, "data", 4) != 0)
        return false;
    format->formatTag = ReadLe16(file + 20);
    format->channels = ReadLe16(file + 22);
    format->sampleRate = ReadLe32(file + 24);
    format->blockAlign = ReadLe16(file + 32);
    format->bitsPerSample = ReadLe16(file + 34);
    format->dataSize = ReadLe32(file + 40);
    return true;
}

bool IsDeltaCodable(const WaveFormat& format, size_t fileSize) {
    if (format.formatTag != 1 || format.bitsPerSample != 16 || format.channels == 0) return false;
    if (format.blockAlign != 2u * format.channels) return false;
    if (fileSize < format::wave_header::kSize || fileSize - format::wave_header::kSize != format.dataSize)
        return false;
    const size_t frame = format.channels == 2 ? 4 : 2;
    return format.dataSize % frame == 0;
}

void WriteWaveHeader(uint8_t* header, uint16_t channels, uint32_t sampleRate, uint16_t bitsPerSample,
                     uint32_t dataSize) {
    const uint16_t blockAlign = static_cast<uint16_t>(channels * ((bitsPerSample + 7) / 8));
    std::memcpy(header, "RIFF", 4);
    WriteLe32(header + 4, 36 + dataSize);
    std::memcpy(header + 8, "WAVE", 4);
    std::memcpy(header + 12, "fmt ", 4);
    WriteLe32(header + 16, 16);
    WriteLe16(header + 20, 1);
    WriteLe16(header + 22, channels);
    WriteLe32(header + 24, sampleRate);
    WriteLe32(header + 28, sampleRate * blockAlign);
    WriteLe16(header + 32, blockAlign);
    WriteLe16(header + 34, bitsPerSample);
    std::memcpy(header + 36, "data", 4);
    WriteLe32(header + 40, dataSize);
}

}  // namespace dta::pack
