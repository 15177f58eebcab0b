// Drive letters of the Wine prefix, changed while programs run: what a user
// does by swapping the disc in a drive or by plugging in another one.
#ifndef TESTS_E2E_DRIVER_DRIVE_WIN32_H
#define TESTS_E2E_DRIVER_DRIVE_WIN32_H

#include <windows.h>

#include <string>

namespace e2e {

// Maps drive `letter` (a to z) to the Unix folder `unixFolder` as a drive of
// `type` (DRIVE_CDROM, DRIVE_FIXED, DRIVE_REMOVABLE, ...), or removes the
// letter when `type` is DRIVE_NO_ROOT_DIR. Wine's mount manager reads the
// volume label from the folder's ".windows-label" file as it maps it, so
// programs already running see the new label at once. False with a reason
// when the mount manager refuses.
bool MapDrive(char letter, const std::string& unixFolder, UINT type, std::string* error);

}  // namespace e2e

#endif  // TESTS_E2E_DRIVER_DRIVE_WIN32_H
