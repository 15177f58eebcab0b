// Shell links to the game on the desktop and in the Start menu's Programs
// folder (Win32 build only).
//
// COM must be initialised on the calling thread (done once at start-up).
// Optional properties are set only when given: a null description, working
// folder, icon file or arguments leaves that property unset, and the icon
// index is used only together with an icon file.
#ifndef INSTALLER_RECORDS_SHORTCUTS_WIN32_H
#define INSTALLER_RECORDS_SHORTCUTS_WIN32_H

#include "installer/engine/settings_table.h"

namespace installer {

// Writes the shell link file `linkPath` (an existing file is replaced) that
// points at `target`. True only when the link file was saved; false when the
// link path or target is null, the link path has 260 characters or more, the
// shell link object cannot be created, or saving fails (for example because
// the folder does not exist). The link made, or the failure with its reason,
// is logged.
bool CreateShellLink(const char* linkPath, const char* target, const char* description,
                     const char* workingFolder, const char* iconFile, int iconIndex, const char* arguments);

// Creates the link named by `settings`' `desktop_shortcut_name` (a complete
// file name, extension included) in the user's desktop folder. False when the
// desktop folder cannot be resolved, the name is empty or the path too long,
// or the link cannot be written.
bool CreateDesktopShortcut(const SettingsTable& settings, const char* target, const char* description,
                           const char* workingFolder, const char* iconFile, int iconIndex,
                           const char* arguments);

// Creates the link `linkName` (a complete file name) in the shortcut folder:
// the Programs folder followed by `settings`' `shortcut_folder`, whose levels
// are created first. An empty setting puts the link directly into Programs.
// False when Programs cannot be resolved, the name is null or empty, the path
// is too long, or the link cannot be written.
bool CreateProgramsShortcut(const SettingsTable& settings, const char* linkName, const char* target,
                            const char* description, const char* workingFolder, const char* iconFile,
                            int iconIndex, const char* arguments);

}  // namespace installer

#endif  // INSTALLER_RECORDS_SHORTCUTS_WIN32_H
