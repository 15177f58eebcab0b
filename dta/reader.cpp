// Reading and seeking an open slot: a plain file through a window of one
// block, or an archive entry block by block along its chain.
#include <algorithm>
#include <cstring>

#include "dta/block_chain.h"
#include "dta/dta.h"
#include "dta/file_read.h"
#include "dta/library_state.h"

using dta::detail::DecodeCurrentBlock;
using dta::detail::LockedState;
using dta::detail::OpenSlot;
using dta::detail::StepForward;
using dta::detail::WalkTo;
namespace format = dta::format;
namespace io = dta::io;

namespace {

constexpr uint32_t kBlock = static_cast<uint32_t>(format::block::kDecodedSize);

// The slot fields a failed read puts back.
struct ReadPlace {
    uint32_t position;
    uint32_t bufferOffset;
    uint64_t blockOffset;
    uint32_t blockIndex;
    uint32_t blockSize;
    uint32_t previousBlockSize;
    int16_t blockMethod;
    bool aheadValid;
    uint8_t ahead[sizeof OpenSlot::ahead];

    explicit ReadPlace(const OpenSlot& s)
        : position(s.position),
          bufferOffset(s.bufferOffset),
          blockOffset(s.blockOffset),
          blockIndex(s.blockIndex),
          blockSize(s.blockSize),
          previousBlockSize(s.previousBlockSize),
          blockMethod(s.blockMethod),
          aheadValid(s.aheadValid) {
        std::memcpy(ahead, s.ahead, sizeof ahead);
    }

    // Puts the fields back; the buffer may hold anything now, so it is invalid.
    int32_t Fail(OpenSlot& s) const {
        s.position = position;
        s.bufferOffset = bufferOffset;
        s.blockOffset = blockOffset;
        s.blockIndex = blockIndex;
        s.blockSize = blockSize;
        s.previousBlockSize = previousBlockSize;
        s.blockMethod = blockMethod;
        s.aheadValid = aheadValid;
        std::memcpy(s.ahead, ahead, sizeof ahead);
        s.bufferValid = false;
        return -1;
    }
};

// ---- plain files ----------------------------------------------------------

int32_t ReadPlain(OpenSlot& s, uint8_t* out, uint32_t count) {
    const ReadPlace before(s);
    if (!s.bufferValid || s.position < s.blockOffset || s.position - s.blockOffset >= s.bufferedLength) {
        const uint32_t offset = s.position - s.position % kBlock;
        const uint32_t length = std::min(s.size - offset, kBlock);
        if (!dta::detail::ReadExactAt(s.file, offset, s.buffer.get(), length)) return before.Fail(s);
        s.blockOffset = offset;
        s.bufferedLength = length;
        s.bufferValid = true;
    }
    // A plain file's window lies within its 32-bit size.
    s.bufferOffset = s.position - static_cast<uint32_t>(s.blockOffset);
    const uint32_t available = s.bufferedLength - s.bufferOffset;
    if (count <= available) {
        std::memcpy(out, s.buffer.get() + s.bufferOffset, count);
        s.bufferOffset += count;
        s.position += count;
        if (s.bufferOffset == s.bufferedLength && s.position < s.size) {
            s.blockOffset += s.bufferedLength;
            s.bufferValid = false;
        }
        return static_cast<int32_t>(count);
    }

    std::memcpy(out, s.buffer.get() + s.bufferOffset, available);
    uint32_t remaining = count - available;
    s.bufferValid = false;
    s.blockOffset += s.bufferedLength;
    s.bufferOffset = 0;
    s.position += available;
    s.bufferedLength = std::min(s.size - static_cast<uint32_t>(s.blockOffset), kBlock);
    if (remaining < s.bufferedLength) {
        if (!dta::detail::ReadExactAt(s.file, s.blockOffset, s.buffer.get(), s.bufferedLength))
            return before.Fail(s);
        std::memcpy(out + available, s.buffer.get(), remaining);
        s.bufferOffset = remaining;
        s.position += remaining;
        s.bufferValid = true;
    } else {
        // The rest covers at least a whole window: read it straight into the
        // caller's buffer.
        if (!dta::detail::ReadExactAt(s.file, s.blockOffset, out + available, remaining))
            return before.Fail(s);
        s.position += remaining;
    }
    return static_cast<int32_t>(count);
}

// ---- archive entries ------------------------------------------------------

int32_t ReadEntry(OpenSlot& s, uint8_t* out, uint32_t count) {
    const ReadPlace before(s);
    const uint32_t target = s.position / kBlock;
    if (target != s.blockIndex) {
        if (!WalkTo(s, target, nullptr)) return before.Fail(s);
        s.bufferOffset = s.position - target * kBlock;
        s.bufferValid = false;
    }
    uint32_t delivered = 0;
    if (!s.bufferValid && s.bufferOffset == 0 && count >= kBlock) {
        // The read covers the whole block: it goes straight into the
        // caller's buffer. A shorter block can't be, as below.
        uint32_t decoded = 0;
        if (!DecodeCurrentBlock(s, out, count, &decoded, nullptr) || decoded != kBlock) return before.Fail(s);
        delivered = kBlock;
    } else {
        if (!s.bufferValid) {
            uint32_t decoded = 0;
            if (!DecodeCurrentBlock(s, s.buffer.get(), dta::detail::kBlockBufferSize, &decoded, nullptr))
                return before.Fail(s);
            s.bufferedLength = decoded;
            s.bufferValid = true;
        }
        // A block that decodes to less than the position within it is damaged.
        if (s.bufferedLength < s.bufferOffset) return before.Fail(s);
        const uint32_t available = s.bufferedLength - s.bufferOffset;

        if (count <= available) {
            std::memcpy(out, s.buffer.get() + s.bufferOffset, count);
            s.bufferOffset += count;
            s.position += count;
            if (s.bufferOffset == s.bufferedLength && s.blockIndex + 1 < s.blockCount) {
                if (!StepForward(s, nullptr)) return before.Fail(s);
                s.bufferOffset = 0;
                s.bufferValid = false;
            }
            return static_cast<int32_t>(count);
        }

        // More than this block holds: it must be a whole block, or the
        // positions of the blocks behind it would not match the data.
        if (s.bufferedLength != kBlock) return before.Fail(s);
        std::memcpy(out, s.buffer.get() + s.bufferOffset, available);
        delivered = available;
    }
    s.bufferValid = false;
    s.position += delivered;
    const uint32_t remaining = count - delivered;
    const uint32_t whole = remaining / kBlock;
    const uint32_t tail = remaining % kBlock;
    if (!dta::detail::DecodeWholeBlocks(s, out + delivered, whole, count - delivered, nullptr))
        return before.Fail(s);
    delivered += whole * kBlock;
    s.position += whole * kBlock;
    if (tail > 0) {
        uint32_t decoded = 0;
        if (!StepForward(s, nullptr) ||
            !DecodeCurrentBlock(s, s.buffer.get(), dta::detail::kBlockBufferSize, &decoded, nullptr) ||
            decoded < tail)
            return before.Fail(s);
        s.bufferedLength = decoded;
        s.bufferValid = true;
        std::memcpy(out + delivered, s.buffer.get(), tail);
        s.bufferOffset = tail;
        delivered += tail;
        s.position += tail;
    } else {
        if (s.blockIndex + 1 < s.blockCount && !StepForward(s, nullptr)) return before.Fail(s);
        s.bufferOffset = 0;
    }
    return static_cast<int32_t>(delivered);
}

// ---- seeking ---------------------------------------------------------------

int32_t SeekWriter(OpenSlot& s, int32_t offset, uint32_t origin) {
    if (origin > 2) return -1;
    uint64_t position = 0;
    if (!io::Seek(s.file, offset, static_cast<io::SeekOrigin>(origin), &position)) return -1;
    s.position = static_cast<uint32_t>(position);
    s.bufferOffset = s.position % kBlock;
    return static_cast<int32_t>(s.position);
}

int32_t SeekReader(OpenSlot& s, int32_t offset, uint32_t origin) {
    int64_t position = 0;
    switch (origin) {
        case 0:
            position = offset;
            break;
        case 1:
            position = static_cast<int64_t>(s.position) + offset;
            break;
        case 2:
            if (offset > 0) return -1;
            position = static_cast<int64_t>(s.size) + offset;
            break;
        default:
            return -1;
    }
    if (position < 0 || static_cast<int64_t>(s.size) < position) return -1;
    s.position = static_cast<uint32_t>(position);
    s.bufferOffset = s.position % kBlock;
    return static_cast<int32_t>(s.position);
}

}  // namespace

extern "C" int32_t DTA_API dtaRead(int32_t handle, void* buffer, uint32_t count) {
    if (buffer == nullptr) return -1;
    LockedState state;
    if (!state) return -1;
    OpenSlot* slot = dta::detail::UsedSlot(*state, handle);
    if (slot == nullptr || (slot->flags & dta::detail::kSlotWriting) != 0 || !slot->buffer) return -1;
    // The result must be able to report the count.
    count = std::min(
        {count, slot->size - std::min(slot->position, slot->size), static_cast<uint32_t>(INT32_MAX)});
    if (count == 0) return 0;
    auto* out = static_cast<uint8_t*>(buffer);
    return (slot->flags & dta::detail::kSlotOwnsFile) != 0 ? ReadPlain(*slot, out, count)
                                                           : ReadEntry(*slot, out, count);
}

extern "C" int32_t DTA_API dtaSeek(int32_t handle, int32_t offset, uint32_t origin) {
    LockedState state;
    if (!state) return -1;
    OpenSlot* slot = dta::detail::UsedSlot(*state, handle);
    if (slot == nullptr) return -1;
    return (slot->flags & dta::detail::kSlotWriting) != 0 ? SeekWriter(*slot, offset, origin)
                                                          : SeekReader(*slot, offset, origin);
}
