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
