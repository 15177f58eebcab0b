#include "installer/engine/wizard_steps.h"

namespace installer {

namespace {

using S = WizardStep;

constexpr StepRow kSteps[] = {
    {S::Welcome, Page::Welcome, BeforePage::FocusBackdrop, AfterPage::Nothing},
    {S::License, Page::Licence, BeforePage::Nothing, AfterPage::Nothing},
    {S::PatchInfo, Page::PatchNotes, BeforePage::Nothing, AfterPage::Nothing},
    {S::Destination, Page::Destination, BeforePage::Nothing, AfterPage::Nothing},
    {S::Copy, Page::Copy, BeforePage::ReleaseDataArchive, AfterPage::Nothing},
    {S::Options, Page::Options, BeforePage::Nothing, AfterPage::Nothing},
    {S::Backup, Page::Backup, BeforePage::CheckBackupSpace, AfterPage::Nothing},
    {S::Restore, Page::Restore, BeforePage::Nothing, AfterPage::Nothing},
    {S::Finish, Page::Finish, BeforePage::Nothing, AfterPage::StartDirectXSetup},
};

// Install rows serve fresh installs and upgrades alike; the first row that
// matches wins, so an Upgrade row ahead of an Install row overrides it.
enum class Mode { Any, Install, Upgrade, Patch };

struct Transition {
    WizardStep step;
    int result;
    Mode mode;
    Outcome outcome;
};

constexpr int32_t kKeep = kKeepFinishMode;

constexpr Transition kTransitions[] = {
    {S::Welcome, kResultNext, Mode::Any, {0, kKeep, S::License}},
    {S::Welcome, kResultCancelled, Mode::Any, {0, kFinishAborted, S::Finish}},
    {S::Welcome, kResultRegistryDenied, Mode::Any, {0, kFinishRegistryDenied, S::Finish}},

    {S::License, kResultNext, Mode::Install, {0, kKeep, S::Destination}},
    {S::License, kResultNext, Mode::Patch, {0, kKeep, S::PatchInfo}},
    {S::License, kResultBack, Mode::Any, {0, kKeep, S::Welcome}},
    {S::License, kResultCancelled, Mode::Any, {0, kFinishAborted, S::Finish}},

    {S::PatchInfo, kResultNext, Mode::Any, {0, kKeep, S::Backup}},
    {S::PatchInfo, kResultBack, Mode::Any, {0, kKeep, S::License}},
    {S::PatchInfo, kResultCancelled, Mode::Any, {0, kFinishAborted, S::Finish}},

    {S::Destination, kResultNext, Mode::Any, {0, kKeep, S::Copy}},
    {S::Destination, kResultBack, Mode::Any, {0, kKeep, S::License}},
    {S::Destination, kResultCancelled, Mode::Any, {0, kFinishAborted, S::Finish}},

    {S::Copy,
     kResultNext,
     Mode::Upgrade,
     {kSaveRegistration | kRegisterInstallation, kKeep, S::Options}},
    {S::Copy, kResultNext, Mode::Install, {kRegisterInstallation, kKeep, S::Options}},
    {S::Copy,
     kResultNext,
     Mode::Patch,
     {kRegisterInstallation | kRemoveBackupFiles, kFinishInstalled, S::Finish}},
    {S::Copy, kResultCancelled, Mode::Upgrade, {kRollBackCopy, kFinishAborted, S::Finish}},
    {S::Copy, kResultCancelled, Mode::Install, {kUninstallDestination, kFinishAborted, S::Finish}},
    {S::Copy, kResultCancelled, Mode::Patch, {0, kKeep, S::Restore}},

    {S::Options,
     kResultNext,
     Mode::Upgrade,
     {kDiscardJournal | kStartEax3Setup, kFinishInstalled, S::Finish}},
    {S::Options, kResultNext, Mode::Any, {kStartEax3Setup, kFinishInstalled, S::Finish}},
    {S::Options,
     kResultCancelled,
     Mode::Upgrade,
     {kRollBackCopy | kRestoreRegistration, kFinishAborted, S::Finish}},
    {S::Options, kResultCancelled, Mode::Any, {kUninstallDestination, kFinishAborted, S::Finish}},

    {S::Backup, kResultNext, Mode::Any, {0, kKeep, S::Copy}},
    {S::Backup, kResultCancelled, Mode::Any, {kRemoveBackupFiles, kFinishAborted, S::Finish}},

    {S::Restore, kResultNext, Mode::Any, {kRemoveBackupFiles, kFinishAborted, S::Finish}},
};

bool ModeMatches(Mode mode, RunKind kind) {
    switch (mode) {
        case Mode::Any:
            return true;
        case Mode::Install:
            return kind != RunKind::Patch;
        case Mode::Upgrade:
            return kind == RunKind::Upgrade;
        case Mode::Patch:
            return kind == RunKind::Patch;
    }
    return false;
}

}  // namespace

const StepRow* FindStepRow(WizardStep step) {
    for (const StepRow& row : kSteps) {
        if (row.step == step) return &row;
    }
    return nullptr;
}

Outcome OutcomeOf(WizardStep step, int result, RunKind kind) {
    for (const Transition& transition : kTransitions) {
        if (transition.step == step && transition.result == result && ModeMatches(transition.mode, kind)) {
            return transition.outcome;
        }
    }
    return Outcome{0, kKeepFinishMode, WizardStep::End};
}

}  // namespace installer
