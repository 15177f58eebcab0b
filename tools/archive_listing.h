// Reads an archive's directory and walks each entry's block chain for the
// `dta list` view: names, sizes, block counts and the methods used. The
// library's public interface has no listing, so this reads the layout
// itself, checking every offset and count against the file before use.
#ifndef TOOLS_ARCHIVE_LISTING_H
#define TOOLS_ARCHIVE_LISTING_H

#include <cstdint>
#include <string>
#include <vector>

namespace dta::tools {

struct ListedEntry {
    std::string name;
    uint32_t size = 0;
    uint32_t blocks = 0;
    uint64_t fileTime = 0;
    bool scrambled = false;
    bool wave = false;
    std::vector<uint8_t> methods;  // distinct method bytes, in order of first use
    std::string problem;           // empty when the header, name and chain read cleanly
};

// Lists the archive at `path` with the two key words, in directory order.
// False with a message when the file cannot be read, is no archive or its
// directory does not fit in the file; a damaged entry is listed with a
// `problem` instead.
bool ListArchive(const std::string& path, uint32_t key1, uint32_t key2, std::vector<ListedEntry>* entries,
                 std::string* error);

// "stored", "lz", "wave/8" and so on for a method byte.
std::string MethodName(uint8_t method);

}  // namespace dta::tools

#endif  // TOOLS_ARCHIVE_LISTING_H
