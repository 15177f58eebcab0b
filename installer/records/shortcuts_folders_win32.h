// The shell folders that receive the game's shortcuts (Win32 build only).
//
// COM must be initialised on the calling thread. Every item list the shell
// hands out is freed before these functions return.
#ifndef INSTALLER_RECORDS_SHORTCUTS_FOLDERS_WIN32_H
#define INSTALLER_RECORDS_SHORTCUTS_FOLDERS_WIN32_H

#include "common/path_builder.h"

namespace installer {

// Resolves a shell special folder (a CSIDL number) to its file-system path
// with a trailing backslash. False when the shell cannot resolve it or the
// path does not fit; `out` is then left empty.
bool GetSpecialFolder(int csidl, korvo::PathBuilder& out);

// The user's desktop folder (CSIDL_DESKTOPDIRECTORY) and Programs folder
// (CSIDL_PROGRAMS), each ending with a backslash.
bool GetDesktopFolder(korvo::PathBuilder& out);
bool GetProgramsFolder(korvo::PathBuilder& out);

// Appends the relative shortcut folder `levels` (for example
// "Ambergate Studio\Korvo\") to `folder`, which ends with a backslash. With
// `create`, each level is created (an existing one is fine) when its closing
// backslash is reached. The text is appended as it stands: a link name goes
// straight behind it, so a last level written without its backslash ("Korvo")
// is a prefix of the link's file name, not a folder. False when the result
// does not fit.
bool AppendShortcutFolder(korvo::PathBuilder& folder, const char* levels, bool create);

// The length of the part of `levels` that names folders: up to and including
// its last backslash (0 when it has none, so the links lie in Programs).
size_t ShortcutFolderLength(const char* levels);

}  // namespace installer

#endif  // INSTALLER_RECORDS_SHORTCUTS_FOLDERS_WIN32_H
