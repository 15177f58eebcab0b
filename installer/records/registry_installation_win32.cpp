// The registration step: shortcuts, uninstall record and the game's values.
#include "installer/records/registry_installation_win32.h"

#include <windows.h>

#include "common/path_builder.h"
#include "installer/engine/install_script.h"
#include "installer/engine/installer_folders.h"
#include "installer/engine/settings_table.h"
#include "installer/records/registry_values_win32.h"
#include "installer/records/shortcuts_win32.h"
#include "installer/records/uninstall_record_win32.h"

namespace installer {

using korvo::PathBuilder;

namespace {

// The uninstall command registered for the game, inside its installed folder.
constexpr char kUninstallProgram[] = "patch.exe";

}  // namespace

bool RegisterInstallation(const Installation& installation) {
    const SettingsTable& settings = installation.settings;
    const char* destination = installation.folders.Destination();
    bool all = true;

    for (const auto& entry : installation.lists.addShortcut) {
        PathBuilder target(destination);
        target.Append(entry->secondName);
        all = target.ok() &&
              CreateProgramsShortcut(settings, entry->firstName, target.c_str(), entry->secondName,
                                     destination, nullptr, 0, nullptr) &&
              all;
    }

    PathBuilder command(destination);
    command.Append(kUninstallProgram);
    all = command.ok() &&
          WriteUninstallRecord(settings, settings.Text(Setting::UninstallItemName), command.c_str()) && all;

    const char* keyPath = settings.Text(Setting::RegPath);
    all = WriteRegistryValue(HKEY_LOCAL_MACHINE, keyPath, settings.Text(Setting::RegIdirKey), destination) &&
          all;
    all = WriteRegistryValue(HKEY_LOCAL_MACHINE, keyPath, settings.Text(Setting::RegVersionKey),
                             settings.Text(Setting::Version)) &&
          all;
    return all;
}

}  // namespace installer
