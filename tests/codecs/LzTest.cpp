#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "dta/codecs/codecs.h"

using namespace dta::codecs;
namespace format = dta::format;

namespace {

// Decodes `payload` into a fresh block; {"<error>"} on failure.
std::string Lz(const std::vector<uint8_t>& payload, size_t capacity = format::block::kDecodedSize) {
    std::vector<uint8_t> out(capacity);
    int32_t n = DecodeLz(payload.data(), payload.size(), out.data(), out.size(), 0);
    if (n < 0) return "<error>";
    return std::string(out.begin(), out.begin() + n);
}

std::vector<uint8_t> Cat(std::vector<uint8_t> a, const std::string& s) {
    a.insert(a.end(), s.begin(), s.end());
    return a;
}

}  // namespace

TEST(Lz, short_payloads_decode_to_nothing) {
    EXPECT_EQ(Lz({}), "");
    EXPECT_EQ(Lz({0x00}), "");
    EXPECT_EQ(Lz({0xFF, 0xFF}), "");
}

TEST(Lz, seventeenth_token_follows_a_new_flag_word) {
    EXPECT_EQ(Lz(Cat({0x00, 0x00}, "abcdefghijklmnop")), "abcdefghijklmnop");
    // The second flag word 0x8000 makes the 17th token a run.
    std::vector<uint8_t> p = Cat({0x00, 0x00}, "abcdefghijklmnop");
    p.insert(p.end(), {0x80, 0x00, 0x00, 0x00, 0x00, '!'});
    EXPECT_EQ(Lz(p), "abcdefghijklmnop" + std::string(16, '!'));
}

TEST(Lz, payload_ending_inside_a_flag_word_ignores_the_remaining_flags) {
    // Flags say literal, literal, literal, then copies that never come.
    EXPECT_EQ(Lz(Cat({0x1F, 0xFF}, "xyz")), "xyz");
}

TEST(Lz, back_references_decode_offset_and_length_fields) {
    // Offset 1, length 18 after one literal: 19 equal bytes.
    EXPECT_EQ(Lz({0x40, 0x00, 'x', 0x00, 0x1F}), std::string(19, 'x'));
    // 0x00 0x13: offset 1, length 6.
    EXPECT_EQ(Lz({0x40, 0x00, 'q', 0x00, 0x13}), std::string(7, 'q'));
    // Offset 3, length 5 over "abc": the copy overlaps itself.
    EXPECT_EQ(Lz({0x10, 0x00, 'a', 'b', 'c', 0x00, 0x32}), "abcabcab");
    // 0xFF 0xFF: offset 4095, length 18. A 'Q' and a run of 4094 dots put
    // the 'Q' exactly 4095 bytes back.
    std::string got = Lz({0x60, 0x00, 'Q', 0x00, 0x0F, 0xEE, '.', 0xFF, 0xFF});
    ASSERT_EQ(got.size(), 1u + 4094u + 18u);
    EXPECT_EQ(got.substr(4095), "Q" + std::string(17, '.'));
}

TEST(Lz, runs_cover_sixteen_to_4111_bytes) {
    EXPECT_EQ(Lz({0x80, 0x00, 0x00, 0x00, 0x00, 0x41}), std::string(16, 'A'));
    EXPECT_EQ(Lz({0x80, 0x00, 0x00, 0x0F, 0xFF, 0x20}), std::string(4111, ' '));
    EXPECT_EQ(Lz({0x80, 0x00, 0x00, 0x01, 0x02, 0x00}), std::string(256 + 2 + 16, '\0'));
}

TEST(Lz, output_continues_after_bytes_already_written) {
    // Back-references may reach the bytes before `written`, as a nested body
    // after a header copy does.
    std::vector<uint8_t> out = {'h', 'e', 'a', 'd', 0, 0, 0, 0, 0, 0};
    const uint8_t payload[] = {0x80, 0x00, 0x00, 0x43};  // offset 4, length 6
    EXPECT_EQ(DecodeLz(payload, sizeof payload, out.data(), out.size(), 4), 6);
    EXPECT_EQ(std::string(out.begin(), out.end()), "headheadhe");
    EXPECT_EQ(DecodeLz(payload, sizeof payload, out.data(), out.size(), 11), kDecodeError);
}

TEST(Lz, back_reference_before_the_block_start_is_refused) {
    // A block never sees its predecessor's output.
    EXPECT_EQ(Lz({0x80, 0x00, 0x00, 0x10}), "<error>");
    // One literal, then offset 2.
    EXPECT_EQ(Lz({0x40, 0x00, 'a', 0x00, 0x20}), "<error>");
}

TEST(Lz, tokens_running_past_the_payload_are_refused) {
    EXPECT_EQ(Lz({0x80, 0x00, 0x00}), "<error>");              // half a back-reference
    EXPECT_EQ(Lz({0x80, 0x00, 0x00, 0x00, 0x00}), "<error>");  // three quarters of a run
    // A flag word with no token behind it, and half a flag word.
    std::vector<uint8_t> p = Cat({0x00, 0x00}, "abcdefghijklmnop");
    p.insert(p.end(), {0x00, 0x00});
    EXPECT_EQ(Lz(p), "<error>");
    p.pop_back();
    EXPECT_EQ(Lz(p), "<error>");
}

TEST(Lz, output_one_byte_short_is_refused_and_sentinel_survives) {
    const std::vector<uint8_t> run = {0x80, 0x00, 0x00, 0x0F, 0xFF, 0x20};  // 4111 bytes
    std::vector<uint8_t> out(4111, 0);
    out[4110] = 0xA5;
    EXPECT_EQ(DecodeLz(run.data(), run.size(), out.data(), 4110, 0), kDecodeError);
    EXPECT_EQ(out[4110], 0xA5);
    EXPECT_EQ(DecodeLz(run.data(), run.size(), out.data(), 4111, 0), 4111);

    const std::vector<uint8_t> copy = {0x40, 0x00, 'x', 0x00, 0x1F};  // 19 bytes
    std::vector<uint8_t> small(19, 0);
    small[18] = 0xA5;
    EXPECT_EQ(DecodeLz(copy.data(), copy.size(), small.data(), 18, 0), kDecodeError);
    EXPECT_EQ(small[18], 0xA5);

    const std::vector<uint8_t> lit = {0x00, 0x00, 'a', 'b'};
    EXPECT_EQ(Lz(lit, 1), "<error>");
    EXPECT_EQ(Lz(lit, 2), "ab");
}

TEST(Lz, output_never_passes_a_full_block) {
    // Nine maximal runs would be 36999 bytes.
    std::vector<uint8_t> p = {0xFF, 0x80};
    for (int i = 0; i < 9; ++i) p.insert(p.end(), {0x00, 0x0F, 0xFF, 0x01});
    EXPECT_EQ(Lz(p), "<error>");
    p.resize(2 + 7 * 4);
    p[0] = 0xFE;
    p[1] = 0x00;
    EXPECT_EQ(Lz(p), std::string(7 * 4111, '\x01'));
}
