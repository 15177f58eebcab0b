// Fuzzes the LZ encoder against the decoder: any block of data, with a
// prefix of already-written output chosen by the first byte, must come back
// byte for byte.
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <vector>

#include "dta/codecs/codecs.h"
#include "dta/pack/lz_encoder.h"

namespace codecs = dta::codecs;
namespace format = dta::format;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    if (size < 1 || size > format::block::kDecodedSize + 1) return 0;
    size_t start = data[0] % 64;
    ++data;
    --size;
    if (size == 0) return 0;
    if (start > size) start = size;

    const std::vector<uint8_t> payload = dta::pack::EncodeLz(data, size, start);
    std::vector<uint8_t> out(size);
    std::memcpy(out.data(), data, start);
    const int32_t n = codecs::DecodeLz(payload.data(), payload.size(), out.data(), out.size(), start);
    if (n < 0 || static_cast<size_t>(n) != size - start) std::abort();
    if (std::memcmp(out.data(), data, size) != 0) std::abort();
    return 0;
}
