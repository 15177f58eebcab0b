// The wizard's pages shown modally as the installer shows them, driven from
// a thread timer: their texts, checks and results. Each page leaves a
// screenshot in screenshots/dpi<N>/ of the test folder.
#include <windows.h>
#include <shlobj.h>

#include <string>

#include <gmock/gmock.h>

#include "installer/engine/flow_host.h"
#include "installer/engine/installer_folders.h"
#include "installer/engine/settings_table.h"
#include "installer/resources/resource.h"
#include "installer/system/system.h"
#include "installer/wizard/destination_page_win32.h"
#include "installer/wizard/pages_win32.h"
#include "tests/installer/wizard/dialog_script_win32.h"
#include "tests/installer/records/records_test_support_win32.h"
#include "tests/support/wine_fixture_win32.h"

using namespace installer;
using namespace records_test;
using wizard_test::DialogScript;
using wizard_test::ItemText;
using wizard_test::WindowText;

namespace {

constexpr char kExitQuestion[] =
    "Setup is not complete. If you quit the setup program now, the features you requested to add/remove "
    "will not be installed/uninstalled.\n\nYou can run the setup program at a later time to complete the "
    "operations.\n\nAre you sure you want to quit the setup?";

// The names the texts take, and a current folder of the test's own for the
// plain files that stand in for archive entries.
class Pages : public GameInstall {
protected:
    void SetUp() override {
        GameInstall::SetUp();
        installation_.settings.Set(Setting::GameName, "Korvo");
        installation_.settings.Set(Setting::UGameName, "KORVO");
        GetCurrentDirectoryA(MAX_PATH, previousFolder_);
        SetCurrentDirectoryA(root_.c_str());
    }
    void TearDown() override {
        SetCurrentDirectoryA(previousFolder_);
        GameInstall::TearDown();
    }

    void PutFile(const std::string& name, const std::string& bytes) {
        ASSERT_TRUE(korvo::test::WriteWholeFile(root_ + "\\" + name, bytes));
    }

    // Runs `script` while `page` is shown; the page's result.
    static int Show(ui::Dialog& page, DialogScript& script) {
        script.Start();
        const int result = page.DoModal(nullptr);
        EXPECT_TRUE(script.Finished());
        return result;
    }

    char previousFolder_[MAX_PATH] = {};
};

void SetItem(HWND page, int id, const std::string& text) {
    SetDlgItemTextA(page, id, text.c_str());
}

}  // namespace

TEST_F(Pages, welcome_shows_the_names_and_next_proves_write_access_and_leaves_no_trace) {
    wizard::WelcomePage page(installation_);
    DialogScript script;
    script.Screenshot("welcome")
        .OnPage([](HWND page) {
            EXPECT_EQ(WindowText(page), "Korvo Installation");
            EXPECT_EQ(ItemText(page, IDC_WELCOME_TITLE), "Welcome to the Korvo Install");
            EXPECT_EQ(ItemText(page, IDC_PAGE_TEXT),
                      "This will install the Korvo on your computer. \nTo continue click Next");
            EXPECT_EQ(ItemText(page, IDC_NEXT), "&Next >");
            EXPECT_FALSE(IsWindowEnabled(GetDlgItem(page, IDC_BACK)));
        })
        .Click(IDC_NEXT);
    EXPECT_EQ(Show(page, script), kResultNext);
    EXPECT_TRUE(KeyExists(gameKey_));
    EXPECT_FALSE(ValueExists(gameKey_, "test"));
}

TEST_F(Pages, welcome_without_write_access_shows_92_and_reports_access_denied) {
    // No lasting key can be made below a volatile one.
    HKEY parent = nullptr;
    ASSERT_EQ(RegCreateKeyExA(HKEY_LOCAL_MACHINE, gameKey_.c_str(), 0, nullptr, REG_OPTION_VOLATILE,
                              KEY_ALL_ACCESS, nullptr, &parent, nullptr),
              ERROR_SUCCESS);
    RegCloseKey(parent);
    installation_.settings.Set(Setting::RegPath, (gameKey_ + "\\Game").c_str());

    wizard::WelcomePage page(installation_);
    DialogScript script;
    std::string caption, text;
    script.Click(IDC_NEXT).Answer(IDOK, &caption, &text);
    EXPECT_EQ(Show(page, script), kResultRegistryDenied);
    EXPECT_EQ(caption, "Warning");
    EXPECT_EQ(text,
              "Acces denied for writing to registry. Log as administrator or user with rights to write to "
              "registry.");
}

TEST_F(Pages, cancel_asks_first_and_cancel_in_the_box_keeps_the_page) {
    wizard::WelcomePage welcome(installation_);
    wizard::LicencePage licence(installation_);
    wizard::TextPage notes(installation_, "patch.txt");
    int32_t setupType = wizard::kSetupCompact;
    wizard::DestinationPage destination(installation_, setupType);
    wizard::OptionsPage options(installation_);
    ui::Dialog* pages[] = {&welcome, &licence, &notes, &destination, &options};
    for (ui::Dialog* page : pages) {
        SCOPED_TRACE(page->TemplateId());
        DialogScript script;
        std::string caption, text;
        // Button 9 asks; Cancel in the box keeps the page; then Esc asks
        // again and OK ends the page.
        script.Click(IDC_PAGE_CANCEL)
            .Answer(IDCANCEL, &caption, &text)
            .OnPage([page](HWND window) { EXPECT_EQ(window, page->Handle()); })
            .Click(IDCANCEL)
            .Answer(IDOK);
        EXPECT_EQ(Show(*page, script), kResultCancelled);
        EXPECT_EQ(caption, "Exit Setup");
        EXPECT_EQ(text, kExitQuestion);
    }
    EXPECT_EQ(setupType, wizard::kSetupCompact);
}

TEST_F(Pages, licence_shows_the_archive_text_with_line_breaks_and_agree_only_for_a_patch) {
    PutFile("license.txt", "First line\nSecond line\r\nThird");
    wizard::LicencePage page(installation_);
    for (const char* patch : {"false", "true"}) {
        installation_.settings.Set(Setting::IsPatch, patch);
        DialogScript script;
        std::string next;
        script.Screenshot(std::string("licence-patch-") + patch)
            .OnPage([&next](HWND page) {
                next = ItemText(page, IDC_NEXT);
                EXPECT_EQ(ItemText(page, IDC_TEXT_VIEW), "First line\r\nSecond line\r\nThird");
                EXPECT_EQ(ItemText(page, IDC_HEADER),
                          "\n   Korvo Information \n\n     Please read the following License Agreement "
                          "carefully.");
                EXPECT_EQ(ItemText(page, IDC_LICENCE_QUESTION).substr(0, 47),
                          "Do you accept all of the terms of the preceding");
            })
            .Click(IDC_BACK);
        EXPECT_EQ(Show(page, script), kResultBack);
        EXPECT_EQ(next, std::string(patch) == "true" ? "I Agree" : "&Next >");
    }
}

TEST_F(Pages, text_page_shows_its_entry_or_stays_empty_without_it) {
    wizard::TextPage page(installation_, "patch.txt");
    for (const bool present : {false, true}) {
        if (present) PutFile("patch.txt", "Fixed the river.\n");
        DialogScript script;
        script
            .OnPage([present](HWND page) {
                EXPECT_EQ(ItemText(page, IDC_TEXT_VIEW), present ? "Fixed the river.\r\n" : "");
                EXPECT_EQ(WindowText(page), "Korvo Installation");
            })
            .Screenshot(present ? "text" : "text-empty")
            .Click(IDC_NEXT);
        EXPECT_EQ(Show(page, script), kResultNext);
    }
}

TEST_F(Pages, destination_next_creates_the_folder_with_its_savegame_folder_and_chooses_full) {
    int32_t setupType = wizard::kSetupCompact;
    wizard::DestinationPage page(installation_, setupType);
    const std::string chosen = root_ + "\\Chosen\\Korvo";
    DialogScript script;
    script.Screenshot("destination")
        .OnPage([&](HWND page) {
            EXPECT_EQ(ItemText(page, IDC_DESTINATION_EDIT), destination_);
            EXPECT_EQ(ItemText(page, IDC_DESTINATION_GROUP), "Destination Location");
            EXPECT_EQ(ItemText(page, IDC_BROWSE), "Browse");
            SetItem(page, IDC_DESTINATION_EDIT, chosen);
        })
        .Click(IDC_NEXT);
    EXPECT_EQ(Show(page, script), kResultNext);
    EXPECT_EQ(std::string(installation_.folders.Destination()), chosen + "\\");
    EXPECT_TRUE(PathExists(chosen + "\\savegame"));
    EXPECT_EQ(setupType, wizard::kSetupFull);
}

TEST_F(Pages, destination_refuses_what_it_cannot_use_and_stays_with_the_entry) {
    int32_t setupType = wizard::kSetupCompact;
    wizard::DestinationPage page(installation_, setupType);
    // Longer than a folder may be (511 characters with the backslash): never
    // cut, refused whole.
    const std::string tooLong = root_ + "\\" + std::string(600, 'x');
    const char* const kDriveRoot =
        "Incorrect destination folder chosen. Choose a folder on the drive, not the drive itself!";
    struct Case {
        std::string entry;
        const char* message;
    } cases[] = {
        {tooLong, "Creating the path failed!"},
        {"Q:\\Games\\Korvo", "Incorrect destination drive chosen.Choose the fixed drive!"},
        {"", "Incorrect destination drive chosen.Choose the fixed drive!"},
        {"Games\\Korvo", "Incorrect destination drive chosen.Choose the fixed drive!"},
        {"C:", kDriveRoot},
        {"C:\\", kDriveRoot},
        {"C:\\Games\\..", kDriveRoot},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.entry.substr(0, 40));
        ASSERT_TRUE(installation_.folders.SetDestination(destination_.c_str()));
        DialogScript script;
        std::string text;
        script.OnPage([&](HWND page) { SetItem(page, IDC_DESTINATION_EDIT, c.entry); })
            .Click(IDC_NEXT)
            .Answer(IDOK, nullptr, &text)
            .OnPage([&](HWND page) { EXPECT_EQ(ItemText(page, IDC_DESTINATION_EDIT), c.entry); })
            .Click(IDC_PAGE_CANCEL)
            .Answer(IDOK);
        EXPECT_EQ(Show(page, script), kResultCancelled);
        EXPECT_EQ(text, c.message);
        // A text that fits becomes the destination folder before the checks.
        if (c.entry == tooLong) {
            EXPECT_EQ(std::string(installation_.folders.Destination()), destination_);
        }
    }
    EXPECT_FALSE(PathExists(tooLong));
    EXPECT_FALSE(PathExists("C:\\savegame"));
    EXPECT_EQ(setupType, wizard::kSetupCompact);
}

TEST_F(Pages, destination_without_room_names_both_sizes_and_creates_nothing) {
    installation_.settings.Set(Setting::RequestSpaceFull, "9000000000000000000");
    int32_t setupType = wizard::kSetupCompact;
    wizard::DestinationPage page(installation_, setupType);
    DialogScript script;
    std::string caption, text;
    script.Click(IDC_NEXT).Answer(IDOK, &caption, &text).Screenshot("destination-no-room").Click(IDC_BACK);
    EXPECT_EQ(Show(page, script), kResultBack);

    char required[kByteSizeTextSize];
    FormatByteSize(9000000000000000000ull, required, sizeof required);
    EXPECT_EQ(caption, "Warning");
    // The free space moves while other tests write; its unit is enough here.
    const std::string expected = std::string(
                                     "There is not enough disk space to install Korvo. Please free up "
                                     "some disk space or modify your selection.\nRequired ") +
                                 required + "\nAvailable ";
    EXPECT_EQ(text.substr(0, expected.size()), expected);
    EXPECT_THAT(text.substr(expected.size()), ::testing::MatchesRegex("\\d+\\.\\d\\d .B"));
    EXPECT_FALSE(PathExists(destination_));
    // The drive check came first and passed: the setup type is full.
    EXPECT_EQ(setupType, wizard::kSetupFull);
}

TEST_F(Pages, destination_browse_opens_the_folder_picker_and_its_cancel_changes_nothing) {
    int32_t setupType = wizard::kSetupCompact;
    wizard::DestinationPage page(installation_, setupType);
    DialogScript script;
    std::string title, edit;
    script.Click(IDC_BROWSE)
        .Then([&title](HWND picker) {
            // The folder picker: a dialog over the page with a tree of folders.
            if (picker == nullptr || FindWindowExA(picker, nullptr, "SysTreeView32", nullptr) == nullptr)
                return false;
            for (HWND child = GetWindow(picker, GW_CHILD); child != nullptr;
                 child = GetWindow(child, GW_HWNDNEXT))
                if (WindowText(child) == "Choose Folder") title = WindowText(child);
            return true;
        })
        .Screenshot("destination-browse")
        .Then([](HWND picker) {
            PostMessageA(picker, WM_COMMAND, IDCANCEL, 0);
            return true;
        })
        .OnPage([&edit](HWND page) { edit = ItemText(page, IDC_DESTINATION_EDIT); })
        .Click(IDC_BACK);
    EXPECT_EQ(Show(page, script), kResultBack);
    EXPECT_EQ(title, "Choose Folder");
    EXPECT_EQ(edit, destination_);
    EXPECT_EQ(std::string(installation_.folders.Destination()), destination_);
}

TEST_F(Pages, options_make_the_desktop_link_when_ticked_and_keep_the_directx_choice) {
    wizard::OptionsPage page(installation_);
    const std::string link = desktop_ + desktopLink_;
    {
        DialogScript script;
        script.Screenshot("options")
            .OnPage([](HWND page) {
                EXPECT_EQ(ItemText(page, IDC_DESKTOP_SHORTCUT), "Add shortcut to the desktop.");
                EXPECT_EQ(ItemText(page, IDC_INSTALL_DIRECTX), "Install Microsoft DirectX 8.1");
                EXPECT_EQ(IsDlgButtonChecked(page, IDC_DESKTOP_SHORTCUT), BST_CHECKED);
                EXPECT_EQ(IsDlgButtonChecked(page, IDC_INSTALL_DIRECTX), BST_UNCHECKED);
                EXPECT_FALSE(IsWindowEnabled(GetDlgItem(page, IDC_BACK)));
                CheckDlgButton(page, IDC_INSTALL_DIRECTX, BST_CHECKED);
            })
            .Click(IDC_NEXT);
        EXPECT_EQ(Show(page, script), kResultNext);
        EXPECT_TRUE(page.InstallDirectX());
        const LinkProperties made = ReadLink(link);
        EXPECT_EQ(made.target, destination_ + "Game.exe");
        EXPECT_EQ(made.workingFolder, destination_);
    }
    DeleteFileA(link.c_str());
    {
        // Shown again: the boxes start afresh; unticked, no link is made.
        DialogScript script;
        script
            .OnPage([](HWND page) {
                EXPECT_EQ(IsDlgButtonChecked(page, IDC_INSTALL_DIRECTX), BST_UNCHECKED);
                CheckDlgButton(page, IDC_DESKTOP_SHORTCUT, BST_UNCHECKED);
            })
            .Click(IDC_NEXT);
        EXPECT_EQ(Show(page, script), kResultNext);
        EXPECT_FALSE(page.InstallDirectX());
        EXPECT_FALSE(PathExists(link));
    }
}

TEST_F(Pages, finish_shows_the_texts_of_its_mode_and_esc_ends_with_2) {
    struct Case {
        int32_t mode;
        const char* name;
        const char* heading;
        const char* body;
        const char* caption;
    } cases[] = {
        {kFinishAborted, "finish-aborted", "Installation aborted!",
         "The system has not been modified. To install Korvo at a later time, run the installation "
         "again.\n\n\nClick Finish to exit setup.",
         "Korvo Installation"},
        {kFinishInstalled, "finish-installed", "Korvo was installed successfully", "Enjoy",
         "Korvo Installation"},
        {kFinishUninstalled, "finish-uninstalled", " ", "KORVO was uninstalled successfully.",
         "KORVO UnInstallation"},
        {kFinishRegistryDenied, "finish-denied",
         "Acces denied for writing to registry. Log as administrator or user with rights to write to "
         "registry. ",
         "The system has not been modified. To install Korvo at a later time, run the installation "
         "again.\n\n\nClick Finish to exit setup.",
         "Korvo Installation"},
        {7, "finish-other", "", "", "Setup"},
    };
    wizard::FinishPage page(installation_);
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        page.SetFinishMode(c.mode);
        DialogScript script;
        script.Screenshot(c.name)
            .OnPage([&c](HWND page) {
                EXPECT_EQ(ItemText(page, IDC_FINISH_HEADING), c.heading);
                EXPECT_EQ(ItemText(page, IDC_HEADER), c.body);
                EXPECT_EQ(WindowText(page), c.caption);
                EXPECT_EQ(ItemText(page, IDC_NEXT), "Finish");
                EXPECT_FALSE(IsWindowEnabled(GetDlgItem(page, IDC_BACK)));
                EXPECT_FALSE(IsWindowEnabled(GetDlgItem(page, IDC_PAGE_CANCEL)));
            })
            .Click(c.mode == kFinishInstalled ? IDC_NEXT : IDCANCEL);
        EXPECT_EQ(Show(page, script), c.mode == kFinishInstalled ? kResultNext : kResultEscape);
    }
}
