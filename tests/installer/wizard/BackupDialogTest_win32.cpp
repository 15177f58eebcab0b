// The patch's backup dialog (template 137) over the backdrop, backing up
// real installed files into the temporary folder and restoring them: its
// place, texts and Cancel button in both modes, with a screenshot of each.
#include <windows.h>

#include <gtest/gtest.h>

#include <cstring>
#include <string>

#include "installer/engine/flow_host.h"
#include "installer/engine/install_script.h"
#include "installer/engine/installation.h"
#include "installer/resources/resource.h"
#include "installer/system/system.h"
#include "installer/wizard/billboard_window_win32.h"
#include "installer/wizard/progress_dialog_win32.h"
#include "tests/installer/wizard/dialog_script_win32.h"
#include "tests/support/wine_fixture_win32.h"

using namespace installer;
using wizard_test::DialogScript;
using wizard_test::ItemText;
using wizard_test::WindowText;

namespace {

class BackupDialog : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(game_.ok() && backups_.ok());
        ASSERT_TRUE(installation_.folders.SetDestination(game_.path().c_str()));
        char temp[MAX_PATH] = {};
        ASSERT_TRUE(GetTempFolder(temp, sizeof temp));
        // The scratch folder lies in the temporary folder; backup names
        // are relative to that.
        ASSERT_EQ(backups_.path().compare(0, std::strlen(temp), temp), 0);
        backupsName_ = backups_.path().substr(std::strlen(temp));
        installation_.settings.Set(Setting::GameName, "Korvo");
        installation_.settings.Set(Setting::RequestSpaceBackup, "4096");
        ASSERT_TRUE(backdrop_.Create());
    }
    void TearDown() override {
        installation_.lists.Clear();
        installation_.settings.Clear();
    }

    // An installed file (when `bytes` is given) and its backup line; the copy
    // goes into a folder of its own below the scratch folder.
    void AddBackup(const std::string& name, const char* bytes) {
        if (bytes != nullptr) {
            ASSERT_TRUE(korvo::test::WriteWholeFile(game_ / name, bytes));
        }
        ApplyScriptLine(("backup_file " + name + " " + backupsName_ + "saved\\" + name).c_str(),
                        installation_.Target());
    }

    int Run(BackupMode mode, DialogScript& script) {
        wizard::BackupProgressDialog dialog(backdrop_, installation_, mode);
        script.Start();
        const int result = dialog.DoModal(backdrop_.Handle());
        EXPECT_TRUE(script.Finished());
        return result;
    }

    // The first page's checks: the corner of the backdrop, the texts, the
    // state of Cancel.
    void ExpectOpened(HWND dialog, const char* totalLabel, bool cancelEnabled) {
        RECT own, screen;
        GetWindowRect(dialog, &own);
        GetWindowRect(backdrop_.Handle(), &screen);
        EXPECT_EQ(own.left, screen.left);
        EXPECT_EQ(own.bottom, screen.bottom);
        EXPECT_EQ(WindowText(dialog), "Korvo Installation");
        EXPECT_EQ(ItemText(dialog, IDC_TOTAL_LABEL), totalLabel);
        EXPECT_EQ(ItemText(dialog, IDC_PROGRESS_CANCEL), "Cancel");
        EXPECT_EQ(IsWindowEnabled(GetDlgItem(dialog, IDC_PROGRESS_CANCEL)) != FALSE, cancelEnabled);
    }

    korvo::test::ScratchFolder game_;
    korvo::test::ScratchFolder backups_;
    std::string backupsName_;
    // The installation the code under test is handed.
    installer::Installation installation_;
    wizard::BillboardWindow backdrop_{installation_};
};

bool CopyingShown(HWND dialog) {
    return dialog != nullptr && !ItemText(dialog, IDC_FILE_LABEL).empty();
}

}  // namespace

TEST_F(BackupDialog, backs_up_into_the_temporary_folder_then_restores_without_a_cancel) {
    AddBackup("first.dat", "first, as installed");
    AddBackup("second.dat", "second");

    DialogScript backup;
    backup.OnPage([this](HWND dialog) { ExpectOpened(dialog, "Backup files", true); })
        .Then(CopyingShown)
        .Screenshot("backup")
        .OnPage([this](HWND dialog) { EXPECT_EQ(ItemText(dialog, IDC_FILE_LABEL), game_ / "first.dat"); });
    EXPECT_EQ(Run(BackupMode::Backup, backup), kResultNext);
    EXPECT_EQ(korvo::test::ReadWholeFile(backups_ / "saved\\first.dat"), "first, as installed");
    EXPECT_EQ(korvo::test::ReadWholeFile(backups_ / "saved\\second.dat"), "second");

    ASSERT_TRUE(korvo::test::WriteWholeFile(game_ / "first.dat", "patched"));
    ASSERT_TRUE(korvo::test::WriteWholeFile(game_ / "second.dat", "patched"));
    // Cancel and Esc reach a disabled button: nothing asks, the restore
    // runs to its end.
    DialogScript restore;
    restore.OnPage([this](HWND dialog) { ExpectOpened(dialog, "Restore files", false); })
        .Then(CopyingShown)
        .Screenshot("restore")
        .Click(IDC_PROGRESS_CANCEL)
        .Click(IDCANCEL);
    EXPECT_EQ(Run(BackupMode::Restore, restore), kResultNext);
    EXPECT_EQ(korvo::test::ReadWholeFile(game_ / "first.dat"), "first, as installed");
    EXPECT_EQ(korvo::test::ReadWholeFile(game_ / "second.dat"), "second");
}
