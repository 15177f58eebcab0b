#include <windows.h>

#include "system.h"
#include "system_error_mode_win32.h"
#include "system_rules.h"

// Exported by shell32 (and in its import library) but missing from the
// mingw-w64 headers.
extern "C" __declspec(dllimport) BOOL WINAPI
    SHGetDiskFreeSpaceA(LPCSTR volume, ULARGE_INTEGER* freeToCaller, ULARGE_INTEGER* totalBytes,
                        ULARGE_INTEGER* totalFree);

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
