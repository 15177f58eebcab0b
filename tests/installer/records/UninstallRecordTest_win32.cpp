// The game's entry in the system's list of installed programs.
#include "installer/records/uninstall_record_win32.h"
#include "tests/installer/records/records_test_support_win32.h"

using namespace installer;
using namespace records_test;

namespace {

class UninstallRecord : public GameInstall {};

TEST_F(UninstallRecord, written_as_three_strings_and_deleted_without_trace) {
    const std::string sibling = std::string(kUninstallKeyPath) + "\\Other " + TestName();
    ASSERT_TRUE(SetRawValue(sibling, "DisplayName", REG_SZ, "Other", 6));
    ASSERT_TRUE(WriteUninstallRecord(installation_.settings, "Korvo", "D:\\Games\\Korvo\\patch.exe"));

    std::string output;
    ASSERT_EQ(RegQuery(record_, &output), 0);
    for (const char* line : {"DisplayName    REG_SZ    Korvo\r\n",
                             "UninstallString    REG_SZ    D:\\Games\\Korvo\\patch.exe\r\n",
                             "UninstallFiles    REG_SZ    D:\\Games\\Korvo\\patch.exe\r\n"})
        EXPECT_NE(output.find(line), std::string::npos) << output;
    DWORD size = 0;
    SHGetValueA(HKEY_LOCAL_MACHINE, record_.c_str(), "DisplayName", nullptr, nullptr, &size);
    EXPECT_EQ(size, 6u);  // "Korvo" and its zero

    DeleteUninstallRecord(installation_.settings);
    EXPECT_FALSE(KeyExists(record_));
    output.clear();
    EXPECT_NE(RegQuery(record_, &output), 0) << output;
    EXPECT_TRUE(ValueExists(sibling, "DisplayName"));
    DeleteKeyTree(sibling);
}

TEST_F(UninstallRecord, deleting_a_missing_record_leaves_no_key_behind) {
    DeleteUninstallRecord(installation_.settings);
    EXPECT_FALSE(KeyExists(record_));
}

TEST_F(UninstallRecord, empty_name_never_touches_the_uninstall_key_itself) {
    const std::string sibling = std::string(kUninstallKeyPath) + "\\Other " + TestName();
    ASSERT_TRUE(SetRawValue(sibling, "DisplayName", REG_SZ, "Other", 6));
    installation_.settings.Set(Setting::UninstallFolderName, "");

    EXPECT_FALSE(WriteUninstallRecord(installation_.settings, "Korvo", "D:\\Games\\Korvo\\patch.exe"));
    DeleteUninstallRecord(installation_.settings);

    EXPECT_FALSE(ValueExists(kUninstallKeyPath, "UninstallString"));
    EXPECT_TRUE(ValueExists(sibling, "DisplayName"));
    DeleteKeyTree(sibling);
}

}  // namespace
