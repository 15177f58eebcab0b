// The LZ layout decoded the plain way: one token at a time, one byte at a
// time, every bound checked before each byte. The model that the decoder's
// wide moves are tested and fuzzed against: same output, same result, and
// for damage the same reason at the same payload byte.
#ifndef TESTS_CODECS_LZ_MODEL_H
#define TESTS_CODECS_LZ_MODEL_H

#include <cstddef>
#include <cstdint>

#include "dta/codecs/codecs.h"

namespace lzmodel {

// Decodes payload[0 .. size) into out[written .. capacity); the result and
// fault as dta::codecs::DecodeLz gives them.
inline int32_t Decode(const uint8_t* p, size_t size, uint8_t* out, size_t capacity, size_t written,
                      dta::codecs::DecodeFault* fault) {
    auto refuse = [&](dta::Reason reason, size_t at) {
        fault->reason = reason;
        fault->at = at;
        return dta::codecs::kDecodeError;
    };
    if (written > capacity) return refuse(dta::Reason::OutputTooLong, 0);
    if (size <= 2) return 0;
    size_t pos = 2;
    size_t w = written;
    unsigned flags = (p[0] << 8) | p[1];
    int used = 0;
    while (pos < size) {
        if (used == 16) {
            if (pos + 3 > size) return refuse(dta::Reason::LzFlagWordCut, pos);
            flags = (p[pos] << 8) | p[pos + 1];
            pos += 2;
            used = 0;
        }
        const bool copy = (flags >> (15 - used)) & 1;
        ++used;
        if (!copy) {
            if (w + 1 > capacity) return refuse(dta::Reason::OutputTooLong, pos);
            out[w++] = p[pos++];
            continue;
        }
        if (pos + 2 > size) return refuse(dta::Reason::LzTokenCut, pos);
        const size_t offset = p[pos] * 16u + (p[pos + 1] >> 4);
        if (offset != 0) {
            const size_t length = (p[pos + 1] & 15u) + 3;
            if (offset > w) return refuse(dta::Reason::LzBackReferenceBeforeStart, pos);
            if (w + length > capacity) return refuse(dta::Reason::OutputTooLong, pos);
            for (size_t k = 0; k < length; ++k, ++w) out[w] = out[w - offset];
            pos += 2;
        } else {
            if (pos + 4 > size) return refuse(dta::Reason::LzTokenCut, pos);
            const size_t count = (p[pos + 1] & 15u) * 256 + p[pos + 2] + 16;
            if (w + count > capacity) return refuse(dta::Reason::OutputTooLong, pos);
            for (size_t k = 0; k < count; ++k) out[w++] = p[pos + 3];
            pos += 4;
        }
    }
    return static_cast<int32_t>(w - written);
}

}  // namespace lzmodel

#endif  // TESTS_CODECS_LZ_MODEL_H
