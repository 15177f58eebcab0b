#include "installer/wizard/billboard_numbers.h"

#include <algorithm>

namespace installer {

namespace {

constexpr char kPrefix[] = "bilboard";
constexpr char kSuffix[] = ".bmp";
// 19 digits always fit 64 bits; the last number of any disc is below 2^63.
constexpr size_t kMaxDigits = 19;

char Lower(char c) {
    return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c;
}

// Whether `name` holds the lower-case `word` at `at`, in any letter case.
bool HasAt(const std::string& name, size_t at, const char* word) {
    for (size_t i = 0; word[i] != '\0'; ++i) {
        if (at + i >= name.size() || Lower(name[at + i]) != word[i]) return false;
    }
    return true;
}

}  // namespace

bool BillboardNumberOf(const std::string& name, uint64_t* number) {
    const size_t prefix = sizeof kPrefix - 1;
    const size_t suffix = sizeof kSuffix - 1;
    if (name.size() <= prefix + suffix || !HasAt(name, 0, kPrefix) ||
        !HasAt(name, name.size() - suffix, kSuffix)) {
        return false;
    }
    const size_t digits = name.size() - prefix - suffix;
    if (digits > kMaxDigits || (digits > 1 && name[prefix] == '0')) return false;
    uint64_t value = 0;
    for (size_t i = prefix; i < prefix + digits; ++i) {
        if (name[i] < '0' || name[i] > '9') return false;
        value = value * 10 + static_cast<uint64_t>(name[i] - '0');
    }
    *number = value;
    return true;
}

std::vector<uint64_t> SelectBillboardNumbers(const std::vector<std::string>& names, int32_t perDisc,
                                             uint32_t discIndex) {
    std::vector<uint64_t> numbers;
    if (perDisc < 1) return numbers;
    const uint64_t count = static_cast<uint64_t>(perDisc);
    const uint64_t first = count * discIndex;
    for (const std::string& name : names) {
        uint64_t number = 0;
        if (BillboardNumberOf(name, &number) && number >= first && number - first < count) {
            numbers.push_back(number);
        }
    }
    std::sort(numbers.begin(), numbers.end());
    numbers.erase(std::unique(numbers.begin(), numbers.end()), numbers.end());
    return numbers;
}

}  // namespace installer
