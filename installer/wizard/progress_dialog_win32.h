// The progress dialogs' windows: a modal dialog with two bars, two labels
// and a Cancel button, polled by timer 555, standing at the backdrop's
// bottom-left corner. The dialog is the view of its logic
// (installer/engine/copy_progress_logic.h, backup_progress_logic.h): it
// forwards its opening, each tick and the Cancel button to the logic and
// does what the logic asks.
#ifndef INSTALLER_WIZARD_PROGRESS_DIALOG_WIN32_H
#define INSTALLER_WIZARD_PROGRESS_DIALOG_WIN32_H

#include <windows.h>

#include <cstdint>

#include "installer/engine/backup_progress_logic.h"
#include "installer/engine/copy_progress_logic.h"
#include "installer/engine/installation.h"
#include "installer/engine/progress_view.h"
#include "installer/ui/dialog_win32.h"
#include "installer/wizard/billboard_window_win32.h"

namespace installer::wizard {

// What both progress dialogs share: the view on the dialog's controls.
class ProgressDialog : public ui::Dialog, public ProgressView {
public:
    // The bars, labels and buttons of the dialog's window.
    void SetCaption(int stringId) override;
    void SetCancelText(int stringId) override;
    void SetTotalLabel(int stringId) override;
    void SetFileLabel(const char* text) override;
    void SetFileBar(int32_t percent) override;
    void SetTotalBar(int32_t percent) override;
    void EnableCancel(bool enabled) override;
    void StartTimer() override;
    void StopTimer() override;
    void EndDialog(int result) override;
    Answer ShowMessage(const Message& message) override;
    void Wait(uint32_t milliseconds) override;
    int32_t CheckDisc(const char* drivePath, int32_t discNumber) override;
    // No slide show unless the dialog has a backdrop.
    void LoadBillboardSet(uint32_t discIndex) override {}
    void ShowBillboard(uint32_t index) override {}

protected:
    // `installation` names the texts and is what the logic works on.
    ProgressDialog(int templateId, BillboardWindow& backdrop, Installation& installation)
        : ui::Dialog(templateId), backdrop_(backdrop), installation_(installation) {}
    // The logic the dialog forwards to; set by the derived class.
    virtual ProgressLogic& Logic() = 0;

    // Moves the dialog to the backdrop's bottom-left corner, clear of the
    // picture in the middle as far as the screen allows, then opens the logic.
    bool OnInitDialog() override;
    // Button 9, Esc and the close command go to the logic's Cancel, unless
    // the button is disabled (the restore cannot be cancelled).
    bool OnCommand(int id, int code) override;
    void OnCancel() override;
    // Nothing: only the logic ends a progress dialog. The template has no
    // default button, so Enter reaches the dialog as the OK command, which
    // would otherwise end it with 1, "every file copied", half-way through.
    void OnOK() override {}
    bool OnMessage(UINT message, WPARAM wParam, LPARAM lParam, INT_PTR* result) override;

    BillboardWindow& backdrop_;
    Installation& installation_;
};

// Template 130: copies the add_file list from the discs to the destination
// folder, with disc prompts and the slide show on the backdrop.
class CopyProgressDialog final : public ProgressDialog {
public:
    // `journal`: see CopyProgressLogic.
    CopyProgressDialog(BillboardWindow& backdrop, Installation& installation, CopyJournal* journal = nullptr);

    void LoadBillboardSet(uint32_t discIndex) override;
    void ShowBillboard(uint32_t index) override;

private:
    ProgressLogic& Logic() override { return logic_; }

    CopyProgressLogic logic_;
};

// Template 137: the patch's backup of the backup_file list into the
// temporary folder (GetTempFolder), or its restore, whose Cancel button stays
// disabled.
class BackupProgressDialog final : public ProgressDialog {
public:
    BackupProgressDialog(BillboardWindow& backdrop, Installation& installation, BackupMode mode);

private:
    ProgressLogic& Logic() override { return logic_; }

    BackupProgressLogic logic_;
};

}  // namespace installer::wizard

#endif  // INSTALLER_WIZARD_PROGRESS_DIALOG_WIN32_H
