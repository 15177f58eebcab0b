// The wizard's pages, each a modal dialog over the backdrop, bound to its
// template by number (destination_page_win32.h holds the destination page).
// Each showing runs OnInitDialog again, so texts and initial states are set
// afresh; result fields keep the value of the last Next.
#ifndef INSTALLER_WIZARD_PAGES_WIN32_H
#define INSTALLER_WIZARD_PAGES_WIN32_H

#include <cstdint>

#include "installer/engine/flow_host.h"
#include "installer/wizard/page_win32.h"

namespace installer::wizard {

// Template 10205: the greeting. Next proves that the game's registry key
// can be written: it writes and deletes the value "test" under
// HKLM\`reg_path` and ends with kResultNext, or shows string 92 and ends
// with kResultRegistryDenied when the write fails. A confirmed Cancel ends
// with kResultCancelled.
// The welcome page's test of write access: writes and deletes a value
// under HKLM\`reg_path`; false when the write fails.
bool CanWriteGameKey(const Installation& installation);
// The options page's desktop shortcut to the destination folder's Game.exe;
// a shortcut that cannot be made never stops the installation.
void CreateGameDesktopShortcut(const Installation& installation);

class WelcomePage final : public Page {
public:
    explicit WelcomePage(Installation& installation);

private:
    bool OnInitDialog() override;
    void OnOK() override;
};

// Template 12029: the licence "license.txt" from the installer's archive.
// Its accept button reads "I Agree" when `is_patch` is true.
class LicencePage final : public Page {
public:
    explicit LicencePage(Installation& installation);

private:
    bool OnInitDialog() override;
    void OnOK() override;
};

// Template 12063: a read-only text from the installer's archive (the patch
// notes "patch.txt").
class TextPage final : public Page {
public:
    TextPage(Installation& installation, const char* entryName);

private:
    bool OnInitDialog() override;
    void OnOK() override;
    const char* entryName_;
};

// Template 12062: the desktop shortcut (ticked at first) and DirectX (clear
// at first). Next with the shortcut box ticked creates the desktop shortcut
// to the destination folder's Game.exe at once.
class OptionsPage final : public Page {
public:
    explicit OptionsPage(Installation& installation);
    // Whether the DirectX box was ticked at the last Next.
    bool InstallDirectX() const { return installDirectX_; }

private:
    bool OnInitDialog() override;
    void DoDataExchange(ui::DataExchange& exchange) override;
    void OnOK() override;

    ui::CheckBox desktopShortcut_;
    ui::CheckBox directX_;
    bool installDirectX_ = false;
};

// Template 12060: the closing texts for the finish mode the flow sets
// before showing it. Finish ends with kResultNext, Esc with kResultEscape.
class FinishPage final : public Page {
public:
    explicit FinishPage(Installation& installation);
    void SetFinishMode(int32_t mode) { finishMode_ = mode; }

private:
    bool OnInitDialog() override;
    void OnOK() override;
    void OnCancel() override;
    bool HasHeaderStrip() const override { return false; }

    int32_t finishMode_ = kFinishAborted;
};

}  // namespace installer::wizard

#endif  // INSTALLER_WIZARD_PAGES_WIN32_H
