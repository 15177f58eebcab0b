// Removal of an installed game and of a patch run's backup copies (Win32
// build only). Both work from the install script's lists and the settings
// already in memory, show nothing, and ignore the failure of any single
// deletion so that the rest still runs; running them again is harmless.
// Every file, link, folder and registry value removed is logged, and so is
// a removal the system refuses (not one that finds nothing to remove).
// A name that would reach outside its folder (IsSafeRelativeName) is never
// deleted, nor are the folders it lies in.
#ifndef INSTALLER_RECORDS_UNINSTALLER_WIN32_H
#define INSTALLER_RECORDS_UNINSTALLER_WIN32_H

#include "installer/engine/installation.h"

namespace installer {

// Folder of saved games inside the installed folder; removed only when empty.
inline constexpr char kSaveGameFolder[] = "savegame";

// Removes the installation in `destinationFolder` (with or without a trailing
// backslash), by `installation`'s settings and lists:
//   - the uninstall record;
//   - every add_file and then every remove_file entry's second name in the
//     folder, last entry first, and the subfolders those names lie in when
//     they are left empty;
//   - the folder "savegame" and the folder itself, each only when empty, so a
//     saved game keeps both;
//   - the values `reg_idir_key` and `reg_version_key` under HKLM\`reg_path`
//     (the key and its other values stay);
//   - the desktop link `desktop_shortcut_name`, every add_shortcut and then
//     every remove_shortcut link in the shortcut folder, last first, and the
//     last level of the shortcut folder when empty (never Programs itself).
// Returns false, touching nothing, when the folder is null or shorter than
// two characters; true otherwise, whatever single steps failed.
bool UninstallGame(const Installation& installation, const char* destinationFolder);

// Deletes the temporary folder's copy of every backup_file entry of
// `installation` (its second
// name), last entry first, and the folders below the temporary folder that
// those names lie in when they are left empty. Nothing is deleted when the
// temporary folder cannot be found. Always true.
bool RemoveBackupFiles(const Installation& installation);

}  // namespace installer

#endif  // INSTALLER_RECORDS_UNINSTALLER_WIN32_H
