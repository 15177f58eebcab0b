#include <windows.h>

#include "system.h"
#include "system_error_mode_win32.h"
#include "system_rules.h"

namespace {
// Buffers for the volume name and the file system name.
constexpr DWORD kVolumeTextSize = 128;
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
