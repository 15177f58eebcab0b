#include "disc/archive_reader.h"

#include "dta/status.h"

namespace disc {

bool ArchiveReader::Open(const std::string& path, uint32_t key1, uint32_t key2, std::string* error) {
    dta::Status status;
    if (archive_.Open(path, key1, key2, &status)) return true;
    *error = dta::Describe(status);
    return false;
}

std::vector<std::string> ArchiveReader::Names() const {
    std::vector<std::string> names;
    for (size_t i = 0; i < archive_.EntryCount(); ++i) {
        dta::examine::EntryInfo info;
        dta::Status status;
        archive_.ReadEntry(i, &info, &status);
        if (info.nameRead) names.push_back(info.name);
    }
    return names;
}

bool ArchiveReader::Read(const std::string& name, std::vector<uint8_t>* bytes, bool* found,
                         std::string* error) const {
    bytes->clear();
    *found = false;
    size_t index = 0;
    dta::Status status;
    if (!archive_.Find(name, &index, &status)) {
        *found = !status.Ok();
        if (*found) *error = dta::Describe(status);
        return false;
    }
    *found = true;
    dta::examine::EntryStream stream;
    if (!stream.Open(archive_, index, &status)) {
        *error = dta::Describe(status);
        return false;
    }
    for (;;) {
        const uint8_t* data = nullptr;
        size_t size = 0;
        if (!stream.Next(&data, &size, &status)) {
            *error = dta::Describe(status);
            bytes->clear();
            return false;
        }
        if (size == 0) return true;
        bytes->insert(bytes->end(), data, data + size);
    }
}

}  // namespace disc
