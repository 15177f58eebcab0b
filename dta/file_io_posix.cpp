// The archive library's file operations on POSIX systems. The Win32
// read-only attribute is modelled by the write permission bits: a file with
// none of them is read-only, and is refused for writing, deleting and
// replacing the way Windows refuses a read-only file (also for root).
#include "dta/file_io.h"

#include <cerrno>
#include <cstdio>
#include <fcntl.h>
#include <sys/stat.h>
#include <sys/uio.h>
#include <unistd.h>

#include "dta/posix_file.h"

namespace dta::io {
namespace {

using posix::ToFileTime;
using posix::WriteAll;

constexpr mode_t kAnyWrite = S_IWUSR | S_IWGRP | S_IWOTH;

int ToFd(FileHandle file) {
    return static_cast<int>(file);
}

bool IsOpen(FileHandle file) {
    return file >= 0 && file <= INT32_MAX;
}

bool ReadOnlyMode(mode_t mode) {
    return (mode & kAnyWrite) == 0;
}

}  // namespace

FileHandle OpenRead(const char* path, bool randomAccess, Share) {
    if (path == nullptr) return kInvalidFile;
    // Without O_NONBLOCK, opening a pipe would wait for a writer.
    const int fd = ::open(path, O_RDONLY | O_CLOEXEC | O_NONBLOCK);
    if (fd < 0) return kInvalidFile;
    struct stat info;
    // Folders open on POSIX but not on Windows: refuse them here too, and
    // pipes and devices, which have no size to read by.
    if (::fstat(fd, &info) != 0 || !S_ISREG(info.st_mode) ||
        ::fcntl(fd, F_SETFL, ::fcntl(fd, F_GETFL) & ~O_NONBLOCK) != 0) {
        ::close(fd);
        return kInvalidFile;
    }
#if defined(POSIX_FADV_RANDOM)
    if (randomAccess) ::posix_fadvise(fd, 0, 0, POSIX_FADV_RANDOM);
#endif
    return fd;
}

FileHandle OpenWrite(const char* path, bool createAlways, bool hidden) {
    if (path == nullptr) return kInvalidFile;
    if (IsReadOnly(path)) {
        errno = EACCES;
        return kInvalidFile;
    }
    const int fd = ::open(path, O_WRONLY | O_CREAT | O_CLOEXEC | (createAlways ? O_TRUNC : 0), 0666);
    if (fd < 0) return kInvalidFile;
    struct stat info;
    if (::fstat(fd, &info) != 0 || S_ISDIR(info.st_mode)) {
        ::close(fd);
        return kInvalidFile;
    }
    return fd;
}

FileHandle OpenAppend(const char* path) {
    if (path == nullptr) return kInvalidFile;
    if (IsReadOnly(path)) {
        errno = EACCES;
        return kInvalidFile;
    }
    const int fd = ::open(path, O_WRONLY | O_CREAT | O_APPEND | O_CLOEXEC, 0666);
    return fd < 0 ? kInvalidFile : fd;
}

bool Close(FileHandle file) {
    return IsOpen(file) && ::close(ToFd(file)) == 0;
}

bool Read(FileHandle file, void* buffer, uint32_t count, uint32_t* got) {
    if (got == nullptr) return false;
    *got = 0;
    if (!IsOpen(file) || (buffer == nullptr && count != 0)) return false;
    auto* out = static_cast<uint8_t*>(buffer);
    while (*got < count) {
        const ssize_t done = ::read(ToFd(file), out + *got, count - *got);
        if (done < 0 && errno == EINTR) continue;
        if (done < 0) return false;
        if (done == 0) break;
        *got += static_cast<uint32_t>(done);
    }
    return true;
}

bool ReadAt(FileHandle file, uint64_t offset, void* buffer, uint32_t count, uint32_t* got) {
    if (got == nullptr) return false;
    *got = 0;
    if (!IsOpen(file) || (buffer == nullptr && count != 0) ||
        offset > static_cast<uint64_t>(INT64_MAX) - count)
        return false;
    auto* out = static_cast<uint8_t*>(buffer);
    while (*got < count) {
        const ssize_t done = ::pread(ToFd(file), out + *got, count - *got, static_cast<off_t>(offset + *got));
        if (done < 0 && errno == EINTR) continue;
        if (done < 0) return false;
        if (done == 0) break;
        *got += static_cast<uint32_t>(done);
    }
    return true;
}

bool ReadPiecesAt(FileHandle file, uint64_t offset, const Piece* pieces, size_t count, uint64_t* got) {
    if (got == nullptr) return false;
    *got = 0;
    if (!IsOpen(file) || pieces == nullptr || count > kMaxReadPieces) return false;
    struct iovec vectors[kMaxReadPieces];
    uint64_t total = 0;
    for (size_t i = 0; i < count; ++i) {
        vectors[i].iov_base = pieces[i].data;
        vectors[i].iov_len = pieces[i].size;
        total += pieces[i].size;
    }
    if (offset > static_cast<uint64_t>(INT64_MAX) - total) return false;
    // One call normally brings everything; one that stops early is resumed
    // after the pieces it filled.
    size_t first = 0;
    while (first < count) {
        const ssize_t done = ::preadv(ToFd(file), vectors + first, static_cast<int>(count - first),
                                      static_cast<off_t>(offset + *got));
        if (done < 0 && errno == EINTR) continue;
        if (done < 0) return false;
        if (done == 0) break;
        *got += static_cast<uint64_t>(done);
        size_t left = static_cast<size_t>(done);
        while (first < count && left >= vectors[first].iov_len) left -= vectors[first++].iov_len;
        if (first < count) {
            vectors[first].iov_base = static_cast<uint8_t*>(vectors[first].iov_base) + left;
            vectors[first].iov_len -= left;
        }
    }
    return true;
}

bool Write(FileHandle file, const void* buffer, uint32_t count, uint32_t* written) {
    if (written == nullptr) return false;
    *written = 0;
    if (!IsOpen(file) || (buffer == nullptr && count != 0)) return false;
    auto* data = static_cast<const uint8_t*>(buffer);
    while (*written < count) {
        const ssize_t done = ::write(ToFd(file), data + *written, count - *written);
        if (done < 0 && errno == EINTR) continue;
        if (done <= 0) return false;
        *written += static_cast<uint32_t>(done);
    }
    return true;
}

bool Seek(FileHandle file, int64_t offset, SeekOrigin origin, uint64_t* position) {
    if (!IsOpen(file)) return false;
    int whence = SEEK_SET;
    if (origin == SeekOrigin::Current) whence = SEEK_CUR;
    if (origin == SeekOrigin::End) whence = SEEK_END;
    const off_t result = ::lseek(ToFd(file), static_cast<off_t>(offset), whence);
    if (result < 0) return false;
    if (position != nullptr) *position = static_cast<uint64_t>(result);
    return true;
}

bool Size(FileHandle file, uint64_t* size) {
    struct stat info;
    if (!IsOpen(file) || size == nullptr || ::fstat(ToFd(file), &info) != 0) return false;
    *size = static_cast<uint64_t>(info.st_size);
    return true;
}

bool LastWriteTime(FileHandle file, uint64_t* fileTime) {
    struct stat info;
    if (!IsOpen(file) || fileTime == nullptr || ::fstat(ToFd(file), &info) != 0) return false;
    *fileTime = ToFileTime(info.st_mtim);
    return true;
}

bool Exists(const char* path) {
    struct stat info;
    return path != nullptr && ::stat(path, &info) == 0;
}

bool IsFolder(const char* path) {
    struct stat info;
    return path != nullptr && ::stat(path, &info) == 0 && S_ISDIR(info.st_mode);
}

bool Delete(const char* path) {
    if (path == nullptr || IsReadOnly(path)) return false;
    return ::unlink(path) == 0;
}

bool ClearReadOnly(const char* path) {
    struct stat info;
    if (path == nullptr || ::stat(path, &info) != 0) return false;
    return ::chmod(path, (info.st_mode & 07777) | S_IWUSR) == 0;
}

bool SetReadOnly(const char* path) {
    struct stat info;
    if (path == nullptr || ::stat(path, &info) != 0) return false;
    return ::chmod(path, (info.st_mode & 07777) & ~kAnyWrite) == 0;
}

bool IsReadOnly(const char* path) {
    struct stat info;
    return path != nullptr && ::stat(path, &info) == 0 && ReadOnlyMode(info.st_mode);
}

bool Copy(const char* from, const char* to) {
    if (from == nullptr || to == nullptr || IsReadOnly(to)) return false;
    const int in = ::open(from, O_RDONLY | O_CLOEXEC | O_NONBLOCK);  // a pipe must not block
    if (in < 0) return false;
    struct stat info;
    if (::fstat(in, &info) != 0 || !S_ISREG(info.st_mode)) {
        ::close(in);
        return false;
    }
    const int out = ::open(to, O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0666);
    if (out < 0) {
        ::close(in);
        return false;
    }
    bool ok = true;
    uint8_t chunk[65536];
    for (;;) {
        const ssize_t got = ::read(in, chunk, sizeof chunk);
        if (got < 0 && errno == EINTR) continue;
        if (got < 0) ok = false;
        if (got <= 0) break;
        if (!WriteAll(out, chunk, static_cast<size_t>(got))) {
            ok = false;
            break;
        }
    }
    // Like a Windows copy, the copy takes the source's attributes.
    if (ok && ::fchmod(out, info.st_mode & 07777) != 0) ok = false;
    if (::close(out) != 0) ok = false;
    ::close(in);
    return ok;
}

bool Replace(const char* from, const char* to) {
    if (from == nullptr || to == nullptr || IsReadOnly(to)) return false;
    return ::rename(from, to) == 0;
}

bool Move(const char* from, const char* to) {
    if (from == nullptr || to == nullptr || IsReadOnly(to)) return false;
    if (::rename(from, to) == 0) return true;
    if (errno != EXDEV) return false;
    // Another file system: copy, then delete the original.
    return Copy(from, to) && ::unlink(from) == 0;
}

bool CreateFolder(const char* path) {
    return path != nullptr && (::mkdir(path, 0777) == 0 || IsFolder(path));
}

bool RemoveFolder(const char* path) {
    return path != nullptr && ::rmdir(path) == 0;
}

void ToSystemSeparators(char* path) {
    if (path == nullptr) return;
    for (; *path != '\0'; ++path) {
        if (*path == '\\') *path = '/';
    }
}

}  // namespace dta::io
