// What the copy worker and the copy journal do with files, on top of the one
// file layer (dta/file_io.h), which holds the platform split. Paths are the
// installer's Windows-style texts; on POSIX systems a backslash is read as a
// folder separator, so the same relative names work in the native tests.
//
// Files are held without sharing where the copy needs it: a source that
// nobody may open meanwhile cannot change (or vanish) half-way through the
// copy, and a destination that nobody may open is never seen half-written.
#ifndef INSTALLER_ENGINE_COPY_FILES_H
#define INSTALLER_ENGINE_COPY_FILES_H

#include <cstdint>

#include "dta/file_io.h"

namespace installer::copyfiles {

using File = dta::io::FileHandle;
inline constexpr File kNoFile = dta::io::kInvalidFile;
using dta::io::OwnedFile;

// Opens an existing file for reading, not shared with anyone.
File OpenSource(const char* path);

// Creates `path` for writing, not shared, replacing an existing file (but
// not a read-only one, which Windows refuses).
File CreateDestination(const char* path);

// Creates every missing folder above the file `path` (the folders its
// separators name). True when the last of them exists afterwards, or when
// the path names no folder.
bool CreateParentFolders(const char* path);

// The file's size in bytes.
bool Size(File file, uint64_t* size);

// Reads exactly `count` bytes; a short read is a failed read.
bool ReadExact(File file, void* buffer, uint32_t count);

// Writes all `count` bytes.
bool WriteAll(File file, const void* buffer, uint32_t count);

// Closes an open file; kNoFile is ignored.
void Close(File file);

// What the copy journal needs besides the copy itself.

// Opens `path` for appending, creating it when missing; others may read it
// meanwhile.
File OpenAppend(const char* path);

// Whether `path` names an existing file (not a folder), or a folder.
bool FileExists(const char* path);
bool FolderExists(const char* path);

// Moves the file `from` to `to`, replacing a file there; across volumes the
// file is copied and the original deleted. The original stays whole on
// failure.
bool MoveReplacing(const char* from, const char* to);

// Deletes a file; true when it is gone afterwards (also when it never was).
bool RemoveFile(const char* path);

// Creates one folder (its parent must exist); true when it exists afterwards.
bool CreateFolder(const char* path);

// Removes a folder only when it is empty.
bool RemoveEmptyFolder(const char* path);

}  // namespace installer::copyfiles

#endif  // INSTALLER_ENGINE_COPY_FILES_H
