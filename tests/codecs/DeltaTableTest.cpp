#include <gtest/gtest.h>

#include <vector>

#include "dta/codecs/delta_table.h"

using namespace dta::codecs;

namespace {

std::vector<uint16_t> Entries(size_t row, size_t from, size_t to) {
    const uint16_t* r = DeltaRow(row);
    return std::vector<uint16_t>(r + from, r + to + 1);
}

}  // namespace

TEST(DeltaTable, telling_values_of_rows_0_2_and_6) {
    EXPECT_EQ(Entries(0, 0, 9), (std::vector<uint16_t>{0, 1, 2, 4, 8, 12, 18, 24, 32, 41}));
    EXPECT_EQ(Entries(0, 125, 127), (std::vector<uint16_t>{7936, 8063, 8192}));
    EXPECT_EQ(Entries(2, 0, 9), (std::vector<uint16_t>{0, 2, 4, 9, 16, 25, 36, 49, 65, 82}));
    EXPECT_EQ(Entries(2, 125, 127), (std::vector<uint16_t>{15872, 16127, 16384}));
    EXPECT_EQ(Entries(6, 0, 9), (std::vector<uint16_t>{0, 2, 8, 18, 32, 50, 73, 99, 130, 164}));
    EXPECT_EQ(Entries(6, 125, 127), (std::vector<uint16_t>{31743, 32253, 32767}));
}

TEST(DeltaTable, every_row_rises_from_zero_to_its_ceiling_with_the_entry_one_exception) {
    for (size_t r = 0; r < kDeltaRows; ++r) {
        const uint16_t* row = DeltaRow(r);
        EXPECT_EQ(row[0], 0) << r;
        EXPECT_EQ(row[1], r < 2 ? 1 : 2) << r;
        EXPECT_EQ(row[127], kRowCeiling[r]) << r;
        for (size_t i = 2; i < kDeltaSteps; ++i) {
            EXPECT_LT(row[i - 1], row[i]) << r << "," << i;
            // Exact integer floor of ceiling * i^2 / 16129.
            uint64_t p = uint64_t(kRowCeiling[r]) * i * i;
            EXPECT_LE(uint64_t(row[i]) * 16129, p) << r << "," << i;
            EXPECT_GT((uint64_t(row[i]) + 1) * 16129, p) << r << "," << i;
        }
    }
}

TEST(DeltaTable, method_selects_row_and_odd_methods_fall_back_to_row_zero) {
    EXPECT_EQ(DeltaRowForMethod(8), 0u);
    EXPECT_EQ(DeltaRowForMethod(12), 1u);
    EXPECT_EQ(DeltaRowForMethod(16), 2u);
    EXPECT_EQ(DeltaRowForMethod(20), 3u);
    EXPECT_EQ(DeltaRowForMethod(24), 4u);
    EXPECT_EQ(DeltaRowForMethod(28), 5u);
    EXPECT_EQ(DeltaRowForMethod(32), 6u);
    for (uint8_t m : {9, 10, 11, 13, 31, 33, 36, 40, 200, 255}) EXPECT_EQ(DeltaRowForMethod(m), 0u) << int(m);
    for (size_t r = 0; r < kDeltaRows; ++r) EXPECT_EQ(DeltaRowForMethod(WaveMethodForRow(r)), r);
}
