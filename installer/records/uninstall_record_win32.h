// The game's entry in the system's list of installed programs (Win32 build
// only): the key HKLM\Software\Microsoft\Windows\CurrentVersion\Uninstall\<name>,
// where <name> is the setting `uninstall_folder_name`, with the values of
// kUninstallRecordValues. Every value written or deleted is logged.
#ifndef INSTALLER_RECORDS_UNINSTALL_RECORD_WIN32_H
#define INSTALLER_RECORDS_UNINSTALL_RECORD_WIN32_H

#include <cstdint>

#include "installer/engine/settings_table.h"

namespace installer {

// The system's list of installed programs, under HKEY_LOCAL_MACHINE.
inline constexpr char kUninstallKeyPath[] = "Software\\Microsoft\\Windows\\CurrentVersion\\Uninstall";

// The values of a record, in the order they are written; an uninstall
// deletes each of them.
inline constexpr const char* kUninstallRecordValues[] = {
    "DisplayName", "UninstallString", "UninstallFiles", "DisplayVersion", "InstallLocation",
    "DisplayIcon", "EstimatedSize",   "NoModify",       "NoRepair",       "QuietUninstallString"};

// What follows the quoted uninstall program in "QuietUninstallString": the
// uninstall without a question or a page.
inline constexpr char kQuietUninstallSwitches[] = "/S /UNINSTALL";

// What the record says about the installed game.
struct UninstallEntry {
    const char* displayName = nullptr;  // "DisplayName"
    // The uninstall program's path: "UninstallString" and "UninstallFiles" as
    // it stands; "QuietUninstallString" in quotes (it may hold blanks),
    // followed by a blank and kQuietUninstallSwitches.
    const char* command = nullptr;
    const char* version = "";   // "DisplayVersion"
    const char* location = "";  // "InstallLocation": the installed folder
    const char* icon = "";      // "DisplayIcon": the game's program
    uint32_t sizeKiB = 0;       // "EstimatedSize" (REG_DWORD): KiB of the installed files
};

// Writes the record named by `settings`' `uninstall_folder_name`: the texts
// of `entry` as REG_SZ; "EstimatedSize", and "NoModify" = "NoRepair" = 1 (the
// game offers no change or repair), as REG_DWORD. False when a text of `entry` is null, the
// record name is empty (the values would land on the Uninstall key itself),
// the key cannot be created, or a value cannot be set; every value is
// attempted even when an earlier one fails.
bool WriteUninstallRecord(const SettingsTable& settings, const UninstallEntry& entry);

// Removes the record named by `uninstall_folder_name`: every value of
// kUninstallRecordValues, then the record key (which stays only when someone
// else put a key below it). A missing record leaves nothing behind; the
// Uninstall key itself and other programs' records are never touched. Returns
// nothing: what it removes, and what it cannot, goes to the log.
void DeleteUninstallRecord(const SettingsTable& settings);

// The same two operations for an explicit record name (the settings-based
// forms above call these).
bool WriteUninstallRecordNamed(const char* recordName, const UninstallEntry& entry);
void DeleteUninstallRecordNamed(const char* recordName);

}  // namespace installer

#endif  // INSTALLER_RECORDS_UNINSTALL_RECORD_WIN32_H
