// The archive library's only door to the operating system: a handful of file
// operations with one implementation per platform (file_io_posix.cpp,
// file_io_win32.cpp). Handles are integers wide enough for a Win32 HANDLE;
// kInvalidFile (all bits set) is never a valid handle.
#ifndef DTA_FILE_IO_H
#define DTA_FILE_IO_H

#include <cstddef>
#include <cstdint>

namespace dta::io {

using FileHandle = intptr_t;
inline constexpr FileHandle kInvalidFile = -1;

enum class SeekOrigin { Begin = 0, Current = 1, End = 2 };

// Opens an existing file for reading, shared with other readers.
// `randomAccess` hints that reads will jump around (archives).
FileHandle OpenRead(const char* path, bool randomAccess);

// Opens a file for writing, not shared. `createAlways`: truncate or create;
// otherwise keep the contents, creating the file when missing. `hidden` sets
// the hidden attribute on a file this call creates.
FileHandle OpenWrite(const char* path, bool createAlways, bool hidden);

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

// Path operations.
bool Exists(const char* path);
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

}  // namespace dta::io

#endif  // DTA_FILE_IO_H
