#include <gtest/gtest.h>

#include <random>
#include <string>
#include <vector>

#include "dta/codecs/codecs.h"
#include "dta/pack/lz_encoder.h"

using dta::pack::EncodeLz;
namespace codecs = dta::codecs;
namespace format = dta::format;

namespace {

std::vector<uint8_t> Text(size_t n) {
    static const char* words[] = {"korvo ", "archive ",    "block ", "the ",
                                  "setup ", "install\r\n", "of ",    "disc "};
    std::mt19937 rng(7);
    std::vector<uint8_t> out;
    while (out.size() < n) {
        const char* w = words[rng() % 8];
        out.insert(out.end(), w, w + std::char_traits<char>::length(w));
    }
    out.resize(n);
    return out;
}

std::vector<uint8_t> Random(size_t n, uint32_t seed) {
    std::mt19937 rng(seed);
    std::vector<uint8_t> out(n);
    for (auto& b : out) b = static_cast<uint8_t>(rng());
    return out;
}

// Encodes data[start..] and decodes it after the same prefix; the payload
// size goes to *payloadSize.
std::vector<uint8_t> RoundTrip(const std::vector<uint8_t>& data, size_t start = 0,
                               size_t* payloadSize = nullptr) {
    std::vector<uint8_t> payload = EncodeLz(data.data(), data.size(), start);
    if (payloadSize) *payloadSize = payload.size();
    std::vector<uint8_t> out(data.begin(), data.begin() + start);
    out.resize(format::block::kDecodedSize + start);
    int32_t n = codecs::DecodeLz(payload.data(), payload.size(), out.data(), out.size(), start);
    if (n < 0) return {};
    out.resize(start + static_cast<size_t>(n));
    return out;
}

}  // namespace

TEST(LzEncoder, round_trips_varied_data_byte_for_byte) {
    std::vector<std::vector<uint8_t>> cases = {
        {},
        {'a'},
        {'a', 'b'},
        {'a', 'a', 'a'},
        Text(100),
        Text(32768),
        Random(32768, 1),
        std::vector<uint8_t>(32768, 0),
        std::vector<uint8_t>(15, 'x'),
        std::vector<uint8_t>(16, 'x'),
        std::vector<uint8_t>(4111, 'x'),
        std::vector<uint8_t>(4112, 'x'),
        std::vector<uint8_t>(4130, 'x'),
    };
    // Runs of every length around the thresholds between other bytes.
    std::vector<uint8_t> mixed;
    for (size_t len = 1; len < 60; ++len) {
        mixed.insert(mixed.end(), len, static_cast<uint8_t>(len));
        mixed.push_back('|');
    }
    cases.push_back(mixed);
    // Repeats at the largest reachable distance and just beyond it.
    std::vector<uint8_t> far = Random(4095, 2);
    std::vector<uint8_t> head(far.begin(), far.begin() + 40);
    far.insert(far.end(), head.begin(), head.end());
    far.insert(far.begin(), 'z');
    far.insert(far.end(), head.begin(), head.end());
    cases.push_back(far);
    // 16-bit sound-like data.
    std::vector<uint8_t> wave;
    for (int i = 0; i < 16000; ++i) {
        int16_t s = static_cast<int16_t>((i * 37) % 2000 - 1000);
        wave.push_back(static_cast<uint8_t>(s));
        wave.push_back(static_cast<uint8_t>(s >> 8));
    }
    cases.push_back(wave);

    for (size_t i = 0; i < cases.size(); ++i) EXPECT_EQ(RoundTrip(cases[i]), cases[i]) << "case " << i;
}

TEST(LzEncoder, compresses_runs_and_text_and_barely_grows_noise) {
    size_t size = 0;
    RoundTrip(std::vector<uint8_t>(32768, 0), 0, &size);
    EXPECT_LT(size, 40u);  // eight runs of at most 4111 bytes
    RoundTrip(Text(32768), 0, &size);
    EXPECT_LT(size, 32768u / 3);
    RoundTrip(Random(32768, 3), 0, &size);
    // Every 16 literals cost one flag word.
    EXPECT_LE(size, 32768u + 2 * (32768u / 16));
    // Text after a stretch of noise is found again once a match turns up.
    std::vector<uint8_t> mixed = Random(20000, 4);
    const std::vector<uint8_t> text = Text(12768);
    mixed.insert(mixed.end(), text.begin(), text.end());
    EXPECT_EQ(RoundTrip(mixed, 0, &size), mixed);
    EXPECT_LT(size, 20000u * 9 / 8 + 12768u / 3);
}

TEST(LzEncoder, references_reach_into_the_prefix_already_written) {
    std::vector<uint8_t> data = Text(44);
    std::vector<uint8_t> again = data;
    data.insert(data.end(), again.begin(), again.end());
    size_t size = 0;
    EXPECT_EQ(RoundTrip(data, 44, &size), data);
    EXPECT_LT(size, 12u);  // three back-references and a flag word
}
