// Keeps Windows from opening its own "no disk in drive" boxes while a
// service asks about a drive that may be empty; the service reports the
// failure through its result instead. The previous mode returns at scope end.
#ifndef KORVO_INSTALLER_SYSTEM_ERROR_MODE_WIN32_H
#define KORVO_INSTALLER_SYSTEM_ERROR_MODE_WIN32_H

#include <windows.h>

class QuietDriveErrors {
public:
    QuietDriveErrors() : previous_(SetErrorMode(SEM_FAILCRITICALERRORS | SEM_NOOPENFILEERRORBOX)) {}
    ~QuietDriveErrors() { SetErrorMode(previous_); }
    QuietDriveErrors(const QuietDriveErrors&) = delete;
    QuietDriveErrors& operator=(const QuietDriveErrors&) = delete;

private:
    UINT previous_;
};

#endif  // KORVO_INSTALLER_SYSTEM_ERROR_MODE_WIN32_H
