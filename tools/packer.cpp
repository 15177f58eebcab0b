#include "tools/packer.h"

#include <cstring>

#include "tools/archive_writer.h"
#include "tools/tool_os.h"

namespace dta::tools {
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
    os::NewFile file;
    return file.CreateFor(path, error) && file.Write(bytes.data(), bytes.size(), error) &&
           file.Commit(path, true, error);
}

}  // namespace dta::tools
