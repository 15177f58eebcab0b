// The registration step after a finished copy.
#include "installer/records/registry_installation_win32.h"
#include "installer/records/registry_values_win32.h"
#include "installer/system/install_log.h"
#include "tests/installer/records/records_test_support_win32.h"

using namespace installer;
using namespace records_test;

namespace {

class RegistryInstallation : public GameInstall {};

TEST_F(RegistryInstallation, records_links_uninstall_entry_and_game_values) {
    installation_.settings.Set(Setting::UninstallItemName, "Korvo: The Game");
    Script("add_shortcut \"Korvo.lnk\" korvo.exe");
    Script("add_shortcut \"Korvo Manual.lnk\" docs\\manual.txt");
    // 1500 + 1500 bytes on disk: 3 KiB for the sum, not 2 (rounded down) or
    // 4 (rounded up file by file); a file the copy did not make counts 0.
    Script("add_file a.dta a.dta 1 0");
    Script("add_file b.dta data\\b.dta 1 0");
    Script("add_file c.dta data\\c.dta 1 0");
    ASSERT_NO_FATAL_FAILURE(LayOutFiles());
    ASSERT_TRUE(DeleteFileA((destination_ + "data\\c.dta").c_str()));
    for (const char* name : {"a.dta", "data\\b.dta"}) {
        HANDLE file =
            CreateFileA((destination_ + name).c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
        DWORD written = 0;
        ASSERT_TRUE(WriteFile(file, std::string(1500, 'k').data(), 1500, &written, nullptr));
        CloseHandle(file);
    }
    ResetInstallLog();

    EXPECT_TRUE(RegisterInstallation(installation_));

    const LinkProperties game = ReadLink(programs_ + shortcutFolder_ + "Korvo.lnk");
    EXPECT_EQ(game.target, destination_ + "korvo.exe");
    EXPECT_EQ(game.description, "korvo.exe");
    EXPECT_EQ(game.workingFolder, destination_);
    EXPECT_EQ(game.arguments + game.iconFile, "");
    EXPECT_EQ(ReadLink(programs_ + shortcutFolder_ + "Korvo Manual.lnk").target,
              destination_ + "docs\\manual.txt");

    std::string output;
    ASSERT_EQ(RegQuery(record_, &output), 0);
    for (const std::string& line :
         {std::string("DisplayName    REG_SZ    Korvo: The Game\r\n"),
          "UninstallString    REG_SZ    " + destination_ + "patch.exe\r\n",
          "UninstallFiles    REG_SZ    " + destination_ + "patch.exe\r\n",
          std::string("DisplayVersion    REG_SZ    1.0\r\n"),
          "InstallLocation    REG_SZ    " + destination_ + "\r\n",
          "DisplayIcon    REG_SZ    " + destination_ + "Game.exe\r\n",
          std::string("EstimatedSize    REG_DWORD    0x3\r\n"),
          "QuietUninstallString    REG_SZ    \"" + destination_ + "patch.exe\" /S /UNINSTALL\r\n"})
        EXPECT_NE(output.find(line), std::string::npos) << line << output;
    char text[1024] = {};
    ASSERT_TRUE(ReadRegistryValue(HKEY_LOCAL_MACHINE, gameKey_.c_str(), "InstallDir", text, sizeof text));
    EXPECT_EQ(text, destination_);
    ASSERT_TRUE(ReadRegistryValue(HKEY_LOCAL_MACHINE, gameKey_.c_str(), "Version", text, sizeof text));
    EXPECT_STREQ(text, "1.0");

    // The log names each change with its full path and data.
    const std::string log = HeldInstallLogLines();
    for (const std::string& line :
         {"  registry  set HKLM\\" + gameKey_ + "\\InstallDir = \"" + destination_ + "\" (REG_BINARY)\r\n",
          "  registry  set HKLM\\" + record_ + "\\EstimatedSize = 3 (REG_DWORD)\r\n",
          "  link  made link " + programs_ + shortcutFolder_ + "Korvo.lnk -> " + destination_ +
              "korvo.exe\r\n"})
        EXPECT_NE(log.find(line), std::string::npos) << line << log;
}

TEST_F(RegistryInstallation, failed_step_does_not_stop_the_later_ones) {
    installation_.settings.Set(Setting::UninstallFolderName, "");  // the record cannot be written
    Script("add_shortcut \"Korvo.lnk\" korvo.exe");

    EXPECT_FALSE(RegisterInstallation(installation_));

    EXPECT_EQ(ReadLink(programs_ + shortcutFolder_ + "Korvo.lnk").target, destination_ + "korvo.exe");
    EXPECT_EQ(QueryRegistryValueSize(HKEY_LOCAL_MACHINE, gameKey_.c_str(), "Version"), 4);
}

}  // namespace
