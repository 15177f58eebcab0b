// Reads archive entries through the archive library's public interface
// (dtaCreate, LoadDirectory, dtaOpen, dtaSeek, dtaRead, dtaClose, Release),
// so that what the tool extracts and verifies is what the installer reads.
#ifndef TOOLS_LIBRARY_READER_H
#define TOOLS_LIBRARY_READER_H

#include <cstdint>
#include <string>
#include <vector>

#include "dta/dta_handle.h"

namespace dta::tools {

class LibraryArchive {
public:
    LibraryArchive() = default;
    LibraryArchive(const LibraryArchive&) = delete;
    LibraryArchive& operator=(const LibraryArchive&) = delete;

    // Registers the archive and loads its directory with the key words.
    bool Open(const std::string& path, uint32_t key1, uint32_t key2, std::string* error);

    // Reads the whole entry `name` into `data`. Refuses (with a message) when
    // a plain file of that name in the current folder would be read instead
    // of the entry, when the entry is not found, or when a read fails.
    bool ReadEntry(const std::string& name, std::vector<uint8_t>* data, std::string* error);

private:
    ArchiveRef archive_;
};

}  // namespace dta::tools

#endif  // TOOLS_LIBRARY_READER_H
