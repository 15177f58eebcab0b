#include "tools/held_archive.h"

#include <cerrno>

namespace dta::tools {

bool HeldArchive::Spill(std::string* error) {
    auto file = std::make_unique<os::SpillFile>();
    if (!file->Create(folder_, error)) return false;
    if (!memory_.empty() && !file->WriteAt(0, memory_.data(), memory_.size(), error)) return false;
    file_ = std::move(file);
    std::vector<uint8_t>().swap(memory_);
    return true;
}

bool HeldArchive::Append(const uint8_t* data, size_t size, std::string* error) {
    if (file_ == nullptr && memoryBound_ - memory_.size() < size && !Spill(error)) return false;
    if (file_ != nullptr) {
        if (!file_->WriteAt(size_, data, size, error)) return false;
    } else {
        memory_.insert(memory_.end(), data, data + size);
    }
    size_ += size;
    return true;
}

bool HeldArchive::WriteAt(uint64_t offset, const uint8_t* data, size_t size, std::string* error) {
    if (offset > size_ || size_ - offset < size) {
        if (error) *error = "internal error: write past the end of the held archive";
        return false;
    }
    if (file_ != nullptr) return file_->WriteAt(offset, data, size, error);
    std::copy(data, data + size, memory_.begin() + static_cast<std::ptrdiff_t>(offset));
    return true;
}

bool HeldArchive::SendTo(std::ostream& sink, std::string* error) {
    errno = 0;
    if (file_ == nullptr) {
        if (!sink.write(reinterpret_cast<const char*>(memory_.data()),
                        static_cast<std::streamsize>(memory_.size())) ||
            !sink.flush()) {
            if (error) *error = StandardOutputFailure();
            return false;
        }
        return true;
    }
    std::vector<uint8_t> chunk(size_t{1} << 20);
    for (uint64_t at = 0; at < size_;) {
        const size_t n = size_ - at < chunk.size() ? static_cast<size_t>(size_ - at) : chunk.size();
        if (!file_->ReadAt(at, chunk.data(), n, error)) return false;
        errno = 0;
        if (!sink.write(reinterpret_cast<const char*>(chunk.data()), static_cast<std::streamsize>(n))) {
            if (error) *error = StandardOutputFailure();
            return false;
        }
        at += n;
    }
    if (!sink.flush()) {
        if (error) *error = StandardOutputFailure();
        return false;
    }
    return true;
}

std::string StandardOutputFailure() {
    const int code = errno;
    return code != 0 ? "cannot write to standard output: " + os::ErrorText(code)
                     : "cannot write to standard output";
}

}  // namespace dta::tools
