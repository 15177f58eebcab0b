// Keeping an older version's registration aside while an upgrade registers
// itself, and putting it back.
#include "installer/records/registration_snapshot_win32.h"
#include "installer/records/registry_installation_win32.h"
#include "installer/records/registry_values_win32.h"
#include "tests/installer/records/records_test_support_win32.h"

using namespace installer;
using namespace records_test;

namespace {

class RegistrationSnapshotTest : public GameInstall {
protected:
    static std::string Text(const std::string& keyPath, const char* value) {
        char text[1024] = {};
        DWORD size = sizeof text - 1;
        if (SHGetValueA(HKEY_LOCAL_MACHINE, keyPath.c_str(), value, nullptr, text, &size) != ERROR_SUCCESS)
            return "<absent>";
        return std::string(text, size);
    }
};

TEST_F(RegistrationSnapshotTest, puts_the_older_registration_back_byte_for_byte) {
    const std::string folder = "C:\\Games\\Korvo 0.9\\";
    ASSERT_TRUE(WriteRegistryValue(HKEY_LOCAL_MACHINE, gameKey_.c_str(), "InstallDir", folder.c_str()));
    ASSERT_TRUE(WriteRegistryValue(HKEY_LOCAL_MACHINE, gameKey_.c_str(), "Version", "0.9"));
    ASSERT_TRUE(SetRawValue(record_, "DisplayName", REG_SZ, "Korvo 0.9", 10));
    ASSERT_TRUE(SetRawValue(record_, "UninstallString", REG_SZ, "C:\\old\\patch.exe", 17));
    ASSERT_TRUE(SetRawValue(record_, "DisplayVersion", REG_SZ, "0.9", 4));
    const DWORD oldSize = 77;
    ASSERT_TRUE(SetRawValue(record_, "EstimatedSize", REG_DWORD, &oldSize, sizeof oldSize));
    // The older version had one of the two links, with other contents.
    Script("add_shortcut \"Korvo.lnk\" korvo.exe");
    Script("add_shortcut \"Manual.lnk\" manual.txt");
    CreateDirectoryA((programs_ + studio_).c_str(), nullptr);
    CreateDirectoryA((programs_ + shortcutFolder_).c_str(), nullptr);
    const std::string oldLink = programs_ + shortcutFolder_ + "Korvo.lnk";
    ASSERT_TRUE(MakeFile(oldLink));

    RegistrationSnapshot snapshot;
    snapshot.Take(installation_);
    RegisterInstallation(installation_);
    ASSERT_EQ(Text(gameKey_, "Version"), std::string("1.0") + '\0');
    ASSERT_TRUE(PathExists(programs_ + shortcutFolder_ + "Manual.lnk"));

    EXPECT_TRUE(snapshot.Restore());
    EXPECT_EQ(Text(gameKey_, "InstallDir"), folder + '\0');
    EXPECT_EQ(Text(gameKey_, "Version"), std::string("0.9") + '\0');
    EXPECT_EQ(Text(record_, "DisplayName"), std::string("Korvo 0.9") + '\0');
    EXPECT_EQ(Text(record_, "UninstallString"), std::string("C:\\old\\patch.exe") + '\0');
    EXPECT_EQ(Text(record_, "DisplayVersion"), std::string("0.9") + '\0');
    DWORD type = REG_NONE, size = 0, bytes = sizeof size;
    EXPECT_EQ(SHGetValueA(HKEY_LOCAL_MACHINE, record_.c_str(), "EstimatedSize", &type, &size, &bytes),
              DWORD{ERROR_SUCCESS});
    EXPECT_EQ(type, DWORD{REG_DWORD});
    EXPECT_EQ(size, oldSize);
    // What the older record did not have goes.
    for (const char* value :
         {"UninstallFiles", "InstallLocation", "DisplayIcon", "NoModify", "NoRepair", "QuietUninstallString"})
        EXPECT_FALSE(ValueExists(record_, value)) << value;
    EXPECT_EQ(ReadLink(oldLink).target, "<unreadable>");  // the empty file it was
    EXPECT_FALSE(PathExists(programs_ + shortcutFolder_ + "Manual.lnk"));
}

TEST_F(RegistrationSnapshotTest, removes_what_did_not_exist_before) {
    Script("add_shortcut \"Korvo.lnk\" korvo.exe");
    RegistrationSnapshot snapshot;
    EXPECT_FALSE(snapshot.Restore());  // nothing taken yet
    snapshot.Take(installation_);
    RegisterInstallation(installation_);

    EXPECT_TRUE(snapshot.Restore());
    EXPECT_FALSE(ValueExists(gameKey_, "InstallDir"));
    EXPECT_FALSE(ValueExists(gameKey_, "Version"));
    EXPECT_FALSE(KeyExists(record_));
    EXPECT_FALSE(PathExists(programs_ + shortcutFolder_ + "Korvo.lnk"));
    EXPECT_FALSE(PathExists(programs_ + shortcutFolder_));
}

}  // namespace
