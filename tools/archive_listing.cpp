#include "tools/archive_listing.h"

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <memory>

#include "dta/format.h"

namespace dta::tools {
namespace {

using namespace dta::format;

struct FileCloser {
    void operator()(std::FILE* f) const { std::fclose(f); }
};
using File = std::unique_ptr<std::FILE, FileCloser>;

// Reads exactly `n` bytes at `offset`, refusing anything past `fileSize`.
bool ReadAt(std::FILE* f, uint64_t fileSize, uint64_t offset, uint8_t* out, size_t n) {
    if (offset > fileSize || fileSize - offset < n) return false;
    if (std::fseek(f, static_cast<long>(offset), SEEK_SET) != 0) return false;
    return std::fread(out, 1, n, f) == n;
}

void ReadEntry(std::FILE* f, uint64_t fileSize, const Key& key, const uint8_t* dirEntry, ListedEntry* e) {
    const uint32_t headerOffset = ReadLe32(dirEntry + kDirEntryHeaderOffset);
    const uint32_t firstBlock = ReadLe32(dirEntry + kDirFirstBlockOffset);

    uint8_t header[kEntryHeaderSize];
    if (!ReadAt(f, fileSize, headerOffset, header, sizeof header)) {
        e->problem = "entry header outside the file";
        return;
    }
    ScrambleRun(header, sizeof header, key);
    e->fileTime = ReadLe32(header + kEntryTime) | (uint64_t(ReadLe32(header + kEntryTime + 4)) << 32);
    e->size = ReadLe32(header + kEntrySize);
    e->blocks = ReadLe32(header + kEntryBlockCount);
    const uint16_t field = ReadLe16(header + kEntryNameField);
    e->scrambled = (field & kScrambledFlag) != 0;
    const size_t nameLength = field & kNameLengthMask;
    if (nameLength > kMaxNameLength) {
        e->problem = "name longer than 259 bytes";
        return;
    }
    std::vector<uint8_t> name(nameLength);
    if (!ReadAt(f, fileSize, uint64_t(headerOffset) + kEntryHeaderSize, name.data(), name.size())) {
        e->problem = "name outside the file";
        return;
    }
    ScrambleRun(name.data(), name.size(), key);
    e->name.assign(name.begin(), name.end());

    // Walk the chain by the stored sizes; a chain can never hold more blocks
    // than the file has room for block headers, so damage cannot loop long.
    uint64_t offset = firstBlock;
    for (uint32_t b = 0; b < e->blocks; ++b) {
        uint8_t blockHeader[kBlockHeaderSize + 1];
        if (!ReadAt(f, fileSize, offset, blockHeader, sizeof blockHeader)) {
            e->problem = "block " + std::to_string(b) + " outside the file";
            return;
        }
        const uint16_t stored = ReadLe16(blockHeader);
        if (stored == 0 || stored > kMaxBodySize || fileSize - offset - kBlockHeaderSize < stored) {
            e->problem = "block " + std::to_string(b) + " has a bad stored size";
            return;
        }
        const uint8_t method =
            e->scrambled ? blockHeader[kBlockHeaderSize] ^ key.bytes[0] : blockHeader[kBlockHeaderSize];
        if (b == 0) e->wave = method >= kMethodWave;
        if (std::find(e->methods.begin(), e->methods.end(), method) == e->methods.end())
            e->methods.push_back(method);
        offset += kBlockHeaderSize + stored;
    }
}

}  // namespace

std::string MethodName(uint8_t method) {
    if (method == kMethodLz) return "lz";
    if (method < kMethodWave) return "stored";
    return "wave/" + std::to_string(method);
}

bool ListArchive(const std::string& path, uint32_t key1, uint32_t key2, std::vector<ListedEntry>* entries,
                 std::string* error) {
    auto fail = [&](const std::string& message) {
        if (error) *error = message;
        return false;
    };
    entries->clear();
    File f(std::fopen(path.c_str(), "rb"));
    if (!f) return fail("cannot open " + path);
    if (std::fseek(f.get(), 0, SEEK_END) != 0) return fail("cannot read " + path);
    const long end = std::ftell(f.get());
    if (end < 0) return fail("cannot read " + path);
    const uint64_t fileSize = static_cast<uint64_t>(end);

    uint8_t magic[kMagicSize];
    if (!ReadAt(f.get(), fileSize, 0, magic, sizeof magic) || std::memcmp(magic, kMagic, kMagicSize) != 0)
        return fail(path + " is not a .dta archive");

    const Key key = MakeKey(key1, key2);
    uint8_t header[kArchiveHeaderSize];
    if (!ReadAt(f.get(), fileSize, kArchiveHeaderOffset, header, sizeof header))
        return fail(path + ": archive header cut short");
    ScrambleRun(header, sizeof header, key);
    const uint32_t dirOffset = ReadLe32(header + kHeaderDirectoryOffset);
    const uint32_t count = ReadLe32(header + kHeaderDirectorySize) / kDirEntrySize;
    const uint64_t dirBytes = uint64_t(count) * kDirEntrySize;
    if (dirOffset > fileSize || fileSize - dirOffset < dirBytes)
        return fail(path + ": directory outside the file (wrong key words?)");
    std::vector<uint8_t> dir(static_cast<size_t>(dirBytes));
    if (!ReadAt(f.get(), fileSize, dirOffset, dir.data(), dir.size())) return fail("cannot read " + path);
    ScrambleRun(dir.data(), dir.size(), key);

    for (uint32_t i = 0; i < count; ++i) {
        ListedEntry e;
        ReadEntry(f.get(), fileSize, key, dir.data() + size_t{i} * kDirEntrySize, &e);
        entries->push_back(std::move(e));
    }
    return true;
}

}  // namespace dta::tools
