// A game laid out on disk and described to the installer as the install
// script would: settings, lists and destination folder, all named after the
// running test so that tests sharing the prefix never meet.
#ifndef TESTS_WIN32_RECORDS_INSTALL_FIXTURE_H
#define TESTS_WIN32_RECORDS_INSTALL_FIXTURE_H

#include "records_test_support.h"

#include "installer/engine/install_script.h"
#include "installer/engine/installer_folders.h"
#include "installer/engine/settings_table.h"
#include "uninstall_record.h"

#include <gtest/gtest.h>

#include <string>

namespace records_test {

// Removes a folder tree (files first); a missing folder is fine.
inline void RemoveTree(const std::string& folder)
{
    WIN32_FIND_DATAA found;
    HANDLE search = FindFirstFileA((folder + "\\*").c_str(), &found);
    if (search != INVALID_HANDLE_VALUE) {
        do {
            const std::string name = found.cFileName;
            if (name == "." || name == "..")
                continue;
            const std::string full = folder + "\\" + name;
            if (found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY)
                RemoveTree(full);
            else
                DeleteFileA(full.c_str());
        } while (FindNextFileA(search, &found));
        FindClose(search);
    }
    RemoveDirectoryA(folder.c_str());
}

class GameInstall : public ::testing::Test {
protected:
    void SetUp() override
    {
        using namespace installer;
        const std::string name = TestName();
        char temp[MAX_PATH] = {};
        GetTempPathA(MAX_PATH, temp);
        root_ = std::string(temp) + "korvo-records-" + name;
        RemoveTree(root_);
        ASSERT_TRUE(CreateDirectoryA(root_.c_str(), nullptr));
        ASSERT_TRUE(CreateDirectoryA((root_ + "\\Games").c_str(), nullptr));
        destination_ = root_ + "\\Games\\Korvo\\";

        programs_ = SpecialFolder(CSIDL_PROGRAMS);
        desktop_ = SpecialFolder(CSIDL_DESKTOPDIRECTORY);
        ASSERT_FALSE(programs_.empty());
        ASSERT_FALSE(desktop_.empty());
        studio_ = "Korvo Tests " + name;
        shortcutFolder_ = studio_ + "\\Korvo\\";
        gameKey_ = "Software\\Korvo Tests\\" + name;
        recordName_ = "Korvo " + name;
        record_ = std::string(kUninstallKeyPath) + "\\" + recordName_;
        desktopLink_ = name + ".lnk";
        DeleteKeyTree(gameKey_);
        DeleteKeyTree(record_);

        SettingsTable& settings = Settings();
        settings.Clear();
        settings.Set(Setting::RegPath, gameKey_.c_str());
        settings.Set(Setting::RegIdirKey, "InstallDir");
        settings.Set(Setting::RegVersionKey, "Version");
        settings.Set(Setting::Version, "1.0");
        settings.Set(Setting::UninstallItemName, "Korvo");
        settings.Set(Setting::UninstallFolderName, recordName_.c_str());
        settings.Set(Setting::DesktopShortcutName, desktopLink_.c_str());
        settings.Set(Setting::ShortcutFolder, shortcutFolder_.c_str());
        ScriptEntries().Clear();
        ASSERT_TRUE(Folders().SetDestination(destination_.c_str()));
    }

    void TearDown() override
    {
        RemoveTree(root_);
        RemoveTree(programs_ + studio_);
        DeleteFileA((desktop_ + desktopLink_).c_str());
        DeleteKeyTree(gameKey_);
        DeleteKeyTree(record_);
        installer::ScriptEntries().Clear();
        installer::Settings().Clear();
    }

    // Feeds one install script line to the process-wide lists and settings.
    static void Script(const char* line) { installer::ApplyScriptLine(line, installer::ProcessScriptTarget()); }

    // The files of every add_file entry, made in the destination folder with
    // the folders they lie in.
    void LayOutFiles()
    {
        ASSERT_TRUE(CreateDirectoryA(destination_.c_str(), nullptr) || IsFolder(destination_));
        for (const auto& entry : installer::ScriptEntries().addFile) {
            const std::string relative = entry->secondName;
            for (size_t at = relative.find('\\'); at != std::string::npos; at = relative.find('\\', at + 1))
                CreateDirectoryA((destination_ + relative.substr(0, at)).c_str(), nullptr);
            ASSERT_TRUE(MakeFile(destination_ + relative)) << relative;
        }
    }

    std::string root_;            // scratch folder of the test
    std::string destination_;     // root_\Games\Korvo\ (not made until LayOutFiles)
    std::string programs_;        // the prefix's Programs folder, with backslash
    std::string desktop_;         // the prefix's desktop folder, with backslash
    std::string studio_;          // upper level of the shortcut folder
    std::string shortcutFolder_;  // studio_\Korvo\ .
    std::string gameKey_;
    std::string recordName_;
    std::string record_;
    std::string desktopLink_;

private:
    ComScope com_;
};

}  // namespace records_test

#endif  // TESTS_WIN32_RECORDS_INSTALL_FIXTURE_H
