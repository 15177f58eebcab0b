// The install script "idata.txt": the product description that fills the
// settings table, gives the default destination folder and lists the files to
// copy, remove and back up and the shortcuts to create and remove.
//
// The script is plain text, one directive per line (lines end at a line
// feed; a carriage return before it is a separator):
//
//   // a comment: the first token starts with two slashes
//   var game_name = "Korvo"               set a setting (the = is a separator)
//   dst_path "C:\Games\Korvo"             default destination folder
//   add_file data\a.dta data\a.dta 2 0    first name, second name, disc, flag
//   remove_file  <first> <second> [disc] [flag]
//   backup_file  <first> <second> [disc] [flag]
//   add_shortcut "Korvo.lnk" korvo.exe    first name, second name
//   remove_shortcut <first> <second>
//
// Directive words are case-sensitive; any other first token is ignored, as
// are fields after the ones a directive takes. Missing disc and flag fields
// read as 0. A line longer than 511 characters is cut there. A file or
// shortcut line needs both names; one with a missing name or a name longer
// than its 516-character field is skipped.
#ifndef INSTALLER_ENGINE_INSTALL_SCRIPT_H
#define INSTALLER_ENGINE_INSTALL_SCRIPT_H

#include <cstddef>
#include <cstdint>
#include <memory>
#include <vector>

#include "installer/engine/installer_folders.h"
#include "installer/engine/settings_table.h"

namespace installer {

inline constexpr const char* kScriptName = "idata.txt";
inline constexpr size_t kMaxScriptLineLength = 511;
inline constexpr size_t kMaxNameLength = 516;
inline constexpr size_t kNameFieldSize = kMaxNameLength + 1;
// Sanity limit on the script's size as the archive reports it; real scripts
// are a few kilobytes.
inline constexpr int32_t kMaxScriptSize = 16 * 1024 * 1024;

// One add_file, remove_file or backup_file line. Names are relative paths,
// appended directly to a folder that ends in a backslash.
struct FileEntry {
    char firstName[kNameFieldSize];   // add_file: under the source folder; backup_file: under
                                      // the destination folder
    char secondName[kNameFieldSize];  // add_file, remove_file: under the destination folder;
                                      // backup_file: backup file name in the temporary folder
    uint8_t disc;                     // disc holding the file, from 1 (third field mod 256)
    bool flag;                        // fourth field not 0 (compact install leaves it out)
};

// One add_shortcut or remove_shortcut line.
struct ShortcutEntry {
    char firstName[kNameFieldSize];   // link file name inside the Start-menu folder
    char secondName[kNameFieldSize];  // add_shortcut: target under the destination folder
};

// Records in script order. Each record is allocated on its own and never
// moves, so pointers to records stay valid while the list grows.
using FileList = std::vector<std::unique_ptr<FileEntry>>;
using ShortcutList = std::vector<std::unique_ptr<ShortcutEntry>>;

struct ScriptLists {
    FileList addFile;
    FileList removeFile;
    FileList backupFile;
    ShortcutList addShortcut;
    ShortcutList removeShortcut;

    void Clear();
};

// A new record with copies of both names, or null when a name is null or
// longer than kMaxNameLength.
std::unique_ptr<FileEntry> MakeFileEntry(const char* firstName, const char* secondName, uint8_t disc,
                                         bool flag);
std::unique_ptr<ShortcutEntry> MakeShortcutEntry(const char* firstName, const char* secondName);

// What a script fills: the settings, the five lists and the destination
// folder (from dst_path).
struct InstallScriptTarget {
    SettingsTable& settings;
    ScriptLists& lists;
    InstallerFolders& folders;
};

// Handles one line (without its line feed; up to its first zero byte).
// Records are appended to the target's lists.
void ApplyScriptLine(const char* line, const InstallScriptTarget& target);

// Splits `size` bytes of script text into lines and applies each in order.
// Returns false, changing nothing, for null or empty text; true otherwise.
bool ParseInstallScript(const char* text, size_t size, const InstallScriptTarget& target);

// Reads "idata.txt" through the archive library (a plain file in the current
// folder first, then the registered archives) and parses it into `target`.
// Returns false when it cannot be opened, is empty, larger than
// kMaxScriptSize or cannot be read whole; the target is then unchanged.
bool ReadInstallScript(const InstallScriptTarget& target);

// The process-wide lists, empty at first use and alive until exit.
ScriptLists& ScriptEntries();

// The process-wide settings, lists and folders as one target.
InstallScriptTarget ProcessScriptTarget();

// ReadInstallScript into the process-wide target; what start-up calls once.
bool ReadInstallScript();

}  // namespace installer

#endif  // INSTALLER_ENGINE_INSTALL_SCRIPT_H
