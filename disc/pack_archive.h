// The one place where korvo-disc writes archives: named byte strings packed
// with two key words into an archive image. It calls the archive packer
// behind this narrow interface, so that only this file's includes follow the
// packer when it moves.
#ifndef DISC_PACK_ARCHIVE_H
#define DISC_PACK_ARCHIVE_H

#include <cstdint>
#include <string>
#include <vector>

namespace disc {

struct ArchiveInput {
    std::string name;  // relative, backslash between folders
    std::vector<uint8_t> data;
};

// Packs `inputs` losslessly into `image`. False with a message when a name
// is empty, too long or given twice, or the archive can't be built.
bool PackArchive(const std::vector<ArchiveInput>& inputs, uint32_t key1, uint32_t key2,
                 std::vector<uint8_t>* image, std::string* error);

}  // namespace disc

#endif  // DISC_PACK_ARCHIVE_H
