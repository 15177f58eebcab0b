// An installation laid out on disk and registered for real, then removed by
// UninstallGame; and the patch run's backup copies removed by RemoveBackupFiles.
#include "uninstaller.h"

#include "records_install_fixture.h"
#include "registry_installation.h"
#include "registry_values.h"
#include "shortcuts.h"
#include "system.h"

#include <gtest/gtest.h>

#include <string>

using namespace installer;
using namespace records_test;

namespace {

class UninstallGame : public GameInstall {
protected:
    // The demo package: a program, the uninstall program, data in nested
    // folders, two Programs links and the desktop link; registered as the
    // installer would, with the settings tool's value beside the game's.
    void Install()
    {
        Script("add_file korvo.exe korvo.exe 1 0");
        Script("add_file patch.exe patch.exe 1 0");
        Script("add_file data\\b.dta data\\b.dta 1 0");
        Script("add_file data\\maps\\a.map data\\maps\\a.map 2 0");
        Script("add_shortcut \"Korvo.lnk\" korvo.exe");
        Script("add_shortcut \"Uninstall Korvo.lnk\" patch.exe");
        ASSERT_NO_FATAL_FAILURE(LayOutFiles());
        ASSERT_TRUE(CreateDirectoryA((destination_ + "savegame").c_str(), nullptr));
        RegisterInstallation();
        ASSERT_TRUE(CreateDesktopShortcut((destination_ + "korvo.exe").c_str(), "Korvo", destination_.c_str(),
                                          nullptr, 0, nullptr));
        const unsigned char record[63] = {1};
        ASSERT_TRUE(SetRawValue(gameKey_, "VX7R_setup", REG_BINARY, record, sizeof record));

        ASSERT_TRUE(PathExists(destination_ + "data\\maps\\a.map"));
        ASSERT_TRUE(ValueExists(gameKey_, "InstallDir"));
        ASSERT_TRUE(KeyExists(record_));
        ASSERT_TRUE(PathExists(programs_ + shortcutFolder_ + "Korvo.lnk"));
        ASSERT_TRUE(PathExists(desktop_ + desktopLink_));
    }

    // Everything the installation made is gone; the game key with the
    // settings tool's value, the upper shortcut level and the folder above
    // the destination stay.
    void ExpectRemoved()
    {
        EXPECT_FALSE(PathExists(destination_));
        EXPECT_TRUE(IsFolder(root_ + "\\Games"));
        EXPECT_FALSE(ValueExists(gameKey_, "InstallDir"));
        EXPECT_FALSE(ValueExists(gameKey_, "Version"));
        EXPECT_TRUE(ValueExists(gameKey_, "VX7R_setup"));
        EXPECT_FALSE(KeyExists(record_));
        EXPECT_FALSE(PathExists(desktop_ + desktopLink_));
        EXPECT_FALSE(PathExists(programs_ + shortcutFolder_));
        EXPECT_TRUE(IsFolder(programs_ + studio_));
    }
};

TEST_F(UninstallGame, removes_everything_the_installation_made)
{
    ASSERT_NO_FATAL_FAILURE(Install());
    EXPECT_TRUE(installer::UninstallGame(destination_.c_str()));
    ExpectRemoved();
    std::string output;
    EXPECT_NE(RegQuery(record_, nullptr, &output), 0) << output;
}

TEST_F(UninstallGame, second_run_is_harmless)
{
    ASSERT_NO_FATAL_FAILURE(Install());
    EXPECT_TRUE(installer::UninstallGame(destination_.c_str()));
    EXPECT_TRUE(installer::UninstallGame(destination_.c_str()));
    ExpectRemoved();
    // Deleting a record that is gone must not bring its key back.
    EXPECT_FALSE(KeyExists(record_));
}

TEST_F(UninstallGame, folder_without_trailing_backslash_removes_the_same)
{
    ASSERT_NO_FATAL_FAILURE(Install());
    const std::string folder = destination_.substr(0, destination_.size() - 1);
    EXPECT_TRUE(installer::UninstallGame(folder.c_str()));
    ExpectRemoved();
}

TEST_F(UninstallGame, saved_game_keeps_its_folder_and_the_game_folder)
{
    ASSERT_NO_FATAL_FAILURE(Install());
    ASSERT_TRUE(MakeFile(destination_ + "savegame\\slot1.sav", "saved"));

    EXPECT_TRUE(installer::UninstallGame(destination_.c_str()));

    EXPECT_TRUE(PathExists(destination_ + "savegame\\slot1.sav"));
    EXPECT_FALSE(PathExists(destination_ + "korvo.exe"));
    EXPECT_FALSE(PathExists(destination_ + "data"));
    EXPECT_FALSE(ValueExists(gameKey_, "InstallDir"));
    EXPECT_FALSE(KeyExists(record_));
}

TEST_F(UninstallGame, user_files_in_a_data_folder_keep_that_folder)
{
    ASSERT_NO_FATAL_FAILURE(Install());
    ASSERT_TRUE(MakeFile(destination_ + "data\\maps\\custom.map"));

    EXPECT_TRUE(installer::UninstallGame(destination_.c_str()));

    EXPECT_TRUE(PathExists(destination_ + "data\\maps\\custom.map"));
    EXPECT_FALSE(PathExists(destination_ + "data\\maps\\a.map"));
    EXPECT_FALSE(PathExists(destination_ + "data\\b.dta"));
    EXPECT_FALSE(PathExists(destination_ + "savegame"));
}

TEST_F(UninstallGame, listed_removals_go_too)
{
    Script("remove_file old.cfg old.cfg");
    Script("remove_shortcut \"Korvo Old.lnk\" korvo.exe");
    ASSERT_NO_FATAL_FAILURE(Install());
    ASSERT_TRUE(MakeFile(destination_ + "old.cfg"));
    ASSERT_TRUE(CreateShellLink((programs_ + shortcutFolder_ + "Korvo Old.lnk").c_str(), "C:\\old.exe", nullptr,
                                nullptr, nullptr, 0, nullptr));

    EXPECT_TRUE(installer::UninstallGame(destination_.c_str()));
    ExpectRemoved();
}

TEST_F(UninstallGame, shortcut_folder_with_other_links_stays)
{
    ASSERT_NO_FATAL_FAILURE(Install());
    const std::string other = programs_ + shortcutFolder_ + "Editor.lnk";
    ASSERT_TRUE(CreateShellLink(other.c_str(), "C:\\editor.exe", nullptr, nullptr, nullptr, 0, nullptr));

    EXPECT_TRUE(installer::UninstallGame(destination_.c_str()));

    EXPECT_TRUE(PathExists(other));
    EXPECT_FALSE(PathExists(programs_ + shortcutFolder_ + "Korvo.lnk"));
    EXPECT_FALSE(PathExists(programs_ + shortcutFolder_ + "Uninstall Korvo.lnk"));
}

TEST_F(UninstallGame, links_directly_in_programs_leave_programs_in_place)
{
    Settings().Set(Setting::ShortcutFolder, "");
    const std::string link = "Korvo " + TestName() + ".lnk";
    Script(("add_shortcut \"" + link + "\" korvo.exe").c_str());
    RegisterInstallation();
    ASSERT_TRUE(PathExists(programs_ + link));

    EXPECT_TRUE(installer::UninstallGame(destination_.c_str()));

    EXPECT_FALSE(PathExists(programs_ + link));
    EXPECT_TRUE(IsFolder(programs_));
}

TEST_F(UninstallGame, shortcut_folder_written_without_backslash_is_cleaned_up)
{
    Settings().Set(Setting::ShortcutFolder, studio_.c_str());
    Script("add_shortcut \"Korvo.lnk\" korvo.exe");
    RegisterInstallation();
    ASSERT_TRUE(PathExists(programs_ + studio_ + "\\Korvo.lnk"));

    EXPECT_TRUE(installer::UninstallGame(destination_.c_str()));
    EXPECT_FALSE(PathExists(programs_ + studio_));
}

TEST_F(UninstallGame, rollback_before_registration_leaves_no_keys)
{
    // A cancelled copy: some files are there, nothing was registered yet.
    Script("add_file korvo.exe korvo.exe 1 0");
    Script("add_file data\\b.dta data\\b.dta 1 0");
    Script("add_shortcut \"Korvo.lnk\" korvo.exe");
    ASSERT_NO_FATAL_FAILURE(LayOutFiles());
    ASSERT_TRUE(DeleteFileA((destination_ + "data\\b.dta").c_str()));

    EXPECT_TRUE(installer::UninstallGame(destination_.c_str()));

    EXPECT_FALSE(PathExists(destination_));
    EXPECT_FALSE(KeyExists(record_));
    EXPECT_FALSE(KeyExists(gameKey_));
}

TEST_F(UninstallGame, null_or_one_character_folder_is_refused_untouched)
{
    ASSERT_NO_FATAL_FAILURE(Install());
    EXPECT_FALSE(installer::UninstallGame(nullptr));
    EXPECT_FALSE(installer::UninstallGame(""));
    EXPECT_FALSE(installer::UninstallGame("C"));

    EXPECT_TRUE(PathExists(destination_ + "korvo.exe"));
    EXPECT_TRUE(ValueExists(gameKey_, "InstallDir"));
    EXPECT_TRUE(KeyExists(record_));
    EXPECT_TRUE(PathExists(desktop_ + desktopLink_));
}

TEST_F(UninstallGame, names_leaving_the_folder_never_remove_folders_outside)
{
    // An empty folder beside the game that a hostile name points into.
    ASSERT_TRUE(CreateDirectoryA((root_ + "\\Games\\Other").c_str(), nullptr));
    Script("add_file x ..\\Other\\x 1 0");
    ASSERT_TRUE(CreateDirectoryA(destination_.c_str(), nullptr));

    EXPECT_TRUE(installer::UninstallGame(destination_.c_str()));

    EXPECT_TRUE(IsFolder(root_ + "\\Games\\Other"));
}

class RemoveBackupFiles : public GameInstall {};

TEST_F(RemoveBackupFiles, deletes_listed_copies_in_the_temporary_folder_only)
{
    char temp[1024];
    ASSERT_TRUE(GetTempFolder(temp, sizeof temp));
    const std::string first = "korvo-backup-" + TestName() + "-1.bak";
    const std::string second = "korvo-backup-" + TestName() + "-2.bak";
    const std::string kept = "korvo-backup-" + TestName() + "-kept.bak";
    Script(("backup_file korvo.exe " + first).c_str());
    Script(("backup_file data\\b.dta " + second).c_str());
    ASSERT_TRUE(MakeFile(std::string(temp) + first));
    ASSERT_TRUE(MakeFile(std::string(temp) + second));
    ASSERT_TRUE(MakeFile(std::string(temp) + kept));

    EXPECT_TRUE(installer::RemoveBackupFiles());
    EXPECT_TRUE(installer::RemoveBackupFiles());

    EXPECT_FALSE(PathExists(std::string(temp) + first));
    EXPECT_FALSE(PathExists(std::string(temp) + second));
    EXPECT_TRUE(PathExists(std::string(temp) + kept));
    DeleteFileA((std::string(temp) + kept).c_str());
}

}  // namespace
