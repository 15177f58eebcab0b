#include <windows.h>

#include <gtest/gtest.h>

#include "installer/system/system.h"
#include "tests/installer/system/system_test_support_win32.h"

using namespace installer;
using namespace system_test;

namespace {

// The drives must be as system_drives.sh left them, or the results below
// would say nothing.
class CheckDiscLabelTest : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_EQ(GetDriveTypeA(kDiscTwoUpper), static_cast<UINT>(DRIVE_CDROM)) << "drive set-up missing";
        ASSERT_EQ(GetDriveTypeA(kFixedDrive), static_cast<UINT>(DRIVE_FIXED));
        ASSERT_EQ(GetDriveTypeA(kMissingDrive), static_cast<UINT>(DRIVE_NO_ROOT_DIR));
    }
};

}  // namespace

TEST_F(CheckDiscLabelTest, accepts_the_discs_label_in_either_case) {
    EXPECT_EQ(CheckDiscLabel(kDiscTwoUpper, 2), kDiscInDrive);
    EXPECT_EQ(CheckDiscLabel(kDiscTwoLower, 2), kDiscInDrive);
    EXPECT_EQ(CheckDiscLabel(kDiscOne, 1), kDiscInDrive);
}

TEST_F(CheckDiscLabelTest, reports_another_disc_for_a_padded_or_different_number) {
    EXPECT_EQ(CheckDiscLabel(kDiscZeroTwo, 2), kDiscOtherLabel);
    EXPECT_EQ(CheckDiscLabel(kDiscOne, 2), kDiscOtherLabel);
    EXPECT_EQ(CheckDiscLabel(kDiscTwoUpper, 1), kDiscOtherLabel);
}

TEST_F(CheckDiscLabelTest, looks_only_at_the_drive_letter_of_the_path) {
    EXPECT_EQ(CheckDiscLabel("R:\\Setup\\", 2), kDiscInDrive);
    EXPECT_EQ(CheckDiscLabel("r", 2), kDiscInDrive);
    EXPECT_EQ(CheckDiscLabel("T:\\Setup\\", 2), kDiscOtherLabel);
}

TEST_F(CheckDiscLabelTest, a_missing_drive_is_unreadable_and_an_empty_one_never_accepted) {
    EXPECT_EQ(CheckDiscLabel(kMissingDrive, 2), kDiscUnreadable);
    // Windows cannot read an empty CD drive (3); Wine reads it as a volume
    // without a label (4). Either way the disc is not there.
    const int32_t empty = CheckDiscLabel(kEmptyCdDrive, 2);
    EXPECT_TRUE(empty == kDiscUnreadable || empty == kDiscOtherLabel) << empty;
    EXPECT_EQ(CheckDiscLabel("?:\\", 2), kDiscUnreadable);
}

TEST_F(CheckDiscLabelTest, no_path_is_its_own_result) {
    EXPECT_EQ(CheckDiscLabel(nullptr, 2), kDiscNoPath);
    EXPECT_EQ(CheckDiscLabel("", 2), kDiscNoPath);
}
