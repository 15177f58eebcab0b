#include "dta/pack/packer.h"

#include <algorithm>
#include <cstring>
#include <random>

#include "dta/file_io.h"
#include "dta/pack/archive_writer.h"

namespace dta::pack {
namespace {

class MemorySink : public ArchiveSink {
public:
    explicit MemorySink(std::vector<uint8_t>* image) : image_(image) { image_->clear(); }
    bool Append(const uint8_t* data, size_t size, std::string*) override {
        image_->insert(image_->end(), data, data + size);
        return true;
    }
    bool WriteAt(uint64_t offset, const uint8_t* data, size_t size, std::string* error) override {
        if (offset > image_->size() || image_->size() - offset < size) {
            if (error) *error = "write past the end of the archive image";
            return false;
        }
        std::memcpy(image_->data() + offset, data, size);
        return true;
    }

private:
    std::vector<uint8_t>* image_;
};

}  // namespace

bool BuildArchive(const std::vector<PackInput>& inputs, uint32_t key1, uint32_t key2,
                  std::vector<uint8_t>* image, std::string* error) {
    std::vector<PackItem> items(inputs.size());
    for (size_t i = 0; i < inputs.size(); ++i) {
        items[i].name = inputs[i].name;
        items[i].memory = &inputs[i].data;
        items[i].fileTime = inputs[i].fileTime;
        items[i].method = inputs[i].method;
        items[i].scrambled = inputs[i].scrambled;
    }
    PackOptions options;
    options.key1 = key1;
    options.key2 = key2;
    MemorySink sink(image);
    return WriteArchive(items, options, sink, nullptr, nullptr, error);
}

bool WriteFileAtomically(const std::string& path, const std::vector<uint8_t>& bytes, std::string* error) {
    // A fresh random name beside the target, so a reader of the target never
    // sees a partial file and two writers never share a temporary file.
    std::random_device random;
    std::string temporary;
    do {
        temporary = path + ".tmp" + std::to_string(random() % 1000000000u);
    } while (io::Exists(temporary.c_str()));
    const io::FileHandle file = io::OpenWrite(temporary.c_str(), true, false);
    if (file == io::kInvalidFile) {
        if (error) *error = "cannot create " + temporary;
        return false;
    }
    bool written = true;
    for (size_t done = 0; written && done < bytes.size();) {
        const uint32_t count = static_cast<uint32_t>(std::min<size_t>(bytes.size() - done, 1u << 30));
        uint32_t wrote = 0;
        written = io::Write(file, bytes.data() + done, count, &wrote) && wrote == count;
        done += count;
    }
    const bool closed = io::Close(file);
    if (!written || !closed || !io::Replace(temporary.c_str(), path.c_str())) {
        io::Delete(temporary.c_str());
        if (error) *error = "cannot write " + path;
        return false;
    }
    return true;
}

}  // namespace dta::pack
