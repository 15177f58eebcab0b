// The archive library's file operations on Win32: CreateFileA and friends.
#include "dta/file_io.h"

#include <windows.h>

namespace dta::io {
namespace {

HANDLE ToHandle(FileHandle file) {
    return reinterpret_cast<HANDLE>(file);
}

FileHandle FromHandle(HANDLE handle) {
    return handle == INVALID_HANDLE_VALUE ? kInvalidFile : reinterpret_cast<FileHandle>(handle);
}

bool IsUsable(FileHandle file) {
    return file != kInvalidFile && file != 0;
}

// Windows refuses to write into a read-only file; say so here too, so the
// rule holds where the system would let an administrator through (Wine run
// as root does). True, with ERROR_ACCESS_DENIED set, for a read-only file.
bool RefusedAsReadOnly(const char* path) {
    const DWORD existing = GetFileAttributesA(path);
    if (existing != INVALID_FILE_ATTRIBUTES && (existing & FILE_ATTRIBUTE_READONLY) != 0 &&
        (existing & FILE_ATTRIBUTE_DIRECTORY) == 0) {
        SetLastError(ERROR_ACCESS_DENIED);
        return true;
    }
    return false;
}

}  // namespace

FileHandle OpenRead(const char* path, bool randomAccess, Share share) {
    if (path == nullptr) {
        return kInvalidFile;
    }
    DWORD attributes = FILE_ATTRIBUTE_NORMAL;
    if (randomAccess) {
        attributes |= FILE_FLAG_RANDOM_ACCESS;
    }
    const DWORD shareMode = share == Share::Readers ? FILE_SHARE_READ : 0;
    return FromHandle(
        CreateFileA(path, GENERIC_READ, shareMode, nullptr, OPEN_EXISTING, attributes, nullptr));
}

FileHandle OpenWrite(const char* path, bool createAlways, bool hidden) {
    if (path == nullptr) {
        return kInvalidFile;
    }
    if (RefusedAsReadOnly(path)) {
        return kInvalidFile;
    }
    const DWORD disposition = createAlways ? CREATE_ALWAYS : OPEN_ALWAYS;
    const DWORD attributes = hidden ? FILE_ATTRIBUTE_HIDDEN : FILE_ATTRIBUTE_NORMAL;
    return FromHandle(CreateFileA(path, GENERIC_WRITE, 0, nullptr, disposition, attributes, nullptr));
}

FileHandle OpenAppend(const char* path) {
    if (path == nullptr || RefusedAsReadOnly(path)) {
        return kInvalidFile;
    }
    return FromHandle(CreateFileA(path, FILE_APPEND_DATA, FILE_SHARE_READ, nullptr, OPEN_ALWAYS,
                                  FILE_ATTRIBUTE_NORMAL, nullptr));
}

bool Close(FileHandle file) {
    return IsUsable(file) && CloseHandle(ToHandle(file)) != FALSE;
}

bool Read(FileHandle file, void* buffer, uint32_t count, uint32_t* got) {
    if (got != nullptr) {
        *got = 0;
    }
    if (!IsUsable(file) || got == nullptr || (buffer == nullptr && count != 0)) {
        return false;
    }
    DWORD done = 0;
    const BOOL ok = ReadFile(ToHandle(file), buffer, count, &done, nullptr);
    *got = done;
    return ok != FALSE;
}

bool ReadAt(FileHandle file, uint64_t offset, void* buffer, uint32_t count, uint32_t* got) {
    if (got != nullptr) {
        *got = 0;
    }
    if (!IsUsable(file) || got == nullptr || (buffer == nullptr && count != 0)) {
        return false;
    }
    auto* out = static_cast<uint8_t*>(buffer);
    while (*got < count) {
        // A synchronous handle reads at the offset the OVERLAPPED block gives.
        const uint64_t position = offset + *got;
        OVERLAPPED at{};
        at.Offset = static_cast<DWORD>(position);
        at.OffsetHigh = static_cast<DWORD>(position >> 32);
        DWORD done = 0;
        if (!ReadFile(ToHandle(file), out + *got, count - *got, &done, &at)) {
            // Reading at the end is reported as an error with this code.
            if (GetLastError() == ERROR_HANDLE_EOF) {
                break;
            }
            return false;
        }
        if (done == 0) {
            break;
        }
        *got += done;
    }
    return true;
}

bool ReadPiecesAt(FileHandle file, uint64_t offset, const Piece* pieces, size_t count, uint64_t* got) {
    if (got != nullptr) {
        *got = 0;
    }
    if (got == nullptr || pieces == nullptr || count > kMaxReadPieces) {
        return false;
    }
    // Scattered reads need unbuffered files here: one read per piece.
    for (size_t i = 0; i < count; ++i) {
        uint32_t done = 0;
        if (!ReadAt(file, offset + *got, pieces[i].data, pieces[i].size, &done)) {
            return false;
        }
        *got += done;
        if (done < pieces[i].size) {
            break;
        }
    }
    return true;
}

bool Write(FileHandle file, const void* buffer, uint32_t count, uint32_t* written) {
    if (written != nullptr) {
        *written = 0;
    }
    if (!IsUsable(file) || written == nullptr || (buffer == nullptr && count != 0)) {
        return false;
    }
    DWORD done = 0;
    const BOOL ok = WriteFile(ToHandle(file), buffer, count, &done, nullptr);
    *written = done;
    return ok != FALSE;
}

bool Seek(FileHandle file, int64_t offset, SeekOrigin origin, uint64_t* position) {
    if (!IsUsable(file)) {
        return false;
    }
    DWORD method = FILE_BEGIN;
    switch (origin) {
        case SeekOrigin::Begin:
            method = FILE_BEGIN;
            break;
        case SeekOrigin::Current:
            method = FILE_CURRENT;
            break;
        case SeekOrigin::End:
            method = FILE_END;
            break;
        default:
            return false;
    }
    LONG high = static_cast<LONG>(static_cast<uint64_t>(offset) >> 32);
    // A low part of all bits set is a valid position unless the system also
    // reports an error, so the last-error value must be cleared first.
    SetLastError(NO_ERROR);
    const DWORD low = SetFilePointer(ToHandle(file), static_cast<LONG>(offset & 0xFFFFFFFF), &high, method);
    if (low == INVALID_SET_FILE_POINTER && GetLastError() != NO_ERROR) {
        return false;
    }
    if (position != nullptr) {
        *position = (static_cast<uint64_t>(static_cast<DWORD>(high)) << 32) | low;
    }
    return true;
}

bool Size(FileHandle file, uint64_t* size) {
    if (!IsUsable(file) || size == nullptr) {
        return false;
    }
    DWORD high = 0;
    SetLastError(NO_ERROR);
    const DWORD low = GetFileSize(ToHandle(file), &high);
    if (low == INVALID_FILE_SIZE && GetLastError() != NO_ERROR) {
        return false;
    }
    *size = (static_cast<uint64_t>(high) << 32) | low;
    return true;
}

bool LastWriteTime(FileHandle file, uint64_t* fileTime) {
    if (!IsUsable(file) || fileTime == nullptr) {
        return false;
    }
    FILETIME created{}, accessed{}, written{};
    if (!GetFileTime(ToHandle(file), &created, &accessed, &written)) {
        return false;
    }
    *fileTime = (static_cast<uint64_t>(written.dwHighDateTime) << 32) | written.dwLowDateTime;
    return true;
}

bool Exists(const char* path) {
    return path != nullptr && GetFileAttributesA(path) != INVALID_FILE_ATTRIBUTES;
}

bool IsFolder(const char* path) {
    if (path == nullptr) {
        return false;
    }
    const DWORD attributes = GetFileAttributesA(path);
    return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY) != 0;
}

bool Delete(const char* path) {
    return path != nullptr && DeleteFileA(path) != FALSE;
}

namespace {

// Sets or clears the read-only attribute, keeping the others.
bool ChangeReadOnly(const char* path, bool readOnly) {
    if (path == nullptr) {
        return false;
    }
    const DWORD attributes = GetFileAttributesA(path);
    if (attributes == INVALID_FILE_ATTRIBUTES) {
        return false;
    }
    const DWORD others = attributes & ~static_cast<DWORD>(FILE_ATTRIBUTE_READONLY | FILE_ATTRIBUTE_NORMAL);
    DWORD changed = readOnly ? others | FILE_ATTRIBUTE_READONLY : others;
    if (changed == 0) {
        changed = FILE_ATTRIBUTE_NORMAL;  // "no attributes" must be said this way
    }
    return SetFileAttributesA(path, changed) != FALSE;
}

}  // namespace

bool ClearReadOnly(const char* path) {
    return ChangeReadOnly(path, false);
}

bool SetReadOnly(const char* path) {
    return ChangeReadOnly(path, true);
}

bool IsReadOnly(const char* path) {
    if (path == nullptr) {
        return false;
    }
    const DWORD attributes = GetFileAttributesA(path);
    return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_READONLY) != 0;
}

bool Copy(const char* from, const char* to) {
    return from != nullptr && to != nullptr && CopyFileA(from, to, FALSE) != FALSE;
}

bool Replace(const char* from, const char* to) {
    return from != nullptr && to != nullptr &&
           MoveFileExA(from, to, MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH) != FALSE;
}

bool Move(const char* from, const char* to) {
    // Write-through: the move is on the disk before whatever follows it
    // overwrites anything.
    return from != nullptr && to != nullptr &&
           MoveFileExA(from, to,
                       MOVEFILE_REPLACE_EXISTING | MOVEFILE_COPY_ALLOWED | MOVEFILE_WRITE_THROUGH) != FALSE;
}

bool CreateFolder(const char* path) {
    return path != nullptr && (CreateDirectoryA(path, nullptr) != FALSE || IsFolder(path));
}

bool RemoveFolder(const char* path) {
    return path != nullptr && RemoveDirectoryA(path) != FALSE;
}

void ToSystemSeparators(char*) {}

}  // namespace dta::io
