// Small POSIX helpers shared by the archive library's file layer and the
// dta tool: FILETIME conversion and writing a whole buffer to a descriptor.
// POSIX builds only.
#ifndef DTA_POSIX_FILE_H
#define DTA_POSIX_FILE_H

#include <cerrno>
#include <cstddef>
#include <cstdint>
#include <ctime>
#include <unistd.h>

namespace dta::posix {

constexpr int64_t kSecondsFrom1601To1970 = 11644473600LL;
constexpr int64_t kTicksPerSecond = 10000000;  // FILETIME ticks are 100 ns

// A 1601-based FILETIME from a POSIX time; times before 1601 give 0.
inline uint64_t ToFileTime(const struct timespec& time) {
    const int64_t seconds = static_cast<int64_t>(time.tv_sec) + kSecondsFrom1601To1970;
    if (seconds < 0) return 0;
    return static_cast<uint64_t>(seconds) * kTicksPerSecond + static_cast<uint64_t>(time.tv_nsec / 100);
}

// Writes all count bytes, going on after interrupted or partial writes.
// False on any error, or when the descriptor takes nothing.
inline bool WriteAll(int fd, const uint8_t* data, size_t count) {
    while (count > 0) {
        const ssize_t done = ::write(fd, data, count);
        if (done < 0 && errno == EINTR) continue;
        if (done <= 0) return false;
        data += done;
        count -= static_cast<size_t>(done);
    }
    return true;
}

}  // namespace dta::posix

#endif  // DTA_POSIX_FILE_H
