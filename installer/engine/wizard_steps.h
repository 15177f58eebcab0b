// The wizard as data: which page each step shows, what runs before it, and
// what each result of the page leads to, for an install and for a patch.
//
//   step         page         result 1                          12         9
//   Welcome      Welcome      Licence                           end        finish 0 (denied: -2)
//   Licence      Licence      Destination (patch: PatchInfo)    Welcome    finish 0
//   PatchInfo    PatchNotes   Backup                            Licence    finish 0
//   Destination  Destination  Copy                              Licence    finish 0
//   Copy         Copy         register, Options                 end        uninstall, finish 0
//                             (upgrade: keep the old            (upgrade: roll back, finish 0)
//                              registration first)                         (patch: Restore)
//                             (patch: register, remove backups,
//                              finish 1)
//   Options      Options      EAX3 setup, finish 1              end        uninstall, finish 0
//                             (upgrade: discard the journal)               (upgrade: roll back,
//                                                                           put the old
//                                                                           registration back,
//                                                                           finish 0)
//   Backup       Backup       Copy                              end        remove backups, finish 0
//   Restore      Restore      remove backups, finish 0          end        end
//   Finish       Finish       DirectX setup, then end, whatever the result
//
// "finish N" sets the finish mode and goes to Finish. Every result not in
// the table ends the wizard at once, without the finish page.
//
// An upgrade is an install over an older version: its copy keeps a journal
// (copy_journal.h), and a cancel puts the old version back from it instead
// of uninstalling, since the folder holds the old version's files.
#ifndef INSTALLER_ENGINE_WIZARD_STEPS_H
#define INSTALLER_ENGINE_WIZARD_STEPS_H

#include <cstdint>

#include "installer/engine/flow_host.h"

namespace installer {

enum class WizardStep {
    Welcome,
    License,
    PatchInfo,
    Destination,
    Copy,
    Options,
    Backup,
    Restore,
    Finish,
    End
};

// What runs before a step's page shows.
enum class BeforePage {
    Nothing,
    FocusBackdrop,       // the backdrop takes the keyboard focus
    ReleaseDataArchive,  // the copy reads from the discs; the data archive goes
    CheckBackupSpace,    // the temporary folder's drive must hold request_space_backup
};

// What runs after a step's page has closed, whatever its result.
enum class AfterPage {
    Nothing,
    StartDirectXSetup,  // when chosen on the options page and the game was installed
};

// What kind of run the wizard drives.
enum class RunKind {
    Install,  // nothing installed before
    Upgrade,  // an install over an older version
    Patch,
};

// Actions of an outcome, run in this order.
enum OutcomeAction : uint32_t {
    kSaveRegistration = 1u << 0,      // keep the old version's values and record aside
    kRegisterInstallation = 1u << 1,  // shortcuts, uninstall record, folder and version values
    kRemoveBackupFiles = 1u << 2,
    kUninstallDestination = 1u << 3,  // UninstallGame on the destination folder
    kRollBackCopy = 1u << 4,          // undo the copy journal
    kRestoreRegistration = 1u << 5,   // put the values and record kept aside back
    kDiscardJournal = 1u << 6,        // the upgrade stays: drop the copies set aside
    kStartEax3Setup = 1u << 7,
};

inline constexpr int32_t kKeepFinishMode = 2;  // not a finish mode: leave it as it is

struct Outcome {
    uint32_t actions;
    int32_t finishMode;  // kKeepFinishMode or the mode to set
    WizardStep next;
};

struct StepRow {
    WizardStep step;
    Page page;
    BeforePage before;
    AfterPage after;
};

// The row of `step`; null for WizardStep::End.
const StepRow* FindStepRow(WizardStep step);

// What `result` of `step`'s page leads to in a run of `kind`. The finish
// step and every result outside the table end the wizard.
Outcome OutcomeOf(WizardStep step, int result, RunKind kind);

}  // namespace installer

#endif  // INSTALLER_ENGINE_WIZARD_STEPS_H
