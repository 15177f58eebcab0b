#include "bench/bench_data.h"

#include <cmath>
#include <random>

#include "dta/pack/wave_file.h"

namespace bench {

std::vector<uint8_t> Text(size_t size) {
    static const char* words[] = {"Korvo ",   "installs ", "the ",     "game ",  "archive ", "from ",
                                  "disc ",    "and ",      "setup ",   "reads ", "blocks ",  "of ",
                                  "licence.", "\r\n",      "version ", "files "};
    std::mt19937 rng(42);
    std::vector<uint8_t> out;
    out.reserve(size + 16);
    while (out.size() < size) {
        const char* w = words[rng() % 16];
        while (*w) out.push_back(static_cast<uint8_t>(*w++));
    }
    out.resize(size);
    return out;
}

std::vector<uint8_t> Records(size_t size) {
    std::mt19937 rng(7);
    std::vector<uint8_t> out(size);
    for (size_t i = 0; i < size; ++i) {
        const size_t field = i % 32;
        out[i] = field < 8    ? static_cast<uint8_t>(i / 32)
                 : field < 20 ? 0
                              : static_cast<uint8_t>(rng() & 0x0F);
    }
    return out;
}

std::vector<uint8_t> WaveFile(uint16_t channels, size_t frames) {
    const size_t bytes = frames * channels * 2;
    std::vector<uint8_t> f(dta::format::wave_header::kSize + bytes);
    dta::pack::WriteWaveHeader(f.data(), channels, 22050, 16, static_cast<uint32_t>(bytes));
    std::mt19937 rng(3);
    std::normal_distribution<double> noise(0, 200);
    for (size_t i = 0; i < frames; ++i) {
        for (size_t c = 0; c < channels; ++c) {
            const double v = 8000 * std::sin(i * 0.02 * (c + 1)) + 3000 * std::sin(i * 0.31) + noise(rng);
            const int16_t s = static_cast<int16_t>(std::lround(v));
            uint8_t* p = &f[dta::format::wave_header::kSize + 2 * (i * channels + c)];
            p[0] = static_cast<uint8_t>(s);
            p[1] = static_cast<uint8_t>(static_cast<uint16_t>(s) >> 8);
        }
    }
    return f;
}

}  // namespace bench
