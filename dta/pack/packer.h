// Builds .dta archives in memory from named byte strings: test fixtures,
// benchmarks and the demo's generated data. The `dta pack` command streams
// files through the same writer (archive_writer.h).
#ifndef DTA_PACK_PACKER_H
#define DTA_PACK_PACKER_H

#include <cstdint>
#include <string>
#include <vector>

#include "dta/installer_keys.h"
#include "dta/pack/entry_coder.h"

namespace dta::pack {

// The key words archives are packed with unless others are given.
inline constexpr uint32_t kDefaultKey1 = kInstallerKey1;
inline constexpr uint32_t kDefaultKey2 = kInstallerKey2;

struct PackInput {
    std::string name;  // relative path, backslash between folders, 1 to 259 bytes
    std::vector<uint8_t> data;
    uint64_t fileTime = 0;         // Windows FILETIME
    Method method = Method::Auto;  // Auto is lossless; Wave codes sound
    bool scrambled = true;         // scramble the block bodies
};

// Builds the whole archive in `image`. The directory follows the header and
// is sorted by lookup key (entries with equal keys keep the input order);
// entry headers, names and blocks follow in input order. False with a
// message when a name is empty, too long or given twice (ignoring ASCII
// case), an entry cannot be coded, or the archive would pass 4 GiB.
bool BuildArchive(const std::vector<PackInput>& inputs, uint32_t key1, uint32_t key2,
                  std::vector<uint8_t>* image, std::string* error);

// Writes `bytes` to `path` through a temporary file created exclusively next
// to it and moved over it when complete: a failure leaves no partial file
// and an existing file untouched, and a folder is never replaced.
bool WriteFileAtomically(const std::string& path, const std::vector<uint8_t>& bytes, std::string* error);

}  // namespace dta::pack

#endif  // DTA_PACK_PACKER_H
