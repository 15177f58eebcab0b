// The copy dialog (template 130) over the backdrop, copying real files as
// the installer does: its place, texts and bars, the end of the list, the
// retry box of a file that cannot be read, and a confirmed Cancel.
#include <windows.h>

#include <gtest/gtest.h>

#include <string>

#include "installer/engine/flow_host.h"
#include "installer/engine/install_script.h"
#include "installer/engine/installation.h"
#include "installer/resources/resource.h"
#include "installer/wizard/billboard_window_win32.h"
#include "installer/wizard/progress_dialog_win32.h"
#include "tests/installer/wizard/dialog_script_win32.h"
#include "tests/support/wine_fixture_win32.h"

using namespace installer;
using wizard_test::DialogScript;
using wizard_test::ItemText;
using wizard_test::WindowText;

namespace {

class CopyDialog : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(source_.ok() && destination_.ok());
        ASSERT_TRUE(installation_.folders.SetSource(source_.path().c_str()));
        ASSERT_TRUE(installation_.folders.SetDestination(destination_.path().c_str()));
        installation_.settings.Set(Setting::GameName, "Korvo");
        installation_.settings.Set(Setting::RequestSpaceFull, "4096");
        ASSERT_TRUE(backdrop_.Create());
    }
    void TearDown() override {
        installation_.lists.Clear();
        installation_.settings.Clear();
    }

    void AddFile(const std::string& name, const std::string& bytes) {
        if (!bytes.empty()) {
            ASSERT_TRUE(korvo::test::WriteWholeFile(source_ / name, bytes));
        }
        ApplyScriptLine(("add_file " + name + " " + name + " 1 0").c_str(), installation_.Target());
    }

    int Run(DialogScript& script) {
        wizard::CopyProgressDialog dialog(backdrop_, installation_);
        script.Start();
        const int result = dialog.DoModal(backdrop_.Handle());
        EXPECT_TRUE(script.Finished());
        return result;
    }

    korvo::test::ScratchFolder source_;
    korvo::test::ScratchFolder destination_;
    // The installation the code under test is handed.
    installer::Installation installation_;
    wizard::BillboardWindow backdrop_{installation_};
};

}  // namespace

TEST_F(CopyDialog, copies_the_list_from_the_backdrop_corner_and_ends_with_next) {
    AddFile("first.dat", std::string(3000, 'a'));
    AddFile("second.dat", "bb");
    DialogScript script;
    script
        .OnPage([this](HWND dialog) {
            RECT own, screen;
            GetWindowRect(dialog, &own);
            GetWindowRect(backdrop_.Handle(), &screen);
            EXPECT_EQ(own.left, screen.left);
            EXPECT_EQ(own.bottom, screen.bottom);
            EXPECT_EQ(WindowText(dialog), "Korvo Installation");
            EXPECT_EQ(ItemText(dialog, IDC_TOTAL_LABEL), "Total Progress");
            EXPECT_EQ(ItemText(dialog, IDC_PROGRESS_CANCEL), "Cancel");
        })
        .Then([](HWND dialog) { return dialog != nullptr && !ItemText(dialog, IDC_FILE_LABEL).empty(); })
        .Screenshot("copy")
        .OnPage([this](HWND dialog) {
            EXPECT_EQ(ItemText(dialog, IDC_FILE_LABEL),
                      source_ / "first.dat" + " -> " + destination_ / "first.dat");
        });
    EXPECT_EQ(Run(script), kResultNext);
    EXPECT_EQ(korvo::test::ReadWholeFile(destination_ / "first.dat"), std::string(3000, 'a'));
    EXPECT_EQ(korvo::test::ReadWholeFile(destination_ / "second.dat"), "bb");
}

TEST_F(CopyDialog, an_unreadable_file_asks_91_and_cancel_there_quits_after_confirmation) {
    AddFile("missing.dat", "");
    DialogScript script;
    std::string caption, text, quitCaption;
    script
        .Answer(IDOK, &caption, &text)  // retry: the same box again
        .Answer(IDCANCEL)
        .Answer(IDCANCEL, &quitCaption)  // the quit confirmation; Cancel tries again
        .Answer(IDCANCEL)
        .Answer(IDOK);
    EXPECT_EQ(Run(script), kResultCancelled);
    EXPECT_EQ(caption, "Warning");
    EXPECT_EQ(text, "Can not read file missing.dat from CD 1. File maybe corrupt or wrong CD is inserted.");
    EXPECT_EQ(quitCaption, "Exit Setup");
}

TEST_F(CopyDialog, a_confirmed_cancel_disables_the_button_and_ends_with_9) {
    // Large enough to be copying when the Cancel comes.
    AddFile("big.dat", std::string(8 * 1024 * 1024, 'c'));
    AddFile("after.dat", "never");
    DialogScript script;
    script.Click(IDC_PROGRESS_CANCEL)
        .Answer(IDCANCEL)  // the confirmation's Cancel keeps copying
        .OnPage([](HWND dialog) { EXPECT_TRUE(IsWindowEnabled(GetDlgItem(dialog, IDC_PROGRESS_CANCEL))); })
        .Click(IDC_PROGRESS_CANCEL)
        .Answer(IDOK)
        .OnPage([](HWND dialog) { EXPECT_FALSE(IsWindowEnabled(GetDlgItem(dialog, IDC_PROGRESS_CANCEL))); });
    EXPECT_EQ(Run(script), kResultCancelled);
    EXPECT_FALSE(korvo::test::FileExists(destination_ / "after.dat"));
}
