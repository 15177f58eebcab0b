// The installer's two folders: the source folder (where the
// installer's data and the disc files are read from) and the destination
// folder (where the game goes).
//
// A folder text holds at most 511 characters and ends in a backslash once
// set, so a file path is formed by appending a relative name directly to it.
// The setters keep that rule; the empty text means "not set" (and, used as a
// prefix, the current directory).
#ifndef INSTALLER_ENGINE_INSTALLER_FOLDERS_H
#define INSTALLER_ENGINE_INSTALLER_FOLDERS_H

#include <cstddef>

namespace installer {

inline constexpr size_t kMaxFolderLength = 511;
inline constexpr size_t kFolderBufferSize = kMaxFolderLength + 1;

// Copies `folder` into `out` (which holds `outSize` bytes) and appends a
// backslash when the text does not already end in one; the empty text stays
// empty. Returns false, leaving `out` unchanged, when `folder` or `out` is
// null or the result (with its terminator) would not fit in `outSize` bytes.
bool MakeFolderText(const char* folder, char* out, size_t outSize);

class InstallerFolders {
public:
    InstallerFolders();

    // Sets the folder through MakeFolderText with the 511-character limit.
    // A null or over-long folder is refused with false and the folder stays
    // as it was.
    bool SetSource(const char* folder);
    bool SetDestination(const char* folder);

    // The current folder texts (empty until set); valid for the object's life.
    const char* Source() const { return source_; }
    const char* Destination() const { return destination_; }

private:
    char source_[kFolderBufferSize];
    char destination_[kFolderBufferSize];
};

}  // namespace installer

#endif  // INSTALLER_ENGINE_INSTALLER_FOLDERS_H
