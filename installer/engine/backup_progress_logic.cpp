#include "installer/engine/backup_progress_logic.h"

#include <utility>

#include "installer/engine/copy_worker.h"
#include "installer/engine/flow_host.h"
#include "installer/resources/resource.h"
#include "installer/system/install_log.h"

namespace installer {

BackupProgressLogic::BackupProgressLogic(ProgressView& view, const InstallScriptTarget& target,
                                         BackupMode mode, std::string tempFolder)
    : ProgressLogic(view), target_(target), mode_(mode), tempFolder_(std::move(tempFolder)) {}

void BackupProgressLogic::OnOpen() {
    view_.SetCancelText(IDS_CANCEL);
    view_.SetCaption(IDS_INSTALLATION_TITLE);
    view_.SetTotalLabel(mode_ == BackupMode::Backup ? IDS_BACKUP_FILES : IDS_RESTORE_FILES);
    view_.EnableCancel(CancelAllowed());
    SettingsTable& settings = target_.settings;
    settings.Set(Setting::CurrentRequestSpace, settings.Text(Setting::RequestSpaceBackup));
    const int64_t requestSpace = settings.Int64(Setting::CurrentRequestSpace);
    Begin(requestSpace > 0 ? static_cast<uint64_t>(requestSpace) : 0);
}

size_t BackupProgressLogic::EntryCount() const {
    return target_.lists.backupFile.size();
}

std::string BackupProgressLogic::InstalledPath(size_t index) const {
    return std::string(target_.folders.Destination()) + target_.lists.backupFile[index]->firstName;
}

std::string BackupProgressLogic::BackupPath(size_t index) const {
    return tempFolder_ + target_.lists.backupFile[index]->secondName;
}

std::string BackupProgressLogic::SourcePath(size_t index) const {
    return mode_ == BackupMode::Backup ? InstalledPath(index) : BackupPath(index);
}

std::string BackupProgressLogic::DestinationPath(size_t index) const {
    return mode_ == BackupMode::Backup ? BackupPath(index) : InstalledPath(index);
}

bool BackupProgressLogic::StartEntry(size_t index) {
    const std::string source = SourcePath(index);
    const std::string destination = DestinationPath(index);
    view_.SetFileLabel(InstalledPath(index).c_str());

    // Without the temporary folder the backup names would land in the
    // current folder, among other files.
    if (tempFolder_.empty()) {
        LogLine(LogKind::Failure, "cannot copy %s: the temporary folder was not found", source.c_str());
        return OnCopyFailed(index);
    }

    const int32_t result = StartCopy(source, destination);
    if (result == kCopyStarted) return true;
    if (result == kCopyBusy) {
        // The last copy is still closing its files; the next tick tries again.
        fileInProgress_ = false;
        return true;
    }
    // No retry: the file the copy reads is not there (or not readable). The
    // box names that file: the installed one for a backup, the backup copy
    // for a restore.
    view_.ShowMessage(Message(IDS_WARNING, IDS_BACKUP_SOURCE_MISSING, Buttons::Ok).Arg(source.c_str()));
    return End(kResultCancelled);
}

bool BackupProgressLogic::OnCopyFailed(size_t index) {
    // A copy that failed on the way (a full or failing disk, a locked file)
    // is reported, never waited on: a backup then stops and is removed with
    // the game untouched; a restore ends keeping the backups, which the box
    // names.
    const std::string source = SourcePath(index);
    const std::string destination = DestinationPath(index);
    view_.ShowMessage(Message(IDS_WARNING, IDS_BACKUP_COPY_FAILED, Buttons::Ok)
                          .Arg(source.c_str())
                          .Arg(destination.c_str()));
    return End(kResultCancelled);
}

}  // namespace installer
