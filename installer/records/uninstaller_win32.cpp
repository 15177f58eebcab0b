// Uninstall and backup clean-up on top of the Win32 file system and shell.
#include "installer/records/uninstaller_win32.h"

#include <windows.h>

#include <cstring>

#include "common/path_builder.h"
#include "installer/engine/install_script.h"
#include "installer/engine/path_rules.h"
#include "installer/engine/settings_table.h"
#include "installer/records/registry_values_win32.h"
#include "installer/records/shortcuts_folders_win32.h"
#include "installer/records/uninstall_record_win32.h"
#include "installer/system/install_log.h"
#include "installer/system/system.h"

namespace installer {

using korvo::kPathBufferSize;
using korvo::PathBuilder;

namespace {

// Minimum length of a folder UninstallGame accepts.
constexpr size_t kMinFolderLength = 2;

bool IsSeparator(char c) {
    return c == '\\' || c == '/';
}

// Deletes the file (or link, by `kind`) `path` and logs it; one that is not
// there is no failure and no line.
void DeleteLogged(LogKind kind, const char* path) {
    const char* what = kind == LogKind::Link ? "link " : "";
    if (DeleteFileA(path)) {
        LogLine(kind, "removed %s%s", what, path);
        return;
    }
    const DWORD error = GetLastError();
    if (error == ERROR_FILE_NOT_FOUND || error == ERROR_PATH_NOT_FOUND) return;
    LogLine(LogKind::Failure, "cannot remove %s%s: %s", what, path, SystemReason(error).c_str());
}

// Removes the folder `path` when it is empty, and logs it; false when it
// stays (not empty, or not there).
bool RemoveFolderLogged(LogKind kind, const char* path) {
    if (RemoveDirectoryA(path)) {
        LogLine(kind, "removed folder %s", path);
        return true;
    }
    const DWORD error = GetLastError();
    if (error != ERROR_DIR_NOT_EMPTY && error != ERROR_FILE_NOT_FOUND && error != ERROR_PATH_NOT_FOUND)
        LogLine(LogKind::Failure, "cannot remove folder %s: %s", path, SystemReason(error).c_str());
    return false;
}

// Deletes `name` below `folder`; a name that would reach outside the folder
// is left alone.
void DeleteIn(LogKind kind, const PathBuilder& folder, const char* name) {
    if (!IsSafeRelativeName(name)) return;
    PathBuilder path(folder);
    path.Join(name);
    if (path.ok()) DeleteLogged(kind, path.c_str());
}

void DeleteFiles(const PathBuilder& folder, const FileList& list) {
    for (auto entry = list.rbegin(); entry != list.rend(); ++entry)
        DeleteIn(LogKind::File, folder, (*entry)->secondName);
}

// Removes the folders that `name` lies in below `folder`, deepest first, each
// only when empty; a folder that still holds something stops the walk.
void RemoveEmptyParents(const PathBuilder& folder, const char* name) {
    // Only for a name that stays inside the folder. The script reader
    // refuses other names already; a list filled some other way still never
    // reaches a folder outside.
    if (!IsSafeRelativeName(name)) return;
    for (size_t cut = std::strlen(name); cut > 0; --cut) {
        if (!IsSeparator(name[cut - 1]) || cut == 1) continue;
        PathBuilder parent(folder);
        parent.EnsureBackslash().Append(name, cut - 1);
        if (!parent.ok() || !RemoveFolderLogged(LogKind::File, parent.c_str())) return;
    }
}

void RemoveEmptyParents(const PathBuilder& folder, const FileList& list) {
    for (auto entry = list.rbegin(); entry != list.rend(); ++entry)
        RemoveEmptyParents(folder, (*entry)->secondName);
}

// Deletes each link where CreateProgramsShortcut put it: the link name right
// behind the shortcut folder text.
void DeleteLinks(const PathBuilder& folder, const ShortcutList& list) {
    for (auto entry = list.rbegin(); entry != list.rend(); ++entry) {
        if (!IsSafeRelativeName((*entry)->firstName)) continue;
        PathBuilder link(folder);
        link.Append((*entry)->firstName);
        if (link.ok()) DeleteLogged(LogKind::Link, link.c_str());
    }
}

void RemoveShortcuts(const SettingsTable& settings, const ScriptLists& lists) {
    PathBuilder desktop;
    if (GetDesktopFolder(desktop))
        DeleteIn(LogKind::Link, desktop, settings.Text(Setting::DesktopShortcutName));

    PathBuilder programs;
    if (!GetProgramsFolder(programs)) return;
    const char* levels = settings.Text(Setting::ShortcutFolder);
    PathBuilder folder(programs);
    if (!AppendShortcutFolder(folder, levels, false)) return;
    DeleteLinks(folder, lists.addShortcut);
    DeleteLinks(folder, lists.removeShortcut);
    // The last folder level that holds the links goes when empty. Without a
    // level of its own the links sit in Programs, which belongs to the system
    // and is never removed.
    const size_t levelsLength = ShortcutFolderLength(levels);
    if (levelsLength == 0) return;
    PathBuilder holder(programs);
    holder.Append(levels, levelsLength);
    if (holder.ok()) RemoveFolderLogged(LogKind::Link, holder.StripTrailingBackslashes().c_str());
}

}  // namespace

bool UninstallGame(const Installation& installation, const char* destinationFolder) {
    if (destinationFolder == nullptr || std::strlen(destinationFolder) < kMinFolderLength) return false;
    const SettingsTable& settings = installation.settings;
    const ScriptLists& lists = installation.lists;

    DeleteUninstallRecord(settings);

    const PathBuilder folder(destinationFolder);
    if (folder.ok()) {
        DeleteFiles(folder, lists.addFile);
        DeleteFiles(folder, lists.removeFile);
        RemoveEmptyParents(folder, lists.addFile);
        RemoveEmptyParents(folder, lists.removeFile);
        PathBuilder saveGames(folder);
        saveGames.Join(kSaveGameFolder);
        if (saveGames.ok()) RemoveFolderLogged(LogKind::File, saveGames.c_str());
        PathBuilder itself(folder);
        RemoveFolderLogged(LogKind::File, itself.StripTrailingBackslashes().c_str());
    }

    const char* keyPath = settings.Text(Setting::RegPath);
    DeleteRegistryValue(HKEY_LOCAL_MACHINE, keyPath, settings.Text(Setting::RegIdirKey));
    DeleteRegistryValue(HKEY_LOCAL_MACHINE, keyPath, settings.Text(Setting::RegVersionKey));

    RemoveShortcuts(settings, lists);
    return true;
}

bool RemoveBackupFiles(const Installation& installation) {
    char temp[kPathBufferSize];
    // Without the temporary folder the names would be taken relative to the
    // current folder, where they name other files.
    if (!GetTempFolder(temp, sizeof temp) || temp[0] == '\0') return true;
    const PathBuilder folder(temp);
    DeleteFiles(folder, installation.lists.backupFile);
    // Backup names may hold folders, which the backup created below the
    // temporary folder; they go too when nothing else is left in them.
    RemoveEmptyParents(folder, installation.lists.backupFile);
    return true;
}

}  // namespace installer
