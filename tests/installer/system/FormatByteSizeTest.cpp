#include <cstring>
#include <string>

#include <gtest/gtest.h>

#include "installer/system/system.h"

using namespace installer;

namespace {

std::string Format(uint64_t bytes) {
    char text[1024];
    std::memset(text, '#', sizeof text);
    FormatByteSize(bytes, text);
    return text;
}

}  // namespace

TEST(FormatByteSize, counts_up_to_1024_print_as_bytes) {
    EXPECT_EQ(Format(0), "0 B");
    EXPECT_EQ(Format(1), "1 B");
    EXPECT_EQ(Format(1024), "1024 B");
}

TEST(FormatByteSize, each_unit_starts_strictly_above_its_power_of_two) {
    EXPECT_EQ(Format(1025), "1.00 kB");
    EXPECT_EQ(Format(1048576), "1024.00 kB");
    EXPECT_EQ(Format(1048577), "1.00 MB");
    EXPECT_EQ(Format(1073741824), "1024.00 MB");
    EXPECT_EQ(Format(1073741825), "1.00 GB");
}

TEST(FormatByteSize, larger_units_drop_the_lower_bits_before_scaling) {
    EXPECT_EQ(Format(1500000000), "1.40 GB");
    EXPECT_EQ(Format(uint64_t{5} << 30), "5.00 GB");
    // 2047 kB and 1023 bytes is still 2047 whole kilobytes: 1.999 MB.
    EXPECT_EQ(Format(2097151), "2.00 MB");
    EXPECT_EQ(Format(1536 * 1024 + 1023), "1.50 MB");
    EXPECT_EQ(Format(1100), "1.07 kB");
}

TEST(FormatByteSize, a_half_hundredth_rounds_up) {
    // 1152 / 1024 = 1.125 exactly.
    EXPECT_EQ(Format(1152), "1.13 kB");
    EXPECT_EQ(Format(1152 * 1024), "1.13 MB");
}

TEST(FormatByteSize, sizes_beyond_two_to_the_51_stay_positive) {
    // The count shifted by 20 bits no longer fits 31 bits here; the text must
    // still be the true size, not a negative number.
    EXPECT_EQ(Format(uint64_t{1} << 51), "2097152.00 GB");
    EXPECT_EQ(Format(uint64_t{1} << 62), "4294967296.00 GB");
    const std::string largest = Format(~uint64_t{0});
    EXPECT_EQ(largest, "17179869184.00 GB");
    EXPECT_LT(largest.size(), kByteSizeTextSize);
}

TEST(FormatByteSize, short_or_missing_buffers_are_never_overrun) {
    char text[8];
    std::memset(text, '#', sizeof text);
    FormatByteSize(1500000000, text, 5);
    EXPECT_STREQ(text, "1.40");
    EXPECT_EQ(text[5], '#');
    EXPECT_EQ(text[7], '#');

    FormatByteSize(1500000000, text, 0);
    EXPECT_EQ(text[0], '1');  // a zero-sized buffer is left alone

    FormatByteSize(1500000000, nullptr);
    FormatByteSize(12, nullptr, 1024);
}
