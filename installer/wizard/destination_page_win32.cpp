#include "installer/wizard/destination_page_win32.h"

#include <windows.h>
#include <objbase.h>
#include <shlobj.h>

#include <algorithm>
#include <cstring>
#include <string>

#include "common/com_ptr_win32.h"
#include "common/path_builder.h"
#include "installer/engine/flow_host.h"
#include "installer/engine/installer_folders.h"
#include "installer/engine/path_rules.h"
#include "installer/engine/settings_table.h"
#include "installer/resources/resource.h"
#include "installer/system/install_log.h"
#include "installer/system/system.h"
#include "installer/records/uninstaller_win32.h"
#include "installer/wizard/texts_win32.h"

namespace installer::wizard {

namespace {

// Length of a drive root such as "C:\".
constexpr size_t kDriveRootLength = 3;

// The folder text without its trailing backslashes (as the edit shows it and
// the folder picker selects it).
std::string WithoutTrailingBackslash(const char* folder) {
    std::string text(folder);
    while (!text.empty() && text.back() == '\\') text.pop_back();
    return text;
}

// The picker's callback: selects the current folder when it opens, and shows
// the selected folder's path as the status text.
int CALLBACK BrowseCallback(HWND picker, UINT message, LPARAM parameter, LPARAM data) {
    if (message == BFFM_INITIALIZED) {
        SendMessageA(picker, BFFM_SETSELECTIONA, TRUE, data);
    } else if (message == BFFM_SELCHANGED) {
        char path[MAX_PATH] = {};
        if (SHGetPathFromIDListA(reinterpret_cast<LPCITEMIDLIST>(parameter), path))
            SendMessageA(picker, BFFM_SETSTATUSTEXTA, 0, reinterpret_cast<LPARAM>(path));
    }
    return 0;
}

bool IsFixedDrive(const char* root) {
    return std::strlen(root) == kDriveRootLength && GetDriveTypeA(root) == DRIVE_FIXED;
}

}  // namespace

DestinationPage::DestinationPage(Installation& installation, int32_t& setupType)
    : Page(IDD_DESTINATION, installation), setupType_(setupType) {}

void DestinationPage::DoDataExchange(ui::DataExchange& exchange) {
    exchange.Bind(IDC_DESTINATION_EDIT, folder_);
}

bool DestinationPage::OnInitDialog() {
    const bool focus = Page::OnInitDialog();
    static constexpr ControlText kTexts[] = {
        {IDC_BROWSE, IDS_BROWSE},
        {IDC_HEADER, IDS_DESTINATION_HEADER},
        {IDC_PAGE_TEXT, IDS_DESTINATION_TEXT},
        {IDC_DESTINATION_GROUP, IDS_DESTINATION_GROUP},
    };
    SetUsualTexts();
    ApplyTexts(kTexts);
    folder_.SetText(installation_.folders.Destination());
    return focus;
}

bool DestinationPage::OnCommand(int id, int code) {
    if (id == IDC_BROWSE && code == BN_CLICKED) {
        Browse();
        return true;
    }
    // Changes of the edit need nothing: Next reads it.
    return Page::OnCommand(id, code);
}

void DestinationPage::Browse() {
    korvo::ComPtr<IMalloc> allocator;
    if (FAILED(SHGetMalloc(reinterpret_cast<IMalloc**>(allocator.Receive()))) || !allocator) return;

    ui::Text title;
    const bool hasTitle = LoadText(IDS_CHOOSE_FOLDER, title, installation_.settings);
    const std::string current = WithoutTrailingBackslash(installation_.folders.Destination());
    char displayName[MAX_PATH] = {};
    BROWSEINFOA browse = {};
    // Owned by the page, so the page waits while the picker is open.
    browse.hwndOwner = Handle();
    browse.pszDisplayName = displayName;
    browse.lpszTitle = hasTitle ? title : nullptr;
    browse.ulFlags = BIF_RETURNONLYFSDIRS | BIF_STATUSTEXT;
    browse.lpfn = BrowseCallback;
    browse.lParam = reinterpret_cast<LPARAM>(current.c_str());
    LPITEMIDLIST chosen = SHBrowseForFolderA(&browse);
    if (chosen == nullptr) return;

    char path[MAX_PATH] = {};
    const bool hasPath = SHGetPathFromIDListA(chosen, path) != FALSE;
    allocator->Free(chosen);
    if (!hasPath) return;

    korvo::PathBuilder folder(path);
    folder.EnsureBackslash().Append(installation_.settings.Text(Setting::GameName));
    if (!folder.ok() || !installation_.folders.SetDestination(folder.c_str())) {
        Ask(Message(IDS_WARNING, IDS_PATH_FAILED, Buttons::Ok));
        return;
    }
    folder_.SetText(WithoutTrailingBackslash(installation_.folders.Destination()).c_str());
}

bool AcceptDestinationFolder(Installation& installation, const std::string& text, int32_t& setupType,
                             const TellFunction& tell) {
    const auto warn = [&tell](int textId) { tell(Message(IDS_WARNING, textId, Buttons::Ok)); };
    // A text longer than the folder's limit is refused whole, never cut.
    if (!installation.folders.SetDestination(text.c_str())) {
        warn(IDS_PATH_FAILED);
        return false;
    }
    const char* destination = installation.folders.Destination();
    // The drive root: the folder's first three characters (such as "C:\").
    char root[kDriveRootLength + 1] = {};
    std::memcpy(root, destination, std::min(std::strlen(destination), kDriveRootLength));
    if (!IsFixedDrive(root)) {
        warn(IDS_NOT_FIXED_DRIVE);
        return false;
    }
    // The game gets a folder of its own: its files never land in a drive's
    // root beside the system's.
    if (!IsFolderBelowDriveRoot(destination)) {
        warn(IDS_DRIVE_ROOT);
        return false;
    }
    setupType = kSetupFull;

    const int64_t request = installation.settings.Int64(Setting::RequestSpaceFull);
    const uint64_t required = request > 0 ? static_cast<uint64_t>(request) : 0;
    uint64_t available = 0;
    if (!HasFreeSpace(root, required, &available)) {
        char requiredText[kByteSizeTextSize];
        char availableText[kByteSizeTextSize];
        FormatByteSize(required, requiredText, sizeof requiredText);
        FormatByteSize(available, availableText, sizeof availableText);
        tell(Message(IDS_WARNING, IDS_NO_DISK_SPACE, Buttons::Ok).Arg(requiredText).Arg(availableText));
        return false;
    }

    korvo::PathBuilder saveGames(destination);
    saveGames.Append(kSaveGameFolder);
    if (!CreatePath(destination) || !saveGames.ok() || !CreatePath(saveGames.c_str())) {
        LogLine(LogKind::Failure, "cannot make the folder %s: %s", destination,
                SystemReason(LastSystemError()).c_str());
        warn(IDS_PATH_FAILED);
        return false;
    }
    LogLine(LogKind::File, "made folder %s", destination);
    return true;
}

void DestinationPage::OnOK() {
    const auto ask = [this](const Message& message) { return Ask(message); };
    if (AcceptDestinationFolder(installation_, folder_.Text(), setupType_, ask)) EndDialog(kResultNext);
}

}  // namespace installer::wizard
