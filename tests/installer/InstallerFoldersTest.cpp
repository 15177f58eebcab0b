#include "installer/engine/installer_folders.h"

#include <gtest/gtest.h>

#include <cstring>
#include <string>

using installer::InstallerFolders;

TEST(InstallerFolders, setters_end_the_folder_in_exactly_one_backslash) {
    InstallerFolders folders;
    EXPECT_STREQ(folders.Source(), "");
    EXPECT_TRUE(folders.SetSource("D:\\"));
    EXPECT_STREQ(folders.Source(), "D:\\");
    EXPECT_TRUE(folders.SetDestination("C:\\Games\\Korvo"));
    EXPECT_STREQ(folders.Destination(), "C:\\Games\\Korvo\\");
    EXPECT_TRUE(folders.SetDestination(""));
    EXPECT_STREQ(folders.Destination(), "");
}

TEST(InstallerFolders, refuses_folders_over_511_characters_and_keeps_the_old_one) {
    InstallerFolders folders;
    ASSERT_TRUE(folders.SetSource("E:\\"));
    std::string exact(510, 'a');  // 511 with the appended backslash
    EXPECT_TRUE(folders.SetDestination(exact.c_str()));
    EXPECT_EQ(std::strlen(folders.Destination()), installer::kMaxFolderLength);

    std::string endsInBackslash = std::string(510, 'b') + "\\";
    EXPECT_TRUE(folders.SetDestination(endsInBackslash.c_str()));
    EXPECT_EQ(std::string(folders.Destination()), endsInBackslash);

    EXPECT_FALSE(folders.SetSource(std::string(511, 'c').c_str()));
    EXPECT_FALSE(folders.SetSource(nullptr));
    EXPECT_STREQ(folders.Source(), "E:\\");
}

TEST(InstallerFolders, folder_text_respects_a_small_buffer) {
    char out[7] = {'#', '#', '#', '#', '#', '#', '#'};
    EXPECT_FALSE(installer::MakeFolderText("C:\\ab", out, 6));  // needs seven bytes
    EXPECT_EQ(out[0], '#');
    EXPECT_TRUE(installer::MakeFolderText("C:\\ab", out, 7));
    EXPECT_STREQ(out, "C:\\ab\\");
    EXPECT_FALSE(installer::MakeFolderText("x", nullptr, 7));
}
