// Whole reads at absolute offsets through the file seam: a short read is a
// failed read.
#ifndef DTA_FILE_READ_H
#define DTA_FILE_READ_H

#include <cstdint>

#include "dta/file_io.h"
#include "dta/status.h"

namespace dta::detail {

// Reads exactly `count` bytes at the absolute `offset`; false on an error or
// a short read.
inline bool ReadExactAt(io::FileHandle file, uint64_t offset, void* buffer, uint32_t count) {
    uint32_t got = 0;
    return io::ReadAt(file, offset, buffer, count, &got) && got == count;
}

// ReadExactAt that says why it failed: `whenShort` (at `offset`) when the
// file ends first, Reason::ReadFailed when the system refuses.
inline bool ReadAt(io::FileHandle file, uint64_t offset, void* buffer, uint32_t count, Reason whenShort,
                   Status* status) {
    uint32_t got = 0;
    if (!io::ReadAt(file, offset, buffer, count, &got)) return FailAt(status, Reason::ReadFailed, offset);
    return got == count || FailAt(status, whenShort, offset);
}

}  // namespace dta::detail

#endif  // DTA_FILE_READ_H
