#include "installer/engine/copy_progress_logic.h"

#include "installer/engine/copy_worker.h"
#include "installer/engine/flow_host.h"
#include "installer/resources/resource.h"
#include "installer/system/install_log.h"

namespace installer {

namespace {

// The callback's answer while the quit confirmation is open: no command, so
// the worker carries on as it is until the user has decided.
constexpr int32_t kCopyNoChange = 6;
constexpr uint32_t kDiscRetryMilliseconds = 2000;

}  // namespace

int64_t BillboardNumber(int32_t total, int32_t perDisc, int32_t percent, int32_t discIndex) {
    if (perDisc < 1) return 0;
    int64_t number = static_cast<int64_t>(total) * percent / 100;
    const int64_t first = static_cast<int64_t>(perDisc) * discIndex;
    const int64_t last = first + perDisc - 1;
    if (number < first) number = first;
    if (number > last) number = last;
    return number;
}

int32_t ProgressCallback(int32_t status, int32_t filePercent, int32_t totalPercent, void* user) {
    auto* progress = static_cast<CopyProgress*>(user);
    const int32_t command = progress->cancelRequested.load()       ? kCopyAbort
                            : progress->confirmationShowing.load() ? kCopyNoChange
                                                                   : kCopyRun;
    progress->filePercent.store(filePercent);
    progress->totalPercent.store(totalPercent);
    // The status goes last: whoever sees it also sees its percentages, and
    // once it is final the dialog may end and its block go away, so the
    // worker must not touch the block after this store.
    progress->status.store(status);
    return command;
}

// ---------------------------------------------------------------------------
// What every progress dialog shares.

void ProgressLogic::Begin(uint64_t requestSpace) {
    fileInProgress_ = false;
    tickRunning_ = false;
    entryIndex_ = 0;
    shownFilePercent_ = 0;
    shownTotalPercent_ = 0;
    progress_.filePercent.store(0);
    progress_.totalPercent.store(0);
    progress_.status.store(kCopyRunning);
    progress_.cancelRequested.store(false);
    progress_.confirmationShowing.store(false);
    BeginCopyList(requestSpace);
    view_.SetFileLabel("");
    view_.StartTimer();
}

bool ProgressLogic::End(int result) {
    view_.EndDialog(result);
    return false;
}

bool ProgressLogic::ConfirmQuit() {
    return view_.ShowMessage(Message(IDS_EXIT_SETUP, IDS_EXIT_QUESTION, Buttons::OkCancel)) == Answer::Ok;
}

int32_t ProgressLogic::StartCopy(const std::string& source, const std::string& destination) {
    progress_.status.store(kCopyRunning);
    copySource_ = source;
    copyDestination_ = destination;
    const int32_t result = StartFileCopy(source.c_str(), destination.c_str(), ProgressCallback, &progress_);
    if (result == kCopySourceUnreadable || result == kCopyNoThread) {
        LogLine(LogKind::Failure, "cannot copy %s -> %s: %s", source.c_str(), destination.c_str(),
                SystemReason(LastCopyOutcome().systemError).c_str());
    }
    return result;
}

void ProgressLogic::LogCopyEnd(int32_t status) const {
    const CopyOutcome outcome = LastCopyOutcome();
    if (status == kCopyFinished) {
        LogLine(LogKind::File, "copied %s -> %s (%llu bytes, %u ms)", copySource_.c_str(),
                copyDestination_.c_str(), static_cast<unsigned long long>(outcome.bytes),
                static_cast<unsigned>(outcome.milliseconds));
    } else if (progress_.cancelRequested.load()) {
        LogLine(LogKind::File, "stopped copying %s -> %s (cancelled)", copySource_.c_str(),
                copyDestination_.c_str());
    } else {
        LogLine(LogKind::Failure, "cannot copy %s -> %s: %s", copySource_.c_str(), copyDestination_.c_str(),
                SystemReason(outcome.systemError).c_str());
    }
}

void ProgressLogic::OnCancelButton() {
    if (!CancelAllowed()) return;
    progress_.confirmationShowing.store(true);
    if (ConfirmQuit()) {
        view_.EnableCancel(false);
        progress_.cancelRequested.store(true);
    }
    progress_.confirmationShowing.store(false);
}

void ProgressLogic::OnTimer() {
    // A tick's own message boxes run a message loop; the mark keeps a tick
    // from starting inside another.
    if (progress_.confirmationShowing.load() || tickRunning_) return;
    tickRunning_ = true;
    view_.StopTimer();
    Tick();
}

void ProgressLogic::Tick() {
    if (!fileInProgress_) {
        if (entryIndex_ >= EntryCount()) {
            End(kResultNext);
            return;
        }
        fileInProgress_ = true;
        if (!StartEntry(entryIndex_)) return;
    }

    if (fileInProgress_) {
        const int32_t filePercent = progress_.filePercent.load();
        if (filePercent != shownFilePercent_) {
            shownFilePercent_ = filePercent;
            view_.SetFileBar(filePercent);
        }
        const int32_t totalPercent = progress_.totalPercent.load();
        if (totalPercent != shownTotalPercent_) {
            shownTotalPercent_ = totalPercent;
            view_.SetTotalBar(totalPercent);
            OnTotalPercent(totalPercent);
        }

        const int32_t status = progress_.status.load();
        if (status == kCopyFinished || status == kCopyFailed) LogCopyEnd(status);
        if (status == kCopyFinished) {
            fileInProgress_ = false;
            ++entryIndex_;
        }
        if (status == kCopyFinished || status == kCopyFailed) {
            // No worker runs now; the next file (or the same one again)
            // starts from an empty file bar.
            progress_.filePercent.store(0);
            shownFilePercent_ = 0;
            view_.SetFileBar(0);
        }
        if (status == kCopyFailed) {
            if (progress_.cancelRequested.load()) {
                End(kResultCancelled);
                return;
            }
            // A copy that failed on the way is offered again, like a file
            // that cannot be opened; the dialog never waits on it silently.
            if (!OnCopyFailed(entryIndex_) || !StartEntry(entryIndex_)) return;
        }
    }

    tickRunning_ = false;
    view_.StartTimer();
}

// ---------------------------------------------------------------------------
// The install's copy dialog.

CopyProgressLogic::CopyProgressLogic(ProgressView& view, const InstallScriptTarget& target,
                                     CopyJournal* journal)
    : ProgressLogic(view), target_(target), journal_(journal) {}

void CopyProgressLogic::OnOpen() {
    view_.SetCancelText(IDS_CANCEL);
    view_.SetCaption(IDS_INSTALLATION_TITLE);
    view_.SetTotalLabel(IDS_TOTAL_PROGRESS);
    view_.EnableCancel(true);
    // Every install is a full one.
    SettingsTable& settings = target_.settings;
    settings.Set(Setting::CurrentRequestSpace, settings.Text(Setting::RequestSpaceFull));
    const int64_t requestSpace = settings.Int64(Setting::CurrentRequestSpace);
    Begin(requestSpace > 0 ? static_cast<uint64_t>(requestSpace) : 0);
    billboardNumber_ = 0;
    discIndex_ = 0;
    view_.LoadBillboardSet(0);
}

size_t CopyProgressLogic::EntryCount() const {
    return target_.lists.addFile.size();
}

bool CopyProgressLogic::StartEntry(size_t index) {
    const FileEntry& entry = *target_.lists.addFile[index];
    const std::string destination = std::string(target_.folders.Destination()) + entry.secondName;
    std::string source = std::string(target_.folders.Source()) + entry.firstName;
    view_.SetFileLabel((source + " -> " + destination).c_str());

    for (;;) {
        if (target_.settings.Bool(Setting::ValidateCd) && !WaitForDisc(entry)) return false;
        // Read again after the disc check: an unattended run may have found
        // the disc in another drive and moved the source folder there.
        const std::string now = std::string(target_.folders.Source()) + entry.firstName;
        if (now != source) {
            source = now;
            view_.SetFileLabel((source + " -> " + destination).c_str());
        }
        // What is there now must be recoverable before the copy touches it.
        if (journal_ != nullptr && !journal_->Record(destination)) {
            if (!AskRetryJournal(destination)) return false;
            continue;
        }
        const int32_t result = StartCopy(source, destination);
        if (result == kCopyStarted) break;
        if (result == kCopyBusy) {
            // The last copy is still closing its files; the next tick tries again.
            fileInProgress_ = false;
            return true;
        }
        // Unreadable, too long, or no thread for it: the user may retry.
        if (!AskRetry(entry)) return false;
    }

    const int32_t discIndex = static_cast<int32_t>(entry.disc) - 1;
    if (discIndex != discIndex_) {
        discIndex_ = discIndex;
        view_.LoadBillboardSet(static_cast<uint32_t>(discIndex));
        ShowBillboard();
    }
    return true;
}

void CopyProgressLogic::OnTotalPercent(int32_t percent) {
    const SettingsTable& settings = target_.settings;
    const int64_t number = BillboardNumber(settings.Int(Setting::NumOfBilboards),
                                           settings.Int(Setting::NumOfBilboardsPerCd), percent, discIndex_);
    if (number != billboardNumber_) {
        billboardNumber_ = number;
        ShowBillboard();
    }
}

bool CopyProgressLogic::OnCopyFailed(size_t index) {
    return AskRetry(*target_.lists.addFile[index]);
}

bool CopyProgressLogic::WaitForDisc(const FileEntry& entry) {
    // The drive is the one the source folder starts with, read anew on each
    // try (an answer to the prompt may move the source to another drive).
    while (view_.CheckDisc(std::string(target_.folders.Source()).substr(0, 3).c_str(), entry.disc) != 0) {
        const Message prompt = Message(IDS_INSTALLATION_TITLE, IDS_INSERT_CD, Buttons::OkCancel)
                                   .Arg(static_cast<uint32_t>(entry.disc));
        if (view_.ShowMessage(prompt) == Answer::Ok) {
            view_.Wait(kDiscRetryMilliseconds);
        } else if (ConfirmQuit()) {
            return End(kResultCancelled);
        }
    }
    return true;
}

bool CopyProgressLogic::AskRetry(const FileEntry& entry) {
    const Message question = Message(IDS_WARNING, IDS_CANNOT_READ_FILE, Buttons::OkCancel)
                                 .Arg(entry.firstName)
                                 .Arg(static_cast<uint32_t>(entry.disc));
    if (view_.ShowMessage(question) == Answer::Ok || !ConfirmQuit()) return true;
    return End(kResultCancelled);
}

bool CopyProgressLogic::AskRetryJournal(const std::string& destination) {
    const Message question = Message(IDS_WARNING, IDS_BACKUP_COPY_FAILED, Buttons::OkCancel)
                                 .Arg(destination.c_str())
                                 .Arg(journal_->Folder().c_str());
    if (view_.ShowMessage(question) == Answer::Ok || !ConfirmQuit()) return true;
    return End(kResultCancelled);
}

void CopyProgressLogic::ShowBillboard() {
    const int32_t perDisc = target_.settings.Int(Setting::NumOfBilboardsPerCd);
    if (perDisc < 1) return;  // no pictures per disc: no slide show
    const int64_t index = ((billboardNumber_ % perDisc) + perDisc) % perDisc;
    view_.ShowBillboard(static_cast<uint32_t>(index));
}

}  // namespace installer
