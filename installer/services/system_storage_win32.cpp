#include <windows.h>

#include <cstring>

#include "system.h"
#include "system_error_mode_win32.h"
#include "system_rules.h"

namespace {

bool IsFolder(const char* path) {
    const DWORD attributes = GetFileAttributesA(path);
    return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY) != 0;
}

}  // namespace

bool GetTempFolder(char* buffer, uint32_t size) {
    if (buffer == nullptr || size == 0) return false;
    const DWORD length = GetTempPathA(size, buffer);
    // 0 is a failure; a count of `size` or more is the room the path would
    // need, and the buffer then holds no usable text.
    if (length == 0 || length >= size) return false;
    return EndFolderWithOneBackslash(buffer, size);
}

bool CreatePath(const char* path) {
    if (path == nullptr || path[0] == '\0') return false;
    const size_t length = std::strlen(path);
    if (kCreatePathBufferSize - 1 < length) return false;

    // Creates every folder on the way: whenever the next character is a
    // separator, the text so far names a folder (or a drive such as "C:",
    // which CreateDirectoryA harmlessly refuses, as it does existing folders).
    // Windows takes a typed forward slash as a separator too.
    char partial[kCreatePathBufferSize];
    QuietDriveErrors quiet;
    for (size_t i = 0; i < length; ++i) {
        if ((path[i] == '\\' || path[i] == '/') && i > 0) {
            partial[i] = '\0';
            CreateDirectoryA(partial, nullptr);
        }
        partial[i] = path[i];
    }
    partial[length] = '\0';
    CreateDirectoryA(partial, nullptr);
    return IsFolder(partial);
}
