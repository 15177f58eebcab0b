// What RegisterInstallation replaces, kept aside before an upgrade registers
// itself (Win32 build only): the game's folder and version values, the
// uninstall record, and the Start-menu links of the add_shortcut list. A
// cancelled upgrade restores them, so the older version stays registered
// exactly as it was, each value with its type (the record's numbers too);
// what did not exist before is removed again. Each change the restore makes
// is logged.
#ifndef INSTALLER_RECORDS_REGISTRATION_SNAPSHOT_WIN32_H
#define INSTALLER_RECORDS_REGISTRATION_SNAPSHOT_WIN32_H

#include <windows.h>

#include <string>
#include <vector>

#include "installer/engine/installation.h"

namespace installer {

class RegistrationSnapshot {
public:
    // Reads the current state from the registry and the Programs folder,
    // through `installation`'s settings and script lists.
    void Take(const Installation& installation);
    // Writes the state taken back; false when any part could not be, or
    // when nothing was taken.
    bool Restore() const;

private:
    struct Value {
        std::string keyPath;  // under HKEY_LOCAL_MACHINE
        std::string name;
        bool present = false;
        DWORD type = REG_NONE;
        std::vector<BYTE> data;
    };
    struct Link {
        std::string path;
        bool present = false;
        std::vector<char> bytes;
    };

    bool taken_ = false;
    std::vector<Value> values_;
    std::string recordName_;
    std::string recordKeyPath_;  // empty when the settings name no record
    bool recordPresent_ = false;
    std::vector<Link> links_;
    std::string linkFolder_;  // the last level of the links' folder, when it was missing
};

}  // namespace installer

#endif  // INSTALLER_RECORDS_REGISTRATION_SNAPSHOT_WIN32_H
