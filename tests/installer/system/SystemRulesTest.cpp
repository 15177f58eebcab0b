#include <cstring>

#include <gtest/gtest.h>

#include "installer/system/system.h"
#include "installer/system/system_rules.h"

using namespace installer;

TEST(DriveRootOfPath, takes_the_first_character_and_refuses_no_path) {
    char root[kDriveRootSize] = "???";
    ASSERT_TRUE(DriveRootOfPath("E:\\Setup\\", root));
    EXPECT_STREQ(root, "E:\\");
    EXPECT_FALSE(DriveRootOfPath(nullptr, root));
    EXPECT_FALSE(DriveRootOfPath("", root));
    EXPECT_STREQ(root, "E:\\");
}

TEST(DiscLabelMatches, wants_the_whole_label_in_any_case_and_nothing_more) {
    EXPECT_TRUE(DiscLabelMatches("korvo_cd_2", 2));
    EXPECT_TRUE(DiscLabelMatches("Korvo_Cd_12", 12));
    EXPECT_FALSE(DiscLabelMatches("KORVO_CD_02", 2));
    EXPECT_FALSE(DiscLabelMatches("KORVO_CD_21", 2));
    EXPECT_FALSE(DiscLabelMatches("KORVO_CD_", 2));
    EXPECT_FALSE(DiscLabelMatches("KORVO_CD_2 ", 2));
    EXPECT_FALSE(DiscLabelMatches("", 2));
    EXPECT_FALSE(DiscLabelMatches(nullptr, 2));
}

TEST(WindowsVersionFromRecord, maps_each_platform_and_version_to_its_family) {
    EXPECT_EQ(WindowsVersionFromRecord(kPlatformWin32s, 3, 10), kWindowsWin32s);
    EXPECT_EQ(WindowsVersionFromRecord(kPlatformWindows, 4, 0), kWindows95);
    EXPECT_EQ(WindowsVersionFromRecord(kPlatformWindows, 4, 10), kWindows98OrMe);  // 98
    EXPECT_EQ(WindowsVersionFromRecord(kPlatformWindows, 4, 90), kWindows98OrMe);  // Me
    EXPECT_EQ(WindowsVersionFromRecord(kPlatformNt, 5, 0), kWindows2000);
    EXPECT_EQ(WindowsVersionFromRecord(kPlatformNt, 5, 1), kWindowsOtherNt);  // XP
    EXPECT_EQ(WindowsVersionFromRecord(kPlatformNt, 4, 0), kWindowsOtherNt);  // NT 4.0
    EXPECT_EQ(WindowsVersionFromRecord(kPlatformNt, 6, 0), kWindowsOtherNt);  // Vista
    EXPECT_EQ(WindowsVersionFromRecord(3, 5, 0), kWindowsUnknown);            // CE
}

TEST(FreeSpaceCovers, needs_strictly_more_space_than_required) {
    EXPECT_TRUE(FreeSpaceCovers(99, 100));
    EXPECT_FALSE(FreeSpaceCovers(100, 100));
    EXPECT_FALSE(FreeSpaceCovers(0, 0));
    // The high halves decide before the low halves.
    EXPECT_TRUE(FreeSpaceCovers(0x00000000FFFFFFFFull, 0x0000000100000000ull));
    EXPECT_FALSE(FreeSpaceCovers(0x0000000100000000ull, 0x00000000FFFFFFFFull));
}

TEST(EndFolderWithOneBackslash, adds_a_missing_backslash_only_where_it_fits) {
    char exact[10];
    std::memset(exact, '#', sizeof exact);
    std::memcpy(exact, "C:\\Temp", 8);
    ASSERT_TRUE(EndFolderWithOneBackslash(exact, 9));
    EXPECT_STREQ(exact, "C:\\Temp\\");
    EXPECT_EQ(exact[9], '#');

    char full[10];
    std::memset(full, '#', sizeof full);
    std::memcpy(full, "C:\\Temp", 8);
    EXPECT_FALSE(EndFolderWithOneBackslash(full, 8));
    EXPECT_STREQ(full, "C:\\Temp");
    EXPECT_EQ(full[8], '#');
}

TEST(EndFolderWithOneBackslash, keeps_one_backslash_drops_extra_ones_and_refuses_bad_texts) {
    char three[16] = "C:\\Temp\\\\\\";
    ASSERT_TRUE(EndFolderWithOneBackslash(three, sizeof three));
    EXPECT_STREQ(three, "C:\\Temp\\");
    char root[16] = "C:\\";
    ASSERT_TRUE(EndFolderWithOneBackslash(root, sizeof root));
    EXPECT_STREQ(root, "C:\\");

    char empty[4] = "";
    EXPECT_FALSE(EndFolderWithOneBackslash(empty, sizeof empty));
    char unterminated[4] = {'C', ':', 'x', 'y'};
    EXPECT_FALSE(EndFolderWithOneBackslash(unterminated, sizeof unterminated));
    EXPECT_EQ(unterminated[3], 'y');
    EXPECT_FALSE(EndFolderWithOneBackslash(nullptr, 16));
}
