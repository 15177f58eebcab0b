// Reading one entry of the installer's archives whole.
#ifndef INSTALLER_ENGINE_ARCHIVE_ENTRY_H
#define INSTALLER_ENGINE_ARCHIVE_ENTRY_H

#include <cstdint>
#include <vector>

namespace installer {

// Reads the entry `name` into `bytes`: a plain file of that name in the
// current folder first, then the registered archives in their order
// (dtaOpen with archiveFirst false). False, with `bytes` empty, when the name
// is null or cannot be opened, the entry is empty or larger than `maxSize`
// bytes, or it cannot be read whole (a short read is a failed read).
bool ReadArchiveEntry(const char* name, int32_t maxSize, std::vector<char>* bytes);

}  // namespace installer

#endif  // INSTALLER_ENGINE_ARCHIVE_ENTRY_H
