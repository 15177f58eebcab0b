#include <gtest/gtest.h>

#include <cstdint>
#include <cstring>
#include <vector>

#include "dta/format.h"
#include "installer/wizard/billboard_picture.h"

using namespace installer;

namespace {

void PutU32(std::vector<uint8_t>& bytes, size_t at, uint32_t value) {
    dta::format::WriteLe32(&bytes[at], value);
}

void PutU16(std::vector<uint8_t>& bytes, size_t at, uint16_t value) {
    dta::format::WriteLe16(&bytes[at], value);
}

// A bitmap file of `width` x `height` pixels at `bits` per pixel with all its
// pixel rows (rows padded to four bytes).
std::vector<uint8_t> Picture(int32_t width, int32_t height, uint16_t bits) {
    const int64_t rows = height < 0 ? -static_cast<int64_t>(height) : height;
    const size_t stride = static_cast<size_t>((static_cast<int64_t>(width) * bits + 31) / 32 * 4);
    std::vector<uint8_t> bytes(kPicturePixelsOffset + stride * static_cast<size_t>(rows), 0x5A);
    bytes[0] = 'B';
    bytes[1] = 'M';
    PutU32(bytes, 14, 40);
    PutU32(bytes, 18, static_cast<uint32_t>(width));
    PutU32(bytes, 22, static_cast<uint32_t>(height));
    PutU16(bytes, 26, 1);
    PutU16(bytes, 28, bits);
    PutU32(bytes, 30, 0);
    return bytes;
}

bool Fits(const std::vector<uint8_t>& bytes) {
    return BillboardPictureFits(bytes.data(), bytes.size());
}

}  // namespace

TEST(BillboardPicture, whole_pictures_of_16_24_and_32_bits_fit_bottom_up_or_top_down) {
    EXPECT_TRUE(Fits(Picture(800, 600, 24)));
    EXPECT_TRUE(Fits(Picture(800, -600, 32)));
    EXPECT_TRUE(Fits(Picture(3, 2, 16)));  // rows padded from 6 to 8 bytes
    EXPECT_TRUE(Fits(Picture(1, 1, 24)));
}

TEST(BillboardPicture, an_entry_one_byte_short_of_its_rows_or_headers_is_skipped) {
    for (auto picture : {Picture(800, 600, 24), Picture(3, 2, 16), Picture(7, -5, 32)}) {
        picture.pop_back();
        EXPECT_FALSE(Fits(picture));
    }
    const auto whole = Picture(1, 1, 24);
    EXPECT_FALSE(BillboardPictureFits(whole.data(), kPicturePixelsOffset - 1));
    EXPECT_FALSE(BillboardPictureFits(whole.data(), 0));
    EXPECT_FALSE(BillboardPictureFits(nullptr, whole.size()));
}

TEST(BillboardPicture, headers_the_window_cannot_draw_safely_are_refused) {
    auto change = [](auto edit) {
        auto picture = Picture(4, 4, 24);
        edit(picture);
        return Fits(picture);
    };
    EXPECT_FALSE(change([](auto& p) { PutU32(p, 14, 124); }));         // a larger header
    EXPECT_FALSE(change([](auto& p) { PutU32(p, 14, 0x7FFFFFFF); }));  // a header "size" past the entry
    EXPECT_FALSE(change([](auto& p) { PutU16(p, 28, 8); }));           // would need a colour table
    EXPECT_FALSE(change([](auto& p) { PutU32(p, 30, 3); }));           // bit fields
    EXPECT_FALSE(change([](auto& p) { PutU16(p, 26, 2); }));           // planes
    EXPECT_FALSE(change([](auto& p) { PutU32(p, 18, 0); }));
    EXPECT_FALSE(change([](auto& p) { PutU32(p, 18, 0x80000000u); }));  // negative width
    EXPECT_FALSE(change([](auto& p) { PutU32(p, 22, 0); }));
    EXPECT_FALSE(change([](auto& p) { PutU32(p, 22, 0x80000000u); }));  // -2^31 rows
    // Huge sizes whose row count would overflow 32 bits.
    EXPECT_FALSE(change([](auto& p) {
        PutU32(p, 18, 0x10000);
        PutU32(p, 22, 0x10000);
    }));
}

TEST(BillboardPicture, placement_centres_the_picture_or_squeezes_it_to_a_small_area) {
    auto expect = [](int32_t w, int32_t h, PictureRect want) {
        const PictureRect got = BillboardPlacement(w, h);
        EXPECT_EQ(got.x, want.x) << w << "x" << h;
        EXPECT_EQ(got.y, want.y) << w << "x" << h;
        EXPECT_EQ(got.width, want.width) << w << "x" << h;
        EXPECT_EQ(got.height, want.height) << w << "x" << h;
    };
    expect(1024, 768, {112, 84, 800, 600});
    expect(640, 480, {0, 0, 640, 480});
    expect(800, 600, {0, 0, 800, 600});
    // (599 - 600) / 2 rounds toward zero to 0: one row short is cut, not squeezed.
    expect(801, 599, {0, 0, 800, 600});
    expect(1024, 500, {112, 0, 800, 500});
    expect(0, 0, {0, 0, 0, 0});
}
