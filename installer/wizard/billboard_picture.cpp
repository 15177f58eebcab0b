#include "installer/wizard/billboard_picture.h"

#include "dta/format.h"

namespace installer {

namespace {

// Field offsets inside the file header and the info header.
constexpr size_t kFileOffBits = 10;
constexpr size_t kInfoSize = 0;
constexpr size_t kInfoWidth = 4;
constexpr size_t kInfoHeight = 8;
constexpr size_t kInfoPlanes = 12;
constexpr size_t kInfoBitCount = 14;
constexpr size_t kInfoCompression = 16;
// A V4 or V5 header carries its red, green and blue masks here.
constexpr size_t kInfoMasks = 40;
constexpr size_t kMasksSize = 12;

// Larger pictures are no billboards; the limit keeps the row arithmetic small.
constexpr int64_t kMaxSide = 32768;

// The colour masks the window accepts: the ones image editors write, which
// every Windows version draws.
struct Masks {
    uint16_t bits;
    uint32_t rgb[3];
};
constexpr Masks kKnownMasks[] = {
    {16, {0xF800, 0x07E0, 0x001F}},        // 5-6-5
    {16, {0x7C00, 0x03E0, 0x001F}},        // 5-5-5
    {32, {0xFF0000, 0x00FF00, 0x0000FF}},  // 8-8-8
};

using dta::format::ReadLe16;
using dta::format::ReadLe32;

}  // namespace

bool ReadBillboardPicture(const uint8_t* entry, size_t size, PictureLayout* layout) {
    if (entry == nullptr || size < kPictureInfoOffset + 4) return false;
    PictureLayout got;
    const uint8_t* info = entry + kPictureInfoOffset;
    got.infoSize = ReadLe32(info + kInfoSize);
    if (got.infoSize != kPictureInfoSize && got.infoSize != kPictureV4InfoSize &&
        got.infoSize != kPictureV5InfoSize) {
        return false;
    }
    // The info size is at most 124, so this sum cannot wrap.
    const size_t headersEnd = kPictureInfoOffset + got.infoSize;
    if (size < headersEnd) return false;

    const int64_t width = static_cast<int32_t>(ReadLe32(info + kInfoWidth));
    const int64_t height = static_cast<int32_t>(ReadLe32(info + kInfoHeight));
    const int64_t rows = height < 0 ? -height : height;
    if (width < 1 || width > kMaxSide || rows < 1 || rows > kMaxSide) return false;
    if (ReadLe16(info + kInfoPlanes) != 1) return false;
    got.width = static_cast<int32_t>(width);
    got.height = static_cast<int32_t>(height);
    got.bits = ReadLe16(info + kInfoBitCount);
    got.compression = ReadLe32(info + kInfoCompression);

    size_t pixelsFrom = headersEnd;  // the first byte bfOffBits may name
    if (got.compression == kPictureUncompressed) {
        if (got.bits != 16 && got.bits != 24 && got.bits != 32) return false;
    } else if (got.compression == kPictureBitFields) {
        // A 40-byte header is followed by the masks; larger ones hold them.
        got.masksOffset = got.infoSize == kPictureInfoSize ? headersEnd : kPictureInfoOffset + kInfoMasks;
        if (size - got.masksOffset < kMasksSize) return false;
        for (size_t i = 0; i < 3; ++i) got.masks[i] = ReadLe32(entry + got.masksOffset + 4 * i);
        bool known = false;
        for (const Masks& m : kKnownMasks) {
            known = known || (m.bits == got.bits && m.rgb[0] == got.masks[0] && m.rgb[1] == got.masks[1] &&
                              m.rgb[2] == got.masks[2]);
        }
        if (!known) return false;
        if (got.infoSize == kPictureInfoSize) pixelsFrom = headersEnd + kMasksSize;
    } else {
        return false;
    }

    if (got.compression == kPictureUncompressed && got.infoSize == kPictureInfoSize) {
        got.pixelsOffset = kPicturePixelsOffset;
    } else {
        const uint32_t offBits = ReadLe32(entry + kFileOffBits);
        if (offBits < pixelsFrom || offBits > size) return false;
        got.pixelsOffset = offBits;
    }
    // Each row is padded to a multiple of four bytes; at most 2^32 bytes in
    // all, which 64 bits hold.
    const uint64_t stride = static_cast<uint64_t>((width * got.bits + 31) / 32 * 4);
    const uint64_t pixels = stride * static_cast<uint64_t>(rows);
    if (static_cast<uint64_t>(size - got.pixelsOffset) < pixels) return false;
    got.pixelsSize = static_cast<size_t>(pixels);
    if (layout != nullptr) *layout = got;
    return true;
}

bool BillboardPictureFits(const uint8_t* entry, size_t size) {
    return ReadBillboardPicture(entry, size, nullptr);
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
