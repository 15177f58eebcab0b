#include "installer/engine/archive_entry.h"

#include <cstddef>
#include <new>

#include "dta/dta.h"
#include "dta/dta_handle.h"

namespace installer {

namespace {

constexpr uint32_t kSeekBegin = 0;
constexpr uint32_t kSeekEnd = 2;

}  // namespace

bool ReadArchiveEntry(const char* name, int32_t maxSize, std::vector<char>* bytes) {
    if (bytes == nullptr) return false;
    bytes->clear();
    if (name == nullptr) return false;
    dta::ScopedHandle file(dtaOpen(name, 0));
    if (!file.Valid()) return false;

    const int32_t size = dtaSeek(file.Get(), 0, kSeekEnd);
    if (size < 1 || size > maxSize) return false;
    if (dtaSeek(file.Get(), 0, kSeekBegin) != 0) return false;

    std::vector<char> read;
    try {
        read.resize(static_cast<size_t>(size));
    } catch (const std::bad_alloc&) {
        return false;
    }
    int32_t got = 0;
    while (got < size) {
        const int32_t n = dtaRead(file.Get(), read.data() + got, static_cast<uint32_t>(size - got));
        if (n <= 0) return false;
        got += n;
    }
    bytes->swap(read);
    return true;
}

}  // namespace installer
