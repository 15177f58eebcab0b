// The game's REG_BINARY text values, written and read through the real
// registry of the test prefix and looked at from outside with reg.exe.
#include "registry_values.h"

#include "records_test_support.h"

#include <gtest/gtest.h>

#include <cstring>
#include <string>

using namespace installer;
using namespace records_test;

namespace {

class RegistryValues : public ::testing::Test {
protected:
    void SetUp() override
    {
        key_ = "Software\\Korvo Tests\\" + TestName();
        DeleteKeyTree(key_);
    }
    void TearDown() override { DeleteKeyTree(key_); }

    const char* key() const { return key_.c_str(); }

private:
    std::string key_;
};

TEST_F(RegistryValues, folder_text_is_stored_as_binary_with_its_zero)
{
    ASSERT_TRUE(WriteRegistryValue(HKEY_LOCAL_MACHINE, key(), "InstallDir", "D:\\Games\\Korvo\\"));

    EXPECT_EQ(QueryRegistryValueSize(HKEY_LOCAL_MACHINE, key(), "InstallDir"), 16);
    char buffer[16];
    ASSERT_TRUE(ReadRegistryValue(HKEY_LOCAL_MACHINE, key(), "InstallDir", buffer, sizeof buffer));
    EXPECT_STREQ(buffer, "D:\\Games\\Korvo\\");

    std::string output;
    ASSERT_EQ(RegQuery(key(), "InstallDir", &output), 0) << output;
    EXPECT_NE(output.find("REG_BINARY"), std::string::npos) << output;
    // "D:\Games\Korvo\" and the zero byte, as reg.exe prints binary data.
    EXPECT_NE(output.find("443A5C47616D65735C4B6F72766F5C00"), std::string::npos) << output;
}

TEST_F(RegistryValues, second_write_replaces_the_value)
{
    ASSERT_TRUE(WriteRegistryValue(HKEY_LOCAL_MACHINE, key(), "Version", "1.00"));
    ASSERT_TRUE(WriteRegistryValue(HKEY_LOCAL_MACHINE, key(), "Version", "1.1"));
    char buffer[8] = {};
    EXPECT_EQ(QueryRegistryValueSize(HKEY_LOCAL_MACHINE, key(), "Version"), 4);
    ASSERT_TRUE(ReadRegistryValue(HKEY_LOCAL_MACHINE, key(), "Version", buffer, sizeof buffer));
    EXPECT_STREQ(buffer, "1.1");
}

TEST_F(RegistryValues, buffer_one_byte_short_fails_without_writing_past_it)
{
    ASSERT_TRUE(WriteRegistryValue(HKEY_LOCAL_MACHINE, key(), "InstallDir", "D:\\Games\\Korvo\\"));
    char buffer[17];
    std::memset(buffer, '#', sizeof buffer);
    EXPECT_FALSE(ReadRegistryValue(HKEY_LOCAL_MACHINE, key(), "InstallDir", buffer, 15));
    EXPECT_EQ(buffer[15], '#');
    EXPECT_EQ(buffer[16], '#');
}

TEST_F(RegistryValues, value_of_another_type_reads_as_absent)
{
    const char text[] = "D:\\Games\\Korvo\\";
    ASSERT_TRUE(SetRawValue(key(), "InstallDir", REG_SZ, text, sizeof text));
    const DWORD number = 7;
    ASSERT_TRUE(SetRawValue(key(), "Count", REG_DWORD, &number, sizeof number));

    char buffer[64];
    EXPECT_EQ(QueryRegistryValueSize(HKEY_LOCAL_MACHINE, key(), "InstallDir"), -1);
    EXPECT_FALSE(ReadRegistryValue(HKEY_LOCAL_MACHINE, key(), "InstallDir", buffer, sizeof buffer));
    EXPECT_EQ(QueryRegistryValueSize(HKEY_LOCAL_MACHINE, key(), "Count"), -1);
    EXPECT_FALSE(ReadRegistryValue(HKEY_LOCAL_MACHINE, key(), "Count", buffer, sizeof buffer));
}

TEST_F(RegistryValues, missing_key_or_value_reads_as_absent)
{
    char buffer[64];
    EXPECT_EQ(QueryRegistryValueSize(HKEY_LOCAL_MACHINE, key(), "InstallDir"), -1);
    EXPECT_FALSE(ReadRegistryValue(HKEY_LOCAL_MACHINE, key(), "InstallDir", buffer, sizeof buffer));
    EXPECT_FALSE(DeleteRegistryValue(HKEY_LOCAL_MACHINE, key(), "InstallDir"));
    // Reading never creates the key.
    EXPECT_FALSE(KeyExists(key()));

    ASSERT_TRUE(WriteRegistryValue(HKEY_LOCAL_MACHINE, key(), "Version", "1.0"));
    EXPECT_EQ(QueryRegistryValueSize(HKEY_LOCAL_MACHINE, key(), "InstallDir"), -1);
    EXPECT_FALSE(ReadRegistryValue(HKEY_LOCAL_MACHINE, key(), "InstallDir", buffer, sizeof buffer));
}

TEST_F(RegistryValues, binary_data_without_zero_is_terminated_or_refused)
{
    ASSERT_TRUE(SetRawValue(key(), "Raw", REG_BINARY, "abc", 3));
    ASSERT_EQ(QueryRegistryValueSize(HKEY_LOCAL_MACHINE, key(), "Raw"), 3);

    char exact[4] = {'#', '#', '#', '#'};
    EXPECT_FALSE(ReadRegistryValue(HKEY_LOCAL_MACHINE, key(), "Raw", exact, 3));
    EXPECT_EQ(exact[3], '#');

    char roomy[4] = {'#', '#', '#', '#'};
    ASSERT_TRUE(ReadRegistryValue(HKEY_LOCAL_MACHINE, key(), "Raw", roomy, sizeof roomy));
    EXPECT_STREQ(roomy, "abc");
}

TEST_F(RegistryValues, empty_binary_value_does_not_read)
{
    ASSERT_TRUE(SetRawValue(key(), "Empty", REG_BINARY, "", 0));
    EXPECT_EQ(QueryRegistryValueSize(HKEY_LOCAL_MACHINE, key(), "Empty"), 0);
    char buffer[8];
    EXPECT_FALSE(ReadRegistryValue(HKEY_LOCAL_MACHINE, key(), "Empty", buffer, sizeof buffer));
}

TEST_F(RegistryValues, bad_arguments_are_refused_and_change_nothing)
{
    char buffer[8];
    EXPECT_FALSE(WriteRegistryValue(HKEY_LOCAL_MACHINE, key(), "InstallDir", nullptr));
    EXPECT_FALSE(KeyExists(key()));
    EXPECT_FALSE(WriteRegistryValue(HKEY_LOCAL_MACHINE, nullptr, "InstallDir", "x"));
    EXPECT_FALSE(WriteRegistryValue(HKEY_LOCAL_MACHINE, "", "InstallDir", "x"));
    EXPECT_FALSE(WriteRegistryValue(HKEY_LOCAL_MACHINE, key(), nullptr, "x"));
    EXPECT_FALSE(KeyExists(key()));

    ASSERT_TRUE(WriteRegistryValue(HKEY_LOCAL_MACHINE, key(), "InstallDir", "C:\\K\\"));
    EXPECT_EQ(QueryRegistryValueSize(HKEY_LOCAL_MACHINE, nullptr, "InstallDir"), -1);
    EXPECT_EQ(QueryRegistryValueSize(HKEY_LOCAL_MACHINE, key(), nullptr), -1);
    EXPECT_FALSE(ReadRegistryValue(HKEY_LOCAL_MACHINE, key(), "InstallDir", nullptr, 8));
    EXPECT_FALSE(ReadRegistryValue(HKEY_LOCAL_MACHINE, key(), "InstallDir", buffer, 0));
    EXPECT_FALSE(DeleteRegistryValue(HKEY_LOCAL_MACHINE, key(), nullptr));
    EXPECT_TRUE(ValueExists(key(), "InstallDir"));
}

TEST_F(RegistryValues, deleting_values_keeps_the_key_and_its_other_values)
{
    ASSERT_TRUE(WriteRegistryValue(HKEY_LOCAL_MACHINE, key(), "InstallDir", "D:\\Games\\Korvo\\"));
    ASSERT_TRUE(WriteRegistryValue(HKEY_LOCAL_MACHINE, key(), "Version", "1.0"));
    const unsigned char record[63] = {1, 2, 3};
    ASSERT_TRUE(SetRawValue(key(), "VX7R_setup", REG_BINARY, record, sizeof record));

    EXPECT_TRUE(DeleteRegistryValue(HKEY_LOCAL_MACHINE, key(), "InstallDir"));
    EXPECT_TRUE(DeleteRegistryValue(HKEY_LOCAL_MACHINE, key(), "Version"));
    // A value that is already gone counts as deleted.
    EXPECT_TRUE(DeleteRegistryValue(HKEY_LOCAL_MACHINE, key(), "Version"));

    EXPECT_FALSE(ValueExists(key(), "InstallDir"));
    EXPECT_FALSE(ValueExists(key(), "Version"));
    EXPECT_EQ(QueryRegistryValueSize(HKEY_LOCAL_MACHINE, key(), "VX7R_setup"), 63);
    std::string output;
    EXPECT_EQ(RegQuery(key(), nullptr, &output), 0) << output;
    EXPECT_EQ(output.find("InstallDir"), std::string::npos) << output;
    EXPECT_NE(output.find("VX7R_setup"), std::string::npos) << output;
}

}  // namespace
