// The tool's file, terminal and interrupt operations on POSIX systems.
#include "tools/tool_os.h"

#include <fcntl.h>
#include <pthread.h>
#include <signal.h>
#include <sys/ioctl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <atomic>
#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <random>

#include "dta/posix_file.h"
#include "tools/cleanup_table.h"

namespace dta::tools::os {
namespace {

using posix::kSecondsFrom1601To1970;
using posix::kTicksPerSecond;
using posix::ToFileTime;
using posix::WriteAll;

// Longest file-name stem kept in a temporary name, so that the name with its
// suffix stays within the usual 255-byte limit.
constexpr size_t kMaxStem = 200;
constexpr int kCreateAttempts = 100;

std::atomic<bool> g_progressShown{false};

bool Fail(std::string* error, const std::string& what, int code) {
    if (error) *error = what + ": " + ErrorText(code);
    return false;
}

bool WriteAllAt(int fd, uint64_t offset, const uint8_t* data, size_t count) {
    while (count > 0) {
        const ssize_t done = ::pwrite(fd, data, count, static_cast<off_t>(offset));
        if (done < 0 && errno == EINTR) continue;
        if (done <= 0) return false;
        data += done;
        offset += static_cast<uint64_t>(done);
        count -= static_cast<size_t>(done);
    }
    return true;
}

std::string FolderOf(const std::string& path) {
    const size_t slash = path.find_last_of('/');
    if (slash == std::string::npos) return ".";
    if (slash == 0) return "/";
    return path.substr(0, slash);
}

std::string NameOf(const std::string& path) {
    const size_t slash = path.find_last_of('/');
    return slash == std::string::npos ? path : path.substr(slash + 1);
}

std::string RandomSuffix() {
    static std::mt19937 rng(std::random_device{}() ^ static_cast<unsigned>(::getpid()));
    static const char kLetters[] = "abcdefghijklmnopqrstuvwxyz0123456789";
    std::string s(6, 'x');
    for (char& c : s) c = kLetters[rng() % (sizeof kLetters - 1)];
    return s;
}

void RemovePath(const char* path) {
    ::unlink(path);
}

void OnInterrupt(int signal) {
    detail::RemoveRegistered(RemovePath);
    if (g_progressShown.load()) {
        const char newline = '\n';
        [[maybe_unused]] ssize_t ignored = ::write(STDERR_FILENO, &newline, 1);
    }
    // SA_RESETHAND restored the default action; the raised signal is
    // delivered when this handler returns.
    ::raise(signal);
}

}  // namespace

// ---- InputFile ----------------------------------------------------------------

InputFile::~InputFile() {
    Close();
}

void InputFile::Close() {
    if (handle_ != kNoHandle && !standardInput_) ::close(static_cast<int>(handle_));
    handle_ = kNoHandle;
    standardInput_ = false;
}

bool InputFile::Open(const std::string& path, std::string* error) {
    Close();
    path_ = path;
    struct stat info;
    if (::stat(path.c_str(), &info) != 0) return Fail(error, "cannot open " + path, errno);
    if (S_ISDIR(info.st_mode)) {
        if (error) *error = path + " is a folder";
        return false;
    }
    if (!S_ISREG(info.st_mode)) {
        if (error) *error = path + " is not a regular file";
        return false;
    }
    // O_NONBLOCK: should the name have become a pipe since the check above,
    // the open must not wait for a writer.
    const int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK);
    if (fd < 0) return Fail(error, "cannot open " + path, errno);
    if (::fstat(fd, &info) != 0 || !S_ISREG(info.st_mode)) {
        const int code = errno;
        ::close(fd);
        if (error)
            *error = S_ISREG(info.st_mode) ? "cannot read " + path + ": " + ErrorText(code)
                                           : path + " is not a regular file";
        return false;
    }
    ::fcntl(fd, F_SETFL, ::fcntl(fd, F_GETFL) & ~O_NONBLOCK);
    handle_ = fd;
    size_ = static_cast<uint64_t>(info.st_size);
    fileTime_ = ToFileTime(info.st_mtim);
    return true;
}

void InputFile::OpenStandardInput() {
    Close();
    handle_ = STDIN_FILENO;
    standardInput_ = true;
    size_ = 0;
    fileTime_ = 0;
    path_ = "standard input";
}

bool InputFile::Read(void* buffer, size_t count, size_t* got, std::string* error) {
    *got = 0;
    if (handle_ == kNoHandle) {
        if (error) *error = "no file open";
        return false;
    }
    for (;;) {
        const ssize_t n = ::read(static_cast<int>(handle_), buffer, count);
        if (n < 0 && errno == EINTR) continue;
        if (n < 0) return Fail(error, "cannot read " + path_, errno);
        *got = static_cast<size_t>(n);
        return true;
    }
}

// ---- NewFile ------------------------------------------------------------------

NewFile::~NewFile() {
    Discard();
}

bool NewFile::CreateIn(const std::string& folder, const std::string& stem, const std::string& shown,
                       std::string* error) {
    Discard();
    shown_ = shown;
    const std::string base = folder == "/" ? "/" : folder + "/";
    const std::string shortStem = stem.substr(0, kMaxStem);
    for (int attempt = 0; attempt < kCreateAttempts; ++attempt) {
        const std::string candidate = base + "." + shortStem + "." + RandomSuffix() + ".tmp";
        // Interrupts wait while the file is created and entered in the
        // table: none can leave it behind, and none removes a file of the
        // same name that is not ours.
        sigset_t all, previous;
        sigfillset(&all);
        ::pthread_sigmask(SIG_BLOCK, &all, &previous);
        const int fd = ::open(candidate.c_str(), O_RDWR | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, 0666);
        const int code = errno;
        if (fd >= 0) cleanupSlot_ = detail::RegisterForCleanup(candidate);
        ::pthread_sigmask(SIG_SETMASK, &previous, nullptr);
        if (fd >= 0) {
            handle_ = fd;
            path_ = candidate;
            return true;
        }
        if (code != EEXIST) return Fail(error, "cannot create " + shown, code);
    }
    if (error) *error = "cannot create " + shown + ": every temporary name tried exists";
    return false;
}

bool NewFile::CreateFor(const std::string& target, std::string* error) {
    return CreateIn(FolderOf(target), NameOf(target), target, error);
}

bool NewFile::CreateScratch(std::string* error) {
    const std::string folder = TemporaryFolder("");
    return CreateIn(folder, "dta-scratch", "a scratch file in " + folder, error);
}

bool NewFile::Write(const void* data, size_t count, std::string* error) {
    if (handle_ == kNoHandle ||
        !WriteAll(static_cast<int>(handle_), static_cast<const uint8_t*>(data), count))
        return Fail(error, "cannot write " + shown_, handle_ == kNoHandle ? EBADF : errno);
    return true;
}

bool NewFile::WriteAt(uint64_t offset, const void* data, size_t count, std::string* error) {
    if (handle_ == kNoHandle ||
        !WriteAllAt(static_cast<int>(handle_), offset, static_cast<const uint8_t*>(data), count))
        return Fail(error, "cannot write " + shown_, handle_ == kNoHandle ? EBADF : errno);
    return true;
}

bool NewFile::SetTime(uint64_t fileTime, std::string* error) {
    if (handle_ == kNoHandle) return Fail(error, "cannot set the time of " + shown_, EBADF);
    const int64_t ticks = static_cast<int64_t>(fileTime / kTicksPerSecond);
    struct timespec times[2];
    times[0].tv_sec = 0;
    times[0].tv_nsec = UTIME_NOW;
    times[1].tv_sec = static_cast<time_t>(ticks - kSecondsFrom1601To1970);
    times[1].tv_nsec = static_cast<long>(fileTime % kTicksPerSecond) * 100;
    if (::futimens(static_cast<int>(handle_), times) != 0)
        return Fail(error, "cannot set the time of " + shown_, errno);
    return true;
}

bool NewFile::CopyTo(std::ostream& sink, std::string* error) {
    const int fd = static_cast<int>(handle_);
    if (handle_ == kNoHandle || ::lseek(fd, 0, SEEK_SET) != 0)
        return Fail(error, "cannot read " + shown_, handle_ == kNoHandle ? EBADF : errno);
    char buffer[1 << 16];
    for (;;) {
        const ssize_t n = ::read(fd, buffer, sizeof buffer);
        if (n < 0 && errno == EINTR) continue;
        if (n < 0) return Fail(error, "cannot read " + shown_, errno);
        if (n == 0) return true;
        if (!sink.write(buffer, n)) {
            if (error) *error = "cannot write to standard output";
            return false;
        }
    }
}

bool NewFile::Close(std::string* error) {
    if (handle_ == kNoHandle) return true;
    const int fd = static_cast<int>(handle_);
    handle_ = kNoHandle;
    if (::close(fd) != 0) return Fail(error, "cannot write " + shown_, errno);
    return true;
}

bool NewFile::Commit(const std::string& target, bool replace, std::string* error) {
    bool ok = Close(error);
    struct stat info;
    if (ok && ::lstat(target.c_str(), &info) == 0) {
        if (S_ISDIR(info.st_mode)) {
            if (error) *error = target + " is a folder";
            ok = false;
        } else if (!replace) {
            Fail(error, "cannot create " + target, EEXIST);
            ok = false;
        }
    }
    if (ok && replace && ::rename(path_.c_str(), target.c_str()) != 0) {
        Fail(error, "cannot create " + target, errno);
        ok = false;
    }
    if (ok && !replace &&
        ::renameat2(AT_FDCWD, path_.c_str(), AT_FDCWD, target.c_str(), RENAME_NOREPLACE) != 0) {
        // Some file systems lack the no-replace move; a hard link refuses an
        // existing name just the same.
        int code = errno;
        if (code == EINVAL || code == ENOSYS) code = ::link(path_.c_str(), target.c_str()) == 0 ? 0 : errno;
        if (code != 0) {
            Fail(error, "cannot create " + target, code);
            ok = false;
        }
    }
    // A move leaves nothing at the temporary name; a hard link (or a
    // failure) leaves the temporary file to remove.
    ::unlink(path_.c_str());
    detail::UnregisterFromCleanup(cleanupSlot_);
    cleanupSlot_ = -1;
    path_.clear();
    return ok;
}

void NewFile::Discard() {
    if (handle_ != kNoHandle) ::close(static_cast<int>(handle_));
    handle_ = kNoHandle;
    if (!path_.empty()) ::unlink(path_.c_str());
    detail::UnregisterFromCleanup(cleanupSlot_);
    cleanupSlot_ = -1;
    path_.clear();
}

// ---- SpillFile ----------------------------------------------------------------

SpillFile::~SpillFile() {
    if (handle_ != kNoHandle) ::close(static_cast<int>(handle_));
}

bool SpillFile::Create(const std::string& folder, std::string* error) {
    folder_ = folder;
    const std::string what = "cannot create a temporary file in " + folder;
#ifdef O_TMPFILE
    int fd = ::open(folder.c_str(), O_TMPFILE | O_RDWR | O_CLOEXEC, 0600);
    // File systems without nameless files refuse with EOPNOTSUPP (or
    // EISDIR on old kernels); a missing or unwritable folder is final.
    if (fd >= 0) {
        handle_ = fd;
        return true;
    }
    if (errno != EOPNOTSUPP && errno != EISDIR && errno != EINVAL) return Fail(error, what, errno);
#endif
    const std::string base = folder == "/" ? "/" : folder + "/";
    for (int attempt = 0; attempt < kCreateAttempts; ++attempt) {
        const std::string candidate = base + ".dta-held." + RandomSuffix() + ".tmp";
        // Interrupts wait until the name is gone again.
        sigset_t all, previous;
        sigfillset(&all);
        ::pthread_sigmask(SIG_BLOCK, &all, &previous);
        fd = ::open(candidate.c_str(), O_RDWR | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, 0600);
        const int code = errno;
        if (fd >= 0) ::unlink(candidate.c_str());
        ::pthread_sigmask(SIG_SETMASK, &previous, nullptr);
        if (fd >= 0) {
            handle_ = fd;
            return true;
        }
        if (code != EEXIST) return Fail(error, what, code);
    }
    if (error) *error = what + ": every temporary name tried exists";
    return false;
}

bool SpillFile::WriteAt(uint64_t offset, const void* data, size_t count, std::string* error) {
    if (handle_ == kNoHandle ||
        !WriteAllAt(static_cast<int>(handle_), offset, static_cast<const uint8_t*>(data), count))
        return Fail(error, "cannot write a temporary file in " + folder_,
                    handle_ == kNoHandle ? EBADF : errno);
    return true;
}

bool SpillFile::ReadAt(uint64_t offset, void* data, size_t count, std::string* error) {
    auto* at = static_cast<uint8_t*>(data);
    while (count > 0) {
        const ssize_t n = handle_ == kNoHandle
                              ? -1
                              : ::pread(static_cast<int>(handle_), at, count, static_cast<off_t>(offset));
        if (n < 0 && errno == EINTR) continue;
        if (n <= 0) return Fail(error, "cannot read a temporary file in " + folder_, n == 0 ? EIO : errno);
        at += n;
        offset += static_cast<uint64_t>(n);
        count -= static_cast<size_t>(n);
    }
    return true;
}

std::string SpillFile::ReopenPath() const {
#ifdef __linux__
    if (handle_ != kNoHandle) return "/proc/self/fd/" + std::to_string(handle_);
#endif
    return "";
}

std::string TemporaryFolder(const std::string& chosen) {
    if (!chosen.empty()) return chosen;
    const char* tmp = std::getenv("TMPDIR");
    return tmp != nullptr && *tmp != '\0' ? tmp : "/tmp";
}

// ---- process ------------------------------------------------------------------

void InstallInterruptCleanup() {
    struct sigaction action;
    std::memset(&action, 0, sizeof action);
    action.sa_handler = OnInterrupt;
    action.sa_flags = SA_RESETHAND;
    sigemptyset(&action.sa_mask);
    for (int signal : {SIGINT, SIGTERM, SIGHUP, SIGPIPE}) {
        struct sigaction old;
        // A signal ignored by whoever started us stays ignored.
        if (::sigaction(signal, nullptr, &old) == 0 && old.sa_handler == SIG_IGN) continue;
        ::sigaction(signal, &action, nullptr);
    }
}

void SetProgressLineShown(bool shown) {
    g_progressShown.store(shown);
}

bool StandardErrorIsTerminal() {
    return ::isatty(STDERR_FILENO) == 1;
}

bool StandardOutputIsTerminal() {
    return ::isatty(STDOUT_FILENO) == 1;
}

bool StandardInputIsTerminal() {
    return ::isatty(STDIN_FILENO) == 1;
}

size_t TerminalColumns() {
    struct winsize size;
    if (::ioctl(STDERR_FILENO, TIOCGWINSZ, &size) == 0 && size.ws_col > 0) return size.ws_col;
    const char* columns = std::getenv("COLUMNS");
    const long n = columns != nullptr ? std::strtol(columns, nullptr, 10) : 0;
    return n > 0 && n < 10000 ? static_cast<size_t>(n) : 80;
}

void GuardStandardStreams() {
    for (int fd : {STDIN_FILENO, STDOUT_FILENO, STDERR_FILENO}) {
        if (::fcntl(fd, F_GETFD) != -1 || errno != EBADF) continue;
        const int opened = ::open("/dev/null", fd == STDIN_FILENO ? O_WRONLY : O_RDONLY);
        if (opened >= 0 && opened != fd) {
            ::dup2(opened, fd);
            ::close(opened);
        }
    }
}

void UseBinaryStandardOutput() {}

std::string ErrorText(int code) {
    return std::strerror(code);
}

}  // namespace dta::tools::os
