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
// read as 0. A file or shortcut line without both names is skipped.
//
// A script is taken whole or not at all. It is damaged, and refused with the
// line at fault, when a line is longer than 511 characters (its carriage
// return not counted); a name that becomes part of a path (both names of a
// file line, the link name of a shortcut line, the target of add_shortcut)
// is not a relative name inside its folder (IsSafeRelativeName); an add_file
// disc is 0 (discs count from 1; the field is taken modulo 256, so a missing
// field and 256 are 0 too); or dst_path is not a folder below a drive root
// (IsFolderBelowDriveRoot). The script that start-up reads must also set
// every setting the run depends on (kRequiredSettings).
#ifndef INSTALLER_ENGINE_INSTALL_SCRIPT_H
#define INSTALLER_ENGINE_INSTALL_SCRIPT_H

#include <cstddef>
#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <utility>
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

// The settings without which the installer cannot run: the game's name, its
// registry key and value names, and the package's version.
inline constexpr Setting kRequiredSettings[] = {Setting::RegPath, Setting::RegIdirKey, Setting::RegVersionKey,
                                                Setting::Version, Setting::GameName};

// What reading or parsing a script came to.
enum class ScriptStatus {
    Ok,          // taken whole
    Unreadable,  // no script: it cannot be opened or read whole, or it is empty
    Damaged,     // refused: `line` and `reason` say why
};

struct ScriptResult {
    ScriptStatus status = ScriptStatus::Ok;
    // The line at fault, counted from 1; 0 when no single line is (a
    // required setting left empty).
    uint32_t line = 0;
    // A short account of the fault that names the setting, the directive or
    // the name at fault (a long name cut, marked with "...").
    std::string reason;

    bool Ok() const { return status == ScriptStatus::Ok; }
    bool Damaged() const { return status == ScriptStatus::Damaged; }
    static ScriptResult Unreadable() { return ScriptResult{ScriptStatus::Unreadable, 0, {}}; }
    static ScriptResult Damage(uint32_t line, std::string reason) {
        return ScriptResult{ScriptStatus::Damaged, line, std::move(reason)};
    }
};

// What a line that breaks no rule came to, for tools that report on a
// script line by line.
enum class LineEffect {
    None,         // empty, or separators only
    Comment,      // the first token starts with "//"
    Setting,      // a var line stored a value in `setting`
    Destination,  // dst_path set the destination folder
    Entry,        // a record was appended to a list
    Skipped,      // passed over without effect: `skip` says why
};
enum class LineSkip {
    None,
    NotADirective,   // the first token is no directive word (`word`)
    NoKey,           // var without a setting name
    UnknownSetting,  // var with a name outside the table (`word`)
    NoValue,         // var without a value (`word` is the setting name)
    NoFolder,        // dst_path without a folder
    MissingName,     // a file or shortcut line with fewer than two names (`word`: the directive)
};
struct LineOutcome {
    LineEffect effect = LineEffect::None;
    LineSkip skip = LineSkip::None;
    Setting setting = Setting::GameName;  // for LineEffect::Setting
    std::string word;                     // the word or name a skip is about
};

// Handles one line (without its line feed; up to its first zero byte).
// Records are appended to the target's lists. A line that breaks a rule of
// the script changes nothing and gives Damaged with the reason and line 0
// (the caller knows the line). `outcome`, when given, receives what a line
// that breaks no rule did.
ScriptResult ApplyScriptLine(const char* line, const InstallScriptTarget& target,
                             LineOutcome* outcome = nullptr);

// Splits `size` bytes of script text into lines as the reader does: each
// runs up to a line feed or the end, without the carriage return of a CR LF
// end. Calls `visit` with each line's number (from 1), start and length
// (possibly over kMaxScriptLineLength); stops when `visit` returns false.
void ForEachScriptLine(const char* text, size_t size,
                       const std::function<bool(uint32_t number, const char* start, size_t length)>& visit);

// What ParseInstallScript checks beyond the lines.
enum class ScriptCheck {
    Lines,     // each line on its own
    Complete,  // and then that every required setting is set
};

// Splits `size` bytes of script text into lines and applies each in order.
// The target takes the script only when all of it is good: Unreadable for
// null or empty text and Damaged for a broken rule (with the first line at
// fault) leave it unchanged.
ScriptResult ParseInstallScript(const char* text, size_t size, const InstallScriptTarget& target,
                                ScriptCheck check = ScriptCheck::Lines);

// Damaged, naming the first of kRequiredSettings that is empty; Ok when all
// are set.
ScriptResult CheckRequiredSettings(const SettingsTable& settings);

// Reads "idata.txt" through the archive library (a plain file in the current
// folder first, then the registered archives) and parses it into `target`
// with ScriptCheck::Complete. Unreadable when it cannot be opened, is empty,
// larger than kMaxScriptSize or cannot be read whole; Damaged as
// ParseInstallScript says. Only Ok changes the target.
ScriptResult ReadInstallScript(const InstallScriptTarget& target);

}  // namespace installer

#endif  // INSTALLER_ENGINE_INSTALL_SCRIPT_H
