// The installation the program works on: the settings, the install script's
// lists and the installer's folders. The application owns the one object and
// hands it, by reference, to whoever reads or fills it: the flow, the pages,
// the progress dialogs, the backdrop and the records.
#ifndef INSTALLER_ENGINE_INSTALLATION_H
#define INSTALLER_ENGINE_INSTALLATION_H

#include "installer/engine/install_script.h"
#include "installer/engine/installer_folders.h"
#include "installer/engine/settings_table.h"

namespace installer {

struct Installation {
    Installation() = default;
    Installation(const Installation&) = delete;
    Installation& operator=(const Installation&) = delete;

    SettingsTable settings;
    ScriptLists lists;
    InstallerFolders folders;

    // The three parts as the target that the script fills and the flow and
    // the progress logic work on.
    InstallScriptTarget Target() { return InstallScriptTarget{settings, lists, folders}; }
};

}  // namespace installer

#endif  // INSTALLER_ENGINE_INSTALLATION_H
