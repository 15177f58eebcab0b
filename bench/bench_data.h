// Deterministic sample data for the benchmarks.
#ifndef BENCH_BENCH_DATA_H
#define BENCH_BENCH_DATA_H

#include <cstddef>
#include <cstdint>
#include <vector>

namespace bench {

// English-like text with repeats, as install scripts and licences are.
std::vector<uint8_t> Text(size_t size);
// Binary game data: structured records with some noise.
std::vector<uint8_t> Records(size_t size);
// A canonical 16-bit PCM WAVE file of `frames` frames of a mix of tones.
std::vector<uint8_t> WaveFile(uint16_t channels, size_t frames);

}  // namespace bench

#endif  // BENCH_BENCH_DATA_H
