// The installer's whole run: start-up, the choice between installing,
// uninstalling and patching, and the wizard's steps up to the finish page.
//
// Start-up takes the source folder from the command line (or the current
// folder; when that holds no data archive, the program's own folder, from
// which the program goes on as a temporary copy: see StartTemporaryCopy),
// registers the data archive PWdata.dta, reads the install script,
// creates the backdrop and reads the installed folder and version from the
// registry. Then:
//
//   installed version   is_patch   mode
//   none                false      install: Welcome, Licence, Destination, Copy, Options, Finish
//   none                true       refused with string 96
//   equal               either     uninstall offer (87/88); after Yes the finish page alone
//   greater             either     refused with string 95
//   smaller             false      install over it (an upgrade: a cancel puts
//                                  the older version back, see copy_journal.h)
//   smaller             true       patch: Welcome, Licence, PatchNotes, Backup, Copy, Finish;
//                                  Restore after a cancelled copy
//
// The step table (wizard_steps.h) says what each page's result leads to.
#ifndef INSTALLER_ENGINE_INSTALLER_FLOW_H
#define INSTALLER_ENGINE_INSTALLER_FLOW_H

#include <cstdint>
#include <string>

#include "dta/dta_handle.h"
#include "dta/installer_keys.h"
#include "installer/engine/command_line.h"
#include "installer/engine/copy_journal.h"
#include "installer/engine/flow_host.h"
#include "installer/engine/install_script.h"
#include "installer/engine/unattended.h"
#include "installer/engine/wizard_steps.h"

namespace installer {

// Key words of the installer's data archive and of the billboard archives.
inline constexpr uint32_t kDataArchiveKey1 = dta::kInstallerKey1;
inline constexpr uint32_t kDataArchiveKey2 = dta::kInstallerKey2;
inline constexpr char kDataArchiveName[] = "PWdata.dta";

class InstallerFlow {
public:
    // `target` is what the install script fills (the application's
    // Installation in the program); it outlives the flow.
    InstallerFlow(FlowHost& host, const InstallScriptTarget& target);

    // Runs the whole program on the command line `line` (command_line.h)
    // and returns the run's exit code (unattended.h), which an unattended
    // run gives back to the system. Ends without a message when the source
    // folder does not fit, the data archive cannot be registered or there is
    // no script; a damaged script ends it with string 102 (the line and the
    // reason) or 103 (the reason). A destination given with /D= replaces the
    // script's dst_path (a patch goes where the game is, whatever it says).
    int Run(const CommandLine& line);
    // The same for the text after the program's own name (null counts as
    // empty).
    int Run(const char* commandLine) { return Run(ParseCommandLine(commandLine)); }

    // The reasons noted in this run; the unattended answers note theirs here.
    RunReport& Report() { return report_; }
    int32_t FinishMode() const { return finishMode_; }

private:
    bool TakeSourceFolder(const std::string& source);
    // Registers the data archive in the source folder; false when it cannot.
    bool RegisterDataArchive();
    // Started with no command line from elsewhere (as the system's list of
    // installed programs starts the uninstaller, patch.exe in the game
    // folder), the program finds its data beside itself. An uninstall run
    // there could delete neither the running program nor its folder, so the
    // program copies itself into the temporary folder and starts the copy
    // with its own folder as the copy's source folder. True when the copy
    // runs and this run ends.
    bool StartTemporaryCopy(const CommandLine& line);
    // Reads the game value `valueName` of `size` bytes (as queried) under
    // reg_path into `text`; false when absent, unreadable or implausibly long.
    bool ReadGameValue(const char* valueName, int32_t size, std::string* text);
    // Start-up from the installed state on: the mode decision. False when
    // the run ends here.
    bool DecideMode(int32_t folderSize, int32_t versionSize);
    bool UninstallOffer();
    void RunWizard();
    // The step's action before its page shows; false when the page is
    // skipped (the step has been changed).
    bool RunBefore(const StepRow& row);
    void Apply(const Outcome& outcome);
    // The temporary folder with its backslash; empty when there is none.
    std::string TempFolder();
    bool BackupSpaceAvailable();
    // Opens the upgrade's copy journal in the temporary folder; false, after
    // telling the user, when it cannot be kept.
    bool OpenJournal();
    // Undoes the upgrade's copy; false, after telling the user what is left,
    // when some file could not be put back.
    bool RollBackCopy();
    void StartEax3();
    void StartDirectX();
    // Shows a message that ends the run (or part of it), noting its text id
    // as the run's reason.
    void Refuse(const Message& message);
    // The install log's file: /LOG= or, when the script named the game, the
    // temporary folder's "<game> install.log". Only the first call counts.
    void ChooseLogFile(const CommandLine& line, bool scriptRead);
    int ExitCode() const;

    FlowHost& host_;
    InstallScriptTarget target_;
    dta::ArchiveRef data_;
    RunKind kind_ = RunKind::Install;
    CopyJournal journal_;
    WizardStep step_ = WizardStep::Welcome;
    int32_t finishMode_ = kFinishAborted;
    int32_t folderSize_ = -1;  // size of the installed-folder value at start-up
    RunReport report_;
    bool modeDecided_ = false;  // ended after the installed state was read
    bool handedOver_ = false;
};

}  // namespace installer

#endif  // INSTALLER_ENGINE_INSTALLER_FLOW_H
