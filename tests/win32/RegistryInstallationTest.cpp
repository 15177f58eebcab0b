// The registration step after a finished copy: Programs links for the
// script's shortcuts, the uninstall record and the game's two values.
#include "registry_installation.h"

#include "records_install_fixture.h"
#include "registry_values.h"

#include <gtest/gtest.h>

#include <string>

using namespace installer;
using namespace records_test;

namespace {

class RegistryInstallation : public GameInstall {};

TEST_F(RegistryInstallation, records_links_uninstall_entry_and_game_values)
{
    Script("add_shortcut \"Korvo.lnk\" korvo.exe");
    Script("add_shortcut \"Korvo Manual.lnk\" docs\\manual.txt");

    EXPECT_TRUE(RegisterInstallation());

    const LinkProperties game = ReadLink(programs_ + shortcutFolder_ + "Korvo.lnk");
    ASSERT_TRUE(game.loaded);
    EXPECT_EQ(game.target, destination_ + "korvo.exe");
    EXPECT_EQ(game.description, "korvo.exe");
    EXPECT_EQ(game.workingFolder, destination_);
    EXPECT_EQ(game.arguments, "");
    EXPECT_EQ(game.iconFile, "");
    const LinkProperties manual = ReadLink(programs_ + shortcutFolder_ + "Korvo Manual.lnk");
    ASSERT_TRUE(manual.loaded);
    EXPECT_EQ(manual.target, destination_ + "docs\\manual.txt");
    EXPECT_EQ(manual.description, "docs\\manual.txt");

    std::string output;
    ASSERT_EQ(RegQuery(record_, nullptr, &output), 0) << output;
    EXPECT_NE(output.find("DisplayName    REG_SZ    Korvo\r\n"), std::string::npos) << output;
    EXPECT_NE(output.find("UninstallString    REG_SZ    " + destination_ + "patch.exe\r\n"), std::string::npos)
        << output;
    EXPECT_NE(output.find("UninstallFiles    REG_SZ    " + destination_ + "patch.exe\r\n"), std::string::npos)
        << output;

    char folder[1024] = {};
    EXPECT_EQ(QueryRegistryValueSize(HKEY_LOCAL_MACHINE, gameKey_.c_str(), "InstallDir"),
              static_cast<int32_t>(destination_.size() + 1));
    ASSERT_TRUE(ReadRegistryValue(HKEY_LOCAL_MACHINE, gameKey_.c_str(), "InstallDir", folder, sizeof folder));
    EXPECT_EQ(std::string(folder), destination_);
    char version[16] = {};
    ASSERT_TRUE(ReadRegistryValue(HKEY_LOCAL_MACHINE, gameKey_.c_str(), "Version", version, sizeof version));
    EXPECT_STREQ(version, "1.0");
}

TEST_F(RegistryInstallation, failed_step_does_not_stop_the_later_ones)
{
    // No record name: the uninstall record cannot be written, yet the game's
    // values still are.
    Settings().Set(Setting::UninstallFolderName, "");
    Script("add_shortcut \"Korvo.lnk\" korvo.exe");

    EXPECT_FALSE(RegisterInstallation());

    EXPECT_TRUE(ReadLink(programs_ + shortcutFolder_ + "Korvo.lnk").loaded);
    EXPECT_FALSE(ValueExists(kUninstallKeyPath, "DisplayName"));
    EXPECT_EQ(QueryRegistryValueSize(HKEY_LOCAL_MACHINE, gameKey_.c_str(), "InstallDir"),
              static_cast<int32_t>(destination_.size() + 1));
    EXPECT_EQ(QueryRegistryValueSize(HKEY_LOCAL_MACHINE, gameKey_.c_str(), "Version"), 4);
}

}  // namespace
