// Reading the set's archives (PWdata.dta, bilboard<d>.dta, patch\a8.dta)
// straight from their files through the archive library, as PWsetup would
// find their entries, with a reason for every failure.
#ifndef DISC_ARCHIVE_READER_H
#define DISC_ARCHIVE_READER_H

#include <cstdint>
#include <string>
#include <vector>

#include "dta/examine.h"

namespace disc {

class ArchiveReader {
public:
    // Opens the archive file at `path` with its two key words. False with
    // the library's reason when it is no archive or the key words don't fit.
    bool Open(const std::string& path, uint32_t key1, uint32_t key2, std::string* error);

    // The names of every entry whose header can be read, in directory order.
    std::vector<std::string> Names() const;

    // Reads entry `name` whole (found as dtaOpen finds it). Returns false
    // with `*found` false when there is no such entry, or with `*found` true
    // and the reason when it can't be read or decoded.
    bool Read(const std::string& name, std::vector<uint8_t>* bytes, bool* found, std::string* error) const;

private:
    dta::examine::Archive archive_;
};

}  // namespace disc

#endif  // DISC_ARCHIVE_READER_H
