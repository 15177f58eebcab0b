// The one door to the operating system's files, for the archive library and
// the installer's copy worker: a handful of file operations with one
// implementation per platform (file_io_posix.cpp, file_io_win32.cpp). Handles
// are integers wide enough for a Win32 HANDLE; kInvalidFile (all bits set) is
// never a valid handle.
#ifndef DTA_FILE_IO_H
#define DTA_FILE_IO_H

#include <cstddef>
#include <cstdint>

namespace dta::io {

using FileHandle = intptr_t;
inline constexpr FileHandle kInvalidFile = -1;

enum class SeekOrigin { Begin = 0, Current = 1, End = 2 };

// Who else may open a file while a handle holds it. POSIX systems have no
// share modes, so there every choice behaves as Readers.
enum class Share {
    None,     // nobody: the file cannot change (or be read) behind the holder
    Readers,  // others may read it, nobody may write or delete it
};

// Opens an existing file (not a folder) for reading, shared as `share` says.
// `randomAccess` hints that reads will jump around (archives).
FileHandle OpenRead(const char* path, bool randomAccess, Share share = Share::Readers);

// Opens a file for writing, not shared. `createAlways`: truncate or create;
// otherwise keep the contents, creating the file when missing. `hidden` sets
// the hidden attribute on a file this call creates.
FileHandle OpenWrite(const char* path, bool createAlways, bool hidden);

// Opens a file for appending (every write goes to its end), creating it when
// missing; shared with readers. A read-only file is refused, as by OpenWrite.
FileHandle OpenAppend(const char* path);

// Closes the handle; false when the system refuses.
bool Close(FileHandle file);

// Reads up to `count` bytes; `*got` is what arrived. False on a system error.
bool Read(FileHandle file, void* buffer, uint32_t count, uint32_t* got);

// Reads up to `count` bytes at the absolute `offset`, in one system call
// where the system allows; `*got` is what arrived, fewer only at the end of
// the file. False on a system error. Where the file pointer is left is
// unspecified.
bool ReadAt(FileHandle file, uint64_t offset, void* buffer, uint32_t count, uint32_t* got);

// One destination of a scattered read, and how many one read takes.
inline constexpr size_t kMaxReadPieces = 64;
struct Piece {
    void* data;
    uint32_t size;
};

// Reads the file bytes from the absolute `offset` on into `pieces` in turn
// (each filled before the next), with one system call where the system
// allows; `*got` is the total that arrived, less only at the end of the file.
// False on a system error or for more than kMaxReadPieces pieces.
bool ReadPiecesAt(FileHandle file, uint64_t offset, const Piece* pieces, size_t count, uint64_t* got);

// Writes `count` bytes; `*written` is what was written. False on error.
bool Write(FileHandle file, const void* buffer, uint32_t count, uint32_t* written);

// Moves the file pointer; `*position` gets the new absolute position.
bool Seek(FileHandle file, int64_t offset, SeekOrigin origin, uint64_t* position);

// The file's length in bytes.
bool Size(FileHandle file, uint64_t* size);

// Last-write time as a Windows FILETIME value (100 ns ticks since 1601).
bool LastWriteTime(FileHandle file, uint64_t* fileTime);

// Path operations. Paths are the system's own (see ToSystemSeparators).
// Exists: a file or a folder is there. IsFolder: a folder is there.
bool Exists(const char* path);
bool IsFolder(const char* path);
bool Delete(const char* path);
bool ClearReadOnly(const char* path);
// Sets the read-only attribute again (after ClearReadOnly, when what the
// attribute was cleared for did not happen).
bool SetReadOnly(const char* path);
bool IsReadOnly(const char* path);
// Copies `from` over `to` (replacing it).
bool Copy(const char* from, const char* to);
// Moves `from` over `to` in one step where the system allows (the target is
// never absent in between); the target must not be read-only.
bool Replace(const char* from, const char* to);
// Moves `from` over `to` like Replace, but also across volumes, where the
// file is copied and the original deleted; the original stays whole when the
// move fails.
bool Move(const char* from, const char* to);

// Creates one folder (its parent must exist); true when a folder is there
// afterwards, also when it was there before.
bool CreateFolder(const char* path);
// Removes a folder, only when it is empty.
bool RemoveFolder(const char* path);

// Rewrites a Windows-style path (the installer's, with backslashes) in place
// into the system's spelling: on POSIX systems every backslash becomes a
// slash, so the same relative names work in the native tests; on Win32 the
// path stays as it is.
void ToSystemSeparators(char* path);

// Holds an open file and closes it when it goes.
class OwnedFile {
public:
    explicit OwnedFile(FileHandle file = kInvalidFile) : file_(file) {}
    ~OwnedFile() { Close(file_); }
    OwnedFile(const OwnedFile&) = delete;
    OwnedFile& operator=(const OwnedFile&) = delete;

    FileHandle Get() const { return file_; }
    bool Valid() const { return file_ != kInvalidFile; }
    // Closes the held file (if any) and takes over `file`.
    void Reset(FileHandle file = kInvalidFile) {
        Close(file_);
        file_ = file;
    }

private:
    FileHandle file_;
};

}  // namespace dta::io

#endif  // DTA_FILE_IO_H
