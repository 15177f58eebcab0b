#include "setup/setup_dialog_win32.h"

#include "setup/dialog_layout_win32.h"
#include "setup/dialog_texts_win32.h"
#include "setup/resource.h"
#include "setup/setup_store_win32.h"

namespace setup {
namespace {

struct CheckBoxControl {
    int id;
    CheckBox box;
};

constexpr CheckBoxControl kCheckBoxes[] = {
    {IDC_FULLSCREEN, CheckBox::Fullscreen},
    {IDC_TRIPLE_BUFFERING, CheckBox::TripleBuffering},
    {IDC_HARDWARE_TNL, CheckBox::HardwareTnL},
    {IDC_TRUECOLOR_TEXTURES, CheckBox::TruecolorTextures},
    {IDC_LOW_DETAIL, CheckBox::LowDetailTextures},
    {IDC_VSYNC, CheckBox::VerticalSync},
    {IDC_TRUECOLOR_LIGHTMAPS, CheckBox::TruecolorLightmaps},
    {IDC_COMPRESSED, CheckBox::CompressedTextures},
    {IDC_SOUND, CheckBox::Sound},
    {IDC_SOFTWARE_MIXING, CheckBox::SoftwareMixingOnly},
    {IDC_DISABLE_EAX, CheckBox::DisableEax},
    {IDC_SUSPEND, CheckBox::SuspendWhenInactive},
    {IDC_CLIP_ALWAYS, CheckBox::ClipAlways},
    {IDC_MULTIPASS, CheckBox::MultipassRendering},
    {IDC_WBUFFER, CheckBox::WBuffer},
};

// The controls of the expert area, below the buttons.
constexpr int kExpertControls[] = {IDC_EXPERT_GROUP, IDC_HARDWARE_TNL, IDC_SUSPEND,
                                   IDC_MULTIPASS,    IDC_CLIP_ALWAYS,  IDC_WBUFFER};

// Height of the expert area in dialog units: from just below the buttons
// (y 172) to the bottom of the template (218). With the dialog's font at the
// usual screen resolution this is 75 pixels; measured in dialog units it
// keeps covering the whole area with larger fonts.
constexpr int kExpertAreaDialogUnits = 46;

constexpr UINT kSpeakerStrings[] = {IDS_HEADPHONES, IDS_STEREO_SPEAKERS, IDS_QUAD_SPEAKERS,
                                    IDS_SURROUND_SPEAKERS};
constexpr const char* kSpeakerCopies[] = {"Stereo headphones", "Stereo speakers", "Quadraphonic speakers",
                                          "5.1 surround sound speakers"};

bool SameItems(const std::vector<ListItem>& a, const std::vector<ListItem>& b) {
    if (a.size() != b.size()) return false;
    for (size_t i = 0; i < a.size(); ++i) {
        if (a[i].text != b[i].text || a[i].value != b[i].value) return false;
    }
    return true;
}

}  // namespace

SetupDialog::SetupDialog(HINSTANCE instance, SetupModel& model) : instance_(instance), model_(model) {
    for (size_t i = 0; i < 4; ++i) {
        speakers_.Add(LoadTextOr(instance, kSpeakerStrings[i], kMessageTextChars, kSpeakerCopies[i]),
                      static_cast<int32_t>(i));
    }
}

SetupDialog::~SetupDialog() {
    if (picture_ != nullptr) DeleteObject(picture_);
}

INT_PTR SetupDialog::Run() {
    return DialogBoxParamA(instance_, MAKEINTRESOURCEA(IDD_SETUP), nullptr, Procedure,
                           reinterpret_cast<LPARAM>(this));
}

INT_PTR CALLBACK SetupDialog::Procedure(HWND window, UINT message, WPARAM wparam, LPARAM lparam) {
    if (message == WM_INITDIALOG) {
        auto* self = reinterpret_cast<SetupDialog*>(lparam);
        SetWindowLongPtrA(window, DWLP_USER, lparam);
        self->window_ = window;
        self->OnInit();
        return TRUE;
    }
    auto* self = reinterpret_cast<SetupDialog*>(GetWindowLongPtrA(window, DWLP_USER));
    if (self == nullptr) return FALSE;
    if (message == WM_COMMAND) {
        self->OnCommand(LOWORD(wparam), HIWORD(wparam));
        return TRUE;
    }
    return FALSE;
}

void SetupDialog::OnInit() {
    SetDialogTexts(window_, instance_);
    FitTitleCheckBox(window_, IDC_FULLSCREEN_GROUP, IDC_FULLSCREEN);
    FitTitleCheckBox(window_, IDC_SOUND_GROUP, IDC_SOUND);
    picture_ = ScalePictureToDisplay(window_, IDC_PICTURE);
    ToggleExpertArea();
    if (!model_.Open()) {
        AfterBuild(false);
        return;
    }
    ShowState();
}

void SetupDialog::OnCommand(int id, int code) {
    if (showing_) return;
    switch (id) {
        case IDOK:
            Save();
            return;
        case IDCANCEL:
            Exit();
            return;
        case IDC_AUTODETECT:
            if (code == BN_CLICKED) AfterBuild(model_.Autodetect());
            return;
        case IDC_EXPERT_TOGGLE:
            if (code == BN_CLICKED) ToggleExpertArea();
            return;
        case IDC_LANGUAGE:
            // The hidden language list follows any notification.
            OnListChange(id);
            return;
        case IDC_ADAPTER:
        case IDC_RESOLUTION:
        case IDC_REFRESH:
        case IDC_BIT_DEPTH:
        case IDC_ANTIALIASING:
        case IDC_SPEAKERS:
            if (code == CBN_SELCHANGE) OnListChange(id);
            return;
        default:
            if (code == BN_CLICKED) OnCheckBox(id);
            return;
    }
}

void SetupDialog::OnCheckBox(int id) {
    for (const CheckBoxControl& entry : kCheckBoxes) {
        if (entry.id != id) continue;
        bool ticked = IsDlgButtonChecked(window_, id) == BST_CHECKED;
        if (model_.ClickCheckBox(entry.box, ticked) == Question::TruecolorTextures) {
            int answer = ShowMessage(window_, instance_, IDS_TRUECOLOR_QUESTION, IDS_WARNING_CAPTION,
                                     MB_YESNO | MB_ICONWARNING);
            model_.AnswerTruecolorQuestion(answer == IDYES);
        }
        ShowState();
        return;
    }
}

void SetupDialog::OnListChange(int id) {
    LRESULT index = SendDlgItemMessageA(window_, id, CB_GETCURSEL, 0, 0);
    if (index == CB_ERR) return;
    // The sorted resolution list keeps the model's index as item data.
    int item = static_cast<int>(SendDlgItemMessageA(window_, id, CB_GETITEMDATA, index, 0));
    switch (id) {
        case IDC_ADAPTER:
            model_.SelectAdapter(item);
            break;
        case IDC_RESOLUTION:
            model_.SelectResolution(item);
            break;
        case IDC_REFRESH:
            model_.SelectRefreshRate(item);
            break;
        case IDC_BIT_DEPTH:
            model_.SelectBitDepth(item);
            break;
        case IDC_ANTIALIASING:
            model_.SelectAntialiasing(item);
            break;
        case IDC_SPEAKERS:
            model_.SelectSpeakers(item);
            break;
        case IDC_LANGUAGE:
            model_.SelectLanguage(item);
            break;
        default:
            return;
    }
    ShowState();
}

void SetupDialog::Save() {
    if (!WriteStoredSetup(model_.Save())) {
        // Ending as if all went well would lose the player's choices without a word.
        ShowMessage(window_, instance_, IDS_SAVE_FAILED, IDS_ERROR_CAPTION, MB_OK | MB_ICONERROR);
        return;
    }
    EndDialog(window_, 0);
}

void SetupDialog::Exit() {
    SetupRecordBytes stored;
    size_t size = ReadStoredSetup(&stored);
    if (model_.ExitNeedsConfirmation(stored.data(), size) &&
        ShowMessage(window_, instance_, IDS_DISCARD_CHANGES, IDS_WARNING_CAPTION,
                    MB_YESNO | MB_ICONWARNING) != IDYES) {
        return;
    }
    EndDialog(window_, -1);
}

void SetupDialog::AfterBuild(bool built) {
    if (built) {
        ShowState();
        return;
    }
    ShowMessage(window_, instance_, IDS_NO_DIRECTX, IDS_ERROR_CAPTION, MB_OK);
    EndDialog(window_, 0);
}

void SetupDialog::ToggleExpertArea() {
    RECT rect;
    GetWindowRect(window_, &rect);
    RECT area = {0, 0, 0, kExpertAreaDialogUnits};
    MapDialogRect(window_, &area);
    int delta = expanded_ ? -area.bottom : area.bottom;
    SetWindowPos(window_, nullptr, 0, 0, rect.right - rect.left, rect.bottom - rect.top + delta,
                 SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
    expanded_ = !expanded_;
    // Hidden controls cannot be reached with the Tab key while the area is closed.
    for (int id : kExpertControls) ShowWindow(GetDlgItem(window_, id), expanded_ ? SW_SHOWNA : SW_HIDE);
    std::string text;
    if (LoadText(instance_, expanded_ ? IDS_CLOSE_EXPERT : IDS_OPEN_EXPERT, kControlTextChars, nullptr,
                 &text)) {
        SetButtonText(window_, IDC_EXPERT_TOGGLE, text);
    }
}

void SetupDialog::ShowList(int id, const ItemList& list) {
    HWND combo = GetDlgItem(window_, id);
    auto& shown = shownItems_[id];
    if (!SameItems(shown, list.items) ||
        SendMessageA(combo, CB_GETCOUNT, 0, 0) != static_cast<LRESULT>(list.items.size())) {
        SendMessageA(combo, CB_RESETCONTENT, 0, 0);
        for (size_t i = 0; i < list.items.size(); ++i) {
            LRESULT at =
                SendMessageA(combo, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(list.items[i].text.c_str()));
            if (at >= 0) SendMessageA(combo, CB_SETITEMDATA, at, static_cast<LPARAM>(i));
        }
        shown = list.items;
    }
    LRESULT want = -1;
    LRESULT count = SendMessageA(combo, CB_GETCOUNT, 0, 0);
    for (LRESULT i = 0; i < count && list.selected >= 0; ++i) {
        if (SendMessageA(combo, CB_GETITEMDATA, i, 0) == list.selected) want = i;
    }
    if (SendMessageA(combo, CB_GETCURSEL, 0, 0) != want) SendMessageA(combo, CB_SETCURSEL, want, 0);
}

void SetupDialog::ShowState() {
    showing_ = true;
    for (const CheckBoxControl& entry : kCheckBoxes) {
        CheckDlgButton(window_, entry.id, model_.IsChecked(entry.box) ? BST_CHECKED : BST_UNCHECKED);
    }
    const DeviceLists& devices = model_.devices();
    SetDlgItemTextA(window_, IDC_DRIVER_VERSION, devices.driverVersionText().c_str());
    SetDlgItemTextA(window_, IDC_VIDEO_MEMORY, devices.videoMemoryText().c_str());
    ShowList(IDC_ADAPTER, devices.adapters());
    ShowList(IDC_RESOLUTION, devices.resolutions());
    ShowList(IDC_REFRESH, devices.refreshRates());
    ShowList(IDC_BIT_DEPTH, devices.bitDepths());
    ShowList(IDC_ANTIALIASING, devices.antialiasing());
    speakers_.selected = model_.speakerSelection();
    ShowList(IDC_SPEAKERS, speakers_);
    ShowList(IDC_LANGUAGE, model_.languages());

    EnableState enables = model_.Enables();
    EnableWindow(GetDlgItem(window_, IDC_VSYNC), enables.verticalSync);
    EnableWindow(GetDlgItem(window_, IDC_REFRESH), enables.refreshList);
    EnableWindow(GetDlgItem(window_, IDC_BIT_DEPTH), enables.bitDepthList);
    EnableWindow(GetDlgItem(window_, IDC_SPEAKERS), enables.speakerList);
    EnableWindow(GetDlgItem(window_, IDC_SOFTWARE_MIXING), enables.softwareMixingOnly);
    EnableWindow(GetDlgItem(window_, IDC_DISABLE_EAX), enables.disableEax);
    EnableWindow(GetDlgItem(window_, IDC_WBUFFER), enables.wBuffer);
    showing_ = false;
}

}  // namespace setup
