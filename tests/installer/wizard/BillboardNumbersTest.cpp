#include <gtest/gtest.h>

#include <cstdint>
#include <string>
#include <vector>

#include "installer/wizard/billboard_numbers.h"

using installer::BillboardNumberOf;
using installer::SelectBillboardNumbers;

TEST(BillboardNumbers, only_names_the_loader_would_ask_for_give_a_number) {
    uint64_t number = 0;
    EXPECT_TRUE(BillboardNumberOf("bilboard0.bmp", &number) && number == 0);
    EXPECT_TRUE(BillboardNumberOf("BILBOARD5.Bmp", &number) && number == 5);
    EXPECT_TRUE(BillboardNumberOf("bilboard9999999999999999999.bmp", &number) &&
                number == 9999999999999999999ull);
    // clang-format off
    const char* const others[] = {
        "bilboard04.bmp", "bilboardx.bmp", "bilboard.bmp", "bilboard-1.bmp", "bilboard+1.bmp", "bilboard 1.bmp",
        "bilboard1.bmp.bak", "bilboard1.bm", "billboard1.bmp", "pics\\bilboard1.bmp",
        "bilboard10000000000000000000.bmp", ""};
    // clang-format on
    for (const char* name : others) EXPECT_FALSE(BillboardNumberOf(name, &number)) << name;
}

TEST(BillboardNumbers, a_disc_takes_its_own_range_in_ascending_order_once) {
    const std::vector<std::string> names = {"bilboard7.bmp", "bilboard3.bmp", "BILBOARD4.BMP",
                                            "bilboard4.bmp", "bilboard8.bmp", "bilboard2.bmp",
                                            "readme.txt",    "bilboard6.bmp"};
    EXPECT_EQ(SelectBillboardNumbers(names, 4, 0), (std::vector<uint64_t>{2, 3}));
    EXPECT_EQ(SelectBillboardNumbers(names, 4, 1), (std::vector<uint64_t>{4, 6, 7}));
    EXPECT_EQ(SelectBillboardNumbers(names, 4, 2), (std::vector<uint64_t>{8}));
    EXPECT_TRUE(SelectBillboardNumbers(names, 0, 0).empty());
    EXPECT_TRUE(SelectBillboardNumbers(names, -5, 1).empty());
}

TEST(BillboardNumbers, the_largest_setting_reaches_past_32_bits_without_wrapping) {
    const int32_t most = 2147483647;
    // clang-format off
    const std::vector<std::string> names = {
        "bilboard3.bmp", "bilboard2147483646.bmp", "bilboard2147483647.bmp", "bilboard4294967293.bmp",
        "bilboard4294967294.bmp", "bilboard4294967296.bmp", "bilboard9223372030412324864.bmp",
        "bilboard9223372032559808511.bmp", "bilboard9223372032559808512.bmp"};
    // clang-format on
    EXPECT_EQ(SelectBillboardNumbers(names, most, 0), (std::vector<uint64_t>{3, 2147483646}));
    EXPECT_EQ(SelectBillboardNumbers(names, most, 1), (std::vector<uint64_t>{2147483647, 4294967293}));
    EXPECT_EQ(SelectBillboardNumbers(names, most, 2), (std::vector<uint64_t>{4294967294, 4294967296}));
    // The largest disc index: its range ends just below 2^63.
    EXPECT_EQ(SelectBillboardNumbers(names, most, 0xFFFFFFFFu),
              (std::vector<uint64_t>{9223372032559808511ull}));
}
