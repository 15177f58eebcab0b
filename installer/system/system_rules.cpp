#include "installer/system/system_rules.h"

#include <cstdio>
#include <cstring>

#include "installer/system/system.h"

namespace installer {

namespace {

// Labels are plain ASCII; folding only A-Z keeps the comparison independent
// of the locale and of the ANSI code page.
char AsciiUpper(char c) {
    return (c >= 'a' && c <= 'z') ? static_cast<char>(c - 'a' + 'A') : c;
}

bool EqualIgnoringCase(const char* a, const char* b) {
    for (; *a != '\0' && *b != '\0'; ++a, ++b) {
        if (AsciiUpper(*a) != AsciiUpper(*b)) return false;
    }
    return *a == *b;
}

// Size of the expected label text ("KORVO_CD_" and a signed 32-bit number).
constexpr size_t kLabelTextSize = 32;

}  // namespace

bool DriveRootOfPath(const char* path, char (&root)[kDriveRootSize]) {
    if (path == nullptr || path[0] == '\0') return false;
    root[0] = path[0];
    root[1] = ':';
    root[2] = '\\';
    root[3] = '\0';
    return true;
}

bool DiscLabelMatches(const char* volumeName, int32_t discNumber) {
    if (volumeName == nullptr) return false;
    char expected[kLabelTextSize];
    std::snprintf(expected, sizeof expected, "KORVO_CD_%i", static_cast<int>(discNumber));
    return EqualIgnoringCase(volumeName, expected);
}

int32_t WindowsVersionFromRecord(uint32_t platformId, uint32_t majorVersion, uint32_t minorVersion) {
    switch (platformId) {
        case kPlatformWin32s:
            return kWindowsWin32s;
        case kPlatformWindows:
            return minorVersion == 0 ? kWindows95 : kWindows98OrMe;
        case kPlatformNt:
            return (majorVersion == 5 && minorVersion == 0) ? kWindows2000 : kWindowsOtherNt;
        default:
            return kWindowsUnknown;
    }
}

bool FreeSpaceCovers(uint64_t required, uint64_t available) {
    return required < available;
}

bool EndFolderWithOneBackslash(char* folder, size_t size) {
    if (folder == nullptr || size == 0) return false;
    const void* end = std::memchr(folder, '\0', size);
    if (end == nullptr) return false;
    size_t length = static_cast<size_t>(static_cast<const char*>(end) - folder);
    if (length == 0) return false;
    if (folder[length - 1] != '\\') {
        // The backslash and the terminating zero need two bytes after the text.
        if (size - length < 2) return false;
        folder[length] = '\\';
        folder[length + 1] = '\0';
        return true;
    }
    while (length >= 2 && folder[length - 2] == '\\') --length;
    folder[length] = '\0';
    return true;
}

}  // namespace installer
