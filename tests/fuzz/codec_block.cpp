// Fuzzes the block decoders. The first byte picks the layout: bit 0 set
// means the next 44 bytes are the entry's wave header, and bits 1-7 shrink the
// output area below a whole block. The rest is one block body. The output
// area is allocated at exactly its capacity so any overrun is caught. LZ
// bodies are checked against a plain token-by-token model.
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <vector>

#include "dta/codecs/codecs.h"
#include "tests/codecs/lz_model.h"

namespace codecs = dta::codecs;
namespace format = dta::format;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    if (size < 1 || size > format::block::kMaxBodySize + 64) return 0;
    const uint8_t control = data[0];
    ++data;
    --size;

    const uint8_t* header = nullptr;
    if (control & 1) {
        if (size < format::wave_header::kSize) return 0;
        header = data;
        data += format::wave_header::kSize;
        size -= format::wave_header::kSize;
    }
    const size_t capacity = format::block::kDecodedSize - (control >> 1) * 97u;
    std::vector<uint8_t> out(capacity);
    std::vector<uint8_t> body(data, data + size);  // exact size, so reads past it are caught

    codecs::DecodeFault fault;
    const int32_t n = codecs::DecodeBlock(body.data(), body.size(), out.data(), out.size(), header, &fault);
    if (n != codecs::kDecodeError && (n < 0 || static_cast<size_t>(n) > capacity)) std::abort();
    if (n == codecs::kDecodeError && fault.at > body.size()) std::abort();

    // An LZ body decodes as the plain token-by-token model does: the same
    // bytes, or the same refusal at the same byte.
    if (!body.empty() && body[0] == format::kMethodLz) {
        std::vector<uint8_t> model(capacity);
        codecs::DecodeFault modelFault;
        const int32_t m =
            lzmodel::Decode(body.data() + 1, body.size() - 1, model.data(), capacity, 0, &modelFault);
        if (m != n) std::abort();
        if (n < 0 && (modelFault.reason != fault.reason || modelFault.at + 1 != fault.at)) std::abort();
        if (n > 0 && std::memcmp(model.data(), out.data(), static_cast<size_t>(n)) != 0) std::abort();
    }
    return 0;
}
