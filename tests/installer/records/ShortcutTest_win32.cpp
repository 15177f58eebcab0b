// Shell links in the prefix's Desktop and Programs folders, read back
// through IShellLinkA.
#include "installer/records/shortcuts_win32.h"
#include "tests/installer/records/records_test_support_win32.h"

using namespace installer;
using namespace records_test;

namespace {

class Shortcut : public GameInstall {};

TEST_F(Shortcut, link_holds_the_given_properties_and_is_overwritten_whole) {
    const std::string link = desktop_ + desktopLink_;
    ASSERT_TRUE(CreateShellLink(link.c_str(), "C:\\Korvo\\korvo.exe", "korvo.exe", "C:\\Korvo\\",
                                "C:\\Korvo\\korvo.ico", 2, "-window"));
    LinkProperties read = ReadLink(link);
    EXPECT_EQ(read.target, "C:\\Korvo\\korvo.exe");
    EXPECT_EQ(read.description, "korvo.exe");
    EXPECT_EQ(read.workingFolder, "C:\\Korvo\\");
    EXPECT_EQ(read.arguments, "-window");
    EXPECT_EQ(read.iconFile, "C:\\Korvo\\korvo.ico");
    EXPECT_EQ(read.iconIndex, 2);

    // Only the target given: nothing of the earlier link survives.
    ASSERT_TRUE(CreateShellLink(link.c_str(), "C:\\New\\new.exe", nullptr, nullptr, nullptr, 5, nullptr));
    read = ReadLink(link);
    EXPECT_EQ(read.target, "C:\\New\\new.exe");
    EXPECT_EQ(read.description + read.workingFolder + read.arguments + read.iconFile, "");
}

TEST_F(Shortcut, link_that_cannot_be_saved_is_reported) {
    const std::string noFolder = desktop_ + "Missing " + TestName() + "\\Korvo.lnk";
    EXPECT_FALSE(CreateShellLink(noFolder.c_str(), "C:\\korvo.exe", nullptr, nullptr, nullptr, 0, nullptr));
    const std::string tooLong = desktop_ + std::string(300, 'k') + ".lnk";
    EXPECT_FALSE(CreateShellLink(tooLong.c_str(), "C:\\korvo.exe", nullptr, nullptr, nullptr, 0, nullptr));
    EXPECT_FALSE(CreateShellLink(nullptr, "C:\\korvo.exe", nullptr, nullptr, nullptr, 0, nullptr));
    EXPECT_FALSE(
        CreateShellLink((desktop_ + desktopLink_).c_str(), nullptr, nullptr, nullptr, nullptr, 0, nullptr));
    EXPECT_FALSE(PathExists(desktop_ + desktopLink_));
}

TEST_F(Shortcut, desktop_link_is_named_by_the_setting) {
    ASSERT_TRUE(CreateDesktopShortcut(installation_.settings, "C:\\Korvo\\korvo.exe", "Korvo", "C:\\Korvo\\",
                                      "C:\\Korvo\\k.ico", 3, "-safe"));
    const LinkProperties read = ReadLink(desktop_ + desktopLink_);
    EXPECT_EQ(read.target, "C:\\Korvo\\korvo.exe");
    EXPECT_EQ(read.description, "Korvo");
    EXPECT_EQ(read.workingFolder, "C:\\Korvo\\");
    EXPECT_EQ(read.iconFile, "C:\\Korvo\\k.ico");
    EXPECT_EQ(read.iconIndex, 3);
    EXPECT_EQ(read.arguments, "-safe");

    installation_.settings.Set(Setting::DesktopShortcutName, "");
    EXPECT_FALSE(CreateDesktopShortcut(installation_.settings, "C:\\Korvo\\korvo.exe", nullptr, nullptr,
                                       nullptr, 0, nullptr));
}

TEST_F(Shortcut, programs_link_creates_each_level_of_the_shortcut_folder) {
    ASSERT_FALSE(PathExists(programs_ + studio_));
    ASSERT_TRUE(CreateProgramsShortcut(installation_.settings, "Korvo.lnk", "C:\\Korvo\\korvo.exe",
                                       "korvo.exe", "C:\\Korvo\\", "C:\\Korvo\\k.ico", 1, "-window"));
    const LinkProperties read = ReadLink(programs_ + studio_ + "\\Korvo\\Korvo.lnk");
    EXPECT_EQ(read.target, "C:\\Korvo\\korvo.exe");
    EXPECT_EQ(read.description, "korvo.exe");
    EXPECT_EQ(read.workingFolder, "C:\\Korvo\\");
    EXPECT_EQ(read.iconFile + "," + std::to_string(read.iconIndex), "C:\\Korvo\\k.ico,1");
    EXPECT_EQ(read.arguments, "-window");
    EXPECT_FALSE(CreateProgramsShortcut(installation_.settings, "", "C:\\Korvo\\korvo.exe", nullptr, nullptr,
                                        nullptr, 0, nullptr));
    EXPECT_FALSE(CreateProgramsShortcut(installation_.settings, std::string(1100, 'n').c_str(), "C:\\k.exe",
                                        nullptr, nullptr, nullptr, 0, nullptr));
}

TEST_F(Shortcut, last_level_without_backslash_prefixes_the_link_name) {
    // "Korvo" and "Korvo.lnk" make "Programs\KorvoKorvo.lnk"; no folder is made.
    installation_.settings.Set(Setting::ShortcutFolder, studio_.c_str());
    ASSERT_TRUE(CreateProgramsShortcut(installation_.settings, "Korvo.lnk", "C:\\Korvo\\korvo.exe", nullptr,
                                       nullptr, nullptr, 0, nullptr));
    EXPECT_EQ(ReadLink(programs_ + studio_ + "Korvo.lnk").target, "C:\\Korvo\\korvo.exe");
    EXPECT_FALSE(PathExists(programs_ + studio_));

    // Only the levels closed by a backslash are folders.
    installation_.settings.Set(Setting::ShortcutFolder, (studio_ + "\\Korvo").c_str());
    ASSERT_TRUE(CreateProgramsShortcut(installation_.settings, "Game.lnk", "C:\\Korvo\\korvo.exe", nullptr,
                                       nullptr, nullptr, 0, nullptr));
    EXPECT_EQ(ReadLink(programs_ + studio_ + "\\KorvoGame.lnk").target, "C:\\Korvo\\korvo.exe");
}

}  // namespace
