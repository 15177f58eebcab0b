#include "installer/wizard/billboard_picture.h"

#include "dta/format.h"

namespace installer {

namespace {

// Field offsets inside the info header.
constexpr size_t kInfoSize = 0;
constexpr size_t kInfoWidth = 4;
constexpr size_t kInfoHeight = 8;
constexpr size_t kInfoPlanes = 12;
constexpr size_t kInfoBitCount = 14;
constexpr size_t kInfoCompression = 16;

constexpr uint32_t kUncompressed = 0;  // BI_RGB
// Larger pictures are no billboards; the limit keeps the row arithmetic small.
constexpr int64_t kMaxSide = 32768;

using dta::format::ReadLe16;
using dta::format::ReadLe32;

}  // namespace

bool BillboardPictureFits(const uint8_t* entry, size_t size) {
    if (entry == nullptr || size < kPicturePixelsOffset) return false;
    const uint8_t* info = entry + kPictureInfoOffset;
    if (ReadLe32(info + kInfoSize) != kPictureInfoSize) return false;
    const int64_t width = static_cast<int32_t>(ReadLe32(info + kInfoWidth));
    int64_t height = static_cast<int32_t>(ReadLe32(info + kInfoHeight));
    if (height < 0) height = -height;
    if (width < 1 || width > kMaxSide || height < 1 || height > kMaxSide) return false;
    if (ReadLe16(info + kInfoPlanes) != 1 || ReadLe32(info + kInfoCompression) != kUncompressed) return false;
    const uint16_t bits = ReadLe16(info + kInfoBitCount);
    if (bits != 16 && bits != 24 && bits != 32) return false;
    // Each row is padded to a multiple of four bytes.
    const int64_t stride = (width * bits + 31) / 32 * 4;
    const uint64_t pixels = static_cast<uint64_t>(stride * height);
    return size - kPicturePixelsOffset >= pixels;
}

PictureRect BillboardPlacement(int32_t width, int32_t height) {
    // Halved as signed numbers, rounding toward zero; a negative offset
    // means the picture does not fit that way and is squeezed to the area.
    PictureRect rect{(width - kBillboardWidth) / 2, (height - kBillboardHeight) / 2, kBillboardWidth,
                     kBillboardHeight};
    if (rect.x < 0) {
        rect.x = 0;
        rect.width = width;
    }
    if (rect.y < 0) {
        rect.y = 0;
        rect.height = height;
    }
    return rect;
}

}  // namespace installer
