// The copy worker's file operations on POSIX systems. There are no share
// modes here: "not shared" is what Windows adds.
#include "installer/engine/copy_files.h"

#include <cerrno>
#include <cstdio>
#include <fcntl.h>
#include <string>
#include <sys/stat.h>
#include <unistd.h>

namespace installer::copyfiles {

namespace {

std::string NativePath(const char* path) {
    std::string native(path);
    for (char& c : native) {
        if (c == '\\') c = '/';
    }
    return native;
}

// Repeats `step` (a read or a write of the bytes from `done` on) until all
// `count` bytes are through; a step that moves nothing, or fails, ends it.
template <typename Step>
bool Whole(uint32_t count, Step step) {
    uint32_t done = 0;
    while (done < count) {
        const ssize_t moved = step(done);
        if (moved < 0 && errno == EINTR) continue;
        if (moved <= 0) return false;
        done += static_cast<uint32_t>(moved);
    }
    return true;
}

bool IsFolder(const std::string& path) {
    struct stat info;
    return ::stat(path.c_str(), &info) == 0 && S_ISDIR(info.st_mode);
}

}  // namespace

File OpenSource(const char* path) {
    if (path == nullptr) return kNoFile;
    const int fd = ::open(NativePath(path).c_str(), O_RDONLY | O_CLOEXEC);
    if (fd < 0) return kNoFile;
    struct stat info;
    // A folder opens here but not on Windows; refuse it the same way.
    if (::fstat(fd, &info) != 0 || S_ISDIR(info.st_mode)) {
        ::close(fd);
        return kNoFile;
    }
    return fd;
}

File CreateDestination(const char* path) {
    if (path == nullptr) return kNoFile;
    const int fd = ::open(NativePath(path).c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0666);
    return fd < 0 ? kNoFile : fd;
}

bool CreateParentFolders(const char* path) {
    if (path == nullptr) return false;
    const std::string native = NativePath(path);
    const size_t last = native.find_last_of('/');
    if (last == std::string::npos || last == 0) return true;
    // Each level in turn, from the top; levels that exist already are fine.
    for (size_t end = native.find('/', 1); end != std::string::npos && end <= last;
         end = native.find('/', end + 1)) {
        const std::string folder = native.substr(0, end);
        if (::mkdir(folder.c_str(), 0777) != 0 && errno != EEXIST) return false;
    }
    return IsFolder(native.substr(0, last));
}

bool Size(File file, uint64_t* size) {
    struct stat info;
    if (file == kNoFile || size == nullptr || ::fstat(static_cast<int>(file), &info) != 0) return false;
    *size = static_cast<uint64_t>(info.st_size);
    return true;
}

bool ReadExact(File file, void* buffer, uint32_t count) {
    auto* bytes = static_cast<char*>(buffer);
    return Whole(count,
                 [&](uint32_t done) { return ::read(static_cast<int>(file), bytes + done, count - done); });
}

bool WriteAll(File file, const void* buffer, uint32_t count) {
    const auto* bytes = static_cast<const char*>(buffer);
    return Whole(count,
                 [&](uint32_t done) { return ::write(static_cast<int>(file), bytes + done, count - done); });
}

void Close(File file) {
    if (file != kNoFile) ::close(static_cast<int>(file));
}

File OpenAppend(const char* path) {
    if (path == nullptr) return kNoFile;
    const int fd = ::open(NativePath(path).c_str(), O_WRONLY | O_CREAT | O_APPEND | O_CLOEXEC, 0666);
    return fd < 0 ? kNoFile : fd;
}

bool FileExists(const char* path) {
    struct stat info;
    return path != nullptr && ::stat(NativePath(path).c_str(), &info) == 0 && !S_ISDIR(info.st_mode);
}

bool FolderExists(const char* path) {
    return path != nullptr && IsFolder(NativePath(path));
}

bool MoveReplacing(const char* from, const char* to) {
    if (from == nullptr || to == nullptr) return false;
    const std::string source = NativePath(from);
    const std::string target = NativePath(to);
    if (::rename(source.c_str(), target.c_str()) == 0) return true;
    if (errno != EXDEV) return false;
    // Another file system: copy, then delete the original.
    OwnedFile in(OpenSource(from));
    OwnedFile out(in.Valid() ? CreateDestination(to) : kNoFile);
    if (!out.Valid()) return false;
    char buffer[65536];
    for (;;) {
        const ssize_t got = ::read(static_cast<int>(in.Get()), buffer, sizeof buffer);
        if (got < 0 && errno == EINTR) continue;
        if (got < 0) return false;
        if (got == 0) break;
        if (!WriteAll(out.Get(), buffer, static_cast<uint32_t>(got))) return false;
    }
    return ::unlink(source.c_str()) == 0;
}

bool RemoveFile(const char* path) {
    if (path == nullptr) return false;
    return ::unlink(NativePath(path).c_str()) == 0 || errno == ENOENT;
}

bool CreateFolder(const char* path) {
    if (path == nullptr) return false;
    const std::string native = NativePath(path);
    return ::mkdir(native.c_str(), 0777) == 0 || IsFolder(native);
}

bool RemoveEmptyFolder(const char* path) {
    return path != nullptr && ::rmdir(NativePath(path).c_str()) == 0;
}

}  // namespace installer::copyfiles
