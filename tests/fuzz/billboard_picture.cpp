// Fuzzes the check that decides whether a billboard picture entry can be
// drawn: whenever it says yes, every byte the window would hand to the
// system (both headers, the colour masks and all pixel rows, as computed
// here on their own from the headers) lies inside the entry, which the
// sanitizer checks by reading them, and the layout the check reports is
// the one computed here.
#include <cstdint>
#include <cstdlib>
#include <vector>

#include "dta/format.h"
#include "installer/wizard/billboard_picture.h"

namespace {

int64_t ReadI32(const uint8_t* p) {
    return static_cast<int32_t>(dta::format::ReadLe32(p));
}

void Touch(const std::vector<uint8_t>& entry, uint64_t at) {
    if (at >= entry.size()) std::abort();
    volatile uint8_t sink = entry[at];
    (void)sink;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    // A private copy, so that reading one byte past it is caught.
    std::vector<uint8_t> entry(data, data + size);
    installer::PictureLayout layout;
    if (!installer::ReadBillboardPicture(entry.data(), entry.size(), &layout)) return 0;
    const uint8_t* info = entry.data() + installer::kPictureInfoOffset;
    const uint64_t infoSize = dta::format::ReadLe32(info);
    const int64_t width = ReadI32(info + 4);
    const int64_t height = std::llabs(ReadI32(info + 8));
    const int64_t bits = info[14] | info[15] << 8;
    const uint32_t compression = dta::format::ReadLe32(info + 16);
    if (width < 1 || height < 1) std::abort();
    Touch(entry, installer::kPictureInfoOffset + infoSize - 1);

    uint64_t headersEnd = installer::kPictureInfoOffset + infoSize;
    uint64_t pixels = installer::kPicturePixelsOffset;
    if (compression == installer::kPictureBitFields) {
        const uint64_t masks = infoSize == 40 ? headersEnd : installer::kPictureInfoOffset + 40;
        Touch(entry, masks + 11);
        if (layout.masksOffset != masks) std::abort();
        for (int i = 0; i < 3; ++i) {
            if (layout.masks[i] != dta::format::ReadLe32(&entry[masks + 4 * i])) std::abort();
        }
        if (infoSize == 40) headersEnd += 12;
    }
    if (compression != installer::kPictureUncompressed || infoSize != 40) {
        pixels = dta::format::ReadLe32(&entry[10]);
        if (pixels < headersEnd) std::abort();
    }
    const int64_t stride = (width * bits + 31) / 32 * 4;
    const uint64_t end = pixels + static_cast<uint64_t>(stride * height);
    Touch(entry, end - 1);
    if (layout.pixelsOffset != pixels || layout.pixelsOffset + layout.pixelsSize != end ||
        layout.infoSize != infoSize || layout.width != width || layout.bits != bits) {
        std::abort();
    }
    return 0;
}
