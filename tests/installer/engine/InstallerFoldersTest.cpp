#include <gtest/gtest.h>

#include <cstring>
#include <string>

#include "installer/engine/installer_folders.h"

TEST(InstallerFolders, setters_end_the_folder_in_exactly_one_backslash) {
    installer::InstallerFolders folders;
    EXPECT_TRUE(folders.SetSource("D:\\"));
    EXPECT_STREQ(folders.Source(), "D:\\");
    EXPECT_TRUE(folders.SetDestination("C:\\Games\\Korvo"));
    EXPECT_STREQ(folders.Destination(), "C:\\Games\\Korvo\\");
    EXPECT_TRUE(folders.SetDestination(""));
    EXPECT_STREQ(folders.Destination(), "");
}

TEST(InstallerFolders, refuses_folders_over_511_characters_and_keeps_the_old_one) {
    installer::InstallerFolders folders;
    EXPECT_TRUE(folders.SetDestination(std::string(510, 'a').c_str()));  // 511 with the backslash
    EXPECT_EQ(std::strlen(folders.Destination()), installer::kMaxFolderLength);
    ASSERT_TRUE(folders.SetSource("E:\\"));
    EXPECT_FALSE(folders.SetSource(std::string(511, 'c').c_str()));
    EXPECT_FALSE(folders.SetSource(nullptr));
    EXPECT_STREQ(folders.Source(), "E:\\");

    char out[7] = "######";
    EXPECT_FALSE(installer::MakeFolderText("C:\\ab", out, 6));  // needs seven bytes
    EXPECT_STREQ(out, "######");
    EXPECT_TRUE(installer::MakeFolderText("C:\\ab", out, 7));
    EXPECT_STREQ(out, "C:\\ab\\");
}
