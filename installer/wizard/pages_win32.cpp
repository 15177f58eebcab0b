#include "installer/wizard/pages_win32.h"

#include <windows.h>

#include "common/path_builder.h"
#include "installer/engine/installer_folders.h"
#include "installer/engine/settings_table.h"
#include "installer/resources/resource.h"
#include "installer/records/registry_installation_win32.h"
#include "installer/records/registry_values_win32.h"
#include "installer/records/shortcuts_win32.h"

namespace installer::wizard {

namespace {

// The value the welcome page writes and deletes to prove write access.
constexpr char kTestValueName[] = "test";
constexpr char kTestValueData[] = "test";

}  // namespace

WelcomePage::WelcomePage(Installation& installation) : Page(IDD_WELCOME, installation) {}

bool WelcomePage::OnInitDialog() {
    const bool focus = Page::OnInitDialog();
    static constexpr ControlText kTexts[] = {
        {IDC_WELCOME_TITLE, IDS_WELCOME_TITLE},
        {IDC_PAGE_TEXT, IDS_WELCOME_TEXT},
    };
    SetUsualTexts();
    ApplyTexts(kTexts);
    return focus;
}

bool CanWriteGameKey(const Installation& installation) {
    const char* keyPath = installation.settings.Text(Setting::RegPath);
    if (!WriteRegistryValue(HKEY_LOCAL_MACHINE, keyPath, kTestValueName, kTestValueData)) return false;
    DeleteRegistryValue(HKEY_LOCAL_MACHINE, keyPath, kTestValueName);
    return true;
}

void CreateGameDesktopShortcut(const Installation& installation) {
    const char* destination = installation.folders.Destination();
    korvo::PathBuilder target(destination);
    target.Append(kGameProgram);
    if (!target.ok()) return;
    const char* name = installation.settings.Text(Setting::DesktopShortcutName);
    CreateDesktopShortcut(installation.settings, target.c_str(), name, destination, nullptr, 0, nullptr);
}

void WelcomePage::OnOK() {
    if (!CanWriteGameKey(installation_)) {
        Ask(Message(IDS_WARNING, IDS_REGISTRY_DENIED, Buttons::Ok));
        EndDialog(kResultRegistryDenied);
        return;
    }
    EndDialog(kResultNext);
}

LicencePage::LicencePage(Installation& installation) : Page(IDD_LICENCE, installation) {}

bool LicencePage::OnInitDialog() {
    const bool focus = Page::OnInitDialog();
    static constexpr ControlText kTexts[] = {
        {IDC_HEADER_LINE, IDS_BLANK},
        {kPageCaption, IDS_INSTALLATION_TITLE},
        {IDC_PAGE_CANCEL, IDS_CANCEL},
        {IDC_BACK, IDS_BACK},
        {IDC_LICENCE_QUESTION, IDS_LICENCE_QUESTION},
        {IDC_HEADER, IDS_LICENCE_HEADER},
    };
    ApplyTexts(kTexts);
    // A patch's licence is agreed to rather than passed.
    SetText(IDC_NEXT, installation_.settings.Bool(Setting::IsPatch) ? IDS_I_AGREE : IDS_NEXT);
    LoadArchiveText(Handle(), IDC_TEXT_VIEW, "license.txt");
    return FocusNext(focus);
}

void LicencePage::OnOK() {
    EndDialog(kResultNext);
}

TextPage::TextPage(Installation& installation, const char* entryName)
    : Page(IDD_TEXT, installation), entryName_(entryName) {}

bool TextPage::OnInitDialog() {
    const bool focus = Page::OnInitDialog();
    // Nothing of its own: the usual buttons and caption.
    SetUsualTexts();
    LoadArchiveText(Handle(), IDC_TEXT_VIEW, entryName_);
    return FocusNext(focus);
}

void TextPage::OnOK() {
    EndDialog(kResultNext);
}

OptionsPage::OptionsPage(Installation& installation) : Page(IDD_OPTIONS, installation) {}

void OptionsPage::DoDataExchange(ui::DataExchange& exchange) {
    exchange.Bind(IDC_DESKTOP_SHORTCUT, desktopShortcut_);
    exchange.Bind(IDC_INSTALL_DIRECTX, directX_);
}

bool OptionsPage::OnInitDialog() {
    const bool focus = Page::OnInitDialog();
    static constexpr ControlText kTexts[] = {
        {IDC_HEADER, IDS_OPTIONS_HEADER},
        {IDC_DESKTOP_SHORTCUT, IDS_DESKTOP_SHORTCUT},
        {IDC_INSTALL_DIRECTX, IDS_INSTALL_DIRECTX},
        {IDC_HEADER_LINE, IDS_OPTIONS_TEXT},
    };
    SetUsualTexts();
    ApplyTexts(kTexts);
    desktopShortcut_.SetChecked(true);
    directX_.SetChecked(false);
    return focus;
}

void OptionsPage::OnOK() {
    UpdateData(true);
    if (desktopShortcut_.Checked()) CreateGameDesktopShortcut(installation_);
    installDirectX_ = directX_.Checked();
    EndDialog(kResultNext);
}

FinishPage::FinishPage(Installation& installation) : Page(IDD_FINISH, installation) {}

bool FinishPage::OnInitDialog() {
    const bool focus = Page::OnInitDialog();
    static constexpr ControlText kTexts[] = {{IDC_NEXT, IDS_FINISH}};
    ApplyTexts(kTexts);
    struct Texts {
        int32_t mode;
        int body;
        int heading;
        int caption;
    };
    static constexpr Texts kByMode[] = {
        {kFinishAborted, IDS_NOT_MODIFIED, IDS_INSTALL_ABORTED, IDS_INSTALLATION_TITLE},
        {kFinishInstalled, IDS_ENJOY, IDS_INSTALLED, IDS_INSTALLATION_TITLE},
        {kFinishUninstalled, IDS_UNINSTALLED, IDS_BLANK_HEADING, IDS_UNINSTALLATION_TITLE},
        {kFinishRegistryDenied, IDS_NOT_MODIFIED, IDS_REGISTRY_DENIED_HEADING, IDS_INSTALLATION_TITLE},
        {kFinishNotRestored, IDS_NOT_RESTORED, IDS_INSTALL_ABORTED, IDS_INSTALLATION_TITLE},
    };
    // Any other mode keeps the template's texts.
    for (const Texts& texts : kByMode) {
        if (texts.mode != finishMode_) continue;
        SetText(IDC_HEADER, texts.body);
        SetText(IDC_FINISH_HEADING, texts.heading);
        SetCaption(texts.caption);
    }
    return focus;
}

void FinishPage::OnOK() {
    EndDialog(kResultNext);
}

void FinishPage::OnCancel() {
    // No exit confirmation here: Esc simply closes the page.
    EndDialog(kResultEscape);
}

}  // namespace installer::wizard
