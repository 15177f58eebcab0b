// The game's entry in the system's list of installed programs (Win32 build
// only): the key HKLM\Software\Microsoft\Windows\CurrentVersion\Uninstall\<name>,
// where <name> is the setting `uninstall_folder_name`, with the REG_SZ values
// "DisplayName", "UninstallString" and "UninstallFiles". Every value written
// or deleted is logged.
#ifndef INSTALLER_RECORDS_UNINSTALL_RECORD_WIN32_H
#define INSTALLER_RECORDS_UNINSTALL_RECORD_WIN32_H

#include "installer/engine/settings_table.h"

namespace installer {

// The system's list of installed programs, under HKEY_LOCAL_MACHINE.
inline constexpr char kUninstallKeyPath[] = "Software\\Microsoft\\Windows\\CurrentVersion\\Uninstall";

// The values of a record, in the order they are written.
inline constexpr const char* kUninstallRecordValues[] = {"DisplayName", "UninstallString", "UninstallFiles"};

// Writes the record named by `settings`' `uninstall_folder_name`: "DisplayName" =
// `displayName`, "UninstallString" and "UninstallFiles" = `command`. False
// when an argument is null, the record name is empty (the values would land
// on the Uninstall key itself), the key cannot be created, or a value cannot
// be set.
bool WriteUninstallRecord(const SettingsTable& settings, const char* displayName, const char* command);

// Removes the record named by `uninstall_folder_name`: its three values and
// the record key. A missing record leaves nothing behind; the Uninstall key
// itself and other programs' records are never touched. Nothing is reported.
void DeleteUninstallRecord(const SettingsTable& settings);

// The same two operations for an explicit record name (the settings-based
// forms above call these).
bool WriteUninstallRecordNamed(const char* recordName, const char* displayName, const char* command);
void DeleteUninstallRecordNamed(const char* recordName);

}  // namespace installer

#endif  // INSTALLER_RECORDS_UNINSTALL_RECORD_WIN32_H
