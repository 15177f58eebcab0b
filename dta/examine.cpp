// Inspection of one archive file: directory, entries with their structural
// checks, and entry streams, over the library's own parsing and decoding.
#include "dta/examine.h"

#include <algorithm>

#include "dta/archive_layout.h"
#include "dta/block_chain.h"
#include "dta/file_read.h"

namespace dta::examine {
namespace {

using detail::DirEntry;
using detail::EntryHead;
using detail::FailAt;

constexpr uint32_t kBlock = static_cast<uint32_t>(format::block::kDecodedSize);

// The block count an entry of `size` decoded bytes must have: every block
// but the last holds a whole block. An empty entry has one (empty) block,
// or none; a reader opening it still reads a first block header.
bool BlockCountFits(uint32_t size, uint32_t count) {
    if (size == 0) return count <= 1;
    return count == (size - 1) / kBlock + 1;
}

bool WrongBlockCount(const DirEntry& entry, uint32_t size, uint32_t count, Status* status) {
    if (status != nullptr) {
        status->found = count;
        status->expected = size == 0 ? 1 : (size - 1) / kBlock + 1;
    }
    return FailAt(status, Reason::BlockCountMismatch,
                  static_cast<uint64_t>(entry.entryHeaderOffset) + format::entry_header::kBlockCount);
}

// Names the entry in a status that a lower layer filled.
bool InEntry(Status* status, size_t index, const std::string& name) {
    if (status != nullptr) {
        status->entry = static_cast<int64_t>(index);
        status->name = name;
    }
    return false;
}

// True when the wave header gives 16-bit samples, which the wave coder
// stores as lossy deltas.
bool DeltaCoded(const uint8_t* waveHeader) {
    namespace wh = format::wave_header;
    const uint16_t channels = format::ReadLe16(waveHeader + wh::kChannels);
    const uint16_t blockAlign = format::ReadLe16(waveHeader + wh::kBlockAlign);
    return channels != 0 && blockAlign / channels == 2;
}

}  // namespace

Archive::~Archive() {
    Close();
}

void Archive::Close() {
    if (file_ != io::kInvalidFile) io::Close(file_);
    file_ = io::kInvalidFile;
    summary_ = ArchiveSummary();
    directory_.clear();
    unsorted_ = 0;
}

bool Archive::Open(const std::string& path, uint32_t key1, uint32_t key2, Status* status) {
    Close();
    file_ = io::OpenRead(path.c_str(), false);
    if (file_ == io::kInvalidFile) return detail::Fail(status, Reason::CannotOpen);
    key1_ = key1;
    key2_ = key2;
    const format::Key key = format::MakeKey(key1, key2);
    detail::ArchiveHeader header;
    if (!io::Size(file_, &summary_.fileSize) || !detail::ReadMagic(file_, status) ||
        !detail::ReadArchiveHeader(file_, key, &header, status) ||
        !detail::ReadSortedDirectory(file_, key, header, &directory_, &unsorted_, status)) {
        if (status != nullptr && status->Ok()) status->reason = Reason::ReadFailed;
        Close();
        return false;
    }
    summary_.directoryOffset = header.directoryOffset;
    summary_.directorySize = header.directorySize;
    summary_.entryCount = header.directorySize / format::directory_entry::kSize;
    return true;
}

bool Archive::CheckDirectory(Status* status) const {
    if (summary_.directorySize % format::directory_entry::kSize != 0) {
        if (status != nullptr) status->found = summary_.directorySize;
        return FailAt(status, Reason::DirectorySizeNotMultiple,
                      static_cast<uint64_t>(summary_.directoryOffset) + summary_.directorySize);
    }
    if (unsorted_ < summary_.entryCount) {
        if (status != nullptr) status->entry = static_cast<int64_t>(unsorted_);
        return FailAt(status, Reason::DirectoryOutOfOrder,
                      summary_.directoryOffset + unsorted_ * format::directory_entry::kSize);
    }
    return true;
}

bool Archive::ReadEntry(size_t index, EntryInfo* info, Status* status) const {
    *info = EntryInfo();
    info->index = index;
    if (index >= directory_.size()) {
        detail::Fail(status, Reason::ReadFailed);
        return InEntry(status, index, "");
    }
    const DirEntry& entry = directory_[index];
    info->key = entry.key;
    info->entryHeaderOffset = entry.entryHeaderOffset;
    info->firstBlockOffset = entry.firstBlockOffset;

    const format::Key key = format::MakeKey(key1_, key2_);
    EntryHead head;
    const bool headRead = detail::ReadEntryHead(file_, entry, key, &head, status);
    // The header is in even when the name is not.
    if (headRead || (status != nullptr &&
                     (status->reason == Reason::NameTooLong || status->reason == Reason::NameOutsideFile))) {
        info->headerRead = true;
        info->fileTime = head.fileTime;
        info->decodedSize = head.decodedSize;
        info->blockCount = head.blockCount;
        info->scrambled = head.scrambled;
    }
    if (!headRead) return InEntry(status, index, "");
    info->nameRead = true;
    info->name = head.Name();

    uint32_t nameKey = 0;
    uint8_t tail[format::directory_entry::kNameTailSize];
    detail::KeyAndTail(head.name, head.nameLength, &nameKey, tail);
    const uint64_t dirOffset = summary_.directoryOffset + index * format::directory_entry::kSize;
    if (nameKey != entry.key) {
        FailAt(status, Reason::KeyMismatch, dirOffset);
        return InEntry(status, index, info->name);
    }
    if (!detail::TailsEqual(tail, entry.nameTail)) {
        FailAt(status, Reason::TailMismatch, dirOffset);
        return InEntry(status, index, info->name);
    }
    const uint64_t afterName =
        static_cast<uint64_t>(entry.entryHeaderOffset) + format::entry_header::kSize + head.nameLength;
    if (entry.firstBlockOffset != afterName) {
        FailAt(status, Reason::FirstBlockMisplaced, entry.firstBlockOffset);
        return InEntry(status, index, info->name);
    }
    // Checked before the walk, which it bounds.
    if (!BlockCountFits(head.decodedSize, head.blockCount)) {
        WrongBlockCount(entry, head.decodedSize, head.blockCount, status);
        return InEntry(status, index, info->name);
    }

    bool seen[256] = {};
    uint64_t offset = entry.firstBlockOffset;
    for (uint32_t b = 0; b < head.blockCount; ++b) {
        constexpr size_t kHeader = format::block_header::kSize;
        // The header and method byte, and the wave header behind the first
        // method byte.
        uint8_t bytes[kHeader + 1 + format::wave_header::kSize];
        const uint32_t want = b == 0 ? sizeof bytes : kHeader + 1;
        uint32_t got = 0;
        auto failInBlock = [&](Reason reason, uint64_t at) {
            if (status != nullptr) status->block = b;
            FailAt(status, reason, at);
            return InEntry(status, index, info->name);
        };
        if (!io::ReadAt(file_, offset, bytes, want, &got)) return failInBlock(Reason::ReadFailed, offset);
        if (got < kHeader) return failInBlock(Reason::BlockHeaderOutsideFile, offset);
        const uint16_t stored = format::ReadLe16(bytes + format::block_header::kStoredSize);
        if (stored == 0) return failInBlock(Reason::StoredSizeZero, offset);
        if (stored > format::block::kMaxBodySize) {
            if (status != nullptr) status->found = stored;
            return failInBlock(Reason::StoredSizeTooLarge, offset);
        }
        if (summary_.fileSize < offset + kHeader || summary_.fileSize - offset - kHeader < stored)
            return failInBlock(Reason::BodyOutsideFile, offset + kHeader);
        const uint8_t method = head.scrambled ? bytes[kHeader] ^ key.bytes[0] : bytes[kHeader];
        if (!seen[method]) {
            seen[method] = true;
            info->methods.push_back(method);
        }
        if (b == 0 && method >= format::kMethodWaveFirst) {
            // The header copy belongs inside the first body.
            if (stored < 1 + format::wave_header::kSize || got < sizeof bytes)
                return failInBlock(Reason::WaveHeaderCopyCut, offset + kHeader + 1);
            uint8_t* wave = bytes + kHeader + 1;
            format::ScrambleRunFrom(wave, format::wave_header::kSize, key, head.scrambled ? 1 : 0);
            info->wave = true;
            info->lossy = DeltaCoded(wave);
        }
        offset += kHeader + stored;
    }
    info->end = offset;
    return true;
}

bool Archive::Find(const std::string& name, size_t* index, Status* status) const {
    detail::WantedName wanted;
    if (name.find('\0') != std::string::npos || !detail::MakeWantedName(name.c_str(), &wanted)) return false;
    EntryHead head;
    const format::Key key = format::MakeKey(key1_, key2_);
    return detail::FindEntry(file_, directory_, key, wanted, index, &head, status) == detail::Lookup::Found;
}

bool EntryStream::Open(const Archive& archive, size_t index, Status* status) {
    slot_ = detail::OpenSlot();
    open_ = false;
    index_ = index;
    name_.clear();
    delivered_ = 0;
    blocksDone_ = 0;
    if (index >= archive.directory_.size()) {
        detail::Fail(status, Reason::ReadFailed);
        return InEntry(status, index, "");
    }
    const DirEntry& entry = archive.directory_[index];
    EntryHead head;
    const format::Key key = format::MakeKey(archive.key1_, archive.key2_);
    if (!detail::ReadEntryHead(archive.file_, entry, key, &head, status)) return InEntry(status, index, "");
    name_ = head.Name();
    if (!BlockCountFits(head.decodedSize, head.blockCount)) {
        WrongBlockCount(entry, head.decodedSize, head.blockCount, status);
        return InEntry(status, index, name_);
    }
    if (!detail::OpenEntrySlot(archive.file_, archive.key1_, archive.key2_, entry, head, &slot_, status))
        return InEntry(status, index, name_);
    open_ = true;
    return true;
}

bool EntryStream::Refuse(Status* status) {
    open_ = false;
    slot_.bufferValid = false;
    return InEntry(status, index_, name_);
}

bool EntryStream::Next(const uint8_t** data, size_t* size, Status* status) {
    *data = nullptr;
    *size = 0;
    if (!open_) {
        detail::Fail(status, Reason::ReadFailed);
        return Refuse(status);
    }
    if (blocksDone_ == slot_.blockCount) return true;
    if (blocksDone_ > 0 && !detail::StepForward(slot_, status)) return Refuse(status);
    uint32_t decoded = 0;
    if (!detail::DecodeCurrentBlock(slot_, slot_.buffer.get(), detail::kBlockBufferSize, &decoded, status))
        return Refuse(status);
    // Every block but the last holds a whole block, the last the rest.
    const bool last = blocksDone_ + 1 == slot_.blockCount;
    const uint32_t expected = last ? slot_.size - delivered_ : kBlock;
    if (decoded != expected) {
        if (status != nullptr) {
            status->block = blocksDone_;
            status->found = decoded;
            status->expected = expected;
        }
        detail::Fail(status, last ? Reason::LastBlockWrongSize : Reason::BlockDecodedShort);
        return Refuse(status);
    }
    ++blocksDone_;
    delivered_ += decoded;
    *data = slot_.buffer.get();
    *size = decoded;
    return true;
}

}  // namespace dta::examine
