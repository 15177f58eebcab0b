// Builds .dta archives in memory for the tests: entries from raw block bodies
// (any method), scrambled or not, with fields that can be overridden to build
// damaged archives.
#ifndef TESTS_DTA_ARCHIVE_BUILDER_H
#define TESTS_DTA_ARCHIVE_BUILDER_H

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "dta/dta.h"
#include "dta/installer_keys.h"

namespace dtatest {

using Bytes = std::vector<uint8_t>;

inline constexpr uint32_t kKey1 = dta::kInstallerKey1;
inline constexpr uint32_t kKey2 = dta::kInstallerKey2;

struct TestEntry {
    std::string name;
    std::vector<Bytes> bodies;  // unscrambled block bodies, method byte first
    uint32_t decodedSize = 0;
    bool scrambled = false;
    uint64_t time = 0;
    // Written instead of the right values when set.
    std::optional<uint32_t> blockCount;
    std::optional<uint16_t> nameLength;
    std::optional<uint16_t> firstBlockSize;  // stored size in the first block header
};

struct BuiltArchive {
    Bytes bytes;
    std::vector<uint32_t> entryHeaderOffsets;  // in the order entries were added
    std::vector<uint32_t> firstBlockOffsets;
    uint32_t directoryOffset = 0;
};

class ArchiveBuilder {
public:
    explicit ArchiveBuilder(uint32_t key1 = kKey1, uint32_t key2 = kKey2) : key1_(key1), key2_(key2) {}

    TestEntry& Add(TestEntry entry);
    // An entry of stored blocks (method `method`, 0 and 2-7) holding `data`.
    TestEntry& AddStored(const std::string& name, const Bytes& data, bool scrambled = false,
                         uint8_t method = 0);

    // The directory size written in the header, instead of 28 per entry.
    std::optional<uint32_t> directorySize;
    // Puts the directory in front of the entries, so that the last entry's
    // data is the last thing in the file.
    bool directoryFirst = false;

    BuiltArchive Build() const;

private:
    uint32_t key1_;
    uint32_t key2_;
    std::vector<TestEntry> entries_;
};

// `data` cut into 32768-byte stored bodies with method byte `method`.
std::vector<Bytes> StoredBodies(const Bytes& data, uint8_t method = 0);
// An LZ body (method 1) that holds `data` as literal tokens only.
Bytes LiteralLzBody(const Bytes& data);
// `size` bytes of a repeatable pseudo-random pattern.
Bytes Pattern(size_t size, uint32_t seed);

// A fresh folder removed with everything in it at the end of its scope.
class TempFolder {
public:
    TempFolder();
    ~TempFolder();
    TempFolder(const TempFolder&) = delete;
    TempFolder& operator=(const TempFolder&) = delete;
    std::string Path(const std::string& name) const;

private:
    std::string path_;
};

// Registers the archive and loads its directory; null on any failure.
Dta_read* Register(const std::string& path, uint32_t key1 = kKey1, uint32_t key2 = kKey2);

// Releases its reference at the end of its scope.
struct ArchiveRef {
    Dta_read* archive = nullptr;
    ~ArchiveRef();
};

// The whole file or entry behind an open handle; empty when a read fails.
Bytes ReadAll(int32_t handle);

void WriteFile(const std::string& path, const Bytes& bytes);
Bytes ReadFile(const std::string& path);
bool FileExists(const std::string& path);

}  // namespace dtatest

#endif  // TESTS_DTA_ARCHIVE_BUILDER_H
