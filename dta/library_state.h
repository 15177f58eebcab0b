// The archive library's process-wide state, gathered in one place: the archive
// table, the open-file table, the recursive library lock, the reference and
// object counters and the two switches.
//
// The state is created on first use and never by a static constructor, so it
// is ready whatever the order of static initialisation, and also when the
// program's runtime start-up never ran (the exports called from a copy of the
// program loaded as a library). It is freed at program exit.
#ifndef DTA_LIBRARY_STATE_H
#define DTA_LIBRARY_STATE_H

#include <cstdint>
#include <memory>
#include <mutex>
#include <string>
#include <vector>

#include "dta/file_io.h"
#include "dta/format.h"

namespace dta::detail {

// Longest archive path a record keeps (a Win32 MAX_PATH less its terminator).
inline constexpr size_t kMaxArchivePath = 259;

// A slot's buffer: one decoded block, and room behind it for the next
// block's header and method byte, which a read of a whole stored block
// brings along.
inline constexpr size_t kBlockBufferSize = format::block::kDecodedSize + 8;

// Open-file slot flags.
inline constexpr uint32_t kSlotOwnsFile = 0x1;    // plain file or writer; closed at dtaClose
inline constexpr uint32_t kSlotWriting = 0x2;     // opened by dtaOpenWrite
inline constexpr uint32_t kSlotTempFile = 0x4;    // writes go to "<target>.tmp"
inline constexpr uint32_t kSlotAbandoned = 0x80;  // a safe-mode write failed or was abandoned

// Ends a chain of directory entries.
inline constexpr uint32_t kNoEntry = 0xFFFFFFFF;

// One directory entry, unscrambled (28 bytes on disk).
struct DirEntry {
    uint32_t key = 0;
    uint32_t entryHeaderOffset = 0;
    uint32_t firstBlockOffset = 0;
    uint8_t nameTail[format::directory_entry::kNameTailSize] = {};
    // Made when the directory is read, for the lookup: the first entry of
    // the run of entries with this key that stand next to it, and a chain
    // through the entries whose key and name tail hash alike (`next`, in
    // directory order) that starts at the `bucket`-th entry's `chain`.
    uint32_t runStart = 0;
    uint32_t chain = kNoEntry;
    uint32_t next = kNoEntry;
};

// One registered archive. Its file handle also identifies it.
struct ArchiveRecord {
    io::FileHandle file = io::kInvalidFile;
    uint32_t key1 = 0;
    uint32_t key2 = 0;
    std::string path;
    std::vector<DirEntry> directory;
};

// One open file: a plain file read through a window, an archive entry read
// along its block chain, or a file being written.
struct OpenSlot {
    io::FileHandle file = io::kInvalidFile;  // kInvalidFile marks a free slot
    uint32_t flags = 0;
    uint64_t modificationTime = 0;  // FILETIME of an archive entry
    uint32_t size = 0;
    uint32_t firstBlockOffset = 0;
    uint64_t blockOffset = 0;  // archive entries: relative to firstBlockOffset
    uint32_t position = 0;
    uint32_t bufferOffset = 0;
    uint32_t blockCount = 0;
    uint32_t blockIndex = 0;
    uint32_t blockSize = 0;
    uint32_t previousBlockSize = 0;
    std::unique_ptr<uint8_t[]> waveHeader;  // format::wave_header::kSize bytes, wave entries only
    uint32_t bufferedLength = 0;
    uint32_t key1 = 0;
    uint32_t key2 = 0;
    bool bufferValid = false;
    bool scrambled = false;
    std::string tempName;               // safe-mode writers only
    std::unique_ptr<uint8_t[]> buffer;  // kBlockBufferSize bytes
    // Archive entries: the current block's method byte (unscrambled), or -1
    // while unknown; and the next block's header and method byte as read
    // behind the current block's body, valid when aheadValid.
    int16_t blockMethod = -1;
    uint8_t ahead[format::block_header::kSize + 1] = {};
    bool aheadValid = false;

    bool IsFree() const { return file == io::kInvalidFile; }
};

struct LibraryState {
    std::recursive_mutex lock;
    std::vector<ArchiveRecord> archives;  // in registration order
    std::vector<OpenSlot> slots;          // a handle is an index here
    int32_t references = 0;               // references held on all archive objects
    int32_t objects = 0;                  // archive objects alive
    bool archiveFirstForced = false;
    bool leakReportEnabled = false;
};

// The state, created on first use; null only when it could not be allocated.
LibraryState* State();

// Holds the library lock for its lifetime. Converts to false when the state
// could not be created, in which case every operation reports failure.
class LockedState {
public:
    LockedState();
    LockedState(const LockedState&) = delete;
    LockedState& operator=(const LockedState&) = delete;

    explicit operator bool() const { return state_ != nullptr; }
    LibraryState* operator->() const { return state_; }
    LibraryState& operator*() const { return *state_; }

private:
    LibraryState* state_;
    std::unique_lock<std::recursive_mutex> guard_;
};

// The slot behind `handle`, or null for a negative handle, one at or past the
// end of the table, or a free slot. Call with the lock held.
OpenSlot* UsedSlot(LibraryState& state, int32_t handle);

// Puts `slot` into the lowest free place of the table (appending when none is
// free) and returns its handle, or -1 when the table cannot grow. Call with
// the lock held.
int32_t InsertSlot(LibraryState& state, OpenSlot&& slot);

// Frees the slot's buffers and names and marks it free (the file handle is
// not closed here).
void FreeSlot(OpenSlot& slot);

// A fresh buffer of kBlockBufferSize bytes, or null.
std::unique_ptr<uint8_t[]> NewBlockBuffer();

// Runs the leak report (when enabled) and frees the tables. Called once at
// program exit; a later call into the library starts with a fresh state.
void ShutDownLibrary();

}  // namespace dta::detail

#endif  // DTA_LIBRARY_STATE_H
