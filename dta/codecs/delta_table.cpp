#include "dta/codecs/delta_table.h"

#include <array>

namespace dta::codecs {
namespace {

using Table = std::array<std::array<uint16_t, kDeltaSteps>, kDeltaRows>;

constexpr Table BuildTable() {
    Table table{};
    for (size_t r = 0; r < kDeltaRows; ++r) {
        for (size_t i = 0; i < kDeltaSteps; ++i) {
            // Largest product 32767 * 127^2 fits easily in 64 bits; the
            // division truncates, as the coder requires.
            uint64_t step = static_cast<uint64_t>(kRowCeiling[r]) * i * i / 16129u;
            table[r][i] = static_cast<uint16_t>(step);
        }
        table[r][1] = r < 2 ? 1 : 2;
    }
    return table;
}

constexpr Table kTable = BuildTable();

using DeltaTable = std::array<std::array<uint16_t, 256>, kDeltaRows>;

constexpr DeltaTable BuildDeltas() {
    DeltaTable deltas{};
    for (size_t r = 0; r < kDeltaRows; ++r) {
        for (size_t code = 0; code < 256; ++code) {
            const uint16_t step = kTable[r][code & kCodeStepMask];
            deltas[r][code] = (code & kCodeSubtract) ? static_cast<uint16_t>(0x10000u - step) : step;
        }
    }
    return deltas;
}

constexpr DeltaTable kDeltas = BuildDeltas();

static_assert(kTable[0][9] == 41 && kTable[0][127] == 8192, "row 0");
static_assert(kTable[2][8] == 65 && kTable[2][126] == 16127, "row 2");
static_assert(kTable[6][1] == 2 && kTable[6][126] == 32253 && kTable[6][127] == 32767, "row 6");

}  // namespace

size_t DeltaRowForMethod(uint8_t method) {
    if (method < 12 || method > 32 || (method & 3) != 0) return 0;
    return (method - 8) / 4;
}

const uint16_t* DeltaRow(size_t row) {
    return kTable[row < kDeltaRows ? row : kDeltaRows - 1].data();
}

}  // namespace dta::codecs

namespace dta::codecs {

const uint16_t* CodeDeltas(size_t row) {
    return kDeltas[row < kDeltaRows ? row : kDeltaRows - 1].data();
}

}  // namespace dta::codecs
