// The game's entry in the system's list of installed programs.
#include "installer/records/uninstall_record_win32.h"
#include "tests/installer/records/records_test_support_win32.h"

using namespace installer;
using namespace records_test;

namespace {

class UninstallRecord : public GameInstall {
protected:
    static UninstallEntry Entry() {
        UninstallEntry entry;
        entry.displayName = "Korvo";
        entry.command = "D:\\Games\\Korvo\\patch.exe";
        return entry;
    }
};

TEST_F(UninstallRecord, written_whole_and_deleted_without_trace) {
    const std::string sibling = std::string(kUninstallKeyPath) + "\\Other " + TestName();
    ASSERT_TRUE(SetRawValue(sibling, "DisplayName", REG_SZ, "Other", 6));
    UninstallEntry entry = Entry();
    entry.version = "1.0.1";
    entry.location = "D:\\Games\\Korvo\\";
    entry.icon = "D:\\Games\\Korvo\\Game.exe";
    entry.sizeKiB = 70000;
    ASSERT_TRUE(WriteUninstallRecord(installation_.settings, entry));

    std::string output;
    ASSERT_EQ(RegQuery(record_, &output), 0);
    for (const char* line :
         {"DisplayName    REG_SZ    Korvo\r\n",
          "UninstallString    REG_SZ    D:\\Games\\Korvo\\patch.exe\r\n",
          "UninstallFiles    REG_SZ    D:\\Games\\Korvo\\patch.exe\r\n",
          "DisplayVersion    REG_SZ    1.0.1\r\n", "InstallLocation    REG_SZ    D:\\Games\\Korvo\\\r\n",
          "DisplayIcon    REG_SZ    D:\\Games\\Korvo\\Game.exe\r\n",
          "EstimatedSize    REG_DWORD    0x11170\r\n", "NoModify    REG_DWORD    0x1\r\n",
          "NoRepair    REG_DWORD    0x1\r\n",
          "QuietUninstallString    REG_SZ    \"D:\\Games\\Korvo\\patch.exe\" /S /UNINSTALL\r\n"})
        EXPECT_NE(output.find(line), std::string::npos) << line << output;
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

TEST_F(UninstallRecord, a_record_kept_by_a_key_below_it_loses_every_value) {
    ASSERT_TRUE(WriteUninstallRecord(installation_.settings, Entry()));
    ASSERT_TRUE(SetRawValue(record_ + "\\Other", "Value", REG_SZ, "x", 2));
    DeleteUninstallRecord(installation_.settings);
    ASSERT_TRUE(KeyExists(record_));
    for (const char* value : kUninstallRecordValues) EXPECT_FALSE(ValueExists(record_, value)) << value;
}

TEST_F(UninstallRecord, deleting_a_missing_record_leaves_no_key_behind) {
    DeleteUninstallRecord(installation_.settings);
    EXPECT_FALSE(KeyExists(record_));
}

TEST_F(UninstallRecord, empty_name_never_touches_the_uninstall_key_itself) {
    const std::string sibling = std::string(kUninstallKeyPath) + "\\Other " + TestName();
    ASSERT_TRUE(SetRawValue(sibling, "DisplayName", REG_SZ, "Other", 6));
    installation_.settings.Set(Setting::UninstallFolderName, "");

    EXPECT_FALSE(WriteUninstallRecord(installation_.settings, Entry()));
    DeleteUninstallRecord(installation_.settings);

    EXPECT_FALSE(ValueExists(kUninstallKeyPath, "UninstallString"));
    EXPECT_TRUE(ValueExists(sibling, "DisplayName"));
    DeleteKeyTree(sibling);
}

}  // namespace
