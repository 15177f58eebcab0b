// The settings dialog without its windows: the record, the hardware lists and
// every rule that ties the controls together. The dialog forwards each user
// action to one call here and then shows the model's state again: check marks
// (IsChecked), enabled controls (Enables), the lists with their selections and
// the two texts. Nothing here touches the registry; the dialog reads and
// writes the stored value and passes the bytes in and out.
//
// Typical use by the dialog:
//   start:        model.LoadStored(bytes, size)       (skip when no value)
//   WM_INITDIALOG if (!model.Open()) { error box; EndDialog(0); }
//   Autodetect    if (!model.Autodetect()) { error box; EndDialog(0); }
//   check box     if (model.ClickCheckBox(box, ticked) == Question::TruecolorTextures)
//                     model.AnswerTruecolorQuestion(MessageBox(...) == IDYES);
//   list change   model.SelectResolution(index) and so on
//   Exit          if (!model.ExitNeedsConfirmation(stored, size) || user says Yes) EndDialog(-1)
//   Save and exit write model.Save() (63 bytes), EndDialog(0)
#ifndef SETUP_SETUP_MODEL_H
#define SETUP_SETUP_MODEL_H

#include <cstddef>
#include <cstdint>

#include "setup/device_lists.h"
#include "setup/display_provider.h"
#include "setup/item_list.h"
#include "setup/setup_record.h"
#include "setup/setup_rules.h"

namespace setup {

// A question the dialog must put to the user before the model goes on.
enum class Question {
    None,
    // Text string 37, caption 38, Yes/No, warning icon; answer with
    // AnswerTruecolorQuestion.
    TruecolorTextures,
};

class SetupModel {
public:
    explicit SetupModel(DisplayProvider& provider, ListTexts texts = ListTexts());

    // Start-up: a stored value of exactly kSetupRecordSize bytes replaces the
    // record and sets loaded(); anything else (null, other sizes) keeps the
    // defaults. Returns loaded().
    bool LoadStored(const uint8_t* data, size_t size);

    // Dialog opening: without a loaded value, queries the video memory and
    // runs Autodetect; otherwise builds the lists and refreshes the state.
    // False when the display devices cannot be enumerated: the dialog shows
    // its error and ends without saving.
    bool Open();

    // The Autodetect button: fills the record from vramMB() (see
    // ApplyAutodetect), rebuilds the lists and refreshes the state. False as Open.
    bool Autodetect();

    // A click on a check box that now shows `ticked`. Every box's field first
    // takes what its box shows (0 or 1), then the rules apply; when
    // the result is Question::TruecolorTextures the box stays ticked until
    // AnswerTruecolorQuestion is called.
    Question ClickCheckBox(CheckBox box, bool ticked);

    // The answer to Question::TruecolorTextures; No clears truecolorTextures.
    void AnswerTruecolorQuestion(bool yes);

    // Selection changes, by item index in the corresponding list. An index
    // outside the list changes nothing and returns false.
    bool SelectAdapter(int index);
    bool SelectResolution(int index);
    bool SelectRefreshRate(int index);
    bool SelectBitDepth(int index);
    bool SelectAntialiasing(int index);
    bool SelectSpeakers(int index);  // index = speakerSetup, 0..3
    bool SelectLanguage(int index);  // index into languages()

    // The 63 bytes to store on "Save and exit".
    SetupRecordBytes Save() const;

    // Exit: true when the current record differs from the stored value
    // (`stored`, `size` as read now; anything but exactly 63 bytes, or null,
    // means the defaults), so the dialog must ask "Discard changes ?!".
    bool ExitNeedsConfirmation(const uint8_t* stored, size_t size) const;

    // State for display.
    const SetupRecord& record() const { return record_; }
    bool loaded() const { return loaded_; }
    bool IsChecked(CheckBox box) const { return CheckBoxValue(record_, box); }
    EnableState Enables() const { return ComputeEnables(record_, devices_.wBufferSupported()); }
    const DeviceLists& devices() const { return devices_; }
    // "English" (0), "Deutch" (2), "Cesky" (1), the record's language selected.
    const ItemList& languages() const { return languages_; }
    // The speaker item to select (record.speakerSetup), -1 when out of range.
    int speakerSelection() const;
    int vramMB() const { return devices_.vramMB(); }

private:
    bool BuildAll();
    void RefreshState();
    void SelectLanguageItem();

    DeviceLists devices_;
    SetupRecord record_;
    ItemList languages_;
    bool loaded_ = false;
    bool questionPending_ = false;
};

}  // namespace setup

#endif  // SETUP_SETUP_MODEL_H
