// Walking an open entry's block chain and decoding its blocks: the one
// implementation behind dtaRead and the inspection interface's entry stream.
//
// The slot stands on one block (block index and block offset, relative to
// the first block) whose 4-byte header it holds (block size, previous block
// size), and knows the block's method byte when it was read along. A failure returns false and, when `status`
// is given, records the reason with the block index and the file offset or body byte; the slot's block fields
// may then have moved, so callers put them back.
#ifndef DTA_BLOCK_CHAIN_H
#define DTA_BLOCK_CHAIN_H

#include <cstdint>

#include "dta/library_state.h"
#include "dta/status.h"

namespace dta::detail {

// Reads the header of the block the slot stands on. BlockHeaderOutsideFile
// when the file ends first.
bool ReadBlockHeader(OpenSlot& slot, Status* status);

// Moves to the next block of the chain and reads its header. False at the
// entry's last block (BlockCountMismatch: the data ran out early).
bool StepForward(OpenSlot& slot, Status* status);

// Moves to block `target` (below the block count): forwards, backwards by
// the previous-block sizes, or from the first block when the target lies
// below half the current index.
bool WalkTo(OpenSlot& slot, uint32_t target, Status* status);

// Reads, unscrambles and decodes the current block into `out`, where `room`
// bytes (at least one whole block) may be written, and sets `*decoded`. The
// block's data takes at most one block; a stored block may also leave the
// next block's header in the bytes behind its data, within `room`.
// StoredSizeZero, StoredSizeTooLarge, BodyOutsideFile, StoredTooLong, or the
// decoder's reason with the body byte.
bool DecodeCurrentBlock(OpenSlot& slot, uint8_t* out, size_t room, uint32_t* decoded, Status* status);

// Steps to each of the next `blocks` blocks and decodes it into `out`, one
// after another; every one must decode to a whole block (BlockDecodedShort).
// `out` holds `room` bytes, at least `blocks` whole blocks. Full stored
// blocks in a row are read several at a time with one system call. On
// failure the blocks before the failing one are in `out`.
bool DecodeWholeBlocks(OpenSlot& slot, uint8_t* out, uint32_t blocks, size_t room, Status* status);

}  // namespace dta::detail

#endif  // DTA_BLOCK_CHAIN_H
