// Whole reads through the file seam: a short read is a failed read.
#ifndef DTA_FILE_READ_H
#define DTA_FILE_READ_H

#include <cstdint>

#include "dta/file_io.h"
#include "dta/status.h"

namespace dta::detail {

// Reads exactly `count` bytes at the file pointer; false on an error or a
// short read.
inline bool ReadExact(io::FileHandle file, void* buffer, uint32_t count) {
    uint32_t got = 0;
    return io::Read(file, buffer, count, &got) && got == count;
}

// Seeks to the absolute `offset` and reads exactly `count` bytes.
inline bool ReadExactAt(io::FileHandle file, uint64_t offset, void* buffer, uint32_t count) {
    uint64_t position = 0;
    if (offset > static_cast<uint64_t>(INT64_MAX)) return false;
    return io::Seek(file, static_cast<int64_t>(offset), io::SeekOrigin::Begin, &position) &&
           position == offset && ReadExact(file, buffer, count);
}

// ReadExactAt that says why it failed: `whenShort` (at `offset`) when the
// file ends first, Reason::ReadFailed when the system refuses.
inline bool ReadAt(io::FileHandle file, uint64_t offset, void* buffer, uint32_t count, Reason whenShort,
                   Status* status) {
    uint64_t position = 0;
    uint32_t got = 0;
    if (offset > static_cast<uint64_t>(INT64_MAX) ||
        !io::Seek(file, static_cast<int64_t>(offset), io::SeekOrigin::Begin, &position) ||
        position != offset || !io::Read(file, buffer, count, &got))
        return FailAt(status, Reason::ReadFailed, offset);
    return got == count || FailAt(status, whenShort, offset);
}

}  // namespace dta::detail

#endif  // DTA_FILE_READ_H
