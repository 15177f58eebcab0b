// The archive layout read from a file: magic, header, directory, entry
// header and name, lookup by name, and an entry's first block.
#include "dta/archive_layout.h"

#include <algorithm>
#include <cstring>
#include <memory>
#include <new>

#include "dta/file_read.h"

namespace dta::detail {
namespace {

namespace de = format::directory_entry;
namespace eh = format::entry_header;

// Directory bytes read per step: a multiple of the entry size and of the key
// length, so every step starts an entry at key byte 0.
constexpr uint32_t kDirectoryChunk = de::kSize * 8 * 146;
static_assert(kDirectoryChunk % de::kSize == 0 && kDirectoryChunk % 8 == 0);

}  // namespace

int CompareTails(const uint8_t* a, const uint8_t* b) {
    for (size_t i = 0; i < de::kNameTailSize; ++i) {
        if (a[i] != b[i]) return a[i] < b[i] ? -1 : 1;
        if (a[i] == 0) return 0;
    }
    return 0;
}

namespace {

// A hash of a key and a name tail (up to its first zero byte, as tails
// compare).
uint32_t HashOf(uint32_t key, const uint8_t* tail) {
    uint32_t hash = key * 0x9E3779B1u;
    for (size_t i = 0; i < de::kNameTailSize && tail[i] != 0; ++i) hash = (hash ^ tail[i]) * 0x01000193u;
    return hash;
}

// Marks the runs of equal keys that stand together, and chains the entries
// whose key and tail hash alike, in directory order, from as many heads as
// there are entries.
void IndexDirectory(std::vector<DirEntry>& dir) {
    const size_t count = dir.size();
    for (size_t i = 0; i < count; ++i) {
        dir[i].runStart =
            i > 0 && dir[i - 1].key == dir[i].key ? dir[i - 1].runStart : static_cast<uint32_t>(i);
        dir[i].chain = kNoEntry;
    }
    for (size_t i = count; i-- > 0;) {
        DirEntry& head = dir[HashOf(dir[i].key, dir[i].nameTail) % count];
        dir[i].next = head.chain;
        head.chain = static_cast<uint32_t>(i);
    }
}

}  // namespace

bool ReadMagic(io::FileHandle file, Status* status) {
    char magic[format::kMagicSize];
    uint32_t got = 0;
    if (!io::ReadAt(file, 0, magic, sizeof magic, &got)) return FailAt(status, Reason::ReadFailed, 0);
    if (got != sizeof magic || std::memcmp(magic, format::kMagic, sizeof magic) != 0)
        return FailAt(status, Reason::NotAnArchive, 0);
    return true;
}

bool ReadArchiveHeader(io::FileHandle file, const format::Key& key, ArchiveHeader* header, Status* status) {
    namespace ah = format::archive_header;
    uint8_t bytes[ah::kSize];
    if (!ReadAt(file, ah::kOffset, bytes, sizeof bytes, Reason::ArchiveHeaderCut, status)) return false;
    format::ScrambleRun(bytes, sizeof bytes, key);
    header->directoryOffset = format::ReadLe32(bytes + ah::kDirectoryOffset);
    header->directorySize = format::ReadLe32(bytes + ah::kDirectorySize);
    return true;
}

namespace {

// Reads the directory chunk by chunk. `sortedOnly`: stop before the first
// key below its predecessor and say where in `*unsorted`.
bool ReadDirectoryEntries(io::FileHandle file, const format::Key& key, const ArchiveHeader& header,
                          bool sortedOnly, std::vector<DirEntry>* directory, size_t* unsorted,
                          Status* status) {
    const uint64_t offset = header.directoryOffset;
    const size_t count = header.directorySize / de::kSize;
    // A directory that claims more bytes than the file holds is a short read:
    // refuse it before allocating anything for it.
    uint64_t fileSize = 0;
    if (!io::Size(file, &fileSize)) return FailAt(status, Reason::ReadFailed, offset);
    const uint64_t bytes = static_cast<uint64_t>(count) * de::kSize;
    if (fileSize < offset || fileSize - offset < bytes)
        return FailAt(status, Reason::DirectoryOutsideFile, offset);

    std::vector<DirEntry> entries;
    std::unique_ptr<uint8_t[]> chunk(new (std::nothrow) uint8_t[kDirectoryChunk]);
    if (!chunk) return Fail(status, Reason::OutOfMemory);
    size_t done = 0;
    bool sorted = true;
    try {
        // Grown chunk by chunk when reading may stop early, so that memory
        // follows the entries read, not the count claimed.
        if (!sortedOnly) entries.reserve(count);
        while (sorted && done < count) {
            const size_t n = std::min<size_t>(count - done, kDirectoryChunk / de::kSize);
            const uint32_t length = static_cast<uint32_t>(n * de::kSize);
            const uint64_t at = offset + done * de::kSize;
            if (!ReadAt(file, at, chunk.get(), length, Reason::DirectoryOutsideFile, status)) return false;
            format::ScrambleRun(chunk.get(), length, key);
            for (size_t i = 0; i < n; ++i) {
                const uint8_t* raw = chunk.get() + i * de::kSize;
                DirEntry entry;
                entry.key = format::ReadLe32(raw + de::kKey);
                entry.entryHeaderOffset = format::ReadLe32(raw + de::kEntryHeaderOffset);
                entry.firstBlockOffset = format::ReadLe32(raw + de::kFirstBlockOffset);
                std::memcpy(entry.nameTail, raw + de::kNameTail, de::kNameTailSize);
                // Keys compare as signed values, as the lookup compares them.
                if (sortedOnly && !entries.empty() &&
                    static_cast<int32_t>(entry.key) < static_cast<int32_t>(entries.back().key)) {
                    sorted = false;
                    break;
                }
                entries.push_back(entry);
                ++done;
            }
        }
    } catch (const std::bad_alloc&) {
        return Fail(status, Reason::OutOfMemory);
    }
    if (unsorted != nullptr) *unsorted = done;
    IndexDirectory(entries);
    directory->swap(entries);
    return true;
}

}  // namespace

bool ReadDirectory(io::FileHandle file, const format::Key& key, const ArchiveHeader& header,
                   std::vector<DirEntry>* directory, Status* status) {
    return ReadDirectoryEntries(file, key, header, false, directory, nullptr, status);
}

bool ReadSortedDirectory(io::FileHandle file, const format::Key& key, const ArchiveHeader& header,
                         std::vector<DirEntry>* directory, size_t* unsorted, Status* status) {
    return ReadDirectoryEntries(file, key, header, true, directory, unsorted, status);
}

bool ReadEntryHead(io::FileHandle file, const DirEntry& entry, const format::Key& key, EntryHead* head,
                   Status* status) {
    // The header and the longest name in one read; the name is as long as
    // the header says.
    uint8_t bytes[eh::kSize + format::kMaxNameLength];
    uint32_t got = 0;
    const uint64_t offset = entry.entryHeaderOffset;
    if (!io::ReadAt(file, offset, bytes, sizeof bytes, &got))
        return FailAt(status, Reason::ReadFailed, offset);
    if (got < eh::kSize) return FailAt(status, Reason::EntryHeaderOutsideFile, offset);
    format::ScrambleRun(bytes, eh::kSize, key);
    const uint16_t nameField = format::ReadLe16(bytes + eh::kNameField);
    head->fileTime = static_cast<uint64_t>(format::ReadLe32(bytes + eh::kTime)) |
                     (static_cast<uint64_t>(format::ReadLe32(bytes + eh::kTime + 4)) << 32);
    head->decodedSize = format::ReadLe32(bytes + eh::kDecodedSize);
    head->blockCount = format::ReadLe32(bytes + eh::kBlockCount);
    head->nameLength = nameField & eh::kNameLengthMask;
    head->scrambled = (nameField & eh::kScrambledFlag) != 0;
    if (head->nameLength > format::kMaxNameLength) {
        if (status != nullptr) status->found = head->nameLength;
        return FailAt(status, Reason::NameTooLong, offset);
    }
    if (got - eh::kSize < head->nameLength)
        return FailAt(status, Reason::NameOutsideFile, offset + eh::kSize);
    std::memcpy(head->name, bytes + eh::kSize, head->nameLength);
    format::ScrambleRun(head->name, head->nameLength, key);
    return true;
}

bool MakeWantedName(const char* name, WantedName* wanted) {
    if (name == nullptr) return false;
    const size_t length = std::strlen(name);
    if (length > format::kMaxNameLength) return false;
    wanted->upper.assign(name, length);
    for (char& c : wanted->upper) c = static_cast<char>(format::UpperAscii(static_cast<uint8_t>(c)));
    uint32_t key = 0;
    KeyAndTail(reinterpret_cast<const uint8_t*>(wanted->upper.data()), length, &key, wanted->tail);
    wanted->key = static_cast<int32_t>(key);
    return true;
}

void KeyAndTail(const uint8_t* name, size_t length, uint32_t* key, uint8_t tail[16]) {
    *key = format::LookupKey(reinterpret_cast<const char*>(name), length);
    const size_t tailLength = std::min(length, de::kNameTailSize);
    std::memset(tail, 0, de::kNameTailSize);
    for (size_t i = 0; i < tailLength; ++i) tail[i] = format::UpperAscii(name[length - tailLength + i]);
}

Lookup FindEntry(io::FileHandle file, const std::vector<DirEntry>& dir, const format::Key& key,
                 const WantedName& wanted, size_t* index, EntryHead* head, Status* status) {
    int64_t low = 0;
    int64_t high = static_cast<int64_t>(dir.size()) - 1;
    int64_t hit = -1;
    while (low <= high) {
        const int64_t middle = low + (high - low) / 2;
        const int32_t probe = static_cast<int32_t>(dir[static_cast<size_t>(middle)].key);
        if (probe < wanted.key) {
            low = middle + 1;
        } else if (probe > wanted.key) {
            high = middle - 1;
        } else {
            hit = middle;
            break;
        }
    }
    if (hit < 0) return Lookup::NotFound;
    // The candidates: the entries of the run of equal keys around the hit
    // whose tail is the wanted one, in directory order. Their chain holds
    // them in that order, among others that only hash alike.
    const uint32_t run = dir[static_cast<size_t>(hit)].runStart;
    const uint32_t wantedKey = static_cast<uint32_t>(wanted.key);
    for (uint32_t i = dir[HashOf(wantedKey, wanted.tail) % dir.size()].chain; i != kNoEntry;
         i = dir[i].next) {
        if (dir[i].runStart != run || dir[i].key != wantedKey || !TailsEqual(dir[i].nameTail, wanted.tail))
            continue;
        // The name is read before it is compared, also when its length
        // already tells it apart: a name cut short by the end of the file is
        // a failed read, which ends the whole search. A stored name that no
        // request can have counts as a different name.
        Status why;
        if (!ReadEntryHead(file, dir[i], key, head, &why)) {
            if (why.reason == Reason::NameTooLong) continue;
            if (status != nullptr) *status = why;
            return Lookup::ReadFailed;
        }
        if (head->nameLength != wanted.upper.size()) continue;
        bool same = true;
        for (size_t c = 0; c < head->nameLength && same; ++c)
            same = format::UpperAscii(head->name[c]) == static_cast<uint8_t>(wanted.upper[c]);
        if (!same) continue;
        *index = i;
        return Lookup::Found;
    }
    return Lookup::NotFound;
}

bool OpenEntrySlot(io::FileHandle file, uint32_t key1, uint32_t key2, const DirEntry& entry,
                   const EntryHead& head, OpenSlot* slot, Status* status) {
    const format::Key key = format::MakeKey(key1, key2);
    constexpr size_t kHeader = format::block_header::kSize;
    // The first block's header, its method byte, and the wave header that
    // follows the method byte of a wave entry, in one read.
    uint8_t first[kHeader + 1 + format::wave_header::kSize];
    const uint64_t firstBlock = entry.firstBlockOffset;
    uint32_t got = 0;
    const bool read = io::ReadAt(file, firstBlock, first, sizeof first, &got);
    if (!read || got < kHeader + 1) {
        if (status != nullptr) status->block = 0;
        return FailAt(status, read ? Reason::BlockHeaderOutsideFile : Reason::ReadFailed, firstBlock);
    }
    uint8_t method = first[kHeader];
    if (head.scrambled) method ^= key.bytes[0];
    if (method >= format::kMethodWaveFirst) {
        uint8_t* wave = first + kHeader + 1;
        if (got < sizeof first) {
            if (status != nullptr) status->block = 0;
            return FailAt(status, Reason::WaveHeaderOutsideFile, firstBlock + kHeader + 1);
        }
        // Inside a scrambled body the header starts at body offset 1; in an
        // unscrambled entry it is a run of its own.
        format::ScrambleRunFrom(wave, format::wave_header::kSize, key, head.scrambled ? 1 : 0);
        slot->waveHeader.reset(new (std::nothrow) uint8_t[format::wave_header::kSize]);
        if (!slot->waveHeader) return Fail(status, Reason::OutOfMemory);
        std::memcpy(slot->waveHeader.get(), wave, format::wave_header::kSize);
    }
    slot->buffer = NewBlockBuffer();
    if (!slot->buffer) return Fail(status, Reason::OutOfMemory);

    slot->file = file;
    slot->flags = 0;
    slot->modificationTime = head.fileTime;
    slot->size = head.decodedSize;
    slot->blockCount = head.blockCount;
    slot->firstBlockOffset = entry.firstBlockOffset;
    slot->blockOffset = 0;
    slot->blockIndex = 0;
    slot->blockSize = format::ReadLe16(first + format::block_header::kStoredSize);
    slot->previousBlockSize = 0;
    slot->blockMethod = method;
    slot->aheadValid = false;
    slot->scrambled = head.scrambled;
    slot->key1 = key1;
    slot->key2 = key2;
    slot->bufferedLength = std::min<uint32_t>(slot->size, format::block::kDecodedSize);
    slot->bufferValid = false;
    return true;
}

}  // namespace dta::detail
