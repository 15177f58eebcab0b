// A registry key whose changes go to the install log (Win32 build only).
//
// Every registry value the installer writes or deletes, and every key it
// removes, goes through this owner, so the log names each change once, with
// the root, the key path and the value name ("HKLM\Software\...\InstallDir")
// and the data written:
//
//   set HKLM\Software\Ambergate\Korvo\InstallDir = "C:\Games\Korvo\" (REG_BINARY)
//   set HKLM\...\Uninstall\Korvo\EstimatedSize = 5120 (REG_DWORD)
//   deleted HKLM\Software\Ambergate\Korvo\Version
//   removed key HKLM\...\Uninstall\Korvo
//
// A change the system refuses is logged as a failure with its reason; a value
// or key that is not there is neither deleted nor logged.
#ifndef INSTALLER_RECORDS_LOGGED_KEY_WIN32_H
#define INSTALLER_RECORDS_LOGGED_KEY_WIN32_H

#include <windows.h>

#include <string>

#include "common/registry_key_win32.h"

namespace installer {

// "HKLM", "HKCU", "HKCR" or "HKU"; "HKEY(<handle>)" for any other root.
std::string RegistryRootName(HKEY root);

// The text the log gives for data of `type`: a number for a REG_DWORD, a text
// in quotes for a string (or REG_BINARY holding one zero-terminated text),
// otherwise its size ("12 bytes").
std::string RegistryDataText(DWORD type, const void* data, DWORD size);

class LoggedKey {
public:
    // Create or open `root`\`keyPath` with full access, as korvo::RegistryKey
    // does. A key that cannot be created is logged; so is one that cannot be
    // opened for any other reason than not being there.
    bool Create(HKEY root, const std::string& keyPath);
    bool Open(HKEY root, const std::string& keyPath);

    // Sets a value and logs it; the Win32 status.
    LONG SetValue(const char* name, DWORD type, const void* data, DWORD size) const;
    // A REG_SZ text, stored with its terminating zero.
    LONG SetText(const char* name, const char* text) const;
    LONG SetNumber(const char* name, DWORD number) const;
    // Deletes a value; ERROR_FILE_NOT_FOUND (not logged) when it is not there.
    LONG DeleteValue(const char* name) const;
    // Removes the sub key `name`, which must have no sub keys of its own;
    // ERROR_FILE_NOT_FOUND (not logged) when it is not there.
    LONG DeleteSubKey(const char* name) const;

    HKEY get() const { return key_.get(); }

private:
    // root\path\name, as the log names it.
    std::string Name(const char* name) const;

    korvo::RegistryKey key_;
    std::string path_;  // root name and key path
};

}  // namespace installer

#endif  // INSTALLER_RECORDS_LOGGED_KEY_WIN32_H
