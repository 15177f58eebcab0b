// The registration step: shortcuts, uninstall record and the game's values.
#include "installer/records/registry_installation_win32.h"

#include <windows.h>

#include <cstdint>
#include <set>
#include <string>

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

// KiB, rounded up, of the files the add_file lines put into `destination`,
// as they are now; a destination named twice counts once, a missing file not
// at all. Held within a DWORD.
uint32_t InstalledKiB(const FileList& files, const char* destination) {
    std::set<std::string> counted;
    uint64_t bytes = 0;
    for (const auto& entry : files) {
        PathBuilder path(destination);
        path.Append(entry->secondName);
        std::string key = path.c_str();
        CharLowerBuffA(&key[0], static_cast<DWORD>(key.size()));
        WIN32_FILE_ATTRIBUTE_DATA data;
        if (!path.ok() || !counted.insert(key).second ||
            !GetFileAttributesExA(path.c_str(), GetFileExInfoStandard, &data) ||
            (data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) != 0)
            continue;
        bytes += (static_cast<uint64_t>(data.nFileSizeHigh) << 32) | data.nFileSizeLow;
    }
    const uint64_t kib = bytes / 1024 + (bytes % 1024 != 0 ? 1 : 0);
    return kib > UINT32_MAX ? UINT32_MAX : static_cast<uint32_t>(kib);
}

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
    PathBuilder icon(destination);
    icon.Append(kGameProgram);
    UninstallEntry record;
    record.displayName = settings.Text(Setting::UninstallItemName);
    record.command = command.c_str();
    record.version = settings.Text(Setting::Version);
    record.location = destination;
    record.icon = icon.c_str();
    record.sizeKiB = InstalledKiB(installation.lists.addFile, destination);
    all = command.ok() && icon.ok() && WriteUninstallRecord(settings, record) && all;

    const char* keyPath = settings.Text(Setting::RegPath);
    all = WriteRegistryValue(HKEY_LOCAL_MACHINE, keyPath, settings.Text(Setting::RegIdirKey), destination) &&
          all;
    all = WriteRegistryValue(HKEY_LOCAL_MACHINE, keyPath, settings.Text(Setting::RegVersionKey),
                             settings.Text(Setting::Version)) &&
          all;
    return all;
}

}  // namespace installer
