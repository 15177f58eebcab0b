// Reading the archive layout of dta/format.h from a file: the magic, the
// archive header, the directory, an entry's header and name, the lookup of a
// name, and the opening of an entry into a slot. The exported functions and
// the inspection interface (dta/examine.h) both read archives through these
// and through dta/block_chain.h, so there is one parser.
//
// Every function takes a file of the seam and reads with absolute offsets
// (seek, then read), so callers may share one file. A failure returns false
// and, when `status` is given, records the reason and the file offset.
#ifndef DTA_ARCHIVE_LAYOUT_H
#define DTA_ARCHIVE_LAYOUT_H

#include <cstdint>
#include <string>
#include <vector>

#include "dta/file_io.h"
#include "dta/format.h"
#include "dta/library_state.h"
#include "dta/status.h"

namespace dta::detail {

// The file starts with "PWD0". NotAnArchive when not (also for a file
// shorter than the magic), ReadFailed when the system refuses.
bool ReadMagic(io::FileHandle file, Status* status);

// The archive header's two fields that a reader uses.
struct ArchiveHeader {
    uint32_t directoryOffset = 0;
    uint32_t directorySize = 0;  // bytes, as stored
};

// Reads and unscrambles the archive header. ArchiveHeaderCut when the file
// ends inside it.
bool ReadArchiveHeader(io::FileHandle file, const format::Key& key, ArchiveHeader* header, Status* status);

// Reads the whole entries that the header's directory size holds (size div
// 28) and unscrambles them into `directory`, replacing its contents, with
// the runs of equal keys marked and the entries chained by key and tail
// (DirEntry).
// DirectoryOutsideFile, before anything is allocated, when they don't lie
// inside the file; `directory` is then left as it was.
bool ReadDirectory(io::FileHandle file, const format::Key& key, const ArchiveHeader& header,
                   std::vector<DirEntry>* directory, Status* status);

// Reads the directory as ReadDirectory does, but only as far as its keys
// ascend: `directory` holds the entries before the first key below its
// predecessor, and `*unsorted` is that entry's index (the entry count when
// all ascend). Memory grows with the entries read, never with what the
// header claims, so a garbage directory costs little.
bool ReadSortedDirectory(io::FileHandle file, const format::Key& key, const ArchiveHeader& header,
                         std::vector<DirEntry>* directory, size_t* unsorted, Status* status);

// An entry's header and name, unscrambled.
struct EntryHead {
    uint64_t fileTime = 0;
    uint32_t decodedSize = 0;
    uint32_t blockCount = 0;
    uint16_t nameLength = 0;
    bool scrambled = false;
    uint8_t name[format::kMaxNameLength] = {};  // nameLength bytes, as stored

    std::string Name() const { return std::string(name, name + nameLength); }
};

// Reads the entry header and the name after it. EntryHeaderOutsideFile or
// NameOutsideFile when the file ends first; NameTooLong (the name not read)
// for a length above format::kMaxNameLength.
bool ReadEntryHead(io::FileHandle file, const DirEntry& entry, const format::Key& key, EntryHead* head,
                   Status* status);

// A requested name: upper-cased, with its lookup key and 16-byte tail.
struct WantedName {
    std::string upper;
    int32_t key = 0;
    uint8_t tail[format::directory_entry::kNameTailSize] = {};
};

// False for a null name or one longer than format::kMaxNameLength.
bool MakeWantedName(const char* name, WantedName* wanted);

// The lookup key and the 16-byte tail that a name of `length` bytes has.
void KeyAndTail(const uint8_t* name, size_t length, uint32_t* key, uint8_t tail[16]);

// Compares two 16-byte name tails as zero-terminated strings, as the lookup
// does: negative, zero (equal) or positive.
int CompareTails(const uint8_t* a, const uint8_t* b);

inline bool TailsEqual(const uint8_t* a, const uint8_t* b) {
    return CompareTails(a, b) == 0;
}

enum class Lookup { Found, NotFound, ReadFailed };

// Finds `wanted` in one archive's directory: a binary search on the key,
// then the run of equal keys by tail and full name. Found fills `*index` and
// `*head`. ReadFailed (with the reason in `status`) when a candidate's header
// or name can't be read in full, which ends the caller's whole search.
Lookup FindEntry(io::FileHandle file, const std::vector<DirEntry>& directory, const format::Key& key,
                 const WantedName& wanted, size_t* index, EntryHead* head, Status* status);

// Opens the entry into `slot`: reads its first block's header and method
// byte and, for a wave entry, the 44-byte wave header; allocates the block
// buffer. BlockHeaderOutsideFile, WaveHeaderOutsideFile or OutOfMemory.
bool OpenEntrySlot(io::FileHandle file, uint32_t key1, uint32_t key2, const DirEntry& entry,
                   const EntryHead& head, OpenSlot* slot, Status* status);

}  // namespace dta::detail

#endif  // DTA_ARCHIVE_LAYOUT_H
