// Fuzzes the check that decides whether a billboard picture entry can be
// drawn: whenever it says yes, every byte the window would hand to the
// system (both headers and all pixel rows, as computed here on their own)
// lies inside the entry, which the sanitizer checks by reading them.
#include <cstdint>
#include <cstdlib>
#include <vector>

#include "dta/format.h"
#include "installer/wizard/billboard_picture.h"

namespace {

int64_t ReadI32(const uint8_t* p) {
    return static_cast<int32_t>(dta::format::ReadLe32(p));
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    // A private copy, so that reading one byte past it is caught.
    std::vector<uint8_t> entry(data, data + size);
    if (!installer::BillboardPictureFits(entry.data(), entry.size())) return 0;
    const uint8_t* info = entry.data() + installer::kPictureInfoOffset;
    const int64_t width = ReadI32(info + 4);
    const int64_t height = std::llabs(ReadI32(info + 8));
    const int64_t bits = info[14] | info[15] << 8;
    const int64_t stride = (width * bits + 31) / 32 * 4;
    const uint64_t end = installer::kPicturePixelsOffset + static_cast<uint64_t>(stride * height);
    volatile uint8_t sink = entry[end - 1];
    (void)sink;
    if (width < 1 || height < 1 || end > size) std::abort();
    return 0;
}
