// The tool's file, terminal and interrupt operations on Windows.
#include "tools/tool_os.h"

#include <windows.h>

#include <fcntl.h>
#include <io.h>

#include <atomic>
#include <cstdio>
#include <cstdlib>
#include <random>

#include "tools/cleanup_table.h"

namespace dta::tools::os {
namespace {

constexpr size_t kMaxStem = 200;
constexpr int kCreateAttempts = 100;
constexpr DWORD kChunk = 1u << 20;

std::atomic<bool> g_progressShown{false};

HANDLE ToHandle(Handle h) {
    return reinterpret_cast<HANDLE>(h);
}

bool Fail(std::string* error, const std::string& what, DWORD code) {
    if (error) *error = what + ": " + ErrorText(static_cast<int>(code));
    return false;
}

uint64_t FromFileTime(const FILETIME& t) {
    return (static_cast<uint64_t>(t.dwHighDateTime) << 32) | t.dwLowDateTime;
}

bool WriteAll(HANDLE h, const uint8_t* data, size_t count) {
    while (count > 0) {
        const DWORD want = count < kChunk ? static_cast<DWORD>(count) : kChunk;
        DWORD done = 0;
        if (!WriteFile(h, data, want, &done, nullptr) || done == 0) return false;
        data += done;
        count -= done;
    }
    return true;
}

bool SetPosition(HANDLE h, uint64_t position) {
    LARGE_INTEGER at;
    at.QuadPart = static_cast<LONGLONG>(position);
    return SetFilePointerEx(h, at, nullptr, FILE_BEGIN) != 0;
}

bool Position(HANDLE h, uint64_t* position) {
    LARGE_INTEGER zero, at;
    zero.QuadPart = 0;
    if (!SetFilePointerEx(h, zero, &at, FILE_CURRENT)) return false;
    *position = static_cast<uint64_t>(at.QuadPart);
    return true;
}

std::string FolderOf(const std::string& path) {
    const size_t slash = path.find_last_of("\\/");
    if (slash == std::string::npos) return ".";
    if (slash == 0 || (slash == 2 && path[1] == ':')) return path.substr(0, slash + 1);
    return path.substr(0, slash);
}

std::string NameOf(const std::string& path) {
    const size_t slash = path.find_last_of("\\/:");
    return slash == std::string::npos ? path : path.substr(slash + 1);
}

std::string RandomSuffix() {
    static std::mt19937 rng(std::random_device{}() ^ GetCurrentProcessId());
    static const char kLetters[] = "abcdefghijklmnopqrstuvwxyz0123456789";
    std::string s(6, 'x');
    for (char& c : s) c = kLetters[rng() % (sizeof kLetters - 1)];
    return s;
}

void RemovePath(const char* path) {
    // Our own handle shares deletion: the file goes when the process ends.
    DeleteFileA(path);
}

BOOL WINAPI OnConsoleControl(DWORD) {
    detail::RemoveRegistered(RemovePath);
    if (g_progressShown.load()) {
        DWORD written = 0;
        WriteFile(GetStdHandle(STD_ERROR_HANDLE), "\n", 1, &written, nullptr);
    }
    return FALSE;  // the default handler ends the process
}

}  // namespace

// ---- InputFile ----------------------------------------------------------------

InputFile::~InputFile() {
    Close();
}

void InputFile::Close() {
    if (handle_ != kNoHandle && !standardInput_) CloseHandle(ToHandle(handle_));
    handle_ = kNoHandle;
    standardInput_ = false;
}

bool InputFile::Open(const std::string& path, std::string* error) {
    Close();
    path_ = path;
    const DWORD attributes = GetFileAttributesA(path.c_str());
    if (attributes == INVALID_FILE_ATTRIBUTES) return Fail(error, "cannot open " + path, GetLastError());
    if (attributes & FILE_ATTRIBUTE_DIRECTORY) {
        if (error) *error = path + " is a folder";
        return false;
    }
    HANDLE h = CreateFileA(path.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                           OPEN_EXISTING, FILE_FLAG_SEQUENTIAL_SCAN, nullptr);
    if (h == INVALID_HANDLE_VALUE) return Fail(error, "cannot open " + path, GetLastError());
    LARGE_INTEGER size;
    FILETIME written;
    if (GetFileType(h) != FILE_TYPE_DISK) {
        CloseHandle(h);
        if (error) *error = path + " is not a regular file";
        return false;
    }
    if (!GetFileSizeEx(h, &size) || !GetFileTime(h, nullptr, nullptr, &written)) {
        const DWORD code = GetLastError();
        CloseHandle(h);
        return Fail(error, "cannot read " + path, code);
    }
    handle_ = reinterpret_cast<Handle>(h);
    size_ = static_cast<uint64_t>(size.QuadPart);
    fileTime_ = FromFileTime(written);
    return true;
}

void InputFile::OpenStandardInput() {
    Close();
    handle_ = reinterpret_cast<Handle>(GetStdHandle(STD_INPUT_HANDLE));
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
    DWORD done = 0;
    const DWORD want = count < kChunk ? static_cast<DWORD>(count) : kChunk;
    if (!ReadFile(ToHandle(handle_), buffer, want, &done, nullptr)) {
        const DWORD code = GetLastError();
        if (code == ERROR_BROKEN_PIPE || code == ERROR_HANDLE_EOF) return true;  // the writer is done
        return Fail(error, "cannot read " + path_, code);
    }
    *got = done;
    return true;
}

// ---- NewFile ------------------------------------------------------------------

NewFile::~NewFile() {
    Discard();
}

bool NewFile::CreateIn(const std::string& folder, const std::string& stem, const std::string& shown,
                       std::string* error) {
    Discard();
    shown_ = shown;
    const char last = folder.empty() ? '\\' : folder.back();
    const std::string base = (last == '\\' || last == '/' || last == ':') ? folder : folder + "\\";
    const std::string shortStem = stem.substr(0, kMaxStem);
    for (int attempt = 0; attempt < kCreateAttempts; ++attempt) {
        const std::string candidate = base + "." + shortStem + "." + RandomSuffix() + ".tmp";
        // CREATE_NEW never opens an existing file or follows a link of
        // that name. Deletion is shared so that an interrupt can remove the
        // file while it is open.
        HANDLE h =
            CreateFileA(candidate.c_str(), GENERIC_READ | GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_DELETE,
                        nullptr, CREATE_NEW, FILE_ATTRIBUTE_NORMAL, nullptr);
        if (h != INVALID_HANDLE_VALUE) {
            handle_ = reinterpret_cast<Handle>(h);
            path_ = candidate;
            cleanupSlot_ = detail::RegisterForCleanup(candidate);
            return true;
        }
        const DWORD code = GetLastError();
        if (code != ERROR_FILE_EXISTS && code != ERROR_ALREADY_EXISTS)
            return Fail(error, "cannot create " + shown, code);
    }
    if (error) *error = "cannot create " + shown + ": every temporary name tried exists";
    return false;
}

bool NewFile::CreateFor(const std::string& target, std::string* error) {
    return CreateIn(FolderOf(target), NameOf(target), target, error);
}

bool NewFile::CreateScratch(std::string* error) {
    char folder[MAX_PATH + 1];
    const DWORD n = GetTempPathA(sizeof folder, folder);
    if (n == 0 || n > MAX_PATH) return Fail(error, "cannot find the temporary folder", GetLastError());
    return CreateIn(folder, "dta-scratch", "a scratch file in " + std::string(folder), error);
}

bool NewFile::Write(const void* data, size_t count, std::string* error) {
    if (handle_ == kNoHandle || !WriteAll(ToHandle(handle_), static_cast<const uint8_t*>(data), count))
        return Fail(error, "cannot write " + shown_,
                    handle_ == kNoHandle ? ERROR_INVALID_HANDLE : GetLastError());
    return true;
}

bool NewFile::WriteAt(uint64_t offset, const void* data, size_t count, std::string* error) {
    HANDLE h = ToHandle(handle_);
    uint64_t end = 0;
    if (handle_ == kNoHandle || !Position(h, &end) || !SetPosition(h, offset) ||
        !WriteAll(h, static_cast<const uint8_t*>(data), count) || !SetPosition(h, end))
        return Fail(error, "cannot write " + shown_,
                    handle_ == kNoHandle ? ERROR_INVALID_HANDLE : GetLastError());
    return true;
}

bool NewFile::SetTime(uint64_t fileTime, std::string* error) {
    FILETIME t;
    t.dwLowDateTime = static_cast<DWORD>(fileTime);
    t.dwHighDateTime = static_cast<DWORD>(fileTime >> 32);
    if (handle_ == kNoHandle || !SetFileTime(ToHandle(handle_), nullptr, nullptr, &t))
        return Fail(error, "cannot set the time of " + shown_,
                    handle_ == kNoHandle ? ERROR_INVALID_HANDLE : GetLastError());
    return true;
}

bool NewFile::CopyTo(std::ostream& sink, std::string* error) {
    HANDLE h = ToHandle(handle_);
    if (handle_ == kNoHandle || !SetPosition(h, 0))
        return Fail(error, "cannot read " + shown_,
                    handle_ == kNoHandle ? ERROR_INVALID_HANDLE : GetLastError());
    static char buffer[1 << 16];
    for (;;) {
        DWORD n = 0;
        if (!ReadFile(h, buffer, sizeof buffer, &n, nullptr))
            return Fail(error, "cannot read " + shown_, GetLastError());
        if (n == 0) return true;
        if (!sink.write(buffer, n)) {
            if (error) *error = "cannot write to standard output";
            return false;
        }
    }
}

bool NewFile::Close(std::string* error) {
    if (handle_ == kNoHandle) return true;
    HANDLE h = ToHandle(handle_);
    handle_ = kNoHandle;
    if (!CloseHandle(h)) return Fail(error, "cannot write " + shown_, GetLastError());
    return true;
}

bool NewFile::Commit(const std::string& target, bool replace, std::string* error) {
    bool ok = Close(error);
    const DWORD attributes = GetFileAttributesA(target.c_str());
    if (ok && attributes != INVALID_FILE_ATTRIBUTES) {
        if (attributes & FILE_ATTRIBUTE_DIRECTORY) {
            if (error) *error = target + " is a folder";
            ok = false;
        } else if (!replace) {
            ok = Fail(error, "cannot create " + target, ERROR_FILE_EXISTS);
        }
    }
    if (ok && !MoveFileExA(path_.c_str(), target.c_str(), replace ? MOVEFILE_REPLACE_EXISTING : 0))
        ok = Fail(error, "cannot create " + target, GetLastError());
    if (!ok) DeleteFileA(path_.c_str());
    detail::UnregisterFromCleanup(cleanupSlot_);
    cleanupSlot_ = -1;
    path_.clear();
    return ok;
}

void NewFile::Discard() {
    if (handle_ != kNoHandle) CloseHandle(ToHandle(handle_));
    handle_ = kNoHandle;
    if (!path_.empty()) DeleteFileA(path_.c_str());
    detail::UnregisterFromCleanup(cleanupSlot_);
    cleanupSlot_ = -1;
    path_.clear();
}

// ---- SpillFile ----------------------------------------------------------------

SpillFile::~SpillFile() {
    if (handle_ != kNoHandle) CloseHandle(ToHandle(handle_));
}

bool SpillFile::Create(const std::string& folder, std::string* error) {
    folder_ = folder;
    const std::string what = "cannot create a temporary file in " + folder;
    const char last = folder.empty() ? '\\' : folder.back();
    const std::string base = (last == '\\' || last == '/' || last == ':') ? folder : folder + "\\";
    for (int attempt = 0; attempt < kCreateAttempts; ++attempt) {
        const std::string candidate = base + ".dta-held." + RandomSuffix() + ".tmp";
        // Shared with nobody, and deleted by the system when the handle
        // closes, however the process ends.
        HANDLE h = CreateFileA(candidate.c_str(), GENERIC_READ | GENERIC_WRITE, 0, nullptr, CREATE_NEW,
                               FILE_ATTRIBUTE_TEMPORARY | FILE_FLAG_DELETE_ON_CLOSE, nullptr);
        if (h != INVALID_HANDLE_VALUE) {
            handle_ = reinterpret_cast<Handle>(h);
            return true;
        }
        const DWORD code = GetLastError();
        if (code != ERROR_FILE_EXISTS && code != ERROR_ALREADY_EXISTS) return Fail(error, what, code);
    }
    if (error) *error = what + ": every temporary name tried exists";
    return false;
}

bool SpillFile::WriteAt(uint64_t offset, const void* data, size_t count, std::string* error) {
    HANDLE h = ToHandle(handle_);
    if (handle_ == kNoHandle || !SetPosition(h, offset) ||
        !WriteAll(h, static_cast<const uint8_t*>(data), count))
        return Fail(error, "cannot write a temporary file in " + folder_,
                    handle_ == kNoHandle ? ERROR_INVALID_HANDLE : GetLastError());
    return true;
}

bool SpillFile::ReadAt(uint64_t offset, void* data, size_t count, std::string* error) {
    HANDLE h = ToHandle(handle_);
    if (handle_ == kNoHandle || !SetPosition(h, offset))
        return Fail(error, "cannot read a temporary file in " + folder_,
                    handle_ == kNoHandle ? ERROR_INVALID_HANDLE : GetLastError());
    auto* at = static_cast<uint8_t*>(data);
    while (count > 0) {
        const DWORD want = count < kChunk ? static_cast<DWORD>(count) : kChunk;
        DWORD done = 0;
        if (!ReadFile(h, at, want, &done, nullptr) || done == 0)
            return Fail(error, "cannot read a temporary file in " + folder_,
                        done == 0 ? ERROR_HANDLE_EOF : GetLastError());
        at += done;
        count -= done;
    }
    return true;
}

std::string SpillFile::ReopenPath() const {
    return "";
}

std::string TemporaryFolder(const std::string& chosen) {
    if (!chosen.empty()) return chosen;
    char folder[MAX_PATH + 1];
    const DWORD n = GetTempPathA(sizeof folder, folder);
    return n == 0 || n > MAX_PATH ? std::string(".") : std::string(folder, n);
}

// ---- process ------------------------------------------------------------------

void InstallInterruptCleanup() {
    SetConsoleCtrlHandler(OnConsoleControl, TRUE);
}

void SetProgressLineShown(bool shown) {
    g_progressShown.store(shown);
}

bool StandardErrorIsTerminal() {
    DWORD mode = 0;
    return GetConsoleMode(GetStdHandle(STD_ERROR_HANDLE), &mode) != 0;
}

bool StandardOutputIsTerminal() {
    return _isatty(_fileno(stdout)) != 0;
}

bool StandardInputIsTerminal() {
    return _isatty(_fileno(stdin)) != 0;
}

size_t TerminalColumns() {
    CONSOLE_SCREEN_BUFFER_INFO info;
    if (GetConsoleScreenBufferInfo(GetStdHandle(STD_ERROR_HANDLE), &info) &&
        info.srWindow.Right > info.srWindow.Left)
        return static_cast<size_t>(info.srWindow.Right - info.srWindow.Left + 1);
    const char* columns = std::getenv("COLUMNS");
    const long n = columns != nullptr ? std::strtol(columns, nullptr, 10) : 0;
    return n > 0 && n < 10000 ? static_cast<size_t>(n) : 80;
}

void GuardStandardStreams() {}

void UseBinaryStandardOutput() {
    _setmode(_fileno(stdout), _O_BINARY);
}

std::string ErrorText(int code) {
    char* text = nullptr;
    const DWORD n = FormatMessageA(
        FORMAT_MESSAGE_ALLOCATE_BUFFER | FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS, nullptr,
        static_cast<DWORD>(code), 0, reinterpret_cast<char*>(&text), 0, nullptr);
    std::string message = n > 0 && text != nullptr ? std::string(text, n) : "error " + std::to_string(code);
    if (text != nullptr) LocalFree(text);
    while (!message.empty() && (message.back() == '\n' || message.back() == '\r' || message.back() == '.' ||
                                message.back() == ' '))
        message.pop_back();
    return message;
}

}  // namespace dta::tools::os
