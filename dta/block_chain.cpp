// The block chain of an open entry: stepping by the stored sizes in the
// block headers, and reading, unscrambling and decoding one block.
//
// Each read of a block body also brings the next block's header and method
// byte (5 bytes more in the same call), so walking forwards costs one system
// call per block, and a stored block whose method is known goes straight
// from the file into its destination and is unscrambled there.
#include "dta/block_chain.h"

#include <algorithm>
#include <cstring>

#include "dta/codecs/codecs.h"
#include "dta/file_read.h"

namespace dta::detail {
namespace {

constexpr uint32_t kBlock = static_cast<uint32_t>(format::block::kDecodedSize);
constexpr uint32_t kHeader = static_cast<uint32_t>(format::block_header::kSize);
// A block header and the method byte behind it.
constexpr uint32_t kAhead = kHeader + 1;

// Absolute offset of the current block's header.
uint64_t HeaderOffset(const OpenSlot& s) {
    return static_cast<uint64_t>(s.firstBlockOffset) + s.blockOffset;
}

bool FailInBlock(const OpenSlot& s, Status* status, Reason reason, uint64_t fileOffset) {
    if (status != nullptr) status->block = s.blockIndex;
    return FailAt(status, reason, fileOffset);
}

bool IsStored(int16_t method) {
    return method >= 0 && method != format::kMethodLz && method < format::kMethodWaveFirst;
}

// A block's header and, when it was read, its method byte.
struct BlockHead {
    uint32_t size;
    uint32_t previousSize;
    int16_t method;  // -1: not read
};

BlockHead ParseHead(const OpenSlot& s, const uint8_t* bytes, bool withMethod) {
    // Inside a scrambled body the method byte takes key byte 0.
    const uint8_t keyByte = s.scrambled ? static_cast<uint8_t>(s.key1) : 0;
    return {format::ReadLe16(bytes + format::block_header::kStoredSize),
            format::ReadLe16(bytes + format::block_header::kPreviousStoredSize),
            withMethod ? static_cast<int16_t>(bytes[kHeader] ^ keyByte) : int16_t{-1}};
}

// Makes `bytes` the current block's header (and method byte).
void TakeHeader(OpenSlot& s, const uint8_t* bytes, bool withMethod) {
    const BlockHead head = ParseHead(s, bytes, withMethod);
    s.blockSize = head.size;
    s.previousBlockSize = head.previousSize;
    s.blockMethod = head.method;
}

bool IsFullStored(const BlockHead& head) {
    return head.size == kBlock + 1 && IsStored(head.method);
}

// Keeps the 5 bytes read behind the current body as the next block's header.
void KeepAhead(OpenSlot& s, const uint8_t* bytes) {
    std::memcpy(s.ahead, bytes, kAhead);
    s.aheadValid = true;
}

}  // namespace

bool ReadBlockHeader(OpenSlot& s, Status* status) {
    // The method byte comes along when the file holds it.
    uint8_t bytes[kAhead];
    uint32_t got = 0;
    const uint64_t offset = HeaderOffset(s);
    if (!io::ReadAt(s.file, offset, bytes, kAhead, &got))
        return FailInBlock(s, status, Reason::ReadFailed, offset);
    if (got < kHeader) return FailInBlock(s, status, Reason::BlockHeaderOutsideFile, offset);
    TakeHeader(s, bytes, got == kAhead);
    s.aheadValid = false;
    return true;
}

bool StepForward(OpenSlot& s, Status* status) {
    if (s.blockIndex + 1 >= s.blockCount)
        return FailInBlock(s, status, Reason::BlockCountMismatch, HeaderOffset(s));
    // Offsets in the file are 64-bit; a chain may run on past 4 GiB.
    s.blockOffset += kHeader + s.blockSize;
    ++s.blockIndex;
    if (!s.aheadValid) return ReadBlockHeader(s, status);
    TakeHeader(s, s.ahead, true);
    s.aheadValid = false;
    return true;
}

namespace {

// Moves to the previous block by the stored size in the current header.
bool StepBackward(OpenSlot& s, Status* status) {
    const uint32_t back = kHeader + s.previousBlockSize;
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

bool DecodeCurrentBlock(OpenSlot& s, uint8_t* out, size_t room, uint32_t* decoded, Status* status) {
    const uint32_t size = s.blockSize;
    const uint64_t offset = HeaderOffset(s) + kHeader;
    if (size == 0) return FailInBlock(s, status, Reason::StoredSizeZero, HeaderOffset(s));
    if (format::block::kMaxBodySize < size) {
        if (status != nullptr) status->found = size;
        return FailInBlock(s, status, Reason::StoredSizeTooLarge, HeaderOffset(s));
    }
    const bool next = s.blockIndex + 1 < s.blockCount;
    const format::Key key = format::MakeKey(s.key1, s.key2);
    uint32_t got = 0;

    if (IsStored(s.blockMethod)) {
        // Stored, and no more than one block of it: the payload goes straight
        // to `out`, the next header behind it when `out` has the room.
        const uint32_t payload = size - 1;
        if (kBlock < payload) {
            if (status != nullptr) status->byte = 1 + kBlock;
            return FailInBlock(s, status, Reason::StoredTooLong, offset + 1 + kBlock);
        }
        const uint32_t want = payload + (next && room - payload >= kAhead ? kAhead : 0);
        if (!io::ReadAt(s.file, offset + 1, out, want, &got))
            return FailInBlock(s, status, Reason::ReadFailed, offset);
        if (got < payload) return FailInBlock(s, status, Reason::BodyOutsideFile, offset);
        if (want > payload && got == want) KeepAhead(s, out + payload);
        if (s.scrambled) format::ScrambleRunFrom(out, payload, key, 1);
        *decoded = payload;
        return true;
    }

    uint8_t body[format::block::kMaxBodySize + kAhead];
    const uint32_t want = size + (next ? kAhead : 0);
    if (!io::ReadAt(s.file, offset, body, want, &got))
        return FailInBlock(s, status, Reason::ReadFailed, offset);
    if (got < size) return FailInBlock(s, status, Reason::BodyOutsideFile, offset);
    if (want > size && got == want) KeepAhead(s, body + size);
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
            if (status != nullptr) status->byte = static_cast<int64_t>(fault.at);
            return FailInBlock(s, status, fault.reason, offset + fault.at);
        }
        *decoded = static_cast<uint32_t>(result);
        return true;
    }
    // Stored, its method not known before the read.
    if (kBlock < size - 1) {
        if (status != nullptr) status->byte = 1 + kBlock;
        return FailInBlock(s, status, Reason::StoredTooLong, offset + 1 + kBlock);
    }
    std::memcpy(out, body + 1, size - 1);
    *decoded = size - 1;
    return true;
}

namespace {

// Full stored blocks read by one call at most.
constexpr uint32_t kBatch = 4;
static_assert(2 * kBatch <= io::kMaxReadPieces, "a payload and a header per block");

// Reads the current block, a full stored one, and as many of the up to
// `most` - 1 blocks behind it as turn out to be full stored blocks too, in
// one call: each payload straight to its place in `out`, each header (and
// method byte) in between to `heads`. Then the slot stands on the last of
// them; `*taken` says how many.
bool ReadStoredRun(OpenSlot& s, uint8_t* out, uint32_t most, uint32_t* taken, Status* status) {
    uint8_t heads[kBatch][kAhead];
    io::Piece pieces[2 * kBatch];
    size_t count = 0;
    for (uint32_t j = 0; j < most; ++j) {
        if (j > 0) pieces[count++] = {heads[j - 1], kAhead};
        pieces[count++] = {out + size_t{j} * kBlock, kBlock};
    }
    // The header behind the last one, when the entry goes on.
    const bool next = s.blockIndex + most < s.blockCount;
    if (next) pieces[count++] = {heads[most - 1], kAhead};
    const uint64_t offset = HeaderOffset(s) + kAhead;
    uint64_t got = 0;
    if (!io::ReadPiecesAt(s.file, offset, pieces, count, &got))
        return FailInBlock(s, status, Reason::ReadFailed, offset);
    if (got < kBlock) return FailInBlock(s, status, Reason::BodyOutsideFile, offset - 1);
    const format::Key key = format::MakeKey(s.key1, s.key2);
    constexpr uint64_t kStride = kAhead + kBlock;
    uint32_t j = 0;
    for (;;) {
        if (s.scrambled) format::ScrambleRunFrom(out + size_t{j} * kBlock, kBlock, key, 1);
        // The header behind block j, when it arrived whole.
        const bool headRead = got >= (j + 1) * kStride;
        if (j + 1 == most) {
            s.aheadValid = false;
            if (next && headRead) KeepAhead(s, heads[j]);
            break;
        }
        if (!headRead) {
            s.aheadValid = false;
            break;
        }
        // Stop in front of a block that is not a full stored one, or whose
        // payload did not arrive whole: it is read again on its own.
        if (!IsFullStored(ParseHead(s, heads[j], true)) || got < (j + 1) * kStride + kBlock) {
            KeepAhead(s, heads[j]);
            break;
        }
        s.blockOffset += kHeader + s.blockSize;
        ++s.blockIndex;
        TakeHeader(s, heads[j], true);
        ++j;
    }
    *taken = j + 1;
    return true;
}

}  // namespace

bool DecodeWholeBlocks(OpenSlot& s, uint8_t* out, uint32_t blocks, size_t room, Status* status) {
    uint32_t done = 0;
    while (done < blocks) {
        if (!StepForward(s, status)) return false;
        uint8_t* at = out + size_t{done} * kBlock;
        if (IsFullStored({s.blockSize, s.previousBlockSize, s.blockMethod})) {
            uint32_t taken = 0;
            if (!ReadStoredRun(s, at, std::min(blocks - done, kBatch), &taken, status)) return false;
            done += taken;
            continue;
        }
        uint32_t decoded = 0;
        if (!DecodeCurrentBlock(s, at, room - size_t{done} * kBlock, &decoded, status)) return false;
        if (decoded != kBlock) {
            if (status != nullptr) {
                status->found = decoded;
                status->expected = kBlock;
            }
            return FailInBlock(s, status, Reason::BlockDecodedShort, HeaderOffset(s));
        }
        ++done;
    }
    return true;
}

}  // namespace dta::detail
