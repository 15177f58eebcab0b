// The uninstall record on top of the Win32 registry.
#include "installer/records/uninstall_record_win32.h"

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

bool WriteUninstallRecordNamed(const char* recordName, const char* displayName, const char* command) {
    if (!UsableRecordName(recordName) || displayName == nullptr || command == nullptr) return false;
    PathBuilder keyPath;
    if (!RecordKeyPath(recordName, keyPath)) return false;
    LoggedKey key;
    if (!key.Create(HKEY_LOCAL_MACHINE, keyPath.c_str())) return false;
    // Every value is attempted even when an earlier one fails.
    bool written = key.SetText(kUninstallRecordValues[0], displayName) == ERROR_SUCCESS;
    written = key.SetText(kUninstallRecordValues[1], command) == ERROR_SUCCESS && written;
    written = key.SetText(kUninstallRecordValues[2], command) == ERROR_SUCCESS && written;
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

bool WriteUninstallRecord(const SettingsTable& settings, const char* displayName, const char* command) {
    return WriteUninstallRecordNamed(settings.Text(Setting::UninstallFolderName), displayName, command);
}

void DeleteUninstallRecord(const SettingsTable& settings) {
    DeleteUninstallRecordNamed(settings.Text(Setting::UninstallFolderName));
}

}  // namespace installer
