// InstallerApp: PWsetup.exe's program object. Its start-up hook runs the
// installer's flow (installer/engine/installer_flow.h) against the real
// pages, progress dialog, backdrop, message boxes and system services, and
// returns false, so the program ends when the last page closes.
//
// Run with /S it is the same flow without a person (installer/engine/
// unattended.h): no page, backdrop or billboard shows; each page does what
// its Next does, the progress dialogs run without a window, every message
// box takes its fixed answer, and the program's exit code says what
// happened. An interactive run always ends with 0, as it always did.
#ifndef INSTALLER_INSTALLER_APP_WIN32_H
#define INSTALLER_INSTALLER_APP_WIN32_H

#include <cstdint>
#include <memory>
#include <string>

#include "installer/engine/command_line.h"
#include "installer/engine/flow_host.h"
#include "installer/engine/installation.h"
#include "installer/engine/unattended.h"
#include "installer/records/registration_snapshot_win32.h"
#include "installer/ui/application_win32.h"
#include "installer/wizard/billboard_window_win32.h"
#include "installer/wizard/destination_page_win32.h"
#include "installer/wizard/pages_win32.h"

namespace installer {

class InstallerApp final : public ui::Application, public FlowHost {
public:
    InstallerApp();

    // The exit code of the finished run.
    int ExitCode() const { return exitCode_; }

    // FlowHost, bound to the real program.
    bool CurrentFolder(std::string* folder) override;
    bool ProgramFolder(std::string* folder) override;
    void CreateBackdrop() override;
    void FocusBackdrop() override;
    int ShowPage(Page page, const PageParams& params) override;
    bool DirectXChosen() override;
    Answer ShowMessage(const Message& message) override;
    int32_t QueryRegistryValueSize(const char* keyPath, const char* valueName) override;
    bool ReadRegistryValue(const char* keyPath, const char* valueName, char* buffer,
                           uint32_t bufferSize) override;
    void RegisterInstallation() override;
    void UninstallGame(const char* folder) override;
    void RemoveBackupFiles() override;
    void SaveRegistration() override;
    bool RestoreRegistration() override;
    bool GetTempFolder(char* buffer, uint32_t bufferSize) override;
    bool HasFreeSpace(const char* driveRoot, uint64_t required, uint64_t* available) override;
    int32_t GetWindowsVersion() override;
    bool RunProgram(const char* programPath, const char* commandLine) override;
    bool StartProgramCopy(const char* copyPath, const char* commandLine) override;

private:
    // Runs the whole program; always false.
    bool InitInstance() override;

    // A page as a run without a person goes through it.
    int RunPageUnattended(Page page, const PageParams& params);
    // Tells the user something that the log could not be written, or that
    // the command line is wrong: a message box, or without a person a line
    // on the standard error output (when there is one).
    void Report(const Message& message);

    // The installation the whole program works on; declared first, so it
    // outlives every page and window that refers to it.
    Installation installation_;
    int32_t setupType_ = wizard::kSetupFull;
    wizard::WelcomePage welcome_;
    wizard::LicencePage licence_;
    wizard::DestinationPage destination_;
    wizard::FinishPage finish_;
    wizard::OptionsPage options_;
    wizard::TextPage patchNotes_;
    wizard::BillboardWindow backdrop_;
    RegistrationSnapshot registration_;
    CommandLine commandLine_;
    std::unique_ptr<UnattendedAnswers> answers_;  // set for a run with /S
    int exitCode_ = 0;
};

}  // namespace installer

#endif  // INSTALLER_INSTALLER_APP_WIN32_H
