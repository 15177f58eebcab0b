// Internal helpers shared by the decoders.
#ifndef DTA_CODECS_LIMITS_H
#define DTA_CODECS_LIMITS_H

#include <cstddef>
#include <cstdint>

namespace dta::codecs {

// Results travel as int32_t, so no decoder ever writes more than this.
inline constexpr size_t kMaxCapacity = 0x7FFFFFFF;

inline size_t ClampCapacity(size_t capacity) {
    return capacity < kMaxCapacity ? capacity : kMaxCapacity;
}

}  // namespace dta::codecs

#endif  // DTA_CODECS_LIMITS_H
