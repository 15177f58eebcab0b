// The open-file table's front doors: dtaOpen (disk or archive), dtaClose and
// dtaDelete.
#include <cstdint>

#include "dta/archive.h"
#include "dta/dta.h"
#include "dta/library_state.h"
#include "dta/writer.h"

using dta::detail::LibraryState;
using dta::detail::LockedState;
using dta::detail::OpenSlot;
namespace format = dta::format;
namespace io = dta::io;

namespace {

// Opens `name` as a plain file on disk into a new slot; -1 when it can't be
// opened, its size can't be determined (or doesn't fit 32 bits), or the
// window buffer can't be allocated.
int32_t OpenPlainFile(LibraryState& state, const char* name) {
    const io::FileHandle file = io::OpenRead(name, false);
    if (file == io::kInvalidFile) return -1;
    uint64_t size = 0;
    OpenSlot slot;
    if (!io::Size(file, &size) || size > UINT32_MAX || !(slot.buffer = dta::detail::NewBlockBuffer())) {
        io::Close(file);
        return -1;
    }
    slot.file = file;
    slot.flags = dta::detail::kSlotOwnsFile;
    slot.size = static_cast<uint32_t>(size);
    slot.blockCount = 1;
    slot.bufferedLength = std::min<uint32_t>(slot.size, format::block::kDecodedSize);
    const int32_t handle = dta::detail::InsertSlot(state, std::move(slot));
    if (handle < 0) io::Close(file);
    return handle;
}

}  // namespace

extern "C" int32_t DTA_API dtaOpen(const char* name, int32_t archiveFirst) {
    if (name == nullptr) return -1;
    LockedState state;
    if (!state) return -1;
    if (archiveFirst == 0 && !state->archiveFirstForced) {
        const int32_t handle = OpenPlainFile(*state, name);
        return handle >= 0 ? handle : dta::detail::OpenInArchives(*state, name);
    }
    const int32_t handle = dta::detail::OpenInArchives(*state, name);
    return handle >= 0 ? handle : OpenPlainFile(*state, name);
}

extern "C" int32_t DTA_API dtaClose(int32_t handle) {
    LockedState state;
    if (!state || handle < 0 || static_cast<size_t>(handle) >= state->slots.size()) return 0;
    OpenSlot& slot = state->slots[static_cast<size_t>(handle)];
    if (slot.IsFree()) return 1;
    if ((slot.flags & dta::detail::kSlotOwnsFile) != 0 && !io::Close(slot.file)) return 0;
    bool completed = true;
    if ((slot.flags & dta::detail::kSlotTempFile) != 0) completed = dta::detail::CompleteSafeWrite(slot);
    dta::detail::FreeSlot(slot);
    return completed ? 1 : 0;
}

extern "C" int32_t DTA_API dtaDelete(const char* path) {
    if (path == nullptr) return 0;
    return io::Delete(path) ? 1 : 0;
}
