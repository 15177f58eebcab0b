// Small helpers shared by the system service tests under Wine: the drive
// letters that system_drives.sh maps, a scratch folder on the temporary
// folder, an environment variable set for one scope, and the path of a
// helper program built next to the test.
#ifndef TESTS_WIN32_SYSTEM_TEST_SUPPORT_H
#define TESTS_WIN32_SYSTEM_TEST_SUPPORT_H

#include <windows.h>

#include <string>
#include <vector>

namespace system_test {

// Drives of the test prefix (see system_drives.sh).
inline constexpr const char* kDiscTwoUpper = "R:\\";   // CD-ROM, KORVO_CD_2
inline constexpr const char* kDiscTwoLower = "S:\\";   // CD-ROM, korvo_cd_2
inline constexpr const char* kDiscZeroTwo = "T:\\";    // CD-ROM, KORVO_CD_02
inline constexpr const char* kDiscOne = "U:\\";        // CD-ROM, KORVO_CD_1
inline constexpr const char* kFixedDrive = "V:\\";     // fixed drive, empty folder
inline constexpr const char* kEmptyCdDrive = "W:\\";   // CD-ROM with no disc
inline constexpr const char* kMissingDrive = "Y:\\";   // not mapped

inline bool IsFolder(const std::string& path) {
    const DWORD attributes = GetFileAttributesA(path.c_str());
    return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY) != 0;
}

inline bool Exists(const std::string& path) { return GetFileAttributesA(path.c_str()) != INVALID_FILE_ATTRIBUTES; }

// Deletes a folder with everything in it.
inline void RemoveTree(const std::string& folder) {
    WIN32_FIND_DATAA found;
    HANDLE search = FindFirstFileA((folder + "\\*").c_str(), &found);
    if (search != INVALID_HANDLE_VALUE) {
        do {
            const std::string name = found.cFileName;
            if (name == "." || name == "..") continue;
            const std::string full = folder + "\\" + name;
            if (found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) {
                RemoveTree(full);
            } else {
                SetFileAttributesA(full.c_str(), FILE_ATTRIBUTE_NORMAL);
                DeleteFileA(full.c_str());
            }
        } while (FindNextFileA(search, &found));
        FindClose(search);
    }
    RemoveDirectoryA(folder.c_str());
}

// A folder of its own under `parent` (a path ending in a backslash), removed
// with its contents at scope end. path() has no trailing backslash.
class ScratchFolder {
public:
    explicit ScratchFolder(const std::string& parent) {
        for (unsigned n = GetCurrentProcessId() * 100u;; ++n) {
            const std::string candidate = parent + "korvo_sys" + std::to_string(n);
            if (CreateDirectoryA(candidate.c_str(), nullptr)) {
                path_ = candidate;
                return;
            }
            if (GetLastError() != ERROR_ALREADY_EXISTS) return;
        }
    }
    ~ScratchFolder() {
        if (!path_.empty()) RemoveTree(path_);
    }
    ScratchFolder(const ScratchFolder&) = delete;
    ScratchFolder& operator=(const ScratchFolder&) = delete;

    bool ok() const { return !path_.empty(); }
    const std::string& path() const { return path_; }

private:
    std::string path_;
};

// The system's temporary folder, straight from the system.
inline std::string SystemTempPath() {
    char buffer[MAX_PATH + 1] = {};
    const DWORD length = GetTempPathA(sizeof buffer, buffer);
    return (length > 0 && length < sizeof buffer) ? std::string(buffer, length) : std::string();
}

// Sets an environment variable for the length of a scope, then restores it.
class ScopedEnvironment {
public:
    ScopedEnvironment(const char* name, const char* value) : name_(name) {
        std::vector<char> old(32768);
        const DWORD length = GetEnvironmentVariableA(name, old.data(), static_cast<DWORD>(old.size()));
        had_ = length > 0 && length < old.size();
        if (had_) old_.assign(old.data(), length);
        SetEnvironmentVariableA(name, value);
    }
    ~ScopedEnvironment() { SetEnvironmentVariableA(name_.c_str(), had_ ? old_.c_str() : nullptr); }
    ScopedEnvironment(const ScopedEnvironment&) = delete;
    ScopedEnvironment& operator=(const ScopedEnvironment&) = delete;

private:
    std::string name_;
    std::string old_;
    bool had_ = false;
};

// The path of `fileName` in the folder of the running test program.
inline std::string BesideTestProgram(const char* fileName) {
    char self[MAX_PATH] = {};
    const DWORD length = GetModuleFileNameA(nullptr, self, sizeof self);
    std::string path(self, length);
    const size_t slash = path.find_last_of('\\');
    return (slash == std::string::npos ? std::string() : path.substr(0, slash + 1)) + fileName;
}

inline std::string ReadWholeFile(const std::string& path) {
    HANDLE file = CreateFileA(path.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING,
                              FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE) return std::string();
    std::string bytes;
    char chunk[4096];
    DWORD got = 0;
    while (ReadFile(file, chunk, sizeof chunk, &got, nullptr) && got > 0) bytes.append(chunk, got);
    CloseHandle(file);
    return bytes;
}

}  // namespace system_test

#endif  // TESTS_WIN32_SYSTEM_TEST_SUPPORT_H
