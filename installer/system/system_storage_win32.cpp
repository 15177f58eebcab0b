// Drives and folders: disc labels, free space, the temporary folder and
// folder creation.
#include <windows.h>

#include <cstring>
#include <string>

#include "installer/system/system.h"
#include "installer/system/system_rules.h"

// Exported by shell32 (and in its import library) but missing from the
// mingw-w64 headers.
extern "C" __declspec(dllimport) BOOL WINAPI
    SHGetDiskFreeSpaceA(LPCSTR volume, ULARGE_INTEGER* freeToCaller, ULARGE_INTEGER* totalBytes,
                        ULARGE_INTEGER* totalFree);

namespace installer {

namespace {

// Buffers for the volume name and the file system name.
constexpr DWORD kVolumeTextSize = 128;

// Keeps Windows from opening its own "no disk in drive" boxes while a
// service asks about a drive that may be empty; the service reports the
// failure through its result instead. The previous mode returns at scope end.
class QuietDriveErrors {
public:
    QuietDriveErrors() : previous_(SetErrorMode(SEM_FAILCRITICALERRORS | SEM_NOOPENFILEERRORBOX)) {}
    ~QuietDriveErrors() { SetErrorMode(previous_); }
    QuietDriveErrors(const QuietDriveErrors&) = delete;
    QuietDriveErrors& operator=(const QuietDriveErrors&) = delete;

private:
    UINT previous_;
};

bool IsFolder(const char* path) {
    const DWORD attributes = GetFileAttributesA(path);
    return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY) != 0;
}

}  // namespace

int32_t CheckDiscLabel(const char* drivePath, int32_t discNumber) {
    char root[kDriveRootSize];
    if (!DriveRootOfPath(drivePath, root)) return kDiscNoPath;

    char volumeName[kVolumeTextSize] = {};
    char fileSystem[kVolumeTextSize] = {};
    DWORD serial = 0;
    DWORD longestName = 0;
    DWORD flags = 0;
    {
        QuietDriveErrors quiet;
        if (!GetVolumeInformationA(root, volumeName, kVolumeTextSize, &serial, &longestName, &flags,
                                   fileSystem, kVolumeTextSize)) {
            return kDiscUnreadable;
        }
    }
    volumeName[kVolumeTextSize - 1] = '\0';
    return DiscLabelMatches(volumeName, discNumber) ? kDiscInDrive : kDiscOtherLabel;
}

std::string FindDiscDrive(int32_t discNumber, const std::string& except) {
    const DWORD drives = GetLogicalDrives();
    for (int letter = 0; letter < 26; ++letter) {
        if ((drives & (1u << letter)) == 0) continue;
        const char root[] = {static_cast<char>('A' + letter), ':', '\\', '\0'};
        if (except.size() >= 1 && (except[0] == root[0] || except[0] == root[0] - 'A' + 'a')) continue;
        if (GetDriveTypeA(root) != DRIVE_CDROM) continue;
        if (CheckDiscLabel(root, discNumber) == kDiscInDrive) return root;
    }
    return std::string();
}

bool HasFreeSpace(const char* driveRoot, uint64_t required, uint64_t* available) {
    if (driveRoot == nullptr || driveRoot[0] == '\0') return false;
    ULARGE_INTEGER freeToCaller = {};
    ULARGE_INTEGER totalBytes = {};
    ULARGE_INTEGER totalFree = {};
    {
        QuietDriveErrors quiet;
        if (!SHGetDiskFreeSpaceA(driveRoot, &freeToCaller, &totalBytes, &totalFree)) return false;
    }
    if (available != nullptr) *available = freeToCaller.QuadPart;
    return FreeSpaceCovers(required, freeToCaller.QuadPart);
}

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

}  // namespace installer
