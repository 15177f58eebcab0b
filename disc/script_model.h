// The install script as `check` reads it: what the installer's own reader
// makes of every line, kept with the line numbers that messages name.
#ifndef DISC_SCRIPT_MODEL_H
#define DISC_SCRIPT_MODEL_H

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "disc/findings.h"
#include "installer/engine/install_script.h"
#include "installer/engine/installer_folders.h"
#include "installer/engine/settings_table.h"

namespace disc {

// How messages name the script.
inline constexpr const char* kScriptShown = "idata.txt";

struct ScriptModel {
    installer::SettingsTable settings;
    installer::ScriptLists lists;
    installer::InstallerFolders folders;
    // The line that last set each setting; 0 when none did.
    uint32_t settingLine[installer::SettingsTable::kCount] = {};
    // The line of each record, list by list, in list order.
    std::vector<uint32_t> addFileLine;
    std::vector<uint32_t> backupFileLine;
    std::vector<uint32_t> addShortcutLine;
    bool destinationSet = false;

    uint32_t LineOf(installer::Setting setting) const { return settingLine[static_cast<int>(setting)]; }
    bool IsSet(installer::Setting setting) const { return settings.Text(setting)[0] != '\0'; }
    bool IsPatch() const { return settings.Bool(installer::Setting::IsPatch); }
};

// Runs the installer's line reader over `size` bytes of script, line by
// line, into `model`. Unlike PWsetup, which refuses the whole script at its
// first broken rule, it reports every line that breaks a rule or that the
// reader passes over, and goes on; then it checks the settings' values
// against their types and the settings that must or should be set.
void ReadScript(const char* text, size_t size, ScriptModel* model, Findings* findings);

}  // namespace disc

#endif  // DISC_SCRIPT_MODEL_H
