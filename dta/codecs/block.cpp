// Block dispatch on the method byte, and stored blocks.
#include <cstring>

#include "dta/codecs/codecs.h"
#include "dta/codecs/limits.h"

namespace dta::codecs {

int32_t DecodeBlock(const uint8_t* body, size_t size, uint8_t* out, size_t capacity,
                    const uint8_t* waveHeader, DecodeFault* fault) {
    // Even a stored block carries its method byte; an empty body is damage.
    if (body == nullptr || out == nullptr || size == 0) return Refuse(fault, Reason::StoredSizeZero, 0);
    capacity = ClampCapacity(capacity);

    const uint8_t method = body[0];
    if (method == format::kMethodLz)
        return Shifted(DecodeLz(body + 1, size - 1, out, capacity, 0, fault), fault, 1);
    if (method >= format::kMethodWaveFirst) return DecodeWave(body, size, out, capacity, waveHeader, fault);

    // Methods 0 and 2 to 7: the payload is the data.
    const size_t payload = size - 1;
    if (capacity < payload) return Refuse(fault, Reason::StoredTooLong, 1 + capacity);
    if (payload != 0) std::memcpy(out, body + 1, payload);
    return static_cast<int32_t>(payload);
}

}  // namespace dta::codecs
