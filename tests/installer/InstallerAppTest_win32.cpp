// The program object's host side as the flow uses it: the game's registry
// values, also one that another tool stored without its terminating zero.
#include <windows.h>

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "installer/installer_app_win32.h"
#include "tests/installer/records/records_test_support_win32.h"

using namespace installer;
using namespace records_test;

TEST(InstallerApp, reads_a_folder_value_stored_without_its_terminating_zero) {
    const std::string key = "Software\\Korvo Tests\\" + TestName();
    const std::string folder = "D:\\Games\\Korvo\\";
    ASSERT_TRUE(SetRawValue(key, "InstallDir", REG_BINARY, folder.data(), static_cast<DWORD>(folder.size())));
    InstallerApp app;
    const int32_t size = app.QueryRegistryValueSize(key.c_str(), "InstallDir");
    EXPECT_EQ(size, static_cast<int32_t>(folder.size()));
    // The flow reads into a buffer one byte longer than the value.
    std::vector<char> buffer(static_cast<size_t>(size) + 1, '?');
    EXPECT_TRUE(app.ReadRegistryValue(key.c_str(), "InstallDir", buffer.data(),
                                      static_cast<uint32_t>(buffer.size())));
    EXPECT_EQ(std::string(buffer.data()), folder);
    EXPECT_EQ(app.QueryRegistryValueSize(key.c_str(), "Version"), -1);
    DeleteKeyTree(key);
}
