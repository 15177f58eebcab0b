// The game's REG_BINARY text values in the prefix's registry.
#include <cstring>

#include "installer/records/registry_values_win32.h"
#include "tests/installer/records/records_test_support_win32.h"

using namespace installer;
using namespace records_test;

namespace {

class RegistryValues : public GameInstall {
protected:
    const char* key() const { return gameKey_.c_str(); }
};

TEST_F(RegistryValues, folder_text_is_stored_as_binary_with_its_zero) {
    ASSERT_TRUE(WriteRegistryValue(HKEY_LOCAL_MACHINE, key(), "InstallDir", "C:\\Old\\Place\\Korvo\\"));
    ASSERT_TRUE(WriteRegistryValue(HKEY_LOCAL_MACHINE, key(), "InstallDir", "D:\\Games\\Korvo\\"));

    EXPECT_EQ(QueryRegistryValueSize(HKEY_LOCAL_MACHINE, key(), "InstallDir"), 16);
    char buffer[16];
    ASSERT_TRUE(ReadRegistryValue(HKEY_LOCAL_MACHINE, key(), "InstallDir", buffer, sizeof buffer));
    EXPECT_STREQ(buffer, "D:\\Games\\Korvo\\");
    std::string output;
    ASSERT_EQ(RegQuery(gameKey_, &output), 0);
    EXPECT_NE(output.find("InstallDir    REG_BINARY    443A5C47616D65735C4B6F72766F5C00\r\n"),
              std::string::npos)
        << output;
}

TEST_F(RegistryValues, reads_never_write_past_the_buffer) {
    ASSERT_TRUE(WriteRegistryValue(HKEY_LOCAL_MACHINE, key(), "InstallDir", "D:\\Games\\Korvo\\"));
    ASSERT_TRUE(SetRawValue(gameKey_, "Raw", REG_BINARY, "abc", 3));  // no zero
    char buffer[17];
    std::memset(buffer, '#', sizeof buffer);
    EXPECT_FALSE(ReadRegistryValue(HKEY_LOCAL_MACHINE, key(), "InstallDir", buffer, 15));
    EXPECT_FALSE(ReadRegistryValue(HKEY_LOCAL_MACHINE, key(), "Raw", buffer, 3));
    EXPECT_EQ(std::string(buffer + 3, 14), std::string(14, '#'));

    // With room behind it, data without a zero still reads as a text.
    ASSERT_TRUE(ReadRegistryValue(HKEY_LOCAL_MACHINE, key(), "Raw", buffer, 4));
    EXPECT_STREQ(buffer, "abc");
}

TEST_F(RegistryValues, anything_but_nonempty_binary_data_reads_as_absent) {
    const DWORD number = 7;
    ASSERT_TRUE(SetRawValue(gameKey_, "Text", REG_SZ, "D:\\Games\\", 10));
    ASSERT_TRUE(SetRawValue(gameKey_, "Number", REG_DWORD, &number, sizeof number));
    ASSERT_TRUE(SetRawValue(gameKey_, "Empty", REG_BINARY, "", 0));
    char buffer[64];
    for (const char* name : {"Text", "Number", "Missing"}) {
        EXPECT_EQ(QueryRegistryValueSize(HKEY_LOCAL_MACHINE, key(), name), -1) << name;
        EXPECT_FALSE(ReadRegistryValue(HKEY_LOCAL_MACHINE, key(), name, buffer, sizeof buffer)) << name;
    }
    EXPECT_FALSE(ReadRegistryValue(HKEY_LOCAL_MACHINE, key(), "Empty", buffer, sizeof buffer));
    EXPECT_FALSE(ReadRegistryValue(HKEY_LOCAL_MACHINE, key(), "Text", nullptr, 8));

    const std::string missingKey = gameKey_ + "\\Missing";
    EXPECT_EQ(QueryRegistryValueSize(HKEY_LOCAL_MACHINE, missingKey.c_str(), "Text"), -1);
    EXPECT_FALSE(DeleteRegistryValue(HKEY_LOCAL_MACHINE, missingKey.c_str(), "Text"));
    EXPECT_FALSE(KeyExists(missingKey));
}

TEST_F(RegistryValues, bad_writes_are_refused_and_create_nothing) {
    EXPECT_FALSE(WriteRegistryValue(HKEY_LOCAL_MACHINE, key(), "InstallDir", nullptr));
    EXPECT_FALSE(WriteRegistryValue(HKEY_LOCAL_MACHINE, key(), nullptr, "x"));
    EXPECT_FALSE(WriteRegistryValue(HKEY_LOCAL_MACHINE, "", "InstallDir", "x"));
    EXPECT_FALSE(ValueExists("", "InstallDir"));
    EXPECT_FALSE(KeyExists(gameKey_));
}

TEST_F(RegistryValues, deleting_game_values_keeps_the_key_and_its_other_values) {
    const unsigned char record[63] = {1, 2, 3};
    ASSERT_TRUE(WriteRegistryValue(HKEY_LOCAL_MACHINE, key(), "InstallDir", "D:\\Games\\Korvo\\"));
    ASSERT_TRUE(SetRawValue(gameKey_, "VX7R_setup", REG_BINARY, record, sizeof record));

    EXPECT_TRUE(DeleteRegistryValue(HKEY_LOCAL_MACHINE, key(), "InstallDir"));
    EXPECT_TRUE(DeleteRegistryValue(HKEY_LOCAL_MACHINE, key(), "InstallDir"));  // already gone
    EXPECT_FALSE(ValueExists(gameKey_, "InstallDir"));
    EXPECT_EQ(QueryRegistryValueSize(HKEY_LOCAL_MACHINE, key(), "VX7R_setup"), 63);
}

}  // namespace
