// What the read commands (list, verify, cat, extract) see of an archive: its
// entries by index with their sizes, blocks, methods and flags, the problems
// found in its structure, and each entry's data as a stream of blocks.
#ifndef TOOLS_ARCHIVE_VIEW_H
#define TOOLS_ARCHIVE_VIEW_H

#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "dta/examine.h"

namespace dta::tools {

// An entry as the library's examiner reads it, with what is wrong with it.
struct EntryInfo : examine::EntryInfo {
    std::string problem;  // empty when the entry's structure is sound, else the
                          // message, naming the entry, the block and the place

    // "entry 12 (data\maps\a.map)", or "entry 12" when the name is unreadable.
    std::string Label() const;
};

// Receives an entry's decoded bytes, block by block; false stops the read.
using BlockSink = std::function<bool(const uint8_t* data, size_t size)>;

class ArchiveView {
public:
    ArchiveView();
    ~ArchiveView();
    ArchiveView(const ArchiveView&) = delete;
    ArchiveView& operator=(const ArchiveView&) = delete;

    // Opens the archive at `path` with the two key words. False with a
    // message when it cannot be opened, is no archive, or its directory
    // cannot be read.
    bool Open(const std::string& path, uint32_t key1, uint32_t key2, std::string* error);

    const std::vector<EntryInfo>& entries() const;
    // Problems of the archive as a whole (its directory), one message each.
    const std::vector<std::string>& problems() const;
    // The bytes after the archive's end (its directory, or the last block of
    // any entry, whichever lies further), or 0. Known only when the whole
    // directory and every entry read soundly; 0 otherwise.
    uint64_t BytesAfterEnd() const;

    // Decodes entry `index` block by block into `sink`. False with a message
    // naming the entry, the block and the reason when a block cannot be
    // read or decoded, or the entry decodes to another size than it says;
    // false without a message when the sink stopped the read.
    bool ReadEntry(size_t index, const BlockSink& sink, std::string* error);

private:
    struct State;
    std::unique_ptr<State> state_;
};

// "stored", "lz", "wave/8" and so on for a method byte.
std::string MethodName(uint8_t method);

}  // namespace dta::tools

#endif  // TOOLS_ARCHIVE_VIEW_H
