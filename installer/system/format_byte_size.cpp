#include <cstdio>

#include "installer/system/system.h"

namespace installer {

namespace {

constexpr uint64_t kKilo = uint64_t{1} << 10;
constexpr uint64_t kMega = uint64_t{1} << 20;
constexpr uint64_t kGiga = uint64_t{1} << 30;

// Prints whole/1024 with two decimals. The hundredths are worked out in
// integers, rounding a half upwards as the classic Windows runtime does, so
// the text is the same on every platform and for every count (the shifted
// value is below 2^54, so whole * 100 cannot overflow).
void PrintScaled(uint64_t whole, const char* unit, char* text, size_t textSize) {
    const uint64_t hundredths = (whole * 100 + kKilo / 2) / kKilo;
    std::snprintf(text, textSize, "%llu.%02llu %s", static_cast<unsigned long long>(hundredths / 100),
                  static_cast<unsigned long long>(hundredths % 100), unit);
}

}  // namespace

void FormatByteSize(uint64_t bytes, char* text, size_t textSize) {
    if (text == nullptr || textSize == 0) return;
    // Each step drops the lower bits before scaling, so a size is shown
    // truncated to whole kilobytes (megabytes) and then divided by 1024.
    if (bytes > kGiga) {
        PrintScaled(bytes >> 20, "GB", text, textSize);
    } else if (bytes > kMega) {
        PrintScaled(bytes >> 10, "MB", text, textSize);
    } else if (bytes > kKilo) {
        PrintScaled(bytes, "kB", text, textSize);
    } else {
        std::snprintf(text, textSize, "%u B", static_cast<unsigned>(bytes));
    }
}

void FormatByteSize(uint64_t bytes, char* text) {
    FormatByteSize(bytes, text, kByteSizeTextSize);
}

}  // namespace installer
