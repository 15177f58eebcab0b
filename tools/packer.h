// Builds .dta archives from named byte strings: the writer side of the
// archive layout (magic, scrambled header and sorted directory, scrambled
// entry headers and names, block chains with their stored sizes).
#ifndef TOOLS_PACKER_H
#define TOOLS_PACKER_H

#include <cstdint>
#include <string>
#include <vector>

#include "tools/entry_coder.h"

namespace dta::tools {

// The key words the installer opens its own archives with.
inline constexpr uint32_t kDefaultKey1 = 0x5E91C07B;
inline constexpr uint32_t kDefaultKey2 = 0x3C6A2F19;

struct PackInput {
    std::string name;  // relative path, backslash between folders, 1 to 259 bytes
    std::vector<uint8_t> data;
    uint64_t fileTime = 0;         // Windows FILETIME
    Method method = Method::Auto;  // Auto codes wave data only in entries named *.wav
    bool scrambled = true;         // scramble the block bodies
};

// Builds the whole archive in memory. The directory follows the header and
// is sorted by lookup key (entries with equal keys keep the input order);
// entry headers, names and blocks follow in input order. False with a
// message when a name is empty, too long or given twice (ignoring ASCII
// case), an entry cannot be coded, or the archive would pass 4 GB.
bool BuildArchive(const std::vector<PackInput>& inputs, uint32_t key1, uint32_t key2,
                  std::vector<uint8_t>* image, std::string* error);

// Writes `image` to `path` through "<path>.tmp" and a rename, so a failure
// leaves no partial archive behind and an existing file untouched.
bool WriteFileAtomically(const std::string& path, const std::vector<uint8_t>& image, std::string* error);

}  // namespace dta::tools

#endif  // TOOLS_PACKER_H
