// An archive held back until it is complete, for `pack -o -`: the header at
// its start holds the directory's offset, so no byte can go to standard
// output before every entry is coded. The archive is held in memory up to a
// bound, then in a nameless temporary file (os::SpillFile) that nothing can
// leave behind.
#ifndef TOOLS_HELD_ARCHIVE_H
#define TOOLS_HELD_ARCHIVE_H

#include <cstdint>
#include <memory>
#include <ostream>
#include <string>
#include <vector>

#include "dta/pack/archive_writer.h"
#include "tools/tool_os.h"

namespace dta::tools {

inline constexpr size_t kHeldInMemory = size_t{32} << 20;

class HeldArchive : public pack::ArchiveSink {
public:
    // `folder`: where the temporary file goes once more than `memoryBound`
    // bytes are held.
    HeldArchive(std::string folder, size_t memoryBound = kHeldInMemory)
        : folder_(std::move(folder)), memoryBound_(memoryBound) {}

    bool Append(const uint8_t* data, size_t size, std::string* error) override;
    bool WriteAt(uint64_t offset, const uint8_t* data, size_t size, std::string* error) override;

    // Sends everything held to `sink`, from the start. A failed write names
    // standard output and the system's reason.
    bool SendTo(std::ostream& sink, std::string* error);

    uint64_t size() const { return size_; }
    bool Spilled() const { return file_ != nullptr; }

private:
    bool Spill(std::string* error);

    std::string folder_;
    size_t memoryBound_;
    std::vector<uint8_t> memory_;
    std::unique_ptr<os::SpillFile> file_;
    uint64_t size_ = 0;
};

// "cannot write to standard output: REASON" for a stream that failed just
// now (the reason is the system's last error, when it gave one).
std::string StandardOutputFailure();

}  // namespace dta::tools

#endif  // TOOLS_HELD_ARCHIVE_H
