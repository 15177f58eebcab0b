// The registration step that follows a finished copy (Win32 build only).
#ifndef INSTALLER_RECORDS_REGISTRY_INSTALLATION_WIN32_H
#define INSTALLER_RECORDS_REGISTRY_INSTALLATION_WIN32_H

#include "installer/engine/installation.h"

namespace installer {

// The game's program inside the destination folder: the desktop link's
// target and the icon of the uninstall record.
inline constexpr char kGameProgram[] = "Game.exe";

// Records `installation` in its installed folder (the installer's
// destination folder), in this order:
//   1. a Programs shortcut for each add_shortcut entry, first to last: link
//      name = first name, target = destination folder + second name,
//      description = second name, working folder = destination folder;
//   2. the uninstall record (uninstall_record_win32.h): `uninstall_item_name`,
//      the command destination folder + "patch.exe", the setting `version`,
//      the destination folder, its kGameProgram as the icon, and the KiB
//      (rounded up) of the add_file destinations as they are on disk, each
//      counted once;
//   3. under HKLM\`reg_path`: value `reg_idir_key` = the destination folder;
//   4. value `reg_version_key` = the setting `version`.
// Every step runs even when an earlier one failed (an entry whose paths do
// not fit is skipped). Returns whether all of them succeeded; the installer
// goes on either way.
bool RegisterInstallation(const Installation& installation);

}  // namespace installer

#endif  // INSTALLER_RECORDS_REGISTRY_INSTALLATION_WIN32_H
