#include <gtest/gtest.h>

#include <algorithm>
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

constexpr uint32_t kMasks565[3] = {0xF800, 0x07E0, 0x001F};
constexpr uint32_t kMasks555[3] = {0x7C00, 0x03E0, 0x001F};
constexpr uint32_t kMasks888[3] = {0xFF0000, 0x00FF00, 0x0000FF};

// How a picture is laid out: its info header's size and compression, its
// bits per pixel and (for bit fields) its masks.
struct Kind {
    const char* name;
    uint32_t infoSize;
    uint32_t compression;
    uint16_t bits;
    const uint32_t* masks;  // null for BI_RGB
};

// Where the pixels of `kind` start right after its headers (and masks).
size_t HeadersEnd(const Kind& kind) {
    return 14 + kind.infoSize + (kind.infoSize == 40 && kind.masks ? 12 : 0);
}

// A bitmap file of `kind`, `width` x `height`, with `gap` bytes between the
// headers and the pixel rows, which bfOffBits names.
std::vector<uint8_t> Picture(const Kind& kind, int32_t width, int32_t height, size_t gap = 0) {
    const int64_t rows = height < 0 ? -static_cast<int64_t>(height) : height;
    const size_t stride = static_cast<size_t>((static_cast<int64_t>(width) * kind.bits + 31) / 32 * 4);
    const size_t offBits = HeadersEnd(kind) + gap;
    std::vector<uint8_t> bytes(offBits + stride * static_cast<size_t>(rows), 0x5A);
    bytes[0] = 'B';
    bytes[1] = 'M';
    PutU32(bytes, 2, static_cast<uint32_t>(bytes.size()));
    PutU32(bytes, 6, 0);
    PutU32(bytes, 10, static_cast<uint32_t>(offBits));
    std::fill(bytes.begin() + 14, bytes.begin() + 14 + kind.infoSize, 0);
    PutU32(bytes, 14, kind.infoSize);
    PutU32(bytes, 18, static_cast<uint32_t>(width));
    PutU32(bytes, 22, static_cast<uint32_t>(height));
    PutU16(bytes, 26, 1);
    PutU16(bytes, 28, kind.bits);
    PutU32(bytes, 30, kind.compression);
    if (kind.masks != nullptr) {
        for (size_t i = 0; i < 3; ++i) PutU32(bytes, 54 + 4 * i, kind.masks[i]);
    }
    if (kind.infoSize > 40) PutU32(bytes, 14 + 52, 0xFF000000u);  // an alpha mask, not used
    return bytes;
}

// Every layout the window draws from bfOffBits.
const Kind kOffsetKinds[] = {
    {"bitfields 565", 40, 3, 16, kMasks565},     {"bitfields 555", 40, 3, 16, kMasks555},
    {"bitfields 888", 40, 3, 32, kMasks888},     {"V4 bitfields 565", 108, 3, 16, kMasks565},
    {"V5 bitfields 888", 124, 3, 32, kMasks888}, {"V4 rgb 24", 108, 0, 24, nullptr},
    {"V5 rgb 16", 124, 0, 16, nullptr},          {"V5 rgb 32", 124, 0, 32, nullptr},
};

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
    EXPECT_FALSE(change([](auto& p) { PutU32(p, 30, 3); }));           // bit fields at 24 bits
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

TEST(BillboardPicture, uncompressed_40_byte_pictures_take_their_rows_from_54_whatever_bfoffbits_says) {
    for (uint32_t offBits : {0u, 54u, 66u, 1000u, 0xFFFFFFFFu}) {
        auto picture = Picture(3, -2, 16);
        PutU32(picture, 10, offBits);
        PictureLayout layout;
        ASSERT_TRUE(ReadBillboardPicture(picture.data(), picture.size(), &layout)) << offBits;
        EXPECT_EQ(layout.infoSize, 40u);
        EXPECT_EQ(layout.pixelsOffset, 54u);
        EXPECT_EQ(layout.pixelsSize, 16u);
        EXPECT_EQ(layout.height, -2);
        EXPECT_EQ(layout.compression, kPictureUncompressed);
        EXPECT_EQ(layout.masksOffset, 0u);
    }
}

TEST(BillboardPicture, masked_and_larger_header_pictures_are_read_from_bfoffbits_with_their_masks) {
    for (const Kind& kind : kOffsetKinds) {
        for (size_t gap : {size_t{0}, size_t{6}}) {
            for (int32_t height : {5, -5}) {
                SCOPED_TRACE(::testing::Message() << kind.name << " gap " << gap << " height " << height);
                const auto picture = Picture(kind, 3, height, gap);
                PictureLayout layout;
                ASSERT_TRUE(ReadBillboardPicture(picture.data(), picture.size(), &layout));
                EXPECT_EQ(layout.infoOffset, 14u);
                EXPECT_EQ(layout.infoSize, kind.infoSize);
                EXPECT_EQ(layout.pixelsOffset, HeadersEnd(kind) + gap);
                EXPECT_EQ(layout.pixelsOffset + layout.pixelsSize, picture.size());
                EXPECT_EQ(layout.width, 3);
                EXPECT_EQ(layout.height, height);
                EXPECT_EQ(layout.bits, kind.bits);
                EXPECT_EQ(layout.compression, kind.compression);
                if (kind.masks != nullptr) {
                    EXPECT_EQ(layout.masksOffset, 54u);
                    for (int i = 0; i < 3; ++i) EXPECT_EQ(layout.masks[i], kind.masks[i]);
                } else {
                    EXPECT_EQ(layout.masks[0] | layout.masks[1] | layout.masks[2], 0u);
                }
            }
        }
    }
}

TEST(BillboardPicture, masked_pictures_cut_short_or_pointing_into_their_headers_are_refused) {
    for (const Kind& kind : kOffsetKinds) {
        SCOPED_TRACE(kind.name);
        const auto whole = Picture(kind, 3, 2);
        // Cut anywhere: in the headers, the masks or the rows.
        for (size_t size = 0; size < whole.size(); ++size) {
            EXPECT_FALSE(BillboardPictureFits(whole.data(), size)) << size;
        }
        // bfOffBits into the headers or masks, or past the end.
        for (uint32_t offBits : {0u, 14u, 54u, static_cast<uint32_t>(HeadersEnd(kind) - 1),
                                 static_cast<uint32_t>(whole.size() + 1), 0x80000000u, 0xFFFFFFFFu}) {
            auto picture = whole;
            PutU32(picture, 10, offBits);
            EXPECT_FALSE(Fits(picture)) << offBits;
        }
        // Past the headers, but too late for all rows to fit.
        auto late = whole;
        PutU32(late, 10, static_cast<uint32_t>(HeadersEnd(kind) + 1));
        EXPECT_FALSE(Fits(late));
    }
}

TEST(BillboardPicture, other_compressions_bit_counts_masks_and_header_sizes_are_refused) {
    const Kind fields40{"", 40, 3, 16, kMasks565};
    const Kind fieldsV4{"", 108, 3, 32, kMasks888};
    for (const Kind& kind : {fields40, fieldsV4}) {
        // RLE8, RLE4, JPEG, PNG, alpha bit fields, and nonsense.
        for (uint32_t compression : {1u, 2u, 4u, 5u, 6u, 11u, 0x80000003u}) {
            auto picture = Picture(kind, 4, 4);
            PutU32(picture, 30, compression);
            EXPECT_FALSE(Fits(picture)) << compression;
        }
        for (uint16_t bits : {0, 1, 4, 8, 24, 48, 64}) {
            auto picture = Picture(kind, 4, 4);
            PutU16(picture, 28, bits);
            EXPECT_FALSE(Fits(picture)) << bits;
        }
    }
    // Masks that do not belong to the bit count, in another order, or empty.
    const uint32_t bgr[3] = {0xFF, 0xFF00, 0xFF0000};
    const uint32_t none[3] = {0, 0, 0};
    const uint32_t wide565[3] = {0xF8000000u, 0x07E00000, 0x001F0000};
    for (const Kind& kind :
         {Kind{"", 40, 3, 16, kMasks888}, Kind{"", 40, 3, 32, kMasks565}, Kind{"", 124, 3, 32, bgr},
          Kind{"", 108, 3, 16, none}, Kind{"", 40, 3, 32, wide565}}) {
        EXPECT_FALSE(Fits(Picture(kind, 4, 4)));
    }
    // OS/2 and other header sizes between and around the known ones.
    for (uint32_t infoSize : {12u, 16u, 52u, 56u, 64u, 107u, 109u, 125u}) {
        auto picture = Picture(Kind{"", 124, 0, 24, nullptr}, 4, 4);
        PutU32(picture, 14, infoSize);
        EXPECT_FALSE(Fits(picture)) << infoSize;
    }
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
