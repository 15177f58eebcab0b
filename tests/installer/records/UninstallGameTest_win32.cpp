// An installation laid out on disk and registered for real, then removed.
#include "installer/records/registry_installation_win32.h"
#include "installer/records/shortcuts_win32.h"
#include "installer/system/install_log.h"
#include "installer/system/system.h"
#include "installer/records/uninstaller_win32.h"
#include "tests/installer/records/records_test_support_win32.h"

using namespace installer;
using namespace records_test;

namespace {

class UninstallGame : public GameInstall {
protected:
    // Files in nested folders, two Programs links, the desktop link, and the
    // settings tool's value beside the game's own.
    void Install() {
        for (const char* line :
             {"add_file korvo.exe korvo.exe 1 0", "add_file patch.exe patch.exe 1 0",
              "add_file data\\b.dta data\\b.dta 1 0", "add_file m\\a.map data\\maps\\a.map 2 0",
              "add_shortcut \"Korvo.lnk\" korvo.exe", "add_shortcut \"Remove.lnk\" patch.exe"})
            Script(line);
        ASSERT_NO_FATAL_FAILURE(LayOutFiles());
        ASSERT_TRUE(CreateDirectoryA((destination_ + "savegame").c_str(), nullptr));
        ASSERT_TRUE(RegisterInstallation(installation_));
        ASSERT_TRUE(CreateDesktopShortcut(installation_.settings, (destination_ + "korvo.exe").c_str(),
                                          nullptr, nullptr, nullptr, 0, nullptr));
        ASSERT_TRUE(SetRawValue(gameKey_, "VX7R_setup", REG_BINARY, "settings", 9));
    }

    void ExpectRemoved() {
        EXPECT_FALSE(PathExists(destination_));
        EXPECT_TRUE(PathExists(root_ + "\\Games"));
        EXPECT_FALSE(ValueExists(gameKey_, "InstallDir"));
        EXPECT_FALSE(ValueExists(gameKey_, "Version"));
        EXPECT_TRUE(ValueExists(gameKey_, "VX7R_setup"));
        EXPECT_FALSE(KeyExists(record_));
        EXPECT_FALSE(PathExists(desktop_ + desktopLink_));
        EXPECT_FALSE(PathExists(programs_ + shortcutFolder_));
        EXPECT_TRUE(PathExists(programs_ + studio_));
    }
};

TEST_F(UninstallGame, removes_everything_the_installation_made_and_runs_twice) {
    ASSERT_NO_FATAL_FAILURE(Install());
    EXPECT_TRUE(installer::UninstallGame(installation_, destination_.c_str()));
    ExpectRemoved();
    EXPECT_TRUE(installer::UninstallGame(installation_, destination_.c_str()));
    ExpectRemoved();
}

TEST_F(UninstallGame, logs_each_removal_once_and_nothing_for_what_is_gone) {
    ASSERT_NO_FATAL_FAILURE(Install());
    ResetInstallLog();
    EXPECT_TRUE(installer::UninstallGame(installation_, destination_.c_str()));
    std::string log = HeldInstallLogLines();
    for (const std::string& line :
         {"  file  removed " + destination_ + "data\\maps\\a.map\r\n",
          "  file  removed folder " + destination_ + "data\\maps\r\n",
          "  file  removed folder " + destination_.substr(0, destination_.size() - 1) + "\r\n",
          "  registry  deleted HKLM\\" + gameKey_ + "\\Version\r\n",
          "  registry  deleted HKLM\\" + record_ + "\\DisplayName\r\n",
          "  registry  removed key HKLM\\" + record_ + "\r\n",
          "  link  removed link " + desktop_ + desktopLink_ + "\r\n",
          "  link  removed folder " + programs_ + shortcutFolder_.substr(0, shortcutFolder_.size() - 1) +
              "\r\n"})
        EXPECT_NE(log.find(line), std::string::npos) << line << log;
    EXPECT_EQ(log.find(" failure "), std::string::npos) << log;

    ResetInstallLog();
    EXPECT_TRUE(installer::UninstallGame(installation_, destination_.c_str()));
    log = HeldInstallLogLines();
    EXPECT_EQ(log.find("removed"), std::string::npos) << log;
    EXPECT_EQ(log.find("deleted"), std::string::npos) << log;
}

TEST_F(UninstallGame, folder_without_trailing_backslash_removes_the_same) {
    ASSERT_NO_FATAL_FAILURE(Install());
    EXPECT_TRUE(
        installer::UninstallGame(installation_, destination_.substr(0, destination_.size() - 1).c_str()));
    ExpectRemoved();
}

TEST_F(UninstallGame, files_of_the_player_keep_their_folders) {
    ASSERT_NO_FATAL_FAILURE(Install());
    ASSERT_TRUE(MakeFile(destination_ + "savegame\\slot1.sav"));
    ASSERT_TRUE(MakeFile(destination_ + "data\\maps\\custom.map"));
    const std::string otherLink = programs_ + shortcutFolder_ + "Editor.lnk";
    ASSERT_TRUE(CreateShellLink(otherLink.c_str(), "C:\\editor.exe", nullptr, nullptr, nullptr, 0, nullptr));

    EXPECT_TRUE(installer::UninstallGame(installation_, destination_.c_str()));

    EXPECT_TRUE(PathExists(destination_ + "savegame\\slot1.sav"));
    EXPECT_TRUE(PathExists(destination_ + "data\\maps\\custom.map"));
    EXPECT_TRUE(PathExists(otherLink));
    EXPECT_FALSE(PathExists(destination_ + "korvo.exe"));
    EXPECT_FALSE(PathExists(destination_ + "data\\b.dta"));
    EXPECT_FALSE(PathExists(programs_ + shortcutFolder_ + "Remove.lnk"));
    EXPECT_FALSE(ValueExists(gameKey_, "InstallDir"));
}

TEST_F(UninstallGame, listed_removals_go_too) {
    Script("remove_file old.cfg old.cfg");
    Script("remove_shortcut \"Korvo Old.lnk\" korvo.exe");
    ASSERT_NO_FATAL_FAILURE(Install());
    ASSERT_TRUE(MakeFile(destination_ + "old.cfg"));
    ASSERT_TRUE(CreateShellLink((programs_ + shortcutFolder_ + "Korvo Old.lnk").c_str(), "C:\\old.exe",
                                nullptr, nullptr, nullptr, 0, nullptr));
    EXPECT_TRUE(installer::UninstallGame(installation_, destination_.c_str()));
    ExpectRemoved();
}

TEST_F(UninstallGame, other_shortcut_folder_forms_are_cleaned_up) {
    // Written without its closing backslash, the last level prefixes the link
    // name, and the uninstall finds the link there; with no folder at all the
    // links sit in Programs, which stays.
    installation_.settings.Set(Setting::ShortcutFolder, (studio_ + "\\Korvo").c_str());
    Script("add_shortcut \"Korvo.lnk\" korvo.exe");
    ASSERT_TRUE(RegisterInstallation(installation_));
    ASSERT_TRUE(PathExists(programs_ + studio_ + "\\KorvoKorvo.lnk"));
    EXPECT_TRUE(installer::UninstallGame(installation_, destination_.c_str()));
    EXPECT_FALSE(PathExists(programs_ + studio_ + "\\KorvoKorvo.lnk"));
    EXPECT_FALSE(PathExists(programs_ + studio_));

    installation_.settings.Set(Setting::ShortcutFolder, "");
    installation_.lists.Clear();
    Script("add_shortcut \"" + desktopLink_ + "\" korvo.exe");
    ASSERT_TRUE(RegisterInstallation(installation_));
    ASSERT_TRUE(PathExists(programs_ + desktopLink_));
    EXPECT_TRUE(installer::UninstallGame(installation_, destination_.c_str()));
    EXPECT_FALSE(PathExists(programs_ + desktopLink_));
    EXPECT_TRUE(PathExists(programs_));
}

TEST_F(UninstallGame, rollback_before_registration_leaves_no_keys) {
    Script("add_file korvo.exe korvo.exe 1 0");
    Script("add_file data\\b.dta data\\b.dta 1 0");
    ASSERT_NO_FATAL_FAILURE(LayOutFiles());
    ASSERT_TRUE(DeleteFileA((destination_ + "data\\b.dta").c_str()));  // copy cancelled before it

    EXPECT_TRUE(installer::UninstallGame(installation_, destination_.c_str()));

    EXPECT_FALSE(PathExists(destination_));
    EXPECT_FALSE(KeyExists(record_));
    EXPECT_FALSE(KeyExists(gameKey_));
}

TEST_F(UninstallGame, null_or_one_character_folder_is_refused_untouched) {
    ASSERT_NO_FATAL_FAILURE(Install());
    EXPECT_FALSE(installer::UninstallGame(installation_, nullptr));
    EXPECT_FALSE(installer::UninstallGame(installation_, "C"));
    EXPECT_TRUE(PathExists(destination_ + "korvo.exe"));
    EXPECT_TRUE(ValueExists(gameKey_, "InstallDir"));
    EXPECT_TRUE(KeyExists(record_));
    EXPECT_TRUE(PathExists(desktop_ + desktopLink_));
}

TEST_F(UninstallGame, names_leaving_the_folder_never_remove_files_or_folders_outside) {
    // The script reader refuses these lines; entries made some other way
    // meet the same rule here.
    ASSERT_TRUE(CreateDirectoryA((root_ + "\\Games\\Other").c_str(), nullptr));
    ASSERT_TRUE(MakeFile(root_ + "\\Games\\Other\\x"));
    Script("add_file x ..\\Other\\x 1 0");
    EXPECT_TRUE(installation_.lists.addFile.empty());
    for (const std::string& name :
         {std::string("..\\Other\\x"), std::string("a\\..\\..\\Other\\x"), root_ + "\\Games\\Other\\x"})
        installation_.lists.addFile.push_back(MakeFileEntry("x", name.c_str(), 1, false));
    installation_.lists.removeFile.push_back(MakeFileEntry("x", "..\\Other\\x", 0, false));
    EXPECT_TRUE(installer::UninstallGame(installation_, destination_.c_str()));
    EXPECT_TRUE(PathExists(root_ + "\\Games\\Other\\x"));
}

class RemoveBackupFiles : public GameInstall {};

TEST_F(RemoveBackupFiles, deletes_listed_copies_in_the_temporary_folder_only) {
    char temp[1024];
    ASSERT_TRUE(GetTempFolder(temp, sizeof temp));
    const std::string copy = "korvo-records-" + TestName() + "\\";  // the fixture's scratch folder
    Script("backup_file korvo.exe " + copy + "1.bak");
    Script("backup_file data\\b.dta " + copy + "2.bak");
    Script("backup_file data\\maps\\a.map " + copy + "data\\maps\\a.map");
    ASSERT_TRUE(CreatePath((temp + copy + "data\\maps").c_str()));
    for (const char* name : {"1.bak", "2.bak", "kept.bak", "data\\maps\\a.map"})
        ASSERT_TRUE(MakeFile(temp + copy + name));

    EXPECT_TRUE(installer::RemoveBackupFiles(installation_));
    EXPECT_TRUE(installer::RemoveBackupFiles(installation_));

    EXPECT_FALSE(PathExists(temp + copy + "1.bak"));
    EXPECT_FALSE(PathExists(temp + copy + "2.bak"));
    // The folders the backup made go; the one holding other files stays.
    EXPECT_FALSE(PathExists(temp + copy + "data"));
    EXPECT_TRUE(PathExists(temp + copy + "kept.bak"));
}

}  // namespace
