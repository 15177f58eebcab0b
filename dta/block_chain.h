// Walking an open entry's block chain and decoding its blocks: the one
// implementation behind dtaRead and the inspection interface's entry stream.
//
// The slot stands on one block (block index and block offset, relative to
// the first block) whose 4-byte header it holds (block size, previous block
// size). A failure returns false and, when `status` is given, records the
// reason with the block index and the file offset or body byte; the slot's
// block fields may then have moved, so callers put them back.
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

// Reads, unscrambles and decodes the current block into `out` (room for one
// whole block) and sets `*decoded`. StoredSizeZero, StoredSizeTooLarge,
// BodyOutsideFile, or the decoder's reason with the body byte.
bool DecodeCurrentBlock(const OpenSlot& slot, uint8_t* out, uint32_t* decoded, Status* status);

}  // namespace dta::detail

#endif  // DTA_BLOCK_CHAIN_H
