// The copy worker's file operations on Win32: CreateFileA without sharing.
#include "installer/engine/copy_files.h"

#include <windows.h>

#include <string>

namespace installer::copyfiles {

namespace {

HANDLE ToHandle(File file) {
    return reinterpret_cast<HANDLE>(file);
}

File FromHandle(HANDLE handle) {
    return handle == INVALID_HANDLE_VALUE ? kNoFile : reinterpret_cast<File>(handle);
}

bool IsFolder(const std::string& path) {
    const DWORD attributes = GetFileAttributesA(path.c_str());
    return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY) != 0;
}

bool IsSeparator(char c) {
    return c == '\\' || c == '/';
}

}  // namespace

File OpenSource(const char* path) {
    if (path == nullptr) return kNoFile;
    return FromHandle(
        CreateFileA(path, GENERIC_READ, 0, nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
}

File CreateDestination(const char* path) {
    if (path == nullptr) return kNoFile;
    return FromHandle(
        CreateFileA(path, GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr));
}

bool CreateParentFolders(const char* path) {
    if (path == nullptr) return false;
    const std::string text(path);
    size_t last = std::string::npos;
    for (size_t i = 0; i < text.size(); ++i) {
        if (IsSeparator(text[i])) last = i;
    }
    if (last == std::string::npos || last == 0) return true;
    // Each level in turn, from the top. A drive ("C:") or a level that exists
    // already refuses creation harmlessly; only the last level is checked.
    for (size_t i = 1; i <= last; ++i) {
        if (IsSeparator(text[i])) CreateDirectoryA(text.substr(0, i).c_str(), nullptr);
    }
    return IsFolder(text.substr(0, last));
}

bool Size(File file, uint64_t* size) {
    LARGE_INTEGER value;
    if (file == kNoFile || size == nullptr || !GetFileSizeEx(ToHandle(file), &value)) return false;
    *size = static_cast<uint64_t>(value.QuadPart);
    return true;
}

bool ReadExact(File file, void* buffer, uint32_t count) {
    DWORD got = 0;
    return ReadFile(ToHandle(file), buffer, count, &got, nullptr) && got == count;
}

bool WriteAll(File file, const void* buffer, uint32_t count) {
    DWORD written = 0;
    return WriteFile(ToHandle(file), buffer, count, &written, nullptr) && written == count;
}

void Close(File file) {
    if (file != kNoFile) CloseHandle(ToHandle(file));
}

File OpenAppend(const char* path) {
    if (path == nullptr) return kNoFile;
    return FromHandle(CreateFileA(path, FILE_APPEND_DATA, FILE_SHARE_READ, nullptr, OPEN_ALWAYS,
                                  FILE_ATTRIBUTE_NORMAL, nullptr));
}

bool FileExists(const char* path) {
    if (path == nullptr) return false;
    const DWORD attributes = GetFileAttributesA(path);
    return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY) == 0;
}

bool FolderExists(const char* path) {
    return path != nullptr && IsFolder(path);
}

bool MoveReplacing(const char* from, const char* to) {
    if (from == nullptr || to == nullptr) return false;
    // Write-through: the move is on the disk before the copy that follows
    // overwrites anything.
    return MoveFileExA(from, to, MOVEFILE_REPLACE_EXISTING | MOVEFILE_COPY_ALLOWED | MOVEFILE_WRITE_THROUGH) !=
           FALSE;
}

bool RemoveFile(const char* path) {
    if (path == nullptr) return false;
    if (DeleteFileA(path)) return true;
    const DWORD error = GetLastError();
    return error == ERROR_FILE_NOT_FOUND || error == ERROR_PATH_NOT_FOUND;
}

bool CreateFolder(const char* path) {
    if (path == nullptr) return false;
    return CreateDirectoryA(path, nullptr) || IsFolder(path);
}

bool RemoveEmptyFolder(const char* path) {
    return path != nullptr && RemoveDirectoryA(path) != FALSE;
}

}  // namespace installer::copyfiles
