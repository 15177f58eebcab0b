#include <windows.h>

#include "system.h"
#include "system_rules.h"

int32_t GetWindowsVersion() {
    OSVERSIONINFOA info = {};
    static_assert(sizeof info == 148, "the version record of the ANSI call is 148 bytes");
    info.dwOSVersionInfoSize = sizeof info;
    if (!GetVersionExA(&info)) return kWindowsUnknown;
    return WindowsVersionFromRecord(info.dwPlatformId, info.dwMajorVersion, info.dwMinorVersion);
}
