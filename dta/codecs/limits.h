// Internal helpers shared by the decoders.
#ifndef DTA_CODECS_LIMITS_H
#define DTA_CODECS_LIMITS_H

#include <cstddef>
#include <cstdint>

#include "dta/codecs/codecs.h"

namespace dta::codecs {

// Results travel as int32_t, so no decoder ever writes more than this.
inline constexpr size_t kMaxCapacity = 0x7FFFFFFF;

inline size_t ClampCapacity(size_t capacity) {
    return capacity < kMaxCapacity ? capacity : kMaxCapacity;
}

// Records why and where decoding stopped (when the caller asked) and returns
// kDecodeError.
inline int32_t Refuse(DecodeFault* fault, Reason reason, size_t at) {
    if (fault != nullptr) {
        fault->reason = reason;
        fault->at = at;
    }
    return kDecodeError;
}

// Moves a fault reported by a decoder of an inner part `base` bytes further.
inline int32_t Shifted(int32_t result, DecodeFault* fault, size_t base) {
    if (result < 0 && fault != nullptr) fault->at += base;
    return result;
}

}  // namespace dta::codecs

#endif  // DTA_CODECS_LIMITS_H
