// The shared registry key owner against the prefix's registry. Each test
// works below a key of its own in HKCU and removes it afterwards.
#include <windows.h>

#include <gtest/gtest.h>

#include <string>

#include "common/registry_key_win32.h"

using korvo::RegistryKey;

namespace {

class RegistryKeyTest : public ::testing::Test {
protected:
    void SetUp() override {
        path_ = std::string("Software\\KorvoTests\\RegistryKey\\") +
                ::testing::UnitTest::GetInstance()->current_test_info()->name();
        Remove();
    }
    void TearDown() override { Remove(); }

    // Removes the test's key with everything below it (two levels at most).
    void Remove() {
        RegistryKey key;
        if (key.Open(HKEY_CURRENT_USER, path_.c_str())) {
            char child[256];
            DWORD length = sizeof child;
            while (RegEnumKeyExA(key.get(), 0, child, &length, nullptr, nullptr, nullptr, nullptr) ==
                   ERROR_SUCCESS) {
                if (key.DeleteSubKey(child) != ERROR_SUCCESS) break;
                length = sizeof child;
            }
        }
        key.Close();
        RegDeleteKeyA(HKEY_CURRENT_USER, path_.c_str());
    }

    std::string path_;
};

TEST_F(RegistryKeyTest, create_tells_created_from_opened_and_open_tells_why_it_failed) {
    RegistryKey key;
    DWORD disposition = 0;
    ASSERT_TRUE(key.Create(HKEY_CURRENT_USER, path_.c_str(), REG_OPTION_NON_VOLATILE, &disposition));
    EXPECT_EQ(disposition, static_cast<DWORD>(REG_CREATED_NEW_KEY));
    EXPECT_NE(key.get(), nullptr);
    ASSERT_TRUE(key.Create(HKEY_CURRENT_USER, path_.c_str(), REG_OPTION_NON_VOLATILE, &disposition));
    EXPECT_EQ(disposition, static_cast<DWORD>(REG_OPENED_EXISTING_KEY));

    // A failed open leaves no key behind and keeps the system's reason.
    EXPECT_FALSE(key.Open(HKEY_CURRENT_USER, (path_ + "\\missing").c_str()));
    EXPECT_EQ(key.Status(), ERROR_FILE_NOT_FOUND);
    EXPECT_EQ(key.get(), nullptr);
    EXPECT_FALSE(key.Open(HKEY_CURRENT_USER, nullptr));
    EXPECT_FALSE(key.Create(HKEY_CURRENT_USER, nullptr));
    EXPECT_EQ(key.Status(), ERROR_INVALID_PARAMETER);
    EXPECT_TRUE(key.Open(HKEY_CURRENT_USER, path_.c_str()));
    EXPECT_EQ(key.Status(), ERROR_SUCCESS);
}

TEST_F(RegistryKeyTest, values_are_written_read_back_and_deleted) {
    RegistryKey key;
    ASSERT_TRUE(key.Create(HKEY_CURRENT_USER, path_.c_str()));
    const char text[] = "D:\\Games\\Korvo\\";
    ASSERT_EQ(key.SetValue("InstallDir", REG_BINARY, text, sizeof text), ERROR_SUCCESS);

    DWORD type = 0;
    DWORD size = 0;
    ASSERT_EQ(key.QueryValue("InstallDir", &type, nullptr, &size), ERROR_SUCCESS);
    EXPECT_EQ(type, static_cast<DWORD>(REG_BINARY));
    EXPECT_EQ(size, sizeof text);
    // One byte short: the value does not fit, and nothing is claimed read.
    char buffer[sizeof text] = {};
    size = sizeof text - 1;
    EXPECT_EQ(key.QueryValue("InstallDir", &type, buffer, &size), ERROR_MORE_DATA);
    size = sizeof buffer;
    ASSERT_EQ(key.QueryValue("InstallDir", &type, buffer, &size), ERROR_SUCCESS);
    EXPECT_STREQ(buffer, text);

    EXPECT_EQ(key.DeleteValue("InstallDir"), ERROR_SUCCESS);
    EXPECT_EQ(key.DeleteValue("InstallDir"), ERROR_FILE_NOT_FOUND);
    EXPECT_EQ(key.QueryValue("InstallDir", &type, nullptr, &size), ERROR_FILE_NOT_FOUND);
}

TEST_F(RegistryKeyTest, a_key_opened_for_reading_refuses_writes) {
    {
        RegistryKey writable;
        ASSERT_TRUE(writable.Create(HKEY_CURRENT_USER, path_.c_str()));
        ASSERT_EQ(writable.SetValue("Version", REG_SZ, "1.0", 4), ERROR_SUCCESS);
    }
    RegistryKey key;
    ASSERT_TRUE(key.Open(HKEY_CURRENT_USER, path_.c_str(), KEY_READ));
    DWORD size = 0;
    EXPECT_EQ(key.QueryValue("Version", nullptr, nullptr, &size), ERROR_SUCCESS);
    EXPECT_EQ(size, 4u);
    EXPECT_EQ(key.SetValue("Version", REG_SZ, "2.0", 4), ERROR_ACCESS_DENIED);
    EXPECT_EQ(key.DeleteValue("Version"), ERROR_ACCESS_DENIED);
}

TEST_F(RegistryKeyTest, below_a_volatile_key_only_volatile_keys_can_be_made) {
    RegistryKey parent;
    ASSERT_TRUE(parent.Create(HKEY_CURRENT_USER, path_.c_str(), REG_OPTION_VOLATILE));
    RegistryKey child;
    EXPECT_FALSE(child.Create(HKEY_CURRENT_USER, (path_ + "\\lasting").c_str()));
    EXPECT_EQ(child.Status(), ERROR_CHILD_MUST_BE_VOLATILE);
    EXPECT_TRUE(child.Create(HKEY_CURRENT_USER, (path_ + "\\passing").c_str(), REG_OPTION_VOLATILE));
    child.Close();
    EXPECT_EQ(parent.DeleteSubKey("passing"), ERROR_SUCCESS);
}

}  // namespace
