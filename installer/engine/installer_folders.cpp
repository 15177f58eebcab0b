#include "installer/engine/installer_folders.h"

#include <cstring>

namespace installer {

bool MakeFolderText(const char* folder, char* out, size_t outSize) {
    if (folder == nullptr || out == nullptr) return false;
    size_t length = std::strlen(folder);
    bool needsBackslash = length > 0 && folder[length - 1] != '\\';
    size_t total = length + (needsBackslash ? 1 : 0);
    // total characters plus the terminator must fit.
    if (outSize <= total) return false;
    std::memmove(out, folder, length);
    if (needsBackslash) out[length] = '\\';
    out[total] = '\0';
    return true;
}

InstallerFolders::InstallerFolders() {
    source_[0] = '\0';
    destination_[0] = '\0';
}

bool InstallerFolders::SetSource(const char* folder) {
    return MakeFolderText(folder, source_, sizeof source_);
}

bool InstallerFolders::SetDestination(const char* folder) {
    return MakeFolderText(folder, destination_, sizeof destination_);
}

}  // namespace installer
