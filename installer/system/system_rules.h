// The portable rules behind the system services: how a drive root is taken
// from a path, how a volume label is matched, how the Windows version record
// maps to a family, when free space suffices and how a folder text ends.
// They touch no operating system, so the native tests check them directly.
#ifndef INSTALLER_SYSTEM_SYSTEM_RULES_H
#define INSTALLER_SYSTEM_SYSTEM_RULES_H

#include <cstddef>
#include <cstdint>

namespace installer {

// Size of a drive root text such as "E:\" with its terminating zero.
inline constexpr size_t kDriveRootSize = 4;

// Platform ids of the Windows version record.
inline constexpr uint32_t kPlatformWin32s = 0;
inline constexpr uint32_t kPlatformWindows = 1;
inline constexpr uint32_t kPlatformNt = 2;

// Writes the root of the drive that `path` starts with ("E:\Setup\" and "E"
// both give "E:\") to `root`. False, with `root` untouched, for a null or
// empty path or a null `root`.
bool DriveRootOfPath(const char* path, char (&root)[kDriveRootSize]);

// Whether `volumeName` is the label of disc `discNumber` ("KORVO_CD_%i"),
// compared without regard to case. A null name matches nothing.
bool DiscLabelMatches(const char* volumeName, int32_t discNumber);

// Maps the platform id and version numbers of the Windows version record to
// one of the kWindows* codes of system.h.
int32_t WindowsVersionFromRecord(uint32_t platformId, uint32_t majorVersion, uint32_t minorVersion);

// Whether a drive with `available` bytes has room for `required` bytes: true
// only when `required` is strictly less.
bool FreeSpaceCovers(uint64_t required, uint64_t available);

// Makes the zero-terminated folder text in `folder` (a buffer of `size`
// bytes) end in exactly one backslash: extra trailing backslashes are
// dropped, a missing one is added. False, with `folder` unchanged, when the
// text is empty or null, is not terminated within `size`, or has no room for
// the backslash.
bool EndFolderWithOneBackslash(char* folder, size_t size);

}  // namespace installer

#endif  // INSTALLER_SYSTEM_SYSTEM_RULES_H
