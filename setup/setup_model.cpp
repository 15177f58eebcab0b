#include "setup/setup_model.h"

#include <utility>

namespace setup {
namespace {

// The speaker list's items, in order; the selected index is speakerSetup.
constexpr int kSpeakerItems = 4;

// Every check box of the dialog.
constexpr CheckBox kAllCheckBoxes[] = {
    CheckBox::Fullscreen,         CheckBox::TripleBuffering,    CheckBox::Sound,
    CheckBox::LowDetailTextures,  CheckBox::VerticalSync,       CheckBox::TruecolorTextures,
    CheckBox::TruecolorLightmaps, CheckBox::CompressedTextures, CheckBox::SuspendWhenInactive,
    CheckBox::HardwareTnL,        CheckBox::DisableEax,         CheckBox::SoftwareMixingOnly,
    CheckBox::ClipAlways,         CheckBox::MultipassRendering, CheckBox::WBuffer};

}  // namespace

SetupModel::SetupModel(DisplayProvider& provider, ListTexts texts) : devices_(provider, std::move(texts)) {
    languages_.Add("English", kLanguageEnglish);
    languages_.Add("Deutch", kLanguageDeutch);
    languages_.Add("Cesky", kLanguageCesky);
    SelectLanguageItem();
}

bool SetupModel::LoadStored(const uint8_t* data, size_t size) {
    if (DecodeSetupRecord(data, size, &record_)) {
        loaded_ = true;
        SelectLanguageItem();
    }
    return loaded_;
}

bool SetupModel::Open() {
    if (!loaded_) {
        devices_.QueryVideoMemory();
        return Autodetect();
    }
    return BuildAll();
}

bool SetupModel::Autodetect() {
    ApplyAutodetect(record_, devices_.vramMB());
    return BuildAll();
}

bool SetupModel::BuildAll() {
    if (!devices_.BuildAdapterList(record_)) return false;
    RefreshState();
    return true;
}

// What the dialog's "refresh the controls" does to the record and the lists.
void SetupModel::RefreshState() {
    // Hardware transform and lighting and multipass rendering exclude each other.
    if (record_.hardwareTnL != 0) record_.multipassRendering = 0;
    if (!devices_.wBufferSupported()) record_.wBuffer = 0;
    devices_.BuildModeLists(record_, DeviceLists::kCurrentResolution);
    SelectLanguageItem();
}

Question SetupModel::ClickCheckBox(CheckBox box, bool ticked) {
    questionPending_ = false;
    // A greyed W-buffer box cannot be ticked.
    if (box == CheckBox::WBuffer && !devices_.wBufferSupported()) ticked = false;
    // A click reads every box back into its field, so a stored value other
    // than 0 or 1 becomes what its box shows.
    for (CheckBox shown : kAllCheckBoxes) SetCheckBoxValue(record_, shown, CheckBoxValue(record_, shown));
    SetCheckBoxValue(record_, box, ticked);

    if (box == CheckBox::TruecolorTextures && record_.truecolorTextures != 0 &&
        devices_.vramMB() < kTruecolorTexturesMinVramMB) {
        questionPending_ = true;
        return Question::TruecolorTextures;
    }
    if (record_.hardwareTnL != 0 && box != CheckBox::MultipassRendering) {
        record_.multipassRendering = 0;
        RefreshState();
    } else if (record_.multipassRendering != 0) {
        record_.hardwareTnL = 0;
        RefreshState();
    } else if (box == CheckBox::Fullscreen) {
        // The antialiasing levels on offer differ between window and full screen.
        devices_.BuildModeLists(record_, DeviceLists::kCurrentResolution);
    }
    return Question::None;
}

void SetupModel::AnswerTruecolorQuestion(bool yes) {
    if (!questionPending_) return;
    questionPending_ = false;
    if (!yes) {
        record_.truecolorTextures = 0;
        RefreshState();
    }
}

bool SetupModel::SelectAdapter(int index) {
    if (!devices_.ChooseAdapter(record_, index)) return false;
    RefreshState();
    return true;
}

bool SetupModel::SelectResolution(int index) {
    return devices_.ChooseResolution(record_, index);
}

bool SetupModel::SelectRefreshRate(int index) {
    return devices_.ChooseRefreshRate(record_, index);
}

bool SetupModel::SelectBitDepth(int index) {
    return devices_.ChooseBitDepth(record_, index);
}

bool SetupModel::SelectAntialiasing(int index) {
    return devices_.ChooseAntialiasing(record_, index);
}

bool SetupModel::SelectSpeakers(int index) {
    if (index < 0 || index >= kSpeakerItems) return false;
    record_.speakerSetup = static_cast<uint8_t>(index);
    return true;
}

bool SetupModel::SelectLanguage(int index) {
    const ListItem* item = languages_.At(index);
    if (item == nullptr) return false;
    record_.language = static_cast<uint32_t>(item->value);
    languages_.selected = index;
    return true;
}

SetupRecordBytes SetupModel::Save() const {
    return EncodeSetupRecord(record_);
}

bool SetupModel::ExitNeedsConfirmation(const uint8_t* stored, size_t size) const {
    SetupRecord baseline;  // the defaults unless a valid value is stored
    DecodeSetupRecord(stored, size, &baseline);
    return RecordsDiffer(baseline, record_);
}

int SetupModel::speakerSelection() const {
    return record_.speakerSetup < kSpeakerItems ? static_cast<int>(record_.speakerSetup) : -1;
}

void SetupModel::SelectLanguageItem() {
    languages_.selected = -1;
    for (size_t i = 0; i < languages_.items.size(); ++i) {
        if (static_cast<uint32_t>(languages_.items[i].value) == record_.language) {
            languages_.selected = static_cast<int>(i);
        }
    }
}

}  // namespace setup
