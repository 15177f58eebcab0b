#include "disc/pack_archive.h"

#include "dta/pack/packer.h"

namespace disc {

bool PackArchive(const std::vector<ArchiveInput>& inputs, uint32_t key1, uint32_t key2,
                 std::vector<uint8_t>* image, std::string* error) {
    std::vector<dta::pack::PackInput> packed;
    packed.reserve(inputs.size());
    for (const ArchiveInput& input : inputs) {
        dta::pack::PackInput entry;
        entry.name = input.name;
        entry.data = input.data;
        packed.push_back(std::move(entry));
    }
    return dta::pack::BuildArchive(packed, key1, key2, image, error);
}

}  // namespace disc
