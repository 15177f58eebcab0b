// Shell links written through the shell's link object and read back through
// IShellLinkA, in the test prefix's real Desktop and Programs folders.
#include "shortcuts.h"

#include "records_test_support.h"

#include "installer/engine/settings_table.h"

#include <gtest/gtest.h>

#include <string>

using namespace installer;
using namespace records_test;

namespace {

class Shortcut : public ::testing::Test {
protected:
    void SetUp() override
    {
        programs_ = SpecialFolder(CSIDL_PROGRAMS);
        desktop_ = SpecialFolder(CSIDL_DESKTOPDIRECTORY);
        ASSERT_FALSE(programs_.empty());
        ASSERT_FALSE(desktop_.empty());
        // Each test has a studio folder of its own in Programs.
        studio_ = "Korvo Tests " + TestName();
        Settings().Clear();
    }
    void TearDown() override
    {
        const std::string levels[] = {studio_ + "\\Korvo\\Korvo.lnk", studio_ + "\\Korvo", studio_ + "\\Game.lnk",
                                      studio_};
        for (const std::string& level : levels) {
            DeleteFileA((programs_ + level).c_str());
            RemoveDirectoryA((programs_ + level).c_str());
        }
        Settings().Clear();
    }

    ComScope com_;
    std::string programs_;
    std::string desktop_;
    std::string studio_;
};

TEST_F(Shortcut, link_with_every_property_reads_back)
{
    const std::string link = desktop_ + TestName() + ".lnk";
    ASSERT_TRUE(CreateShellLink(link.c_str(), "C:\\Games\\Korvo\\korvo.exe", "korvo.exe", "C:\\Games\\Korvo\\",
                                "C:\\Games\\Korvo\\korvo.ico", 2, "-window"));
    const LinkProperties read = ReadLink(link);
    DeleteFileA(link.c_str());

    ASSERT_TRUE(read.loaded);
    EXPECT_EQ(read.target, "C:\\Games\\Korvo\\korvo.exe");
    EXPECT_EQ(read.description, "korvo.exe");
    EXPECT_EQ(read.workingFolder, "C:\\Games\\Korvo\\");
    EXPECT_EQ(read.arguments, "-window");
    EXPECT_EQ(read.iconFile, "C:\\Games\\Korvo\\korvo.ico");
    EXPECT_EQ(read.iconIndex, 2);
}

TEST_F(Shortcut, link_without_optional_properties_has_only_its_target)
{
    const std::string link = desktop_ + TestName() + ".lnk";
    ASSERT_TRUE(CreateShellLink(link.c_str(), "C:\\Games\\Korvo\\korvo.exe", nullptr, nullptr, nullptr, 5, nullptr));
    const LinkProperties read = ReadLink(link);
    DeleteFileA(link.c_str());

    ASSERT_TRUE(read.loaded);
    EXPECT_EQ(read.target, "C:\\Games\\Korvo\\korvo.exe");
    EXPECT_EQ(read.description, "");
    EXPECT_EQ(read.workingFolder, "");
    EXPECT_EQ(read.arguments, "");
    EXPECT_EQ(read.iconFile, "");
}

TEST_F(Shortcut, second_call_overwrites_the_link)
{
    const std::string link = desktop_ + TestName() + ".lnk";
    ASSERT_TRUE(CreateShellLink(link.c_str(), "C:\\Old\\old.exe", "old", "C:\\Old\\", nullptr, 0, "-old"));
    ASSERT_TRUE(CreateShellLink(link.c_str(), "C:\\New\\new.exe", "new", nullptr, nullptr, 0, nullptr));
    const LinkProperties read = ReadLink(link);
    DeleteFileA(link.c_str());

    ASSERT_TRUE(read.loaded);
    EXPECT_EQ(read.target, "C:\\New\\new.exe");
    EXPECT_EQ(read.description, "new");
    // The new link is written from scratch, nothing of the old one survives.
    EXPECT_EQ(read.workingFolder, "");
    EXPECT_EQ(read.arguments, "");
}

TEST_F(Shortcut, link_that_cannot_be_saved_is_reported)
{
    const std::string link = desktop_ + "No Such Folder " + TestName() + "\\Korvo.lnk";
    EXPECT_FALSE(CreateShellLink(link.c_str(), "C:\\Games\\Korvo\\korvo.exe", nullptr, nullptr, nullptr, 0, nullptr));
    EXPECT_FALSE(PathExists(link));

    // A path the shell cannot take (260 characters and more) is refused.
    const std::string tooLong = desktop_ + std::string(300, 'k') + ".lnk";
    EXPECT_FALSE(CreateShellLink(tooLong.c_str(), "C:\\korvo.exe", nullptr, nullptr, nullptr, 0, nullptr));

    EXPECT_FALSE(CreateShellLink(nullptr, "C:\\korvo.exe", nullptr, nullptr, nullptr, 0, nullptr));
    EXPECT_FALSE(CreateShellLink((desktop_ + "x.lnk").c_str(), nullptr, nullptr, nullptr, nullptr, 0, nullptr));
    EXPECT_FALSE(PathExists(desktop_ + "x.lnk"));
}

TEST_F(Shortcut, desktop_link_takes_its_whole_name_from_the_settings)
{
    const std::string name = TestName() + ".lnk";
    Settings().Set(Setting::DesktopShortcutName, name.c_str());
    ASSERT_TRUE(CreateDesktopShortcut("C:\\Games\\Korvo\\korvo.exe", "Korvo", "C:\\Games\\Korvo\\", nullptr, 0,
                                      nullptr));
    const LinkProperties read = ReadLink(desktop_ + name);
    DeleteFileA((desktop_ + name).c_str());

    ASSERT_TRUE(read.loaded);
    EXPECT_EQ(read.target, "C:\\Games\\Korvo\\korvo.exe");
    EXPECT_EQ(read.description, "Korvo");
    EXPECT_EQ(read.workingFolder, "C:\\Games\\Korvo\\");
}

TEST_F(Shortcut, desktop_link_without_a_name_is_refused)
{
    EXPECT_FALSE(CreateDesktopShortcut("C:\\Games\\Korvo\\korvo.exe", nullptr, nullptr, nullptr, 0, nullptr));
}

TEST_F(Shortcut, programs_link_creates_each_level_of_the_shortcut_folder)
{
    const std::string folder = studio_ + "\\Korvo\\";
    Settings().Set(Setting::ShortcutFolder, folder.c_str());
    ASSERT_FALSE(PathExists(programs_ + studio_));

    ASSERT_TRUE(CreateProgramsShortcut("Korvo.lnk", "C:\\Games\\Korvo\\korvo.exe", "korvo.exe",
                                       "C:\\Games\\Korvo\\", nullptr, 0, nullptr));
    EXPECT_TRUE(IsFolder(programs_ + studio_));
    EXPECT_TRUE(IsFolder(programs_ + studio_ + "\\Korvo"));
    const LinkProperties read = ReadLink(programs_ + folder + "Korvo.lnk");
    ASSERT_TRUE(read.loaded);
    EXPECT_EQ(read.target, "C:\\Games\\Korvo\\korvo.exe");
    EXPECT_EQ(read.description, "korvo.exe");
    EXPECT_EQ(read.workingFolder, "C:\\Games\\Korvo\\");

    // Existing levels are fine the second time.
    EXPECT_TRUE(CreateProgramsShortcut("Korvo.lnk", "C:\\Games\\Korvo\\korvo2.exe", nullptr, nullptr, nullptr, 0,
                                       nullptr));
    EXPECT_EQ(ReadLink(programs_ + folder + "Korvo.lnk").target, "C:\\Games\\Korvo\\korvo2.exe");
}

TEST_F(Shortcut, last_folder_level_without_backslash_is_still_a_folder)
{
    // Written "Korvo" rather than "Korvo\": the link goes into the folder, not
    // beside it as "KorvoKorvo.lnk", which the uninstaller would never find.
    Settings().Set(Setting::ShortcutFolder, studio_.c_str());
    ASSERT_TRUE(CreateProgramsShortcut("Game.lnk", "C:\\Games\\Korvo\\korvo.exe", nullptr, nullptr, nullptr, 0,
                                       nullptr));
    EXPECT_TRUE(IsFolder(programs_ + studio_));
    EXPECT_TRUE(ReadLink(programs_ + studio_ + "\\Game.lnk").loaded);
    EXPECT_FALSE(PathExists(programs_ + studio_ + "Game.lnk"));
}

TEST_F(Shortcut, empty_shortcut_folder_puts_the_link_into_programs)
{
    const std::string name = TestName() + ".lnk";
    ASSERT_TRUE(CreateProgramsShortcut(name.c_str(), "C:\\Games\\Korvo\\korvo.exe", nullptr, nullptr, nullptr, 0,
                                       nullptr));
    const LinkProperties read = ReadLink(programs_ + name);
    DeleteFileA((programs_ + name).c_str());
    ASSERT_TRUE(read.loaded);
    EXPECT_EQ(read.target, "C:\\Games\\Korvo\\korvo.exe");
}

TEST_F(Shortcut, programs_link_without_a_name_or_with_an_overlong_path_is_refused)
{
    Settings().Set(Setting::ShortcutFolder, (studio_ + "\\").c_str());
    EXPECT_FALSE(CreateProgramsShortcut(nullptr, "C:\\korvo.exe", nullptr, nullptr, nullptr, 0, nullptr));
    EXPECT_FALSE(CreateProgramsShortcut("", "C:\\korvo.exe", nullptr, nullptr, nullptr, 0, nullptr));
    const std::string longName(1100, 'n');
    EXPECT_FALSE(CreateProgramsShortcut(longName.c_str(), "C:\\korvo.exe", nullptr, nullptr, nullptr, 0, nullptr));
}

}  // namespace
