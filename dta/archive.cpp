// Archive objects: registration (dtaCreate), the directory (LoadDirectory),
// reference counting and destruction, and the lookup of names in the
// registered archives.
#include "dta/archive.h"

#include <cstring>
#include <new>
#include <string>

#include "dta/dta.h"
#include "dta/file_read.h"
#include "dta/format.h"

using dta::detail::ArchiveRecord;
using dta::detail::DirEntry;
using dta::detail::LibraryState;
using dta::detail::LockedState;
using dta::detail::OpenSlot;
namespace format = dta::format;
namespace io = dta::io;

// The library's access to the private parts of Dta_read.
struct DtaReadAccess {
    static Dta_read* New() { return new (std::nothrow) Dta_read(); }
    static void Delete(Dta_read* object) { delete object; }
    static io::FileHandle& File(Dta_read& object) { return object.file_; }
};

namespace {

// Directory bytes read per step: a multiple of the entry size and of the key
// length, so every step starts an entry at key byte 0.
constexpr uint32_t kDirectoryChunk = format::directory_entry::kSize * 8 * 146;
static_assert(kDirectoryChunk % format::directory_entry::kSize == 0 && kDirectoryChunk % 8 == 0);

ArchiveRecord* FindRecord(LibraryState& state, io::FileHandle file) {
    for (size_t i = state.archives.size(); i-- > 0;) {
        if (state.archives[i].file == file) return &state.archives[i];
    }
    return nullptr;
}

// Reads `count` directory entries at `offset` and unscrambles them as one run.
bool ReadDirectory(io::FileHandle file, uint64_t offset, size_t count, const format::Key& key,
                   std::vector<DirEntry>& directory) {
    try {
        directory.resize(count);
    } catch (const std::bad_alloc&) {
        return false;
    }
    std::unique_ptr<uint8_t[]> chunk(new (std::nothrow) uint8_t[kDirectoryChunk]);
    if (!chunk) return false;
    uint64_t position = 0;
    if (offset > static_cast<uint64_t>(INT64_MAX) ||
        !io::Seek(file, static_cast<int64_t>(offset), io::SeekOrigin::Begin, &position) || position != offset)
        return false;
    size_t done = 0;
    while (done < count) {
        const size_t entries =
            std::min<size_t>(count - done, kDirectoryChunk / format::directory_entry::kSize);
        const uint32_t bytes = static_cast<uint32_t>(entries * format::directory_entry::kSize);
        if (!dta::detail::ReadExact(file, chunk.get(), bytes)) return false;
        format::ScrambleRun(chunk.get(), bytes, key);
        for (size_t i = 0; i < entries; ++i) {
            const uint8_t* raw = chunk.get() + i * format::directory_entry::kSize;
            DirEntry& entry = directory[done + i];
            entry.key = format::ReadLe32(raw + format::directory_entry::kKey);
            entry.entryHeaderOffset = format::ReadLe32(raw + format::directory_entry::kEntryHeaderOffset);
            entry.firstBlockOffset = format::ReadLe32(raw + format::directory_entry::kFirstBlockOffset);
            std::memcpy(entry.nameTail, raw + format::directory_entry::kNameTail,
                        format::directory_entry::kNameTailSize);
        }
        done += entries;
    }
    return true;
}

// Closes the archive's file, unregisters it and frees every slot reading
// from it. Call with the lock held.
void Unregister(LibraryState& state, io::FileHandle file) {
    for (size_t i = state.archives.size(); i-- > 0;) {
        if (state.archives[i].file == file) {
            state.archives.erase(state.archives.begin() + static_cast<std::ptrdiff_t>(i));
            break;
        }
    }
    for (OpenSlot& slot : state.slots) {
        if (!slot.IsFree() && slot.file == file && (slot.flags & dta::detail::kSlotOwnsFile) == 0)
            dta::detail::FreeSlot(slot);
    }
    io::Close(file);
    --state.objects;
}

// Compares two name tails as zero-terminated strings of at most 16 bytes.
bool TailsEqual(const uint8_t* a, const uint8_t* b) {
    for (size_t i = 0; i < format::directory_entry::kNameTailSize; ++i) {
        if (a[i] != b[i]) return false;
        if (a[i] == 0) return true;
    }
    return true;
}

enum class Lookup { Found, NotFound, ReadFailed };

struct FoundEntry {
    const DirEntry* dirEntry = nullptr;
    uint8_t header[format::entry_header::kSize] = {};
};

// The upper-cased requested name with its key and 16-byte tail.
struct WantedName {
    std::string upper;
    int32_t key = 0;
    uint8_t tail[format::directory_entry::kNameTailSize] = {};
};

// Checks the entry's stored header and full name against the wanted name.
Lookup MatchStoredName(const ArchiveRecord& record, const DirEntry& entry, const format::Key& key,
                       const WantedName& wanted, FoundEntry* found) {
    if (!dta::detail::ReadExactAt(record.file, entry.entryHeaderOffset, found->header,
                                  format::entry_header::kSize))
        return Lookup::ReadFailed;
    format::ScrambleRun(found->header, format::entry_header::kSize, key);
    const size_t length = format::ReadLe16(found->header + format::entry_header::kNameField) &
                          format::entry_header::kNameLengthMask;
    // A stored name that no request can have counts as a different name.
    if (length > format::kMaxNameLength) return Lookup::NotFound;
    // The name is read before it is compared, also when its length already
    // tells it apart: a name cut short by the end of the file is a failed
    // read, which ends the whole search.
    uint8_t name[format::kMaxNameLength];
    if (!dta::detail::ReadExact(record.file, name, static_cast<uint32_t>(length))) return Lookup::ReadFailed;
    if (length != wanted.upper.size()) return Lookup::NotFound;
    format::ScrambleRun(name, length, key);
    for (size_t i = 0; i < length; ++i) {
        if (format::UpperAscii(name[i]) != static_cast<uint8_t>(wanted.upper[i])) return Lookup::NotFound;
    }
    found->dirEntry = &entry;
    return Lookup::Found;
}

// Finds the wanted name in one archive: binary search on the key, then the
// run of equal keys by tail and full name.
Lookup FindEntry(const ArchiveRecord& record, const WantedName& wanted, FoundEntry* found) {
    const std::vector<DirEntry>& dir = record.directory;
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
    size_t i = static_cast<size_t>(hit);
    while (i > 0 && static_cast<int32_t>(dir[i - 1].key) == wanted.key) --i;
    const format::Key key = format::MakeKey(record.key1, record.key2);
    for (; i < dir.size() && static_cast<int32_t>(dir[i].key) == wanted.key; ++i) {
        if (!TailsEqual(dir[i].nameTail, wanted.tail)) continue;
        const Lookup result = MatchStoredName(record, dir[i], key, wanted, found);
        if (result != Lookup::NotFound) return result;
    }
    return Lookup::NotFound;
}

// Fills a slot for the entry found: reads its first block header and method
// byte, and a wave entry's 44-byte header. False on a short read or when a
// buffer can't be allocated.
bool FillEntrySlot(const ArchiveRecord& record, const FoundEntry& found, OpenSlot& slot) {
    const format::Key key = format::MakeKey(record.key1, record.key2);
    const uint8_t* header = found.header;
    const uint16_t nameField = format::ReadLe16(header + format::entry_header::kNameField);
    const bool scrambled = (nameField & format::entry_header::kScrambledFlag) != 0;

    uint8_t first[format::block_header::kSize + 1 + format::wave_header::kSize];
    const uint32_t firstBlock = found.dirEntry->firstBlockOffset;
    if (!dta::detail::ReadExactAt(record.file, firstBlock, first, format::block_header::kSize + 1))
        return false;
    uint8_t method = first[format::block_header::kSize];
    if (scrambled) method ^= key.bytes[0];
    if (method >= format::kMethodWaveFirst) {
        uint8_t* wave = first + format::block_header::kSize + 1;
        if (!dta::detail::ReadExact(record.file, wave, format::wave_header::kSize)) return false;
        // Inside a scrambled body the header starts at body offset 1; in an
        // unscrambled entry it is a run of its own.
        format::ScrambleRunFrom(wave, format::wave_header::kSize, key, scrambled ? 1 : 0);
        slot.waveHeader.reset(new (std::nothrow) uint8_t[format::wave_header::kSize]);
        if (!slot.waveHeader) return false;
        std::memcpy(slot.waveHeader.get(), wave, format::wave_header::kSize);
    }
    slot.buffer = dta::detail::NewBlockBuffer();
    if (!slot.buffer) return false;

    slot.file = record.file;
    slot.flags = 0;
    slot.modificationTime =
        static_cast<uint64_t>(format::ReadLe32(header + format::entry_header::kTime)) |
        (static_cast<uint64_t>(format::ReadLe32(header + format::entry_header::kTime + 4)) << 32);
    slot.size = format::ReadLe32(header + format::entry_header::kDecodedSize);
    slot.blockCount = format::ReadLe32(header + format::entry_header::kBlockCount);
    slot.firstBlockOffset = firstBlock;
    slot.blockSize = format::ReadLe16(first);
    slot.previousBlockSize = 0;
    slot.scrambled = scrambled;
    slot.key1 = record.key1;
    slot.key2 = record.key2;
    slot.bufferedLength = std::min<uint32_t>(slot.size, format::block::kDecodedSize);
    slot.bufferValid = false;
    return true;
}

}  // namespace

namespace dta::detail {

int32_t OpenInArchives(LibraryState& state, const char* name) {
    if (name == nullptr) return -1;
    const size_t length = std::strlen(name);
    if (length > format::kMaxNameLength) return -1;
    WantedName wanted;
    wanted.upper.assign(name, length);
    for (char& c : wanted.upper) c = static_cast<char>(format::UpperAscii(static_cast<uint8_t>(c)));
    wanted.key = static_cast<int32_t>(format::LookupKey(name, length));
    const size_t tailLength = std::min(length, format::directory_entry::kNameTailSize);
    std::memcpy(wanted.tail, wanted.upper.data() + (length - tailLength), tailLength);

    for (const ArchiveRecord& record : state.archives) {
        FoundEntry found;
        const Lookup result = FindEntry(record, wanted, &found);
        if (result == Lookup::NotFound) continue;
        if (result == Lookup::ReadFailed) return -1;
        OpenSlot slot;
        if (!FillEntrySlot(record, found, slot)) return -1;
        return InsertSlot(state, std::move(slot));
    }
    return -1;
}

}  // namespace dta::detail

void* Dta_read::Destroy(unsigned int flags) {
    LockedState state;
    if (state && file_ != io::kInvalidFile) {
        Unregister(*state, file_);
        file_ = io::kInvalidFile;
    }
    if (flags & 1) DtaReadAccess::Delete(this);
    return this;
}

void Dta_read::AddRef() {
    LockedState state;
    if (!state) return;
    ++refCount_;
    ++state->references;
}

uint32_t Dta_read::Release() {
    LockedState state;
    if (!state) return refCount_;
    // An object that holds no reference is not counted down past zero.
    if (refCount_ == 0) return 0;
    --refCount_;
    --state->references;
    if (refCount_ != 0) return refCount_;
    Destroy(1);
    return 0;
}

bool Dta_read::LoadDirectory(uint32_t key1, uint32_t key2) {
    LockedState state;
    if (!state) return false;
    uint8_t header[format::archive_header::kSize];
    if (!dta::detail::ReadExactAt(file_, format::archive_header::kOffset, header, sizeof header))
        return false;
    const format::Key key = format::MakeKey(key1, key2);
    format::ScrambleRun(header, sizeof header, key);
    ArchiveRecord* record = FindRecord(*state, file_);
    if (record == nullptr) return false;
    record->key1 = key1;
    record->key2 = key2;
    record->directory.clear();
    record->directory.shrink_to_fit();

    const uint32_t offset = format::ReadLe32(header + format::archive_header::kDirectoryOffset);
    const uint32_t count =
        format::ReadLe32(header + format::archive_header::kDirectorySize) / format::directory_entry::kSize;
    // A directory that claims more bytes than the file holds is a short read:
    // refuse it before allocating anything for it.
    uint64_t fileSize = 0;
    if (!io::Size(file_, &fileSize)) return false;
    const uint64_t bytes = static_cast<uint64_t>(count) * format::directory_entry::kSize;
    if (fileSize < offset || fileSize - offset < bytes) return false;

    std::vector<DirEntry> directory;
    if (!ReadDirectory(file_, offset, count, key, directory)) return false;
    record->directory.swap(directory);
    return true;
}

extern "C" Dta_read* DTA_API dtaCreate(const char* path) {
    if (path == nullptr) return nullptr;
    const size_t length = std::strlen(path);
    if (length == 0 || length > dta::detail::kMaxArchivePath) return nullptr;
    LockedState state;
    if (!state) return nullptr;
    Dta_read* object = DtaReadAccess::New();
    if (object == nullptr) return nullptr;
    const io::FileHandle file = io::OpenRead(path, true);
    char magic[format::kMagicSize];
    if (file == io::kInvalidFile || !dta::detail::ReadExact(file, magic, sizeof magic) ||
        std::memcmp(magic, format::kMagic, sizeof magic) != 0) {
        if (file != io::kInvalidFile) io::Close(file);
        DtaReadAccess::Delete(object);
        return nullptr;
    }
    try {
        ArchiveRecord record;
        record.file = file;
        record.path.assign(path, length);
        state->archives.push_back(std::move(record));
    } catch (const std::bad_alloc&) {
        io::Close(file);
        DtaReadAccess::Delete(object);
        return nullptr;
    }
    DtaReadAccess::File(*object) = file;
    object->AddRef();
    ++state->objects;
    return object;
}
