// The uninstall record on top of the Win32 registry.
#include "installer/records/uninstall_record_win32.h"

#include <iterator>
#include <string>

#include "common/path_builder.h"
#include "installer/engine/settings_table.h"
#include "installer/records/logged_key_win32.h"

namespace installer {

using korvo::PathBuilder;

namespace {

// An empty record name would address the Uninstall key itself, where the
// values of the record would mix with the system's own.
bool UsableRecordName(const char* name) {
    return name != nullptr && name[0] != '\0';
}

bool RecordKeyPath(const char* recordName, PathBuilder& out) {
    out = PathBuilder(kUninstallKeyPath);
    out.Append('\\').Append(recordName);
    return out.ok();
}

}  // namespace

bool WriteUninstallRecordNamed(const char* recordName, const UninstallEntry& entry) {
    if (!UsableRecordName(recordName)) return false;
    for (const char* text : {entry.displayName, entry.command, entry.version, entry.location, entry.icon}) {
        if (text == nullptr) return false;
    }
    PathBuilder keyPath;
    if (!RecordKeyPath(recordName, keyPath)) return false;
    LoggedKey key;
    if (!key.Create(HKEY_LOCAL_MACHINE, keyPath.c_str())) return false;
    // The values in the order of kUninstallRecordValues: six texts, three
    // numbers, and the quiet command.
    const char* const texts[] = {entry.displayName, entry.command,  entry.command,
                                 entry.version,     entry.location, entry.icon};
    const DWORD numbers[] = {entry.sizeKiB, 1, 1};
    const std::string quiet = std::string("\"") + entry.command + "\" " + kQuietUninstallSwitches;
    static_assert(std::size(texts) + std::size(numbers) + 1 == std::size(kUninstallRecordValues));
    const char* const* name = kUninstallRecordValues;
    // Every value is attempted even when an earlier one fails.
    bool written = true;
    for (const char* text : texts) written = key.SetText(*name++, text) == ERROR_SUCCESS && written;
    for (DWORD number : numbers) written = key.SetNumber(*name++, number) == ERROR_SUCCESS && written;
    written = key.SetText(*name, quiet.c_str()) == ERROR_SUCCESS && written;
    return written;
}

void DeleteUninstallRecordNamed(const char* recordName) {
    if (!UsableRecordName(recordName)) return;
    PathBuilder keyPath;
    if (!RecordKeyPath(recordName, keyPath)) return;
    // Opened, never created: a missing record must not appear just to be
    // deleted again.
    {
        LoggedKey record;
        if (record.Open(HKEY_LOCAL_MACHINE, keyPath.c_str())) {
            for (const char* value : kUninstallRecordValues) record.DeleteValue(value);
        }
    }
    LoggedKey list;
    if (list.Open(HKEY_LOCAL_MACHINE, kUninstallKeyPath)) list.DeleteSubKey(recordName);
}

bool WriteUninstallRecord(const SettingsTable& settings, const UninstallEntry& entry) {
    return WriteUninstallRecordNamed(settings.Text(Setting::UninstallFolderName), entry);
}

void DeleteUninstallRecord(const SettingsTable& settings) {
    DeleteUninstallRecordNamed(settings.Text(Setting::UninstallFolderName));
}

}  // namespace installer
