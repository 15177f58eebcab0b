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
    const uint32_t headerOffset = ReadLe32(dirEntry + directory_entry::kEntryHeaderOffset);
    const uint32_t firstBlock = ReadLe32(dirEntry + directory_entry::kFirstBlockOffset);

    uint8_t header[entry_header::kSize];
    if (!ReadAt(f, fileSize, headerOffset, header, sizeof header)) {
        e->problem = "entry header outside the file";
        return;
    }
    ScrambleRun(header, sizeof header, key);
    e->fileTime =
        ReadLe32(header + entry_header::kTime) | (uint64_t(ReadLe32(header + entry_header::kTime + 4)) << 32);
    e->size = ReadLe32(header + entry_header::kDecodedSize);
    e->blocks = ReadLe32(header + entry_header::kBlockCount);
    const uint16_t field = ReadLe16(header + entry_header::kNameField);
    e->scrambled = (field & entry_header::kScrambledFlag) != 0;
    const size_t nameLength = field & entry_header::kNameLengthMask;
    if (nameLength > kMaxNameLength) {
        e->problem = "name longer than 259 bytes";
        return;
    }
    std::vector<uint8_t> name(nameLength);
    if (!ReadAt(f, fileSize, uint64_t(headerOffset) + entry_header::kSize, name.data(), name.size())) {
        e->problem = "name outside the file";
        return;
    }
    ScrambleRun(name.data(), name.size(), key);
    e->name.assign(name.begin(), name.end());

    // Walk the chain by the stored sizes; a chain can never hold more blocks
    // than the file has room for block headers, so damage cannot loop long.
    uint64_t offset = firstBlock;
    for (uint32_t b = 0; b < e->blocks; ++b) {
        uint8_t blockHeader[block_header::kSize + 1];
        if (!ReadAt(f, fileSize, offset, blockHeader, sizeof blockHeader)) {
            e->problem = "block " + std::to_string(b) + " outside the file";
            return;
        }
        const uint16_t stored = ReadLe16(blockHeader);
        if (stored == 0 || stored > block::kMaxBodySize || fileSize - offset - block_header::kSize < stored) {
            e->problem = "block " + std::to_string(b) + " has a bad stored size";
            return;
        }
        const uint8_t method =
            e->scrambled ? blockHeader[block_header::kSize] ^ key.bytes[0] : blockHeader[block_header::kSize];
        if (b == 0) e->wave = method >= kMethodWaveFirst;
        if (std::find(e->methods.begin(), e->methods.end(), method) == e->methods.end())
            e->methods.push_back(method);
        offset += block_header::kSize + stored;
    }
}

}  // namespace

std::string MethodName(uint8_t method) {
    if (method == kMethodLz) return "lz";
    if (method < kMethodWaveFirst) return "stored";
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
    uint8_t header[archive_header::kSize];
    if (!ReadAt(f.get(), fileSize, archive_header::kOffset, header, sizeof header))
        return fail(path + ": archive header cut short");
    ScrambleRun(header, sizeof header, key);
    const uint32_t dirOffset = ReadLe32(header + archive_header::kDirectoryOffset);
    const uint32_t count = ReadLe32(header + archive_header::kDirectorySize) / directory_entry::kSize;
    const uint64_t dirBytes = uint64_t(count) * directory_entry::kSize;
    if (dirOffset > fileSize || fileSize - dirOffset < dirBytes)
        return fail(path + ": directory outside the file (wrong key words?)");
    std::vector<uint8_t> dir(static_cast<size_t>(dirBytes));
    if (!ReadAt(f.get(), fileSize, dirOffset, dir.data(), dir.size())) return fail("cannot read " + path);
    ScrambleRun(dir.data(), dir.size(), key);

    for (uint32_t i = 0; i < count; ++i) {
        ListedEntry e;
        ReadEntry(f.get(), fileSize, key, dir.data() + size_t{i} * directory_entry::kSize, &e);
        entries->push_back(std::move(e));
    }
    return true;
}

}  // namespace dta::tools
