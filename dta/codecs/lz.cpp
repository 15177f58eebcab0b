// LZ payloads: 16-bit big-endian flag words (most significant flag first),
// literal bytes, 2-byte back-references (12-bit offset, 4-bit length - 3) and
// 4-byte runs (offset field 0, 12-bit count - 16, the byte).
#include <cstring>

#include "dta/codecs/codecs.h"
#include "dta/codecs/limits.h"

namespace dta::codecs {

int32_t DecodeLz(const uint8_t* payload, size_t size, uint8_t* out, size_t capacity, size_t written,
                 DecodeFault* fault) {
    if (out == nullptr) return Refuse(fault, Reason::OutputTooLong, 0);
    capacity = ClampCapacity(capacity);
    if (written > capacity) return Refuse(fault, Reason::OutputTooLong, 0);
    // Two bytes or fewer hold no token.
    if (size <= 2) return 0;
    if (payload == nullptr) return Refuse(fault, Reason::LzTokenCut, 0);

    size_t pos = 2;
    size_t w = written;
    uint32_t flags = (static_cast<uint32_t>(payload[0]) << 8) | payload[1];
    int bitsLeft = 16;

    while (pos < size) {
        if (bitsLeft == 0) {
            // A flag word stands only in front of a token: it and the token
            // after it must both be inside the payload.
            if (size - pos < 3) return Refuse(fault, Reason::LzFlagWordCut, pos);
            flags = (static_cast<uint32_t>(payload[pos]) << 8) | payload[pos + 1];
            pos += 2;
            bitsLeft = 16;
        }

        if ((flags & 0x8000) == 0) {
            if (capacity - w < 1) return Refuse(fault, Reason::OutputTooLong, pos);
            out[w++] = payload[pos++];
        } else {
            if (size - pos < 2) return Refuse(fault, Reason::LzTokenCut, pos);
            const uint8_t b0 = payload[pos];
            const uint8_t b1 = payload[pos + 1];
            const size_t offset = (static_cast<size_t>(b0) << 4) | (b1 >> 4);
            if (offset != 0) {
                const size_t length = static_cast<size_t>(b1 & 0x0F) + 3;
                // The window is this block's output only.
                if (w < offset) return Refuse(fault, Reason::LzBackReferenceBeforeStart, pos);
                if (capacity - w < length) return Refuse(fault, Reason::OutputTooLong, pos);
                uint8_t* dst = out + w;
                const uint8_t* src = dst - offset;
                if (offset >= length) {
                    std::memcpy(dst, src, length);
                } else {
                    // Overlapping copy repeats the last `offset` bytes.
                    for (size_t k = 0; k < length; ++k) dst[k] = src[k];
                }
                w += length;
                pos += 2;
            } else {
                if (size - pos < 4) return Refuse(fault, Reason::LzTokenCut, pos);
                const size_t count = (static_cast<size_t>(b1 & 0x0F) << 8) + payload[pos + 2] + 16;
                if (capacity - w < count) return Refuse(fault, Reason::OutputTooLong, pos);
                std::memset(out + w, payload[pos + 3], count);
                w += count;
                pos += 4;
            }
        }
        flags <<= 1;
        --bitsLeft;
    }
    return static_cast<int32_t>(w - written);
}

}  // namespace dta::codecs
