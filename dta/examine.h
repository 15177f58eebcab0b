// Looking into one archive file without registering it: its directory entry
// by entry, every structural rule checked with a reason, and each entry's
// decoded bytes block by block. For the archive tool's list, verify, cat and
// extract; not exported from PWsetup.exe.
//
// It reads through the same code as dtaOpen and dtaRead (dta/archive_layout.h,
// dta/block_chain.h), straight from the archive file it was given: a plain
// file of an entry's name in the current folder plays no part. It takes no
// library lock and touches no library state; an Archive and the streams
// opened on it belong to one thread at a time.
//
// Memory stays bounded whatever the file says: the directory (checked to lie
// inside the file before it is read), one entry's header, and per stream one
// decode buffer of 32,768 bytes. No allocation is sized by a field read from
// the file before that field was checked against the file's size.
#ifndef DTA_EXAMINE_H
#define DTA_EXAMINE_H

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "dta/file_io.h"
#include "dta/format.h"
#include "dta/library_state.h"
#include "dta/status.h"

namespace dta::examine {

struct ArchiveSummary {
    uint64_t fileSize = 0;
    uint32_t directoryOffset = 0;
    uint32_t directorySize = 0;  // bytes, as stored in the archive header
    size_t entryCount = 0;       // whole directory entries claimed: directorySize / 28
};

// What the directory, the entry header and the block chain say about one
// entry. Fields stay at their defaults where reading stopped.
struct EntryInfo {
    size_t index = 0;
    // The directory entry.
    uint32_t key = 0;
    uint32_t entryHeaderOffset = 0;
    uint32_t firstBlockOffset = 0;
    // The entry header and the name.
    bool headerRead = false;
    bool nameRead = false;  // false: the name is unreadable and `name` empty
    std::string name;       // as stored, backslashes and letter case kept
    uint64_t fileTime = 0;  // FILETIME
    uint32_t decodedSize = 0;
    uint32_t blockCount = 0;
    bool scrambled = false;
    // The block chain.
    bool wave = false;             // a wave entry: its first block's method is 8 or more
    bool lossy = false;            // a wave entry of 16-bit samples, delta coded with loss
    std::vector<uint8_t> methods;  // distinct block methods in order of first use (at most 256)
    uint64_t end = 0;              // just past the last block (the name, without blocks); 0 unless
                                   // every rule ReadEntry checks holds
};

class EntryStream;

// One archive file opened for inspection.
class Archive {
public:
    Archive() = default;
    ~Archive();
    Archive(const Archive&) = delete;
    Archive& operator=(const Archive&) = delete;

    // Opens the file at `path`, checks the magic and reads the archive header
    // and the directory with the two key words. False with CannotOpen,
    // NotAnArchive, ArchiveHeaderCut, DirectoryOutsideFile (a wrong key gives
    // nonsense offsets), ReadFailed or OutOfMemory. The directory is read
    // only as far as its keys ascend (see CheckDirectory), so memory follows
    // the entries read, never the count a damaged header claims. Opening
    // again first closes what was open.
    bool Open(const std::string& path, uint32_t key1, uint32_t key2, Status* status);

    const ArchiveSummary& Summary() const { return summary_; }
    // The entries read: the directory's, up to the first key out of order.
    size_t EntryCount() const { return directory_.size(); }

    // The rules about the directory as a whole: its size is a multiple of 28
    // (DirectorySizeNotMultiple; the reader ignores the bytes left over) and
    // its keys ascend (DirectoryOutOfOrder, with the entry that breaks it;
    // lookups by name then miss entries). True when both hold.
    bool CheckDirectory(Status* status) const;

    // Reads entry `index` (below EntryCount) into `info` and checks every
    // rule that needs no decoding: header and name inside the file, a name of
    // at most 259 bytes whose lookup key and tail are the directory's, the
    // first block right after the name, a block count that the decoded size
    // needs (one block or none for an empty entry), and every block header
    // and body inside the file with a stored size of 1 to 32,772 bytes. False
    // at the first rule broken, with the reason, the entry, its name when
    // read, and the block and file offset where they apply; `info` then
    // holds what was read before.
    bool ReadEntry(size_t index, EntryInfo* info, Status* status) const;

    // Finds `name` as dtaOpen finds it in an archive (ASCII letters in either
    // case). True with `*index`; false when absent (status Ok) or when a
    // candidate's header or name can't be read (the reason).
    bool Find(const std::string& name, size_t* index, Status* status) const;

private:
    friend class EntryStream;

    void Close();

    io::FileHandle file_ = io::kInvalidFile;
    uint32_t key1_ = 0;
    uint32_t key2_ = 0;
    ArchiveSummary summary_;
    std::vector<detail::DirEntry> directory_;
    size_t unsorted_ = 0;  // index of the first key below its predecessor
};

// An entry's decoded bytes, one block at a time, with one block buffer.
class EntryStream {
public:
    // Opens entry `index` of `archive` (which must outlive the stream). False
    // when its header, name or first block can't be read, or when its block
    // count is not the one its decoded size needs.
    bool Open(const Archive& archive, size_t index, Status* status);

    // The entry's decoded size.
    uint32_t Size() const { return slot_.size; }

    // Decodes the next block. True with `*data` pointing at its bytes (valid
    // until the next call) and `*size` their count; true with `*size` 0 once
    // the whole entry was delivered. False on damage, with the reason and the
    // block, also when a block other than the last decodes to less than
    // 32,768 bytes (BlockDecodedShort) or the last one to other than the rest
    // of the entry (LastBlockWrongSize). After a failure it stays failed.
    bool Next(const uint8_t** data, size_t* size, Status* status);

private:
    bool Refuse(Status* status);

    detail::OpenSlot slot_;
    size_t index_ = 0;
    std::string name_;
    uint32_t delivered_ = 0;
    uint32_t blocksDone_ = 0;
    bool open_ = false;
};

}  // namespace dta::examine

#endif  // DTA_EXAMINE_H
