// System queries and external programs of the installer: which disc is in a
// drive, how much room a drive has and how to print a size, which Windows
// family runs, where the temporary folder is, how to create a folder path and
// how to start another program. Each service is a free function with a plain
// result; none shows a message (the callers own every text the user sees).
//
// The services that ask Windows (CheckDiscLabel, HasFreeSpace,
// GetWindowsVersion, GetTempFolder, CreatePath, RunProgram,
// StartProgramCopy) exist in the
// Windows build only; FormatByteSize and the rules in system_rules.h are
// portable. The process-wide start-up (COM) is in
// process_services.h.
#ifndef INSTALLER_SYSTEM_SYSTEM_H
#define INSTALLER_SYSTEM_SYSTEM_H

#include <cstddef>
#include <cstdint>
#include <string>

namespace installer {

// Result of CheckDiscLabel.
inline constexpr int32_t kDiscInDrive = 0;     // the expected disc is in the drive
inline constexpr int32_t kDiscNoPath = 2;      // no drive path given (null or empty)
inline constexpr int32_t kDiscUnreadable = 3;  // no disc, or no such drive
inline constexpr int32_t kDiscOtherLabel = 4;  // a disc with another label

// Result of GetWindowsVersion.
inline constexpr int32_t kWindowsUnknown = 0;  // the query failed, or an unknown platform
inline constexpr int32_t kWindowsWin32s = 1;   // Win32s on Windows 3.x
inline constexpr int32_t kWindows95 = 2;       // 9x family, minor version 0
inline constexpr int32_t kWindows98OrMe = 3;   // 9x family, any other minor version
inline constexpr int32_t kWindows2000 = 4;     // NT 5.0
inline constexpr int32_t kWindowsOtherNt = 5;  // NT, any other version (NT 4, XP, ...)

// Longest folder path CreatePath takes, terminating zero included.
inline constexpr size_t kCreatePathBufferSize = 1024;
// A buffer of this size holds every text FormatByteSize can make (the
// longest is "17179869184.00 GB", 17 characters, for 2^64 - 1 bytes).
inline constexpr size_t kByteSizeTextSize = 32;

// Tells whether the disc `discNumber` is in the drive that `drivePath` starts
// with. Only the path's first character counts: "E:\Setup\" and "E" both
// mean the root E:\. The drive's volume label is compared, without regard to
// case, with "KORVO_CD_%i" formed with `discNumber`. Returns kDiscInDrive,
// kDiscNoPath (null or empty path), kDiscUnreadable (the volume cannot be
// read) or kDiscOtherLabel.
int32_t CheckDiscLabel(const char* drivePath, int32_t discNumber);

// The root ("E:\") of the first CD-ROM drive, A: to Z:, that holds disc
// `discNumber` (by CheckDiscLabel), leaving out the drive that `except`
// starts with; empty when none does.
std::string FindDiscDrive(int32_t discNumber, const std::string& except);

// Asks how many bytes the calling user may still write on the drive whose
// root is `driveRoot` (e.g. "C:\"). On success stores that count in
// `*available` (when not null) and returns whether `required` is strictly
// less than it. When the drive cannot be queried (or `driveRoot` is null or
// empty) returns false and leaves `*available` unchanged.
bool HasFreeSpace(const char* driveRoot, uint64_t required, uint64_t* available);

// Prints a byte count for the user: "%lu B" up to 1024 bytes, else "%.2f kB",
// above 2^20 bytes "%.2f MB", above 2^30 bytes "%.2f GB". The value is cut to
// whole kilobytes (megabytes) before it is scaled to MB (GB), so 1,500,000,000
// bytes print as "1.40 GB". The text is cut to fit `textSize` bytes (always
// terminated when `textSize` > 0). A null `text` does nothing.
void FormatByteSize(uint64_t bytes, char* text, size_t textSize);

// The same into a buffer of at least kByteSizeTextSize characters (the
// installer's 1024-character text buffers). A null `text` does nothing.
void FormatByteSize(uint64_t bytes, char* text);

// The Windows family that runs the installer: one of the kWindows* codes.
int32_t GetWindowsVersion();

// Copies the system's temporary folder, ending in exactly one backslash, to
// `buffer` (`size` bytes, terminating zero included). False, with `buffer`
// unspecified, when the system has no answer, the answer and its backslash do
// not fit, or `buffer` is null.
bool GetTempFolder(char* buffer, uint32_t size);

// Creates the folder `path` and every missing folder above it; a trailing
// backslash is allowed and a forward slash separates folders too. Folders
// that exist already are fine. Returns true when the folder exists
// afterwards; false for a null, empty or over-long path
// (kCreatePathBufferSize characters and more) and when the system refused.
bool CreatePath(const char* path);

// Starts the program `programPath` with `commandLine` (null for none) passed
// unchanged; by custom the command line repeats the program path as its first
// word. The program inherits the installer's environment and current folder;
// nothing waits for it. Returns whether the process was created.
bool RunProgram(const char* programPath, const char* commandLine);

// Copies the program file `programPath` to `copyPath` (replacing what is
// there), marks the copy for deletion at the next restart, and starts it with
// `commandLine` (null for none) in the copy's own folder, so that it holds no
// other folder open; nothing waits for it. The environment is inherited.
// False, with the copy deleted again, when it cannot be made or started.
bool StartProgramCopy(const char* programPath, const char* copyPath, const char* commandLine);

}  // namespace installer

#endif  // INSTALLER_SYSTEM_SYSTEM_H
