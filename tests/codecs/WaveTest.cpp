#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

#include "dta/codecs/codecs.h"
#include "dta/codecs/delta_table.h"

using namespace dta::codecs;
namespace format = dta::format;

namespace {

std::vector<uint8_t> Header(uint16_t channels, uint16_t blockAlign) {
    std::vector<uint8_t> h(format::wave_header::kSize, 0);
    std::memcpy(&h[0], "RIFF", 4);
    std::memcpy(&h[8], "WAVE", 4);
    std::memcpy(&h[12], "fmt ", 4);
    h[16] = 16;
    h[20] = 1;
    h[22] = static_cast<uint8_t>(channels);
    h[23] = static_cast<uint8_t>(channels >> 8);
    h[24] = 0x22;  // 22050 Hz
    h[25] = 0x56;
    h[32] = static_cast<uint8_t>(blockAlign);
    h[33] = static_cast<uint8_t>(blockAlign >> 8);
    h[34] = static_cast<uint8_t>(blockAlign / (channels ? channels : 1) * 8);
    std::memcpy(&h[36], "data", 4);
    return h;
}

std::vector<uint8_t> Cat(std::vector<uint8_t> a, const std::vector<uint8_t>& b) {
    a.insert(a.end(), b.begin(), b.end());
    return a;
}

std::vector<uint8_t> Le(std::initializer_list<int16_t> samples) {
    std::vector<uint8_t> b;
    for (int16_t s : samples) {
        b.push_back(static_cast<uint8_t>(s));
        b.push_back(static_cast<uint8_t>(static_cast<uint16_t>(s) >> 8));
    }
    return b;
}

// Body = method, optional header copy, then `rest`.
std::vector<uint8_t> Body(uint8_t method, const std::vector<uint8_t>* copy,
                          const std::vector<uint8_t>& rest) {
    std::vector<uint8_t> b(1, method);
    if (copy) b = Cat(b, *copy);
    return Cat(b, rest);
}

struct Decoded {
    int32_t result;
    std::vector<uint8_t> bytes;
};

Decoded Wave(const std::vector<uint8_t>& body, const std::vector<uint8_t>& header,
             size_t capacity = format::block::kDecodedSize) {
    std::vector<uint8_t> out(capacity);
    int32_t n = DecodeWave(body.data(), body.size(), out.data(), out.size(), header.data());
    out.resize(n < 0 ? 0 : static_cast<size_t>(n));
    return {n, out};
}

std::vector<int16_t> Samples(const std::vector<uint8_t>& bytes, size_t from) {
    std::vector<int16_t> s;
    for (size_t i = from; i + 1 < bytes.size(); i += 2)
        s.push_back(static_cast<int16_t>(bytes[i] | (bytes[i + 1] << 8)));
    return s;
}

}  // namespace

TEST(Wave, first_mono_block_outputs_header_raw_sample_and_one_sample_per_code) {
    auto h = Header(1, 2);
    // Row 0: +1, +41 (index 9), -4 (index 3), repeat.
    auto d = Wave(Body(8, &h, Cat(Le({-5}), {0x01, 0x09, 0x83, 0x00})), h);
    ASSERT_EQ(d.result, 44 + 2 + 4 * 2);
    EXPECT_TRUE(std::equal(h.begin(), h.end(), d.bytes.begin()));
    EXPECT_EQ(Samples(d.bytes, 44), (std::vector<int16_t>{-5, -4, 37, 33, 33}));
}

TEST(Wave, methods_off_the_row_grid_decode_as_row_zero) {
    auto h = Header(1, 2);
    std::vector<uint8_t> rest = Cat(Le({1000}), {0x09, 0x7F, 0xA0, 0x85});
    auto reference = Wave(Body(8, nullptr, rest), h);
    ASSERT_GT(reference.result, 0);
    for (uint8_t m : {9, 10, 200})
        EXPECT_EQ(Wave(Body(m, nullptr, rest), h).bytes, reference.bytes) << int(m);
    // Method 12 really is a different row.
    EXPECT_NE(Wave(Body(12, nullptr, rest), h).bytes, reference.bytes);
}

TEST(Wave, samples_wrap_around_in_sixteen_bits) {
    auto h = Header(1, 2);
    EXPECT_EQ(Samples(Wave(Body(32, nullptr, Cat(Le({0}), {0x7F, 0x81})), h).bytes, 0),
              (std::vector<int16_t>{0, 32767, 32765}));
    EXPECT_EQ(Samples(Wave(Body(8, nullptr, Cat(Le({32000}), {0x7F})), h).bytes, 0),
              (std::vector<int16_t>{32000, -25344}));
    EXPECT_EQ(Samples(Wave(Body(8, nullptr, Cat(Le({-32000}), {0xFF})), h).bytes, 0),
              (std::vector<int16_t>{-32000, 25344}));
}

TEST(Wave, stereo_keeps_one_predictor_per_channel) {
    auto h = Header(2, 4);
    auto d = Wave(Body(16, nullptr, Cat(Le({100, -100}), {0x01, 0x81, 0x02, 0x00})), h);
    EXPECT_EQ(Samples(d.bytes, 0), (std::vector<int16_t>{100, -100, 102, -102, 106, -102}));
    // Block align 5 with 2 channels still counts as 16-bit stereo.
    auto odd = Header(2, 5);
    EXPECT_EQ(Wave(Body(16, nullptr, Cat(Le({100, -100}), {0x01, 0x81})), odd).result, 8);
}

TEST(Wave, four_channels_share_a_single_predictor) {
    auto h = Header(4, 8);
    auto d = Wave(Body(8, nullptr, Cat(Le({10}), {0x02, 0x02, 0x82, 0x01})), h);
    EXPECT_EQ(Samples(d.bytes, 0), (std::vector<int16_t>{10, 12, 14, 12, 13}));
}

TEST(Wave, header_copy_is_recognised_by_its_ids_in_any_block) {
    auto h = Header(1, 2);
    // Method and header copy only: exactly the header.
    auto d = Wave(Body(8, &h, {}), h);
    EXPECT_EQ(d.result, 44);
    EXPECT_EQ(d.bytes, h);
    // A later block whose bytes happen to carry the three ids is taken as
    // holding a copy; the 44 bytes pass unchanged and the rest is samples.
    std::vector<uint8_t> lookalike = h;
    lookalike[24] = 0x99;  // other fields differ
    auto l = Wave(Body(8, &lookalike, Cat(Le({7}), {0x01})), h);
    ASSERT_EQ(l.result, 44 + 4);
    EXPECT_TRUE(std::equal(lookalike.begin(), lookalike.end(), l.bytes.begin()));
    EXPECT_EQ(Samples(l.bytes, 44), (std::vector<int16_t>{7, 8}));
    // One id different: those bytes are sample data.
    lookalike[37] = 'D';
    EXPECT_EQ(Wave(Body(8, &lookalike, {}), h).result, 2 + 42 * 2);  // raw sample and 42 codes
}

TEST(Wave, eight_bit_sound_uses_a_nested_stored_or_lz_body) {
    auto h = Header(1, 1);
    auto s = Wave(Body(8, &h, {0x00, 0x80, 0x81, 0x7F}), h);
    ASSERT_EQ(s.result, 47);
    EXPECT_EQ(std::vector<uint8_t>(s.bytes.begin() + 44, s.bytes.end()),
              (std::vector<uint8_t>{0x80, 0x81, 0x7F}));
    // Nested LZ: a run, then a back-reference 60 bytes back to the start of
    // the header copy ("RIFF" plus 2 bytes).
    auto l = Wave(Body(8, &h, {0x01, 0xC0, 0x00, 0x00, 0x00, 0x00, 0x80, 0x03, 0xC3}), h);
    ASSERT_EQ(l.result, 44 + 16 + 6);
    EXPECT_EQ(std::vector<uint8_t>(l.bytes.begin() + 44, l.bytes.begin() + 60),
              std::vector<uint8_t>(16, 0x80));
    EXPECT_EQ(std::string(l.bytes.begin() + 60, l.bytes.end()), std::string("RIFF\0\0", 6));
    // A nested LZ payload too short to hold a token adds nothing.
    EXPECT_EQ(Wave(Body(8, nullptr, {0x01, 0x00, 0x00}), h).result, 0);
    EXPECT_EQ(Wave(Body(8, nullptr, {0x00}), h).result, 0);
}

TEST(Wave, damaged_layouts_are_refused) {
    auto mono = Header(1, 2);
    auto stereo = Header(2, 4);
    const std::vector<uint8_t> codes = Cat(Le({1, 2}), {0x01, 0x01, 0x01});
    // No entry header, or one that gives no channels.
    EXPECT_EQ(DecodeWave(Body(8, nullptr, codes).data(), 8, std::vector<uint8_t>(64).data(), 64, nullptr),
              kDecodeError);
    EXPECT_EQ(Wave(Body(8, nullptr, codes), Header(0, 2)).result, kDecodeError);
    // Stereo with an odd number of codes; truncated raw frame or sample.
    EXPECT_EQ(Wave(Body(8, nullptr, codes), stereo).result, kDecodeError);
    EXPECT_EQ(Wave(Body(8, nullptr, {1, 2, 3}), stereo).result, kDecodeError);
    EXPECT_EQ(Wave(Body(8, &stereo, {1, 2, 3}), stereo).result, kDecodeError);
    EXPECT_EQ(Wave(Body(8, nullptr, {1}), mono).result, kDecodeError);
    // The ids announce a header copy that the body cuts short.
    auto cut = Body(8, &mono, {});
    cut.resize(43);
    EXPECT_EQ(Wave(cut, mono).result, kDecodeError);
    // Nested LZ damage propagates.
    EXPECT_EQ(Wave(Body(8, nullptr, {0x01, 0x80, 0x00, 0x00, 0x10}), Header(1, 1)).result, kDecodeError);
}

TEST(Wave, output_one_byte_short_is_refused_and_sentinel_survives) {
    auto h = Header(1, 2);
    auto body = Body(8, &h, Cat(Le({0}), std::vector<uint8_t>(100, 0x01)));
    const size_t exact = 44 + 2 + 200;
    for (size_t capacity : {exact - 1, size_t{43}, size_t{0}}) {
        std::vector<uint8_t> out(capacity + 1, 0);
        out[capacity] = 0x5C;
        EXPECT_EQ(DecodeWave(body.data(), body.size(), out.data(), capacity, h.data()), kDecodeError);
        EXPECT_EQ(out[capacity], 0x5C);
    }
    auto stereo = Header(2, 4);
    auto sbody = Body(8, nullptr, Cat(Le({0, 0}), std::vector<uint8_t>(10, 0x01)));
    std::vector<uint8_t> out(24 + 1, 0);
    out[23] = 0x5C;
    EXPECT_EQ(DecodeWave(sbody.data(), sbody.size(), out.data(), 23, stereo.data()), kDecodeError);
    EXPECT_EQ(out[23], 0x5C);
    EXPECT_EQ(DecodeWave(sbody.data(), sbody.size(), out.data(), 24, stereo.data()), 24);
}

TEST(Wave, every_code_adds_or_subtracts_its_step_in_long_streams_of_any_length) {
    // All 256 codes in a scrambled order, for every row, mono and stereo,
    // with 0 to 3 codes more than a multiple of four: each sample is the
    // previous one of its channel plus or minus the step, in 16 bits.
    for (const uint16_t channels : {uint16_t{1}, uint16_t{2}}) {
        for (size_t row = 0; row < 7; ++row) {
            for (size_t extra = 0; extra < 4; extra += channels) {
                std::vector<uint8_t> codes;
                for (size_t i = 0; i < 256 + extra; ++i) codes.push_back(static_cast<uint8_t>(i * 167 + 13));
                const std::vector<uint8_t> raw = channels == 2 ? Le({-30000, 31000}) : Le({29000});
                const Decoded d = Wave(Body(static_cast<uint8_t>(8 + 4 * row), nullptr, Cat(raw, codes)),
                                       Header(channels, static_cast<uint16_t>(2 * channels)));
                ASSERT_EQ(d.result, static_cast<int32_t>(raw.size() + 2 * codes.size()));
                uint16_t last[2] = {format::ReadLe16(&raw[0]), format::ReadLe16(&raw[channels == 2 ? 2 : 0])};
                for (size_t i = 0; i < codes.size(); ++i) {
                    const uint16_t step = DeltaRow(row)[codes[i] & 0x7F];
                    uint16_t& sample = last[i % channels];
                    sample = static_cast<uint16_t>((codes[i] & 0x80) ? sample - step : sample + step);
                    ASSERT_EQ(format::ReadLe16(&d.bytes[raw.size() + 2 * i]), sample)
                        << channels << " channels, row " << row << ", code " << i;
                }
            }
        }
    }
}
