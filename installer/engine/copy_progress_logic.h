// The logic of the progress dialogs: one file after another through the copy
// worker, polled once a second.
//
// A dialog is either between files or waiting for one. The tick that finds no
// file in progress starts the next one (after the disc check, when asked
// for); the ticks after it move the bars from the shared CopyProgress block;
// the tick that sees status 4 moves on to the next entry, and the tick after
// the last entry ends the dialog with kResultNext. A file that cannot be read,
// or whose copy fails on the way, asks the user to retry or quit; a confirmed
// Cancel ends the dialog with kResultCancelled once the worker has stopped.
// Ticks never overlap: the timer is stopped for the length of each one.
//
// ProgressLogic holds what every progress dialog shares; CopyProgressLogic is
// the install's copy dialog (template 130): the add_file list from the discs
// to the destination folder, with disc prompts and the billboard slide show.
// The patch's backup dialog is in backup_progress_logic.h.
#ifndef INSTALLER_ENGINE_COPY_PROGRESS_LOGIC_H
#define INSTALLER_ENGINE_COPY_PROGRESS_LOGIC_H

#include <cstdint>
#include <string>

#include "installer/engine/copy_journal.h"
#include "installer/engine/install_script.h"
#include "installer/engine/progress_view.h"

namespace installer {

// The picture for a total percentage: `total` pictures spread over the whole
// copy, held within the `perDisc` pictures of disc `discIndex` (from
// perDisc * discIndex to perDisc * discIndex + perDisc - 1). Computed in 64
// bits; `perDisc` below 1 gives 0 (no slide show).
int64_t BillboardNumber(int32_t total, int32_t perDisc, int32_t percent, int32_t discIndex);

// The callback both dialogs give the worker; `user` is the dialog's
// CopyProgress block. Stores the three values and answers kCopyAbort when
// cancel was requested, 6 (no change) while the quit confirmation is open,
// otherwise kCopyRun.
int32_t ProgressCallback(int32_t status, int32_t filePercent, int32_t totalPercent, void* user);

class ProgressLogic {
public:
    virtual ~ProgressLogic() = default;
    ProgressLogic(const ProgressLogic&) = delete;
    ProgressLogic& operator=(const ProgressLogic&) = delete;

    // The dialog's opening (its WM_INITDIALOG, once the controls exist).
    virtual void OnOpen() = 0;
    // A tick of timer 555.
    void OnTimer();
    // The Cancel button (also Esc and the close box): asks the quit
    // confirmation; on OK disables the button and requests the cancel, which
    // reaches the worker through its next callback. Does nothing in a dialog
    // that cannot be cancelled.
    void OnCancelButton();

    // The block given to the worker; for the dialog's own reading only.
    CopyProgress& Progress() { return progress_; }

protected:
    explicit ProgressLogic(ProgressView& view) : view_(view) {}

    // Resets the per-dialog state and the worker's list total, starts the
    // timer. `requestSpace` is the byte count the total bar measures against.
    void Begin(uint64_t requestSpace);
    // Ends the dialog; false is returned so callers can write `return End(..)`.
    bool End(int result);
    // Asks the quit confirmation (strings 68 and 69, OK and Cancel); true
    // when the user confirmed quitting.
    bool ConfirmQuit();
    // Sets status 5 and starts the worker on the two paths.
    int32_t StartCopy(const std::string& source, const std::string& destination);

    // The dialog's own parts of a tick.
    // Number of entries in the dialog's list.
    virtual size_t EntryCount() const = 0;
    // Starts the entry `index` (the tick found no file in progress). Returns
    // false when the dialog has ended; true when a copy runs or the entry is
    // to be tried again on the next tick (file in progress cleared).
    virtual bool StartEntry(size_t index) = 0;
    // The total percentage shown changed.
    virtual void OnTotalPercent(int32_t percent) {}
    // Whether the user may cancel this dialog at all.
    virtual bool CancelAllowed() const { return true; }
    // The copy of entry `index` failed on the way (status 3 without a
    // cancel). Returns false when the dialog has ended; true to try the
    // entry again on this tick.
    virtual bool OnCopyFailed(size_t index) = 0;

    ProgressView& view_;
    bool fileInProgress_ = false;

private:
    void Tick();
    // Logs how the copy started by StartCopy ended: copied, cancelled or failed.
    void LogCopyEnd(int32_t status) const;

    CopyProgress progress_;
    // The two paths of the copy started last, for the log.
    std::string copySource_;
    std::string copyDestination_;
    bool tickRunning_ = false;
    int32_t shownFilePercent_ = 0;
    int32_t shownTotalPercent_ = 0;
    size_t entryIndex_ = 0;
};

class CopyProgressLogic final : public ProgressLogic {
public:
    // Copies `target.lists.addFile` from `target.folders.Source()` to
    // `target.folders.Destination()`; reads and writes `target.settings`.
    // With a `journal` (an upgrade), each destination is noted there before
    // it is written, an existing file moved aside.
    CopyProgressLogic(ProgressView& view, const InstallScriptTarget& target, CopyJournal* journal = nullptr);

    // Caption 51, Cancel 5, label 1004 72; current_request_space takes
    // request_space_full; the timer starts and disc 0's pictures load.
    void OnOpen() override;

private:
    size_t EntryCount() const override;
    bool StartEntry(size_t index) override;
    void OnTotalPercent(int32_t percent) override;
    bool OnCopyFailed(size_t index) override;

    // Waits for the entry's disc (validate_cd); false when the user quit.
    bool WaitForDisc(const FileEntry& entry);
    // String 91 for the entry; true to try it again, false when the user quit.
    bool AskRetry(const FileEntry& entry);
    // The journal could not note `destination` (or set the file aside):
    // string 101; true to try again, false when the user quit.
    bool AskRetryJournal(const std::string& destination);
    void ShowBillboard();

    InstallScriptTarget target_;
    CopyJournal* journal_;
    int64_t billboardNumber_ = 0;
    int32_t discIndex_ = 0;
};

}  // namespace installer

#endif  // INSTALLER_ENGINE_COPY_PROGRESS_LOGIC_H
