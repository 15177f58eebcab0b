#include <windows.h>

#include <cstring>
#include <string>

#include <gtest/gtest.h>

#include "installer/engine/installer_folders.h"
#include "installer/system/system.h"
#include "tests/installer/system/system_test_support_win32.h"
#include "tests/support/wine_fixture_win32.h"

using namespace installer;
using namespace system_test;
using korvo::test::FileExists;
using korvo::test::ScratchFolder;

TEST(GetTempFolder, ends_in_exactly_one_backslash_however_the_system_answer_ends) {
    ScratchFolder scratch;
    ASSERT_TRUE(scratch.ok());
    const std::string bare = scratch.path().substr(0, scratch.path().size() - 1);
    for (const std::string& variable : {bare, bare + "\\", bare + "\\\\"}) {
        ScopedEnvironment tmp("TMP", variable.c_str());
        char buffer[kFolderBufferSize];
        ASSERT_TRUE(GetTempFolder(buffer, sizeof buffer)) << variable;
        EXPECT_EQ(lstrcmpiA(buffer, scratch.path().c_str()), 0) << variable << " gave " << buffer;
    }
}

TEST(GetTempFolder, fails_cleanly_when_the_buffer_is_too_small) {
    ScratchFolder scratch;
    ASSERT_TRUE(scratch.ok());
    ScopedEnvironment tmp("TMP", scratch.path().c_str());
    const uint32_t needed = static_cast<uint32_t>(scratch.path().size() + 1);

    char buffer[kFolderBufferSize];
    EXPECT_TRUE(GetTempFolder(buffer, needed));
    std::memset(buffer, '#', sizeof buffer);
    EXPECT_FALSE(GetTempFolder(buffer, needed - 1));
    EXPECT_EQ(buffer[needed - 1], '#');
    EXPECT_FALSE(GetTempFolder(nullptr, kFolderBufferSize));
    EXPECT_FALSE(GetTempFolder(buffer, 0));
}

TEST(CreatePath, creates_every_missing_folder_of_the_path) {
    const std::string games = std::string(kFixedDrive) + "Games";
    EXPECT_TRUE(CreatePath((games + "\\Korvo\\").c_str()));
    EXPECT_TRUE(IsFolder(games));
    EXPECT_TRUE(IsFolder(games + "\\Korvo"));

    // Again where everything exists, and with a typed forward slash.
    EXPECT_TRUE(CreatePath((games + "\\Korvo\\").c_str()));
    EXPECT_TRUE(CreatePath((games + "/Typed/Korvo").c_str()));
    EXPECT_TRUE(IsFolder(games + "\\Typed\\Korvo"));
}

TEST(CreatePath, fails_where_no_folder_can_be_made) {
    EXPECT_FALSE(CreatePath((std::string(kMissingDrive) + "Games\\Korvo\\").c_str()));
    EXPECT_FALSE(CreatePath(nullptr));
    EXPECT_FALSE(CreatePath(""));

    const std::string file = std::string(kFixedDrive) + "Blocked";
    ASSERT_TRUE(korvo::test::WriteWholeFile(file, "a file, not a folder"));
    EXPECT_FALSE(CreatePath((file + "\\").c_str()));
    EXPECT_FALSE(CreatePath((file + "\\Data\\").c_str()));

    // 1024 characters: refused before anything is made.
    std::string longPath = std::string(kFixedDrive) + "Long\\";
    longPath.append(kCreatePathBufferSize - longPath.size(), 'x');
    EXPECT_FALSE(CreatePath(longPath.c_str()));
    EXPECT_FALSE(FileExists(std::string(kFixedDrive) + "Long"));
}

TEST(HasFreeSpace, reports_the_space_of_real_drives) {
    uint64_t available = 0;
    EXPECT_TRUE(HasFreeSpace("C:\\", 0, &available));
    EXPECT_GT(available, 0u);
    uint64_t onMapped = 0;
    EXPECT_TRUE(HasFreeSpace(kFixedDrive, 1, &onMapped));
    EXPECT_GT(onMapped, 1u);

    // More than any drive holds: refused, but the space is still reported.
    available = 0;
    EXPECT_FALSE(HasFreeSpace("C:\\", ~uint64_t{0}, &available));
    EXPECT_GT(available, 0u);
    EXPECT_TRUE(HasFreeSpace("C:\\", 0, nullptr));
}

TEST(HasFreeSpace, a_drive_that_cannot_be_asked_leaves_the_count_alone) {
    uint64_t available = 12345;
    EXPECT_FALSE(HasFreeSpace(kMissingDrive, 0, &available));
    EXPECT_FALSE(HasFreeSpace(nullptr, 0, &available));
    EXPECT_FALSE(HasFreeSpace("", 0, &available));
    EXPECT_EQ(available, 12345u);
}
