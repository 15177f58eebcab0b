// The plain-file writer: dtaOpenWrite, dtaWrite, and the safe replacement of
// the target through "<target>.tmp" when the handle is closed.
#include "dta/writer.h"

#include <cstring>
#include <new>
#include <string>

#include "dta/dta.h"

using dta::detail::LockedState;
using dta::detail::OpenSlot;
namespace format = dta::format;
namespace io = dta::io;

namespace {

constexpr uint32_t kOpenHidden = 0x1;
constexpr uint32_t kOpenSafe = 0x100;
constexpr uint32_t kOpenEmpty = 0x10000;
constexpr uint32_t kOpenForceReadOnly = 0x100000;

constexpr char kTempSuffix[] = ".tmp";
constexpr size_t kTempSuffixLength = sizeof kTempSuffix - 1;

// Opens `path` for writing; with `forceReadOnly` a file that can't be opened
// has its read-only attribute cleared and is tried once more.
io::FileHandle OpenForWriting(const char* path, bool createAlways, bool hidden, bool forceReadOnly) {
    io::FileHandle file = io::OpenWrite(path, createAlways, hidden);
    if (file == io::kInvalidFile && forceReadOnly && io::Exists(path)) {
        io::ClearReadOnly(path);
        file = io::OpenWrite(path, createAlways, hidden);
    }
    return file;
}

// Removes a temporary file of ours, read-only or not.
void RemoveTemp(const char* path) {
    if (io::IsReadOnly(path)) io::ClearReadOnly(path);
    io::Delete(path);
}

// Opens the temporary file of a safe-mode write so that it holds exactly the
// target's present contents (`keep`, when there is a target) or nothing.
// Whatever "<target>.tmp" held before (a failed replacement leaves one
// behind) never shows through: a stale file is removed first, an existing
// target that can't be copied whole refuses the open, and without a target
// the file is created empty. A read-only stale file needs `forceReadOnly`,
// like any read-only file.
io::FileHandle OpenTemp(const char* target, const char* temp, bool createAlways, bool hidden,
                        bool forceReadOnly) {
    if (forceReadOnly && io::IsReadOnly(temp)) io::ClearReadOnly(temp);
    io::Delete(temp);
    const bool stale = io::Exists(temp);
    const bool keep = !createAlways && io::Exists(target);
    if (keep && !io::Copy(target, temp)) {
        // What a failed copy left behind is neither the target nor empty.
        if (!stale) RemoveTemp(temp);
        return io::kInvalidFile;
    }
    // Nothing kept: truncate, in case a stale file could not be removed.
    const io::FileHandle file = OpenForWriting(temp, !keep, hidden, forceReadOnly);
    if (file == io::kInvalidFile && keep) RemoveTemp(temp);
    return file;
}

}  // namespace

namespace dta::detail {

bool CompleteSafeWrite(const OpenSlot& slot) {
    const std::string& temp = slot.tempName;
    if (temp.size() <= kTempSuffixLength) return false;
    if ((slot.flags & kSlotAbandoned) != 0) {
        RemoveTemp(temp.c_str());
        return true;
    }
    const std::string target = temp.substr(0, temp.size() - kTempSuffixLength);
    const bool readOnly = io::IsReadOnly(target.c_str());
    if (readOnly) io::ClearReadOnly(target.c_str());
    // One atomic move: the target is never absent, and when the move fails the
    // temporary file keeps the caller's data and the target its attribute.
    if (io::Replace(temp.c_str(), target.c_str())) return true;
    if (readOnly) io::SetReadOnly(target.c_str());
    return false;
}

}  // namespace dta::detail

extern "C" int32_t DTA_API dtaOpenWrite(const char* path, uint32_t flags) {
    if (path == nullptr || *path == '\0') return -1;
    LockedState state;
    if (!state) return -1;
    const bool hidden = (flags & kOpenHidden) != 0;
    const bool safe = (flags & kOpenSafe) != 0;
    const bool createAlways = (flags & kOpenEmpty) != 0;
    const bool forceReadOnly = (flags & kOpenForceReadOnly) != 0;

    OpenSlot slot;
    slot.buffer = dta::detail::NewBlockBuffer();
    if (!slot.buffer) return -1;
    try {
        if (safe) slot.tempName = std::string(path) + kTempSuffix;
    } catch (const std::bad_alloc&) {
        return -1;
    }

    const io::FileHandle file =
        safe ? OpenTemp(path, slot.tempName.c_str(), createAlways, hidden, forceReadOnly)
             : OpenForWriting(path, createAlways, hidden, forceReadOnly);
    if (file == io::kInvalidFile) return -1;

    slot.file = file;
    slot.flags =
        dta::detail::kSlotOwnsFile | dta::detail::kSlotWriting | (safe ? dta::detail::kSlotTempFile : 0);
    slot.blockCount = 1;
    slot.bufferedLength = format::block::kDecodedSize;
    const int32_t handle = dta::detail::InsertSlot(*state, std::move(slot));
    if (handle < 0) io::Close(file);
    return handle;
}

extern "C" int32_t DTA_API dtaWrite(int32_t handle, const void* buffer, uint32_t count) {
    LockedState state;
    if (!state) return -1;
    OpenSlot* slot = dta::detail::UsedSlot(*state, handle);
    // Only handles from dtaOpenWrite write; read handles are refused here, not
    // left to the system.
    if (slot == nullptr || (slot->flags & dta::detail::kSlotWriting) == 0) return -1;
    // A null buffer abandons the write; so does any failed or short write,
    // and a count that the result could not report.
    uint32_t written = 0;
    if (buffer != nullptr && count <= static_cast<uint32_t>(INT32_MAX) &&
        io::Write(slot->file, buffer, count, &written) && written == count)
        return static_cast<int32_t>(count);
    if ((slot->flags & dta::detail::kSlotTempFile) != 0) slot->flags |= dta::detail::kSlotAbandoned;
    return -1;
}
