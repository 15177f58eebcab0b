#include <gtest/gtest.h>

#include <cstring>
#include <string>

#include "tests/e2e/driver/png_writer.h"

namespace {

using e2e::Adler32;
using e2e::Crc32;
using e2e::EncodePng;

uint32_t BigEndian(const std::vector<uint8_t>& b, size_t at) {
    return (uint32_t(b[at]) << 24) | (uint32_t(b[at + 1]) << 16) | (uint32_t(b[at + 2]) << 8) | b[at + 3];
}

struct Chunk {
    std::string type;
    std::vector<uint8_t> data;
};

// Walks the chunks, checking each CRC; fails the test on a broken structure.
std::vector<Chunk> Chunks(const std::vector<uint8_t>& png) {
    std::vector<Chunk> chunks;
    const uint8_t signature[8] = {0x89, 'P', 'N', 'G', '\r', '\n', 0x1A, '\n'};
    EXPECT_TRUE(png.size() >= 8 && std::memcmp(png.data(), signature, 8) == 0);
    size_t at = 8;
    while (png.size() - at >= 12) {
        uint32_t length = BigEndian(png, at);
        if (png.size() - at - 12 < length) break;
        Chunk chunk;
        chunk.type.assign(png.begin() + at + 4, png.begin() + at + 8);
        chunk.data.assign(png.begin() + at + 8, png.begin() + at + 8 + length);
        EXPECT_EQ(BigEndian(png, at + 8 + length), Crc32(png.data() + at + 4, length + 4)) << chunk.type;
        chunks.push_back(chunk);
        at += 12 + length;
    }
    EXPECT_EQ(at, png.size());
    return chunks;
}

// Undoes the stored-block zlib stream; empty on any inconsistency.
std::vector<uint8_t> Inflate(const std::vector<uint8_t>& z) {
    std::vector<uint8_t> out;
    if (z.size() < 6 || z[0] != 0x78 || (z[0] * 256 + z[1]) % 31 != 0) return {};
    size_t at = 2;
    for (;;) {
        if (z.size() - at < 5) return {};
        uint8_t head = z[at];
        size_t n = z[at + 1] | (z[at + 2] << 8);
        size_t nn = z[at + 3] | (z[at + 4] << 8);
        if ((head & 6) != 0 || (n ^ 0xFFFF) != nn || z.size() - at - 5 < n) return {};
        out.insert(out.end(), z.begin() + at + 5, z.begin() + at + 5 + n);
        at += 5 + n;
        if (head & 1) break;
    }
    if (z.size() - at != 4 || BigEndian(z, at) != Adler32(out.data(), out.size())) return {};
    return out;
}

TEST(PngWriter, checksums_match_known_values) {
    const char* text = "123456789";
    EXPECT_EQ(Crc32(reinterpret_cast<const uint8_t*>(text), 9), 0xCBF43926u);
    EXPECT_EQ(Adler32(reinterpret_cast<const uint8_t*>("Wikipedia"), 9), 0x11E60398u);
    EXPECT_EQ(Crc32(nullptr, 0), 0u);
    EXPECT_EQ(Adler32(nullptr, 0), 1u);
}

TEST(PngWriter, image_round_trips_through_the_chunks) {
    const uint32_t w = 3, h = 2;
    std::vector<uint8_t> rgb;
    for (uint32_t i = 0; i < w * h * 3; ++i) rgb.push_back(static_cast<uint8_t>(i * 11));
    std::vector<uint8_t> png = EncodePng(w, h, rgb);
    std::vector<Chunk> chunks = Chunks(png);
    ASSERT_EQ(chunks.size(), 3u);
    EXPECT_EQ(chunks[0].type, "IHDR");
    ASSERT_EQ(chunks[0].data.size(), 13u);
    EXPECT_EQ(BigEndian(chunks[0].data, 0), w);
    EXPECT_EQ(BigEndian(chunks[0].data, 4), h);
    EXPECT_EQ(chunks[0].data[8], 8);  // bits per sample
    EXPECT_EQ(chunks[0].data[9], 2);  // RGB
    EXPECT_EQ(chunks[1].type, "IDAT");
    EXPECT_EQ(chunks[2].type, "IEND");
    EXPECT_TRUE(chunks[2].data.empty());

    std::vector<uint8_t> raw = Inflate(chunks[1].data);
    ASSERT_EQ(raw.size(), (w * 3 + 1) * h);
    for (uint32_t y = 0; y < h; ++y) {
        EXPECT_EQ(raw[y * (w * 3 + 1)], 0) << "filter byte of row " << y;
        EXPECT_TRUE(std::equal(rgb.begin() + y * w * 3, rgb.begin() + (y + 1) * w * 3,
                               raw.begin() + y * (w * 3 + 1) + 1));
    }
}

TEST(PngWriter, splits_large_images_into_several_stored_blocks) {
    // 200 x 120 RGB rows make 72120 raw bytes: two stored blocks.
    const uint32_t w = 200, h = 120;
    std::vector<uint8_t> rgb(w * h * 3);
    for (size_t i = 0; i < rgb.size(); ++i) rgb[i] = static_cast<uint8_t>(i * 7 + i / 251);
    std::vector<Chunk> chunks = Chunks(EncodePng(w, h, rgb));
    ASSERT_EQ(chunks.size(), 3u);
    std::vector<uint8_t> raw = Inflate(chunks[1].data);
    ASSERT_EQ(raw.size(), (w * 3 + 1) * h);
    EXPECT_EQ(raw[(w * 3 + 1) * (h - 1) + 1 + 3 * w - 1], rgb.back());
}

TEST(PngWriter, refuses_empty_or_short_images) {
    std::vector<uint8_t> rgb(3 * 4 * 4, 0);
    EXPECT_TRUE(EncodePng(0, 4, rgb).empty());
    EXPECT_TRUE(EncodePng(4, 0, rgb).empty());
    EXPECT_TRUE(EncodePng(4, 5, rgb).empty());  // one row short
    EXPECT_TRUE(EncodePng(1u << 17, 1, rgb).empty());
    EXPECT_FALSE(EncodePng(4, 4, rgb).empty());
}

}  // namespace
