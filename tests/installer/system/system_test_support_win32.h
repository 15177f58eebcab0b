// Helpers of the system service tests under Wine: the drive letters that
// system_drives.sh maps, an environment variable set for one scope, and the
// path of a helper program built next to the test.
#ifndef TESTS_INSTALLER_SYSTEM_SYSTEM_TEST_SUPPORT_WIN32_H
#define TESTS_INSTALLER_SYSTEM_SYSTEM_TEST_SUPPORT_WIN32_H

#include <windows.h>

#include <string>

namespace system_test {

// Drives of the test prefix (see system_drives.sh); V: is emptied each time.
inline constexpr const char* kDiscTwoUpper = "R:\\";  // CD-ROM, KORVO_CD_2
inline constexpr const char* kDiscTwoLower = "S:\\";  // CD-ROM, korvo_cd_2
inline constexpr const char* kDiscZeroTwo = "T:\\";   // CD-ROM, KORVO_CD_02
inline constexpr const char* kDiscOne = "U:\\";       // CD-ROM, KORVO_CD_1
inline constexpr const char* kFixedDrive = "V:\\";    // fixed drive
inline constexpr const char* kEmptyCdDrive = "W:\\";  // CD-ROM with no disc
inline constexpr const char* kMissingDrive = "Y:\\";  // not mapped

inline bool IsFolder(const std::string& path) {
    const DWORD attributes = GetFileAttributesA(path.c_str());
    return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY) != 0;
}

// Sets an environment variable for the length of a scope, then removes it.
class ScopedEnvironment {
public:
    ScopedEnvironment(const char* name, const char* value) : name_(name) {
        SetEnvironmentVariableA(name, value);
    }
    ~ScopedEnvironment() { SetEnvironmentVariableA(name_.c_str(), nullptr); }
    ScopedEnvironment(const ScopedEnvironment&) = delete;
    ScopedEnvironment& operator=(const ScopedEnvironment&) = delete;

private:
    std::string name_;
};

// The path of `fileName` in the folder of the running test program.
inline std::string BesideTestProgram(const char* fileName) {
    char self[MAX_PATH] = {};
    std::string path(self, GetModuleFileNameA(nullptr, self, sizeof self));
    return path.substr(0, path.find_last_of('\\') + 1) + fileName;
}

}  // namespace system_test

#endif  // TESTS_INSTALLER_SYSTEM_SYSTEM_TEST_SUPPORT_WIN32_H
