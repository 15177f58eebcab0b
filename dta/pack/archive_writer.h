// Writes a .dta archive as a stream: entries are read block by block, their
// blocks coded on worker threads, and the results written in order, so that
// memory stays at a few blocks per thread plus the directory, and the bytes
// written depend only on the inputs, never on the number of threads.
//
// Layout: magic, header, directory (sorted by lookup key; entries with equal
// keys keep the input order), then each entry's header, name and blocks in
// input order. The header and directory are written last, into the space
// kept for them at the front.
#ifndef DTA_PACK_ARCHIVE_WRITER_H
#define DTA_PACK_ARCHIVE_WRITER_H

#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "dta/pack/entry_coder.h"

namespace dta::pack {

// One entry to pack.
struct PackItem {
    std::string name;  // relative path, backslash between folders, 1 to 259 bytes
    std::string path;  // the file to read; when empty, `memory` holds the data
    const std::vector<uint8_t>* memory = nullptr;
    uint64_t fileTime = 0;  // Windows FILETIME of in-memory data; files give their own
    Method method = Method::Auto;
    bool scrambled = true;  // scramble the block bodies
};

// Where a file's bytes come from: opened by the caller's PackOptions::openFile,
// so the writer never touches the file system itself.
class PackSource {
public:
    virtual ~PackSource() = default;
    // Reads up to `count` bytes; `*got` is 0 only at the end.
    virtual bool Read(void* buffer, size_t count, size_t* got, std::string* error) = 0;
    virtual uint64_t size() const = 0;
    virtual uint64_t fileTime() const = 0;  // Windows FILETIME
};

// Opens the file at `path`; null with a message when it cannot be read.
using PackSourceOpener =
    std::function<std::unique_ptr<PackSource>(const std::string& path, std::string* error)>;

// Where the archive's bytes go.
class ArchiveSink {
public:
    virtual ~ArchiveSink() = default;
    virtual bool Append(const uint8_t* data, size_t size, std::string* error) = 0;
    // Overwrites bytes appended before.
    virtual bool WriteAt(uint64_t offset, const uint8_t* data, size_t size, std::string* error) = 0;
};

// Hears about the work as it goes, on the thread that called WriteArchive.
class PackObserver {
public:
    virtual ~PackObserver() = default;
    // An entry's data source is open and its coding decided.
    virtual void EntryStarted(const PackItem& item, const EntryPlan& plan, uint64_t size) {}
    // Another `bytes` of input were read.
    virtual void BytesRead(uint64_t bytes) {}
    // A coded block is in the sink: `decodedBytes` of input are done, and
    // `entryDone` when it was its entry's last block.
    virtual void BlockWritten(uint64_t decodedBytes, bool entryDone) {}
};

struct PackOptions {
    uint32_t key1 = 0;
    uint32_t key2 = 0;
    unsigned threads = 0;       // coding threads; 0: one per processor
    PackSourceOpener openFile;  // needed when an item names a path
};

// Packs `items` into `sink`. `archiveSize` gets the bytes written. False
// with a message when a name is empty, longer than 259 bytes or given twice
// (ignoring ASCII case), a file cannot be read or changes size while it is
// read, wave coding is refused, the archive would pass 4 GiB, or the sink
// fails. The sink then holds an incomplete archive.
bool WriteArchive(const std::vector<PackItem>& items, const PackOptions& options, ArchiveSink& sink,
                  PackObserver* observer, uint64_t* archiveSize, std::string* error);

}  // namespace dta::pack

#endif  // DTA_PACK_ARCHIVE_WRITER_H
