// Which Windows runs, and starting other programs.
#include <windows.h>

#include <cstring>
#include <string>
#include <vector>

#include "installer/system/system.h"
#include "installer/system/system_rules.h"

namespace installer {

namespace {

// Closes a kernel handle when it goes out of scope.
class OwnedHandle {
public:
    explicit OwnedHandle(HANDLE handle) : handle_(handle) {}
    ~OwnedHandle() {
        if (handle_ != nullptr && handle_ != INVALID_HANDLE_VALUE) CloseHandle(handle_);
    }
    OwnedHandle(const OwnedHandle&) = delete;
    OwnedHandle& operator=(const OwnedHandle&) = delete;

private:
    HANDLE handle_;
};

}  // namespace

int32_t GetWindowsVersion() {
    OSVERSIONINFOA info = {};
    static_assert(sizeof info == 148, "the version record of the ANSI call is 148 bytes");
    info.dwOSVersionInfoSize = sizeof info;
    if (!GetVersionExA(&info)) return kWindowsUnknown;
    return WindowsVersionFromRecord(info.dwPlatformId, info.dwMajorVersion, info.dwMinorVersion);
}

bool RunProgram(const char* programPath, const char* commandLine) {
    if (programPath == nullptr || programPath[0] == '\0') return false;

    // CreateProcess may write into the command line, so it gets a private copy.
    std::vector<char> line;
    if (commandLine != nullptr) line.assign(commandLine, commandLine + std::strlen(commandLine) + 1);

    STARTUPINFOA startup = {};
    // The documented 68-byte record is the 32-bit one; a 64-bit build has wider
    // pointer fields and takes its own size from the headers.
    static_assert(sizeof(void*) != 4 || sizeof startup == 68,
                  "the start-up record of the ANSI call is 68 bytes");
    startup.cb = sizeof startup;
    PROCESS_INFORMATION process = {};
    if (!CreateProcessA(programPath, line.empty() ? nullptr : line.data(), nullptr, nullptr, FALSE,
                        CREATE_DEFAULT_ERROR_MODE, nullptr, nullptr, &startup, &process)) {
        return false;
    }
    // Nothing waits for the program, so its handles are released at once.
    OwnedHandle thread(process.hThread);
    OwnedHandle child(process.hProcess);
    return true;
}

bool StartProgramCopy(const char* programPath, const char* copyPath, const char* commandLine) {
    if (programPath == nullptr || copyPath == nullptr || copyPath[0] == '\0') return false;
    const char* slash = std::strrchr(copyPath, '\\');
    if (slash == nullptr) return false;
    // A drive's root keeps its backslash ("T:\\", not "T:").
    std::string folder(copyPath, static_cast<size_t>(slash - copyPath));
    if (folder.size() == 2 && folder[1] == ':') folder += '\\';

    if (!CopyFileA(programPath, copyPath, FALSE)) return false;
    // The copy cannot delete itself while it runs; the system does it at the
    // next restart. Without the right to ask for that (no administrator), it
    // stays in the temporary folder, which is no harm.
    MoveFileExA(copyPath, nullptr, MOVEFILE_DELAY_UNTIL_REBOOT);

    std::vector<char> line;
    if (commandLine != nullptr) line.assign(commandLine, commandLine + std::strlen(commandLine) + 1);
    STARTUPINFOA startup = {};
    startup.cb = sizeof startup;
    PROCESS_INFORMATION process = {};
    if (!CreateProcessA(copyPath, line.empty() ? nullptr : line.data(), nullptr, nullptr, FALSE,
                        CREATE_DEFAULT_ERROR_MODE, nullptr, folder.c_str(), &startup, &process)) {
        DeleteFileA(copyPath);
        return false;
    }
    OwnedHandle thread(process.hThread);
    OwnedHandle child(process.hProcess);
    return true;
}

}  // namespace installer
