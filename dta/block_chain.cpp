// The block chain of an open entry: stepping by the stored sizes in the
// block headers, and reading, unscrambling and decoding one block.
#include "dta/block_chain.h"

#include <algorithm>
#include <cstring>

#include "dta/codecs/codecs.h"
#include "dta/file_read.h"

namespace dta::detail {
namespace {

constexpr uint32_t kBlock = static_cast<uint32_t>(format::block::kDecodedSize);

// Absolute offset of the current block's header.
uint64_t HeaderOffset(const OpenSlot& s) {
    return static_cast<uint64_t>(s.firstBlockOffset) + s.blockOffset;
}

bool FailInBlock(const OpenSlot& s, Status* status, Reason reason, uint64_t fileOffset) {
    if (status != nullptr) status->block = s.blockIndex;
    return FailAt(status, reason, fileOffset);
}

}  // namespace

bool ReadBlockHeader(OpenSlot& s, Status* status) {
    uint8_t header[format::block_header::kSize];
    if (!ReadAt(s.file, HeaderOffset(s), header, sizeof header, Reason::BlockHeaderOutsideFile, status)) {
        if (status != nullptr) status->block = s.blockIndex;
        return false;
    }
    s.blockSize = format::ReadLe16(header + format::block_header::kStoredSize);
    s.previousBlockSize = format::ReadLe16(header + format::block_header::kPreviousStoredSize);
    return true;
}

bool StepForward(OpenSlot& s, Status* status) {
    if (s.blockIndex + 1 >= s.blockCount)
        return FailInBlock(s, status, Reason::BlockCountMismatch, HeaderOffset(s));
    // Offsets in the file are 64-bit; a chain may run on past 4 GiB.
    s.blockOffset += format::block_header::kSize + s.blockSize;
    ++s.blockIndex;
    return ReadBlockHeader(s, status);
}

namespace {

// Moves to the previous block by the stored size in the current header.
bool StepBackward(OpenSlot& s, Status* status) {
    const uint32_t back = static_cast<uint32_t>(format::block_header::kSize) + s.previousBlockSize;
    if (s.blockIndex == 0 || s.blockOffset < back)
        return FailInBlock(s, status, Reason::ChainBeforeStart, HeaderOffset(s));
    s.blockOffset -= back;
    --s.blockIndex;
    return ReadBlockHeader(s, status);
}

}  // namespace

bool WalkTo(OpenSlot& s, uint32_t target, Status* status) {
    if (target >= s.blockCount) return FailInBlock(s, status, Reason::BlockCountMismatch, HeaderOffset(s));
    if (target < s.blockIndex / 2) {
        s.blockOffset = 0;
        s.blockIndex = 0;
        if (!ReadBlockHeader(s, status)) return false;
    }
    while (s.blockIndex < target) {
        if (!StepForward(s, status)) return false;
    }
    while (s.blockIndex > target) {
        if (!StepBackward(s, status)) return false;
    }
    return true;
}

bool DecodeCurrentBlock(const OpenSlot& s, uint8_t* out, uint32_t* decoded, Status* status) {
    const uint32_t size = s.blockSize;
    const uint64_t offset = HeaderOffset(s) + format::block_header::kSize;
    if (size == 0) return FailInBlock(s, status, Reason::StoredSizeZero, HeaderOffset(s));
    if (format::block::kMaxBodySize < size) {
        if (status != nullptr) status->found = size;
        return FailInBlock(s, status, Reason::StoredSizeTooLarge, HeaderOffset(s));
    }
    uint8_t body[format::block::kMaxBodySize];
    if (!ReadAt(s.file, offset, body, size, Reason::BodyOutsideFile, status)) {
        if (status != nullptr) status->block = s.blockIndex;
        return false;
    }
    const format::Key key = format::MakeKey(s.key1, s.key2);
    if (s.scrambled) {
        format::ScrambleRun(body, size, key);
    } else if (s.waveHeader && s.blockIndex == 0) {
        // The wave header copy at the start of the first payload is always
        // scrambled, as a run of its own in an unscrambled entry.
        format::ScrambleRun(body + 1, std::min<size_t>(size - 1, format::wave_header::kSize), key);
    }
    const uint8_t method = body[0];
    if (method == format::kMethodLz || method >= format::kMethodWaveFirst) {
        codecs::DecodeFault fault;
        const int32_t result = codecs::DecodeBlock(body, size, out, kBlock, s.waveHeader.get(), &fault);
        if (result < 0 || kBlock < static_cast<uint32_t>(result)) {
            if (status != nullptr) {
                status->byte = static_cast<int64_t>(fault.at);
                status->fileOffset = static_cast<int64_t>(offset + fault.at);
            }
            return FailInBlock(s, status, fault.reason, offset + fault.at);
        }
        *decoded = static_cast<uint32_t>(result);
        return true;
    }
    // Stored: the payload is the data, and no more than one block of it.
    if (kBlock < size - 1) {
        if (status != nullptr) status->byte = 1 + kBlock;
        return FailInBlock(s, status, Reason::StoredTooLong, offset + 1 + kBlock);
    }
    std::memcpy(out, body + 1, size - 1);
    *decoded = size - 1;
    return true;
}

}  // namespace dta::detail
