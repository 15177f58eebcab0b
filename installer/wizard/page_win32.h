// What every wizard page shares: the text operations that fill a page from
// the string table and the installer's archive, and the Page base class
// (the usual buttons, the exit confirmation, the header strip and the side
// picture).
//
// A page ends with a result code of flow_host.h: kResultNext (Next, Yes or
// Finish), kResultBack, kResultCancelled (the user confirmed the exit
// confirmation, or the page refused to go on), or kResultEscape (Esc on the
// finish page).
#ifndef INSTALLER_WIZARD_PAGE_WIN32_H
#define INSTALLER_WIZARD_PAGE_WIN32_H

#include <windows.h>

#include <cstddef>

#include "installer/engine/installation.h"
#include "installer/engine/message_box.h"
#include "installer/ui/dialog_win32.h"

namespace installer::wizard {

// Makes string `stringId`, with the names of `settings` substituted, the
// caption of `window`. False, changing nothing, when the string does not
// exist.
bool SetPageCaption(const SettingsTable& settings, HWND window, int stringId);

// The same for the child `controlId` of `dialog`; a missing control is
// ignored (the result still says whether the string exists).
bool SetControlText(const SettingsTable& settings, HWND dialog, int controlId, int stringId);

// Makes the entry `entryName` of the installer's archives (a plain file of
// that name in the current folder first) the text of the child `controlId`.
// Line feeds without a carriage return are shown as line breaks. False,
// leaving the control unchanged, when the entry cannot be opened, is empty,
// too large (kMaxPageTextSize) or cannot be read whole.
bool LoadArchiveText(HWND dialog, int controlId, const char* entryName);

// One row of a page's text table: string `stringId`, names substituted,
// becomes the text of control `controlId` (kPageCaption: the page's caption).
struct ControlText {
    int controlId;
    int stringId;
};
inline constexpr int kPageCaption = -1;

// Largest entry LoadArchiveText shows; licences and patch notes are a few
// kilobytes.
inline constexpr int32_t kMaxPageTextSize = 4 * 1024 * 1024;

class Page : public ui::Dialog {
protected:
    // `installation` is the one the program works on; it outlives the page.
    Page(int templateId, Installation& installation) : ui::Dialog(templateId), installation_(installation) {}

    // String `stringId`, names substituted, as the text of control
    // `controlId` or as the page's caption.
    bool SetText(int controlId, int stringId);
    bool SetCaption(int stringId);

    // Sets the text of every row of `table`, in order.
    void ApplyTexts(const ControlText* table, size_t count);
    template <size_t N>
    void ApplyTexts(const ControlText (&table)[N]) {
        ApplyTexts(table, N);
    }
    // Back 3, Next 4, Cancel 5 and the caption 51.
    void SetUsualTexts();
    // The exit confirmation (text 69, caption 68, OK and Cancel): true when
    // the user confirmed quitting.
    bool ConfirmExit();
    // A message box owned by the page.
    Answer Ask(const Message& message);
    // Gives Next the focus, so that a read-only text is not shown selected
    // as a focused edit control would be; the result for OnInitDialog.
    bool FocusNext(bool defaultFocus);

    // Lays out the side picture, then the base's data exchange.
    bool OnInitDialog() override;
    // Button 9, Esc and the close box: the exit confirmation; OK ends the
    // page with kResultCancelled, Cancel keeps it.
    void OnCancel() override;
    // Button 9 goes to OnCancel, button 12 ends the page with kResultBack.
    bool OnCommand(int id, int code) override;
    // The header strip (control 52 on the pages that have one) is white.
    bool OnMessage(UINT message, WPARAM wParam, LPARAM lParam, INT_PTR* result) override;

    // Whether control 52 is a header strip on this page (not on the finish
    // page, where it is the body text).
    virtual bool HasHeaderStrip() const { return true; }

    Installation& installation_;

private:
    // The KORVOCITY picture scaled to control 551, owned by the page while
    // it is shown.
    void ShowSidePicture();
    HBITMAP picture_ = nullptr;
};

}  // namespace installer::wizard

#endif  // INSTALLER_WIZARD_PAGE_WIN32_H
