// The rules a name or folder from the install script (or typed by the user)
// must keep before the installer builds a path from it. Plain text checks,
// no file system: what Windows would make of the text decides.
#ifndef INSTALLER_ENGINE_PATH_RULES_H
#define INSTALLER_ENGINE_PATH_RULES_H

namespace installer {

// Whether `name` is a relative name that stays inside the folder it is
// appended to. Refused: null and the empty text; a name that starts with a
// backslash or slash (rooted, UNC "\\server\x", device "\\.\x" and "\\?\x");
// any colon (a drive "C:x", or a stream of a file); and a name with a
// component (between backslashes or slashes) that is "..", or is made of dots
// and blanks alone other than a single dot (Windows drops trailing dots and
// blanks, so "... " and ".. " may become ".."), or is a reserved device name
// (CON, PRN, AUX, NUL, COM0 to COM9, LPT0 to LPT9, CONIN$, CONOUT$, in any
// letter case, with or without an extension, blanks before the dot
// ignored). A name must have at least one ordinary component.
bool IsSafeRelativeName(const char* name);

// Whether `folder` names a folder below the root of a drive: a drive letter,
// a colon and a backslash or slash, then a rest that keeps the rules of
// IsSafeRelativeName (extra separators between components allowed, also at
// the start and the end). So "C:\Games\Korvo" and "D:/Korvo\" pass, and the
// drive root alone ("C:", "C:\", "C:\\", "C:\."), a drive-relative "C:Games",
// a UNC or rooted folder, a relative folder and "C:\Games\.." do not.
bool IsFolderBelowDriveRoot(const char* folder);

}  // namespace installer

#endif  // INSTALLER_ENGINE_PATH_RULES_H
