#include <windows.h>

#include <cstring>
#include <string>

#include <gtest/gtest.h>

#include "system.h"
#include "system_test_support.h"

using namespace system_test;

namespace {

bool EndsWithExactlyOneBackslash(const std::string& path) {
    return path.size() >= 2 && path.back() == '\\' && path[path.size() - 2] != '\\';
}

}  // namespace

TEST(GetTempFolder, gives_the_system_answer_with_exactly_one_trailing_backslash) {
    char buffer[kFolderBufferSize];
    ASSERT_TRUE(GetTempFolder(buffer, sizeof buffer));
    EXPECT_TRUE(EndsWithExactlyOneBackslash(buffer)) << buffer;
    EXPECT_TRUE(IsFolder(buffer)) << buffer;
}

TEST(GetTempFolder, ends_in_one_backslash_however_the_variable_ends) {
    ScratchFolder scratch(SystemTempPath());
    ASSERT_TRUE(scratch.ok());
    const std::string expected = scratch.path() + "\\";
    for (const std::string& variable : {scratch.path(), scratch.path() + "\\", scratch.path() + "\\\\"}) {
        ScopedEnvironment tmp("TMP", variable.c_str());
        char buffer[kFolderBufferSize];
        ASSERT_TRUE(GetTempFolder(buffer, sizeof buffer)) << variable;
        EXPECT_TRUE(EndsWithExactlyOneBackslash(buffer)) << variable << " gave " << buffer;
        EXPECT_EQ(lstrcmpiA(buffer, expected.c_str()), 0) << variable << " gave " << buffer;
    }
}

TEST(GetTempFolder, fails_cleanly_when_the_buffer_is_too_small) {
    ScratchFolder scratch(SystemTempPath());
    ASSERT_TRUE(scratch.ok());
    ScopedEnvironment tmp("TMP", scratch.path().c_str());
    const size_t needed = scratch.path().size() + 2;  // the backslash and the end

    char exact[kFolderBufferSize];
    EXPECT_TRUE(GetTempFolder(exact, static_cast<uint32_t>(needed)));
    EXPECT_EQ(std::strlen(exact) + 1, needed);

    char shorter[kFolderBufferSize];
    std::memset(shorter, '#', sizeof shorter);
    EXPECT_FALSE(GetTempFolder(shorter, static_cast<uint32_t>(needed - 1)));
    EXPECT_EQ(shorter[needed - 1], '#');

    EXPECT_FALSE(GetTempFolder(nullptr, kFolderBufferSize));
    EXPECT_FALSE(GetTempFolder(shorter, 0));
}

TEST(CreatePath, creates_every_missing_folder_of_the_path) {
    ScratchFolder scratch(kFixedDrive);
    ASSERT_TRUE(scratch.ok());
    const std::string games = scratch.path() + "\\Games";
    const std::string korvo = games + "\\Korvo";

    EXPECT_TRUE(CreatePath((korvo + "\\").c_str()));
    EXPECT_TRUE(IsFolder(games));
    EXPECT_TRUE(IsFolder(korvo));

    // Without the trailing backslash, and once more where everything exists.
    EXPECT_TRUE(CreatePath((korvo + "\\Data\\Maps").c_str()));
    EXPECT_TRUE(IsFolder(korvo + "\\Data\\Maps"));
    EXPECT_TRUE(CreatePath((korvo + "\\").c_str()));
}

TEST(CreatePath, fails_on_a_drive_that_does_not_exist) {
    const std::string path = std::string(kMissingDrive) + "Games\\Korvo\\";
    EXPECT_FALSE(CreatePath(path.c_str()));
    EXPECT_FALSE(Exists(std::string(kMissingDrive) + "Games"));
}

TEST(CreatePath, fails_when_a_file_stands_in_the_way) {
    ScratchFolder scratch(kFixedDrive);
    ASSERT_TRUE(scratch.ok());
    const std::string file = scratch.path() + "\\Korvo";
    HANDLE created = CreateFileA(file.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW, FILE_ATTRIBUTE_NORMAL,
                                 nullptr);
    ASSERT_NE(created, INVALID_HANDLE_VALUE);
    CloseHandle(created);

    EXPECT_FALSE(CreatePath((file + "\\").c_str()));
    EXPECT_FALSE(CreatePath((file + "\\Data\\").c_str()));
    EXPECT_FALSE(IsFolder(file));
}

TEST(CreatePath, refuses_missing_and_over_long_paths) {
    EXPECT_FALSE(CreatePath(nullptr));
    EXPECT_FALSE(CreatePath(""));

    ScratchFolder scratch(kFixedDrive);
    ASSERT_TRUE(scratch.ok());
    std::string longPath = scratch.path() + "\\first\\";
    longPath.append(kCreatePathBufferSize - longPath.size(), 'x');  // 1024 characters
    EXPECT_FALSE(CreatePath(longPath.c_str()));
    EXPECT_FALSE(Exists(scratch.path() + "\\first"));  // refused before anything was made
}

TEST(HasFreeSpace, reports_the_space_of_a_real_drive) {
    uint64_t available = 0;
    EXPECT_TRUE(HasFreeSpace("C:\\", 0, &available));
    EXPECT_GT(available, 0u);

    uint64_t onMapped = 0;
    EXPECT_TRUE(HasFreeSpace(kFixedDrive, 1, &onMapped));
    EXPECT_GT(onMapped, 1u);
}

TEST(HasFreeSpace, refuses_more_than_any_drive_holds_but_still_reports_the_space) {
    uint64_t available = 0;
    EXPECT_FALSE(HasFreeSpace("C:\\", ~uint64_t{0}, &available));
    EXPECT_GT(available, 0u);
    EXPECT_TRUE(HasFreeSpace("C:\\", 0, nullptr));
}

TEST(HasFreeSpace, a_drive_that_cannot_be_asked_leaves_the_count_alone) {
    uint64_t available = 12345;
    EXPECT_FALSE(HasFreeSpace(kMissingDrive, 0, &available));
    EXPECT_EQ(available, 12345u);
    EXPECT_FALSE(HasFreeSpace(nullptr, 0, &available));
    EXPECT_FALSE(HasFreeSpace("", 0, &available));
    EXPECT_EQ(available, 12345u);
}
