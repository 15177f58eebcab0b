// The progress dialogs as their logic sees them. A progress dialog (the copy
// dialog, template 130; the patch's backup dialog, template 137) is a modal
// dialog with two bars, two labels and a Cancel button, polled by a timer.
// Its logic (copy_progress_logic.h) decides everything; the dialog forwards
// its opening, its timer ticks and its Cancel button to the logic and does
// what the logic asks through this view. The Win32 dialog implements the view
// on its window; native tests implement it with a script.
//
// Every call comes from the user-interface thread. The worker thread never
// touches the view: it writes the shared CopyProgress block, which the
// logic reads on each tick.
#ifndef INSTALLER_ENGINE_PROGRESS_VIEW_H
#define INSTALLER_ENGINE_PROGRESS_VIEW_H

#include <atomic>
#include <cstdint>

#include "installer/engine/message_box.h"

namespace installer {

// The block through which the worker reports and the dialog cancels. Each
// field is written by one side at a time and read and written whole.
struct CopyProgress {
    std::atomic<int32_t> filePercent{0};       // worker: the current file, 0 to 100
    std::atomic<int32_t> totalPercent{0};      // worker: the whole list (not clamped)
    std::atomic<int32_t> status{5};            // worker (a CopyStatus); the dialog sets 5 before each start
    std::atomic<bool> cancelRequested{false};  // dialog: the user confirmed quitting
    std::atomic<bool> confirmationShowing{false};  // dialog: the quit confirmation is open
};

class ProgressView {
public:
    virtual ~ProgressView() = default;

    // Texts from the string table, through the name substitution: the
    // dialog's caption, the Cancel button, and label 1004 above the total bar.
    virtual void SetCaption(int stringId) = 0;
    virtual void SetCancelText(int stringId) = 0;
    virtual void SetTotalLabel(int stringId) = 0;
    // Label 1003 above the file bar, as given (a path; no substitution).
    virtual void SetFileLabel(const char* text) = 0;
    // Bar 1001 (the file) and bar 1002 (the total), range 0 to 100; a value
    // outside it shows as the nearest end.
    virtual void SetFileBar(int32_t percent) = 0;
    virtual void SetTotalBar(int32_t percent) = 0;
    virtual void EnableCancel(bool enabled) = 0;

    // Timer 555 with its period of 1000 ms; each tick calls the logic's
    // OnTimer. Stopped for the length of a tick.
    virtual void StartTimer() = 0;
    virtual void StopTimer() = 0;
    // Ends the modal dialog with `result` (kResultNext or kResultCancelled).
    // The dialog ends only through this call, once the worker has made its
    // last report: button 9, Esc and the close box go to the logic's
    // OnCancelButton, never straight to the end.
    virtual void EndDialog(int result) = 0;

    // A message box owned by the dialog.
    virtual Answer ShowMessage(const Message& message) = 0;
    // Blocks the user-interface thread for `milliseconds` (the pause before
    // the disc is looked at again).
    virtual void Wait(uint32_t milliseconds) = 0;
    // Which disc is in the drive that `drivePath` starts with: 0 when its
    // volume label is "KORVO_CD_<discNumber>" (the kDisc* codes of the system
    // services otherwise).
    virtual int32_t CheckDisc(const char* drivePath, int32_t discNumber) = 0;

    // The backdrop's slide show: load the pictures of disc `discIndex` (0 for
    // the first disc), and show picture `index` of the loaded set.
    virtual void LoadBillboardSet(uint32_t discIndex) = 0;
    virtual void ShowBillboard(uint32_t index) = 0;
};

}  // namespace installer

#endif  // INSTALLER_ENGINE_PROGRESS_VIEW_H
