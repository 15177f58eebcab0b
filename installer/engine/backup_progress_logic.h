// The patch's backup dialog (template 137): before a patch replaces the
// installed files, each backup_file entry's installed file is copied to the
// temporary folder; when the user cancels the patch's copy, the same dialog
// copies them back.
//
//   entry:   backup_file  <installed name>  <backup name>
//   backup:  destination folder + installed name  ->  temporary folder + backup name
//   restore: temporary folder + backup name       ->  destination folder + installed name
//
// Entries are copied in list order, through the copy worker, with the total
// bar measured against request_space_backup. A backup can be cancelled; a
// restore cannot (its Cancel button is disabled), since stopping half-way
// would leave the game half patched. A file that cannot be opened, or whose
// copy fails on the way, is reported and ends the dialog with
// kResultCancelled: the flow then removes the backups (backup mode) or ends
// keeping them (restore mode). Backup names may hold folders; the worker
// creates them below the temporary folder.
#ifndef INSTALLER_ENGINE_BACKUP_PROGRESS_LOGIC_H
#define INSTALLER_ENGINE_BACKUP_PROGRESS_LOGIC_H

#include <cstddef>
#include <string>

#include "installer/engine/copy_progress_logic.h"
#include "installer/engine/install_script.h"
#include "installer/engine/progress_view.h"

namespace installer {

enum class BackupMode { Backup, Restore };

class BackupProgressLogic final : public ProgressLogic {
public:
    // Copies `target.lists.backupFile` between `target.folders.Destination()`
    // and `tempFolder` (the temporary folder, ending in a backslash; empty
    // when it could not be found, which refuses every entry). Reads and
    // writes `target.settings`.
    BackupProgressLogic(ProgressView& view, const InstallScriptTarget& target, BackupMode mode,
                        std::string tempFolder);

    // Caption 51, Cancel 5, label 1004 97 (backup) or 98 (restore), Cancel
    // enabled only for a backup; current_request_space takes
    // request_space_backup; the timer starts.
    void OnOpen() override;

private:
    size_t EntryCount() const override;
    bool StartEntry(size_t index) override;
    bool OnCopyFailed(size_t index) override;
    bool CancelAllowed() const override { return mode_ == BackupMode::Backup; }

    // The entry's two ends, as the copy of this mode runs.
    std::string InstalledPath(size_t index) const;
    std::string BackupPath(size_t index) const;
    std::string SourcePath(size_t index) const;
    std::string DestinationPath(size_t index) const;

    InstallScriptTarget target_;
    BackupMode mode_;
    std::string tempFolder_;
};

}  // namespace installer

#endif  // INSTALLER_ENGINE_BACKUP_PROGRESS_LOGIC_H
