// The game's entry in the system's list of installed programs, written and
// removed in the test prefix's registry and looked at with reg.exe.
#include "uninstall_record.h"

#include "records_test_support.h"

#include "installer/engine/settings_table.h"

#include <gtest/gtest.h>

#include <string>

using namespace installer;
using namespace records_test;

namespace {

class UninstallRecord : public ::testing::Test {
protected:
    void SetUp() override
    {
        name_ = "Korvo " + TestName();
        record_ = std::string(kUninstallKeyPath) + "\\" + name_;
        DeleteKeyTree(record_);
        Settings().Clear();
        Settings().Set(Setting::UninstallFolderName, name_.c_str());
    }
    void TearDown() override
    {
        DeleteKeyTree(record_);
        Settings().Clear();
    }

    std::string name_;
    std::string record_;
};

TEST_F(UninstallRecord, record_holds_three_string_values)
{
    ASSERT_TRUE(WriteUninstallRecord("Korvo", "D:\\Games\\Korvo\\patch.exe"));

    std::string output;
    ASSERT_EQ(RegQuery(record_, nullptr, &output), 0) << output;
    EXPECT_NE(output.find("DisplayName    REG_SZ    Korvo\r\n"), std::string::npos) << output;
    EXPECT_NE(output.find("UninstallString    REG_SZ    D:\\Games\\Korvo\\patch.exe\r\n"), std::string::npos)
        << output;
    EXPECT_NE(output.find("UninstallFiles    REG_SZ    D:\\Games\\Korvo\\patch.exe\r\n"), std::string::npos)
        << output;

    // Stored with the terminating zero: 6 bytes for "Korvo".
    HKEY key = nullptr;
    ASSERT_EQ(RegOpenKeyExA(HKEY_LOCAL_MACHINE, record_.c_str(), 0, KEY_READ, &key), ERROR_SUCCESS);
    DWORD type = 0;
    DWORD size = 0;
    EXPECT_EQ(RegQueryValueExA(key, "DisplayName", nullptr, &type, nullptr, &size), ERROR_SUCCESS);
    RegCloseKey(key);
    EXPECT_EQ(type, static_cast<DWORD>(REG_SZ));
    EXPECT_EQ(size, 6u);
}

TEST_F(UninstallRecord, deleting_removes_the_key_and_its_values_only)
{
    const std::string sibling = std::string(kUninstallKeyPath) + "\\Other " + TestName();
    ASSERT_TRUE(SetRawValue(sibling, "DisplayName", REG_SZ, "Other", 6));
    ASSERT_TRUE(WriteUninstallRecord("Korvo", "D:\\Games\\Korvo\\patch.exe"));

    DeleteUninstallRecord();

    EXPECT_FALSE(KeyExists(record_));
    std::string output;
    EXPECT_NE(RegQuery(record_, nullptr, &output), 0) << output;
    EXPECT_TRUE(KeyExists(kUninstallKeyPath));
    EXPECT_TRUE(ValueExists(sibling, "DisplayName"));
    DeleteKeyTree(sibling);
}

TEST_F(UninstallRecord, deleting_a_missing_record_leaves_no_key_behind)
{
    DeleteUninstallRecord();
    EXPECT_FALSE(KeyExists(record_));
    DeleteUninstallRecord();
    EXPECT_FALSE(KeyExists(record_));
}

TEST_F(UninstallRecord, rewriting_replaces_the_values)
{
    ASSERT_TRUE(WriteUninstallRecord("Korvo", "C:\\Old\\patch.exe"));
    ASSERT_TRUE(WriteUninstallRecord("Korvo 1.1", "D:\\New\\patch.exe"));
    std::string output;
    ASSERT_EQ(RegQuery(record_, "UninstallFiles", &output), 0) << output;
    EXPECT_NE(output.find("D:\\New\\patch.exe"), std::string::npos) << output;
    EXPECT_EQ(output.find("C:\\Old"), std::string::npos) << output;
}

TEST_F(UninstallRecord, empty_record_name_never_touches_the_uninstall_key_itself)
{
    const std::string sibling = std::string(kUninstallKeyPath) + "\\Other " + TestName();
    ASSERT_TRUE(SetRawValue(sibling, "DisplayName", REG_SZ, "Other", 6));
    Settings().Set(Setting::UninstallFolderName, "");
    EXPECT_FALSE(WriteUninstallRecord("Korvo", "D:\\Games\\Korvo\\patch.exe"));
    EXPECT_FALSE(ValueExists(kUninstallKeyPath, "DisplayName"));
    EXPECT_FALSE(ValueExists(kUninstallKeyPath, "UninstallString"));

    DeleteUninstallRecord();
    EXPECT_TRUE(KeyExists(kUninstallKeyPath));
    EXPECT_TRUE(ValueExists(sibling, "DisplayName"));
    DeleteKeyTree(sibling);
}

TEST_F(UninstallRecord, null_texts_are_refused)
{
    EXPECT_FALSE(WriteUninstallRecord(nullptr, "D:\\Games\\Korvo\\patch.exe"));
    EXPECT_FALSE(WriteUninstallRecord("Korvo", nullptr));
    EXPECT_FALSE(KeyExists(record_));
}

}  // namespace
