// The registration step after a finished copy.
#include "installer/records/registry_installation_win32.h"
#include "installer/records/registry_values_win32.h"
#include "tests/installer/records/records_test_support_win32.h"

using namespace installer;
using namespace records_test;

namespace {

class RegistryInstallation : public GameInstall {};

TEST_F(RegistryInstallation, records_links_uninstall_entry_and_game_values) {
    installation_.settings.Set(Setting::UninstallItemName, "Korvo: The Game");
    Script("add_shortcut \"Korvo.lnk\" korvo.exe");
    Script("add_shortcut \"Korvo Manual.lnk\" docs\\manual.txt");

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
    for (const std::string& line : {std::string("DisplayName    REG_SZ    Korvo: The Game\r\n"),
                                    "UninstallString    REG_SZ    " + destination_ + "patch.exe\r\n",
                                    "UninstallFiles    REG_SZ    " + destination_ + "patch.exe\r\n"})
        EXPECT_NE(output.find(line), std::string::npos) << output;
    char text[1024] = {};
    ASSERT_TRUE(ReadRegistryValue(HKEY_LOCAL_MACHINE, gameKey_.c_str(), "InstallDir", text, sizeof text));
    EXPECT_EQ(text, destination_);
    ASSERT_TRUE(ReadRegistryValue(HKEY_LOCAL_MACHINE, gameKey_.c_str(), "Version", text, sizeof text));
    EXPECT_STREQ(text, "1.0");
}

TEST_F(RegistryInstallation, failed_step_does_not_stop_the_later_ones) {
    installation_.settings.Set(Setting::UninstallFolderName, "");  // the record cannot be written
    Script("add_shortcut \"Korvo.lnk\" korvo.exe");

    EXPECT_FALSE(RegisterInstallation(installation_));

    EXPECT_EQ(ReadLink(programs_ + shortcutFolder_ + "Korvo.lnk").target, destination_ + "korvo.exe");
    EXPECT_EQ(QueryRegistryValueSize(HKEY_LOCAL_MACHINE, gameKey_.c_str(), "Version"), 4);
}

}  // namespace
