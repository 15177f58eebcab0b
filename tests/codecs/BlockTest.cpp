#include <gtest/gtest.h>

#include <vector>

#include "dta/codecs/codecs.h"

using namespace dta::codecs;
namespace format = dta::format;

namespace {

std::vector<uint8_t> Decode(const std::vector<uint8_t>& body, const uint8_t* waveHeader = nullptr) {
    std::vector<uint8_t> out(format::block::kDecodedSize);
    int32_t n = DecodeBlock(body.data(), body.size(), out.data(), out.size(), waveHeader);
    if (n < 0) return {0xDE, 0xAD};
    out.resize(static_cast<size_t>(n));
    return out;
}

}  // namespace

TEST(Block, stored_methods_copy_the_payload_unchanged) {
    for (uint8_t method : {0, 2, 3, 4, 5, 6, 7}) {
        std::vector<uint8_t> body = {method, 'a', 0x00, 0xFF, 'z'};
        EXPECT_EQ(Decode(body), (std::vector<uint8_t>{'a', 0x00, 0xFF, 'z'})) << int(method);
    }
}

TEST(Block, method_byte_alone_decodes_to_nothing_and_empty_body_is_refused) {
    uint8_t out[4] = {};
    const uint8_t stored[] = {0};
    EXPECT_EQ(DecodeBlock(stored, 1, out, sizeof out, nullptr), 0);
    const uint8_t lz[] = {1, 0, 0};
    EXPECT_EQ(DecodeBlock(lz, 3, out, sizeof out, nullptr), 0);
    EXPECT_EQ(DecodeBlock(stored, 0, out, sizeof out, nullptr), kDecodeError);
    EXPECT_EQ(DecodeBlock(nullptr, 5, out, sizeof out, nullptr), kDecodeError);
    EXPECT_EQ(DecodeBlock(stored, 1, nullptr, 0, nullptr), kDecodeError);
}

TEST(Block, method_one_is_lz_and_no_other) {
    // Flags 0x8000: the first token is a run of 16 'A'.
    std::vector<uint8_t> payload = {0x80, 0x00, 0x00, 0x00, 0x00, 'A'};
    std::vector<uint8_t> lz = payload;
    lz.insert(lz.begin(), 1);
    EXPECT_EQ(Decode(lz), std::vector<uint8_t>(16, 'A'));

    std::vector<uint8_t> stored = payload;
    stored.insert(stored.begin(), 2);
    EXPECT_EQ(Decode(stored), payload);
}

TEST(Block, wave_method_without_entry_header_is_refused) {
    std::vector<uint8_t> body = {8, 0x10, 0x00, 0x01, 0x02};
    uint8_t out[16];
    EXPECT_EQ(DecodeBlock(body.data(), body.size(), out, sizeof out, nullptr), kDecodeError);
}

TEST(Block, stored_payload_one_byte_larger_than_output_is_refused_and_sentinel_survives) {
    std::vector<uint8_t> body(1 + 100, 0x5A);
    body[0] = 0;
    std::vector<uint8_t> out(100, 0);
    out[99] = 0xC3;  // sentinel behind the 99 usable bytes
    EXPECT_EQ(DecodeBlock(body.data(), body.size(), out.data(), 99, nullptr), kDecodeError);
    EXPECT_EQ(out[99], 0xC3);
    EXPECT_EQ(DecodeBlock(body.data(), body.size(), out.data(), 100, nullptr), 100);
}

TEST(Block, full_stored_block_fills_the_block_exactly) {
    std::vector<uint8_t> body(1 + format::block::kDecodedSize);
    for (size_t i = 0; i < body.size(); ++i) body[i] = static_cast<uint8_t>(i * 7);
    body[0] = 0;
    std::vector<uint8_t> out = Decode(body);
    ASSERT_EQ(out.size(), format::block::kDecodedSize);
    EXPECT_TRUE(std::equal(out.begin(), out.end(), body.begin() + 1));
}
