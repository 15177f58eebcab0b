#include <fstream>
#include <string>

#include "disc/iso_image.h"

namespace disc {

bool ReadIsoLabel(const std::string& image, std::string* label) {
    // Sector 16 of 2048 bytes: type 1, "CD001", version 1, ..., label at 40.
    constexpr long kDescriptorOffset = 16 * 2048;
    constexpr size_t kLabelOffset = 40;
    constexpr size_t kLabelSize = 32;
    std::ifstream in(image, std::ios::binary);
    char descriptor[kLabelOffset + kLabelSize];
    if (!in.seekg(kDescriptorOffset) || !in.read(descriptor, sizeof descriptor)) return false;
    if (descriptor[0] != 1 || std::string(descriptor + 1, 5) != "CD001") return false;
    std::string text(descriptor + kLabelOffset, kLabelSize);
    while (!text.empty() && (text.back() == ' ' || text.back() == '\0')) text.pop_back();
    *label = text;
    return true;
}

}  // namespace disc
