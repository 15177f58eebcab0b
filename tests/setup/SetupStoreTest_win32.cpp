#include <windows.h>

#include <gtest/gtest.h>

#include <cstring>
#include <vector>

#include "setup/setup_store_win32.h"

namespace {

using setup::kSetupRecordSize;
using setup::ReadStoredSetup;
using setup::SetupRecordBytes;
using setup::WriteStoredSetup;

const char kVendorKey[] = "Software\\Ambergate Studio";

void DeleteTree(HKEY parent, const char* name) {
    HKEY key;
    if (RegOpenKeyExA(parent, name, 0, KEY_ALL_ACCESS, &key) != ERROR_SUCCESS) return;
    char child[256];
    DWORD length = sizeof child;
    while (RegEnumKeyExA(key, 0, child, &length, nullptr, nullptr, nullptr, nullptr) == ERROR_SUCCESS) {
        DeleteTree(key, child);
        length = sizeof child;
    }
    RegCloseKey(key);
    RegDeleteKeyA(parent, name);
}

void SetRawValue(const std::vector<BYTE>& data) {
    HKEY key;
    ASSERT_EQ(RegCreateKeyExA(HKEY_LOCAL_MACHINE, setup::kSetupRegistryKey, 0, nullptr, 0, KEY_ALL_ACCESS,
                              nullptr, &key, nullptr),
              ERROR_SUCCESS);
    ASSERT_EQ(RegSetValueExA(key, setup::kSetupRegistryValue, 0, REG_BINARY, data.data(),
                             static_cast<DWORD>(data.size())),
              ERROR_SUCCESS);
    RegCloseKey(key);
}

class SetupStore : public ::testing::Test {
protected:
    void SetUp() override { DeleteTree(HKEY_LOCAL_MACHINE, kVendorKey); }
    void TearDown() override { DeleteTree(HKEY_LOCAL_MACHINE, kVendorKey); }
};

TEST_F(SetupStore, round_trips_63_bytes_as_binary) {
    SetupRecordBytes written;
    for (size_t i = 0; i < written.size(); ++i) written[i] = static_cast<uint8_t>(200 + i);
    ASSERT_TRUE(WriteStoredSetup(written));

    HKEY key;
    ASSERT_EQ(RegOpenKeyExA(HKEY_LOCAL_MACHINE, setup::kSetupRegistryKey, 0, KEY_READ, &key), ERROR_SUCCESS);
    DWORD type = 0, size = 0;
    EXPECT_EQ(RegQueryValueExA(key, setup::kSetupRegistryValue, nullptr, &type, nullptr, &size),
              ERROR_SUCCESS);
    RegCloseKey(key);
    EXPECT_EQ(type, static_cast<DWORD>(REG_BINARY));
    EXPECT_EQ(size, kSetupRecordSize);

    SetupRecordBytes read{};
    EXPECT_EQ(ReadStoredSetup(&read), kSetupRecordSize);
    EXPECT_EQ(read, written);
}

TEST_F(SetupStore, missing_key_value_or_short_value_is_no_record) {
    SetupRecordBytes read{};
    EXPECT_EQ(ReadStoredSetup(&read), 0u);

    HKEY key;
    ASSERT_EQ(RegCreateKeyExA(HKEY_LOCAL_MACHINE, setup::kSetupRegistryKey, 0, nullptr, 0, KEY_ALL_ACCESS,
                              nullptr, &key, nullptr),
              ERROR_SUCCESS);
    RegCloseKey(key);
    EXPECT_EQ(ReadStoredSetup(&read), 0u);

    SetRawValue(std::vector<BYTE>(62, 7));
    EXPECT_EQ(ReadStoredSetup(&read), 62u);
}

TEST_F(SetupStore, longer_value_is_refused_without_overrunning_the_buffer) {
    struct Guarded {
        SetupRecordBytes bytes;
        uint8_t guard[32];
    } buffer;
    for (size_t size : {size_t{64}, size_t{4096}}) {
        std::memset(&buffer, 0xAB, sizeof buffer);
        SetRawValue(std::vector<BYTE>(size, 0x11));
        EXPECT_EQ(ReadStoredSetup(&buffer.bytes), 0u) << size;
        for (uint8_t b : buffer.guard) ASSERT_EQ(b, 0xAB) << size;
    }
}

TEST_F(SetupStore, reports_a_value_it_cannot_write) {
    // Below a volatile key no lasting key can be created.
    HKEY vendor;
    ASSERT_EQ(RegCreateKeyExA(HKEY_LOCAL_MACHINE, kVendorKey, 0, nullptr, REG_OPTION_VOLATILE, KEY_ALL_ACCESS,
                              nullptr, &vendor, nullptr),
              ERROR_SUCCESS);
    RegCloseKey(vendor);
    SetupRecordBytes bytes{};
    EXPECT_FALSE(WriteStoredSetup(bytes));
    EXPECT_EQ(ReadStoredSetup(&bytes), 0u);
}

}  // namespace
