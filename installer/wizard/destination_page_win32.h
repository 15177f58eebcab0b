// Template 10201: the destination folder, with Browse and the checks on Next.
#ifndef INSTALLER_WIZARD_DESTINATION_PAGE_WIN32_H
#define INSTALLER_WIZARD_DESTINATION_PAGE_WIN32_H

#include <cstdint>
#include <functional>
#include <string>

#include "installer/wizard/page_win32.h"

namespace installer::wizard {

// Shows (or, without a person, answers) a message box.
using TellFunction = std::function<Answer(const Message&)>;

// The checks of the destination page's Next on the folder `text`, in their
// order (see DestinationPage); creates the folder and its "savegame" folder
// and returns true, or tells the reason through `tell` and returns false.
// Once the drive checks have passed, `setupType` is set to full.
bool AcceptDestinationFolder(Installation& installation, const std::string& text, int32_t& setupType,
                             const TellFunction& tell);

// Setup type: every install of this kit runs full.
inline constexpr int32_t kSetupFull = 0;
inline constexpr int32_t kSetupCompact = 1;

// Shows the destination folder in edit 1005. Browse picks a folder and adds
// the setting `game_name` to it. Next takes the edit's text as the
// destination folder and stays on the page, with a message, when the text
// does not fit the folder's 511 characters or the folder cannot be created
// (75), the drive is not a fixed drive (90), the text is not a folder below
// the drive's root (104: the root alone, or a ".." or device name in it), or
// the drive has no more room than `request_space_full` (67); otherwise it creates the folder and its
// "savegame" folder, sets the setup type to full and ends with kResultNext.
class DestinationPage final : public Page {
public:
    // `setupType` is the installer's setup type, which Next sets to full.
    DestinationPage(Installation& installation, int32_t& setupType);

private:
    bool OnInitDialog() override;
    void DoDataExchange(ui::DataExchange& exchange) override;
    bool OnCommand(int id, int code) override;
    void OnOK() override;

    void Browse();

    int32_t& setupType_;
    ui::Edit folder_;
};

}  // namespace installer::wizard

#endif  // INSTALLER_WIZARD_DESTINATION_PAGE_WIN32_H
