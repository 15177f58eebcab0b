#include <gtest/gtest.h>

#include <random>
#include <vector>

#include "dta/codecs/codecs.h"
#include "dta/pack/entry_coder.h"
#include "dta/pack/wave_file.h"

using namespace dta::pack;
namespace codecs = dta::codecs;
namespace format = dta::format;

namespace {

std::vector<uint8_t> Random(size_t n) {
    std::mt19937 rng(11);
    std::vector<uint8_t> out(n);
    for (auto& b : out) b = static_cast<uint8_t>(rng());
    return out;
}

// Decodes every body as a reader would: the wave header from the start of
// the first block's payload when the entry is a wave entry.
std::vector<uint8_t> DecodeAll(const EncodedEntry& e) {
    std::vector<uint8_t> all;
    const uint8_t* header = e.wave ? e.bodies[0].data() + 1 : nullptr;
    for (const auto& body : e.bodies) {
        EXPECT_LE(body.size(), format::block::kMaxBodySize);
        std::vector<uint8_t> out(format::block::kDecodedSize);
        int32_t n = codecs::DecodeBlock(body.data(), body.size(), out.data(), out.size(), header);
        if (n < 0) return {0xBA, 0xD0};
        all.insert(all.end(), out.begin(), out.begin() + n);
    }
    return all;
}

std::vector<uint8_t> WaveFile(uint16_t channels, uint16_t bits, size_t frames, size_t extra = 0) {
    const size_t bytes = frames * channels * (bits / 8);
    std::vector<uint8_t> f(format::wave_header::kSize + bytes + extra);
    WriteWaveHeader(f.data(), channels, 11025, bits, static_cast<uint32_t>(bytes));
    for (size_t i = format::wave_header::kSize; i < f.size(); ++i)
        f[i] = static_cast<uint8_t>((i / 3) & 0x3F);
    return f;
}

}  // namespace

TEST(EntryCoder, blocks_split_at_32768_decoded_bytes) {
    EncodedEntry e;
    for (size_t size : {size_t{1}, size_t{32768}, size_t{32769}, size_t{100000}}) {
        std::vector<uint8_t> data = Random(size);
        for (Method m : {Method::Stored, Method::Lz, Method::Auto}) {
            ASSERT_TRUE(EncodeEntry(data.data(), data.size(), m, &e, nullptr));
            EXPECT_EQ(e.bodies.size(), (size + 32767) / 32768) << size;
            EXPECT_FALSE(e.wave);
            EXPECT_EQ(DecodeAll(e), data) << size;
        }
    }
    ASSERT_TRUE(EncodeEntry(Random(32769).data(), 32769, Method::Stored, &e, nullptr));
    EXPECT_EQ(e.bodies[0].size(), 32769u);
    EXPECT_EQ(e.bodies[1].size(), 2u);
}

TEST(EntryCoder, empty_entry_gets_one_method_only_block) {
    EncodedEntry e;
    ASSERT_TRUE(EncodeEntry(nullptr, 0, Method::Lz, &e, nullptr));
    ASSERT_EQ(e.bodies.size(), 1u);
    EXPECT_EQ(e.bodies[0], std::vector<uint8_t>{0});
}

TEST(EntryCoder, method_choice_per_block) {
    // Half noise, half zeros: auto stores the noise and compresses the zeros.
    std::vector<uint8_t> data = Random(32768);
    data.resize(65536, 0);
    EncodedEntry e;
    ASSERT_TRUE(EncodeEntry(data.data(), data.size(), Method::Auto, &e, nullptr));
    EXPECT_EQ(e.bodies[0][0], 0);
    EXPECT_EQ(e.bodies[1][0], 1);
    // Explicit LZ keeps LZ where it fits a block body, stores where it would not.
    ASSERT_TRUE(EncodeEntry(data.data(), data.size(), Method::Lz, &e, nullptr));
    EXPECT_EQ(e.bodies[0][0], 0);
    EXPECT_EQ(e.bodies[1][0], 1);
    std::vector<uint8_t> small = Random(100);
    ASSERT_TRUE(EncodeEntry(small.data(), small.size(), Method::Lz, &e, nullptr));
    EXPECT_EQ(e.bodies[0][0], 1);
    EXPECT_GT(e.bodies[0].size(), 101u);
    EXPECT_EQ(DecodeAll(e), small);
}

TEST(EntryCoder, sixteen_bit_wave_is_delta_coded_with_exact_header_only_when_asked) {
    for (uint16_t channels : {1, 2}) {
        std::vector<uint8_t> wav = WaveFile(channels, 16, 40000 / channels);
        EncodedEntry e;
        // The default stays lossless, whatever the data looks like.
        ASSERT_TRUE(EncodeEntry(wav.data(), wav.size(), Method::Auto, &e, nullptr));
        EXPECT_FALSE(e.wave);
        EXPECT_EQ(DecodeAll(e), wav);
        ASSERT_TRUE(EncodeEntry(wav.data(), wav.size(), Method::Wave, &e, nullptr));
        EXPECT_TRUE(e.wave);
        EXPECT_TRUE(e.lossy);
        EXPECT_EQ(e.bodies.size(), (wav.size() + 32767) / 32768);
        for (const auto& body : e.bodies) EXPECT_GE(body[0], 8);
        std::vector<uint8_t> back = DecodeAll(e);
        ASSERT_EQ(back.size(), wav.size());
        EXPECT_TRUE(std::equal(wav.begin(), wav.begin() + format::wave_header::kSize, back.begin()));
    }
    // Only the header: a first block of method and header copy.
    std::vector<uint8_t> bare = WaveFile(1, 16, 0);
    EncodedEntry e;
    ASSERT_TRUE(EncodeEntry(bare.data(), bare.size(), Method::Wave, &e, nullptr));
    EXPECT_EQ(e.bodies[0].size(), 45u);
    EXPECT_EQ(DecodeAll(e), bare);
}

TEST(EntryCoder, other_sample_widths_get_lossless_nested_bodies) {
    for (size_t frames : {size_t{10}, size_t{70000}}) {
        std::vector<uint8_t> wav = WaveFile(1, 8, frames);
        EncodedEntry e;
        ASSERT_TRUE(EncodeEntry(wav.data(), wav.size(), Method::Wave, &e, nullptr));
        EXPECT_TRUE(e.wave);
        EXPECT_FALSE(e.lossy);
        EXPECT_EQ(DecodeAll(e), wav) << frames;
    }
}

TEST(EntryCoder, data_that_cannot_be_wave_coded) {
    EncodedEntry e;
    std::string error;
    std::vector<uint8_t> text(500, 'x');
    EXPECT_FALSE(EncodeEntry(text.data(), text.size(), Method::Wave, &e, &error));
    EXPECT_FALSE(error.empty());
    // A chunk after the samples would be coded lossily: wave refuses, auto
    // falls back to lossless blocks.
    std::vector<uint8_t> trailing = WaveFile(2, 16, 100, 6);
    EXPECT_FALSE(EncodeEntry(trailing.data(), trailing.size(), Method::Wave, &e, &error));
    ASSERT_TRUE(EncodeEntry(trailing.data(), trailing.size(), Method::Auto, &e, nullptr));
    EXPECT_FALSE(e.wave);
    EXPECT_EQ(DecodeAll(e), trailing);
}
