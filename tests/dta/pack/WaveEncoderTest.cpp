#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <random>
#include <vector>

#include "dta/codecs/codecs.h"
#include "dta/pack/wave_encoder.h"
#include "dta/pack/wave_file.h"

using namespace dta::pack;
namespace codecs = dta::codecs;
namespace format = dta::format;

namespace {

std::vector<uint8_t> Header(uint16_t channels, uint32_t pcmBytes) {
    std::vector<uint8_t> h(format::wave_header::kSize);
    WriteWaveHeader(h.data(), channels, 22050, 16, pcmBytes);
    return h;
}

std::vector<uint8_t> Pcm(const std::vector<int16_t>& s) {
    std::vector<uint8_t> b;
    for (int16_t v : s) {
        b.push_back(static_cast<uint8_t>(v));
        b.push_back(static_cast<uint8_t>(static_cast<uint16_t>(v) >> 8));
    }
    return b;
}

std::vector<int16_t> Samples(const uint8_t* p, size_t bytes) {
    std::vector<int16_t> s(bytes / 2);
    for (size_t i = 0; i < s.size(); ++i) s[i] = static_cast<int16_t>(p[2 * i] | (p[2 * i + 1] << 8));
    return s;
}

std::vector<int16_t> Tone(size_t n, size_t lanes, double amplitude) {
    std::vector<int16_t> s(n * lanes);
    for (size_t i = 0; i < n; ++i)
        for (size_t c = 0; c < lanes; ++c)
            s[i * lanes + c] = static_cast<int16_t>(amplitude * std::sin(i * (0.03 + 0.05 * c)));
    return s;
}

struct Decoded {
    int32_t result;
    std::vector<int16_t> samples;
    std::vector<uint8_t> header;
};

Decoded Decode(const std::vector<uint8_t>& body, const std::vector<uint8_t>& header, bool withHeader) {
    std::vector<uint8_t> out(format::block::kDecodedSize);
    int32_t n = codecs::DecodeBlock(body.data(), body.size(), out.data(), out.size(), header.data());
    Decoded d{n, {}, {}};
    if (n < 0) return d;
    size_t from = withHeader ? format::wave_header::kSize : 0;
    d.header.assign(out.begin(), out.begin() + from);
    d.samples = Samples(out.data() + from, static_cast<size_t>(n) - from);
    return d;
}

int MaxError(const std::vector<int16_t>& a, const std::vector<int16_t>& b) {
    int worst = 0;
    for (size_t i = 0; i < a.size(); ++i) worst = std::max(worst, std::abs(int(a[i]) - int(b[i])));
    return worst;
}

}  // namespace

TEST(WaveEncoder, first_block_carries_the_header_and_decodes_within_the_coder_loss) {
    for (uint16_t channels : {1, 2, 4}) {
        std::vector<int16_t> s = Tone(16362 / channels, channels, 9000);
        std::vector<uint8_t> pcm = Pcm(s);
        std::vector<uint8_t> h = Header(channels, static_cast<uint32_t>(pcm.size()));
        std::vector<uint8_t> body = EncodeWaveBlock(h.data(), true, pcm.data(), pcm.size(), channels);
        Decoded d = Decode(body, h, true);
        ASSERT_EQ(d.result, static_cast<int32_t>(format::wave_header::kSize + pcm.size())) << channels;
        EXPECT_EQ(d.header, h);
        // The first sample (or frame) is raw, so exact.
        EXPECT_EQ(d.samples[0], s[0]);
        // A smooth tone moves at most ~450 per sample, where row 0's steps
        // are about 20 apart. Four channels share one predictor that jumps
        // between them (moves up to ~18000, a coarser row).
        EXPECT_LE(MaxError(d.samples, s), channels == 4 ? 200 : 40) << channels;
    }
}

TEST(WaveEncoder, row_follows_the_loudness_of_the_block) {
    std::vector<int16_t> quiet = Tone(2000, 1, 300);
    std::vector<int16_t> loud(2000);
    for (size_t i = 0; i < loud.size(); ++i) loud[i] = i % 2 ? 15000 : -15000;
    auto h = Header(1, 4000);
    auto q = Pcm(quiet), l = Pcm(loud);
    std::vector<uint8_t> qb = EncodeWaveBlock(h.data(), false, q.data(), q.size(), 1);
    std::vector<uint8_t> lb = EncodeWaveBlock(h.data(), false, l.data(), l.size(), 1);
    EXPECT_EQ(qb[0], 8);
    EXPECT_EQ(lb[0], 32);  // moves of 30000 need the widest row
    EXPECT_LE(MaxError(Decode(lb, h, false).samples, loud), 600);
}

TEST(WaveEncoder, full_scale_jumps_use_the_wrap_around_only_when_it_lands_right) {
    // From 32000 to -32000 is a move of 1536 through the wrap, which the
    // finest row codes closely.
    std::vector<int16_t> s = {32000, -32000, -31000, 32767, -32768, 32000, -32000};
    auto h = Header(1, 14);
    auto pcm = Pcm(s);
    std::vector<uint8_t> body = EncodeWaveBlock(h.data(), false, pcm.data(), pcm.size(), 1);
    EXPECT_EQ(body[0], 8);
    EXPECT_LE(MaxError(Decode(body, h, false).samples, s), 60);
    // Near the top a step that overshoots would wrap to the bottom; the
    // encoder judges codes by the sample they really decode to.
    std::vector<int16_t> top = {32700, 32767, 32767, 32766, 32767};
    auto tp = Pcm(top);
    body = EncodeWaveBlock(h.data(), false, tp.data(), tp.size(), 1);
    EXPECT_LE(MaxError(Decode(body, h, false).samples, top), 10);
}

TEST(WaveEncoder, later_block_never_looks_like_a_header_copy) {
    // Build a code stream whose body would carry "RIFF", "fmt " and "data" at
    // the offsets the decoder tests, decode it into samples under a header
    // with other ids, then encode those samples: the exact codes are the
    // closed-loop choice, so only the guard can keep them apart.
    std::vector<uint8_t> crafted = {8, 'R', 'I', 'F', 'F'};
    crafted.insert(crafted.end(), {0xFF, 0xFF, 0xFF, 0, 0, 0, 0, 0});  // back down
    crafted.insert(crafted.end(), {'f', 'm', 't', ' '});
    crafted.insert(crafted.end(), {0xFF, 0xFF});
    crafted.insert(crafted.end(), 18, 0x00);
    crafted.insert(crafted.end(), {'d', 'a', 't', 'a'});
    crafted.insert(crafted.end(), {0xFF, 0xFF, 0xFF, 0x01, 0x02, 0x83});
    ASSERT_EQ(std::memcmp(&crafted[37], "data", 4), 0);

    auto real = Header(1, 0);
    auto other = real;
    std::memcpy(&other[36], "DATA", 4);
    Decoded plain = Decode(crafted, other, false);
    ASSERT_EQ(plain.result, static_cast<int32_t>(2 * (crafted.size() - 2)));
    // Under the real header the crafted body would be misread.
    EXPECT_EQ(Decode(crafted, real, false).result, static_cast<int32_t>(format::wave_header::kSize + 2));

    auto pcm = Pcm(plain.samples);
    std::vector<uint8_t> body = EncodeWaveBlock(real.data(), false, pcm.data(), pcm.size(), 1);
    ASSERT_EQ(body.size(), crafted.size());
    EXPECT_TRUE(std::equal(body.begin(), body.begin() + 40, crafted.begin()));
    EXPECT_NE(body[40], 'a');
    Decoded d = Decode(body, real, false);
    ASSERT_EQ(d.result, plain.result);
    EXPECT_LE(MaxError(d.samples, plain.samples), 400);
}

TEST(WaveEncoder, stereo_keeps_channels_apart) {
    std::vector<int16_t> s;
    for (int i = 0; i < 500; ++i) {
        s.push_back(static_cast<int16_t>(20000));
        s.push_back(static_cast<int16_t>(-20000 + i));
    }
    auto h = Header(2, static_cast<uint32_t>(s.size() * 2));
    auto pcm = Pcm(s);
    std::vector<uint8_t> body = EncodeWaveBlock(h.data(), false, pcm.data(), pcm.size(), 2);
    EXPECT_EQ(body.size(), 1 + 4 + (s.size() - 2));
    EXPECT_EQ(MaxError(Decode(body, h, false).samples, s), 0);
}
