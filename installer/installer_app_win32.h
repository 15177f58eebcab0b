// InstallerApp: PWsetup.exe's program object. Its start-up hook runs the
// installer's flow (installer/engine/installer_flow.h) against the real
// pages, progress dialog, backdrop, message boxes and system services, and
// returns false, so the program ends when the last page closes.
#ifndef INSTALLER_INSTALLER_APP_WIN32_H
#define INSTALLER_INSTALLER_APP_WIN32_H

#include <cstdint>
#include <string>

#include "installer/engine/flow_host.h"
#include "installer/engine/installation.h"
#include "installer/records/registration_snapshot_win32.h"
#include "installer/ui/application_win32.h"
#include "installer/wizard/billboard_window_win32.h"
#include "installer/wizard/destination_page_win32.h"
#include "installer/wizard/pages_win32.h"

namespace installer {

class InstallerApp final : public ui::Application, public FlowHost {
public:
    InstallerApp();

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
};

}  // namespace installer

#endif  // INSTALLER_INSTALLER_APP_WIN32_H
