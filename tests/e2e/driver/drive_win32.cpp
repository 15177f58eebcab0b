#include "tests/e2e/driver/drive_win32.h"

#include <winioctl.h>

#include <cstring>
#include <vector>

namespace e2e {
namespace {

// Wine's own request to its mount manager (the one its configuration tool
// uses): define or remove a drive letter backed by a Unix folder. The Unix
// path follows the structure; offsets count from the structure's start.
constexpr DWORD kDefineUnixDrive = CTL_CODE('m', 32, METHOD_BUFFERED, FILE_READ_ACCESS | FILE_WRITE_ACCESS);

struct UnixDrive {
    ULONG size;
    ULONG type;
    ULONG fsType;
    DWORD serial;
    ULONGLONG unixDevice;
    WCHAR letter;
    USHORT mountPointOffset;
    USHORT deviceOffset;
    USHORT labelOffset;
};

class Handle {
public:
    explicit Handle(HANDLE h) : h_(h) {}
    ~Handle() {
        if (h_ != INVALID_HANDLE_VALUE) CloseHandle(h_);
    }
    Handle(const Handle&) = delete;
    Handle& operator=(const Handle&) = delete;
    HANDLE get() const { return h_; }

private:
    HANDLE h_;
};

}  // namespace

bool MapDrive(char letter, const std::string& unixFolder, UINT type, std::string* error) {
    if (letter >= 'A' && letter <= 'Z') letter = static_cast<char>(letter - 'A' + 'a');
    if (letter < 'a' || letter > 'z') {
        *error = "a drive letter is a to z";
        return false;
    }
    const bool remove = type == DRIVE_NO_ROOT_DIR;
    if (!remove && (unixFolder.empty() || unixFolder[0] != '/')) {
        *error = "the folder of a drive is an absolute Unix path, not \"" + unixFolder + "\"";
        return false;
    }
    const size_t pathBytes = remove ? 0 : unixFolder.size() + 1;
    std::vector<char> request(sizeof(UnixDrive) + pathBytes);
    UnixDrive drive = {};
    drive.size = static_cast<ULONG>(request.size());
    drive.type = type;
    drive.letter = static_cast<WCHAR>(letter);
    if (!remove) {
        drive.mountPointOffset = sizeof(UnixDrive);
        std::memcpy(request.data() + sizeof(UnixDrive), unixFolder.c_str(), pathBytes);
    }
    std::memcpy(request.data(), &drive, sizeof drive);

    Handle manager(CreateFileW(L"\\\\.\\MountPointManager", GENERIC_READ | GENERIC_WRITE,
                               FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr, OPEN_EXISTING, 0, nullptr));
    if (manager.get() == INVALID_HANDLE_VALUE) {
        *error = "cannot reach Wine's mount manager (error " + std::to_string(GetLastError()) + ")";
        return false;
    }
    DWORD returned = 0;
    if (!DeviceIoControl(manager.get(), kDefineUnixDrive, request.data(), static_cast<DWORD>(request.size()),
                         nullptr, 0, &returned, nullptr)) {
        *error = "the mount manager refused drive " + std::string(1, letter) + ": (error " +
                 std::to_string(GetLastError()) + ")";
        return false;
    }
    return true;
}

}  // namespace e2e
