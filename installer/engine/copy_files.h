// The copy worker's door to the file system: one implementation per platform
// (copy_files_posix.cpp, copy_files_win32.cpp). Paths are the installer's
// Windows-style texts; the POSIX side reads a backslash as a folder
// separator, so the same relative names work in the native tests.
#ifndef INSTALLER_ENGINE_COPY_FILES_H
#define INSTALLER_ENGINE_COPY_FILES_H

#include <cstdint>

namespace installer::copyfiles {

using File = intptr_t;
inline constexpr File kNoFile = -1;

// Opens an existing file for reading, not shared with anyone.
File OpenSource(const char* path);

// Creates `path` for writing, not shared, replacing an existing file.
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

// Holds an open file and closes it when it goes.
class OwnedFile {
public:
    explicit OwnedFile(File file = kNoFile) : file_(file) {}
    ~OwnedFile() { Close(file_); }
    OwnedFile(const OwnedFile&) = delete;
    OwnedFile& operator=(const OwnedFile&) = delete;

    File Get() const { return file_; }
    bool Valid() const { return file_ != kNoFile; }
    void Reset(File file = kNoFile) {
        Close(file_);
        file_ = file;
    }

private:
    File file_;
};

}  // namespace installer::copyfiles

#endif  // INSTALLER_ENGINE_COPY_FILES_H
