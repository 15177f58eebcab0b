#include "installer/installer_app_win32.h"

#include <windows.h>

#include <vector>

#include "installer/engine/installer_flow.h"
#include "installer/records/registry_installation_win32.h"
#include "installer/records/registry_values_win32.h"
#include "installer/system/system.h"
#include "installer/records/uninstaller_win32.h"
#include "installer/wizard/progress_dialog_win32.h"
#include "installer/wizard/texts_win32.h"

namespace installer {

namespace {

// The patch notes in the installer's archive.
constexpr char kPatchNotes[] = "patch.txt";

// The running program's file, however long its path.
bool ProgramPath(std::string* path) {
    std::vector<char> text(MAX_PATH);
    for (;;) {
        const DWORD length = GetModuleFileNameA(nullptr, text.data(), static_cast<DWORD>(text.size()));
        if (length == 0) return false;
        if (length < text.size() - 1) {
            path->assign(text.data(), length);
            return true;
        }
        // A cut path fills the buffer: try again with a larger one.
        if (text.size() >= 32768) return false;
        text.resize(text.size() * 2);
    }
}

}  // namespace

InstallerApp::InstallerApp()
    : welcome_(installation_),
      licence_(installation_),
      destination_(installation_, setupType_),
      finish_(installation_),
      options_(installation_),
      patchNotes_(installation_, kPatchNotes),
      backdrop_(installation_) {}

bool InstallerApp::InitInstance() {
    InstallerFlow flow(*this, installation_.Target());
    flow.Run(ui::TextAfterProgramName(GetCommandLineA()));
    return false;
}

bool InstallerApp::CurrentFolder(std::string* folder) {
    const DWORD needed = GetCurrentDirectoryA(0, nullptr);
    if (needed == 0) return false;
    std::vector<char> text(needed + 1);
    const DWORD length = GetCurrentDirectoryA(static_cast<DWORD>(text.size()), text.data());
    if (length == 0 || length >= text.size()) return false;
    folder->assign(text.data(), length);
    return true;
}

bool InstallerApp::ProgramFolder(std::string* folder) {
    std::string path;
    if (!ProgramPath(&path)) return false;
    const size_t slash = path.find_last_of('\\');
    if (slash == std::string::npos) return false;
    folder->assign(path, 0, slash);
    return true;
}

void InstallerApp::CreateBackdrop() {
    if (backdrop_.Create()) SetMainWindow(backdrop_.Handle());
}

void InstallerApp::FocusBackdrop() {
    if (backdrop_.Handle() != nullptr) SetFocus(backdrop_.Handle());
}

int InstallerApp::ShowPage(Page page, const PageParams& params) {
    HWND owner = MainWindow();
    switch (page) {
        case Page::Welcome:
            return welcome_.DoModal(owner);
        case Page::Licence:
            return licence_.DoModal(owner);
        case Page::PatchNotes:
            return patchNotes_.DoModal(owner);
        case Page::Destination:
            return destination_.DoModal(owner);
        case Page::Copy: {
            wizard::CopyProgressDialog copy(backdrop_, installation_, params.journal);
            return copy.DoModal(owner);
        }
        case Page::Options:
            return options_.DoModal(owner);
        case Page::Finish:
            finish_.SetFinishMode(params.finishMode);
            return finish_.DoModal(owner);
        case Page::Backup:
        case Page::Restore: {
            wizard::BackupProgressDialog backup(
                backdrop_, installation_, page == Page::Backup ? BackupMode::Backup : BackupMode::Restore);
            return backup.DoModal(owner);
        }
    }
    return kResultCancelled;
}

bool InstallerApp::DirectXChosen() {
    return options_.InstallDirectX();
}

Answer InstallerApp::ShowMessage(const Message& message) {
    return wizard::ShowMessage(nullptr, message, installation_.settings);
}

int32_t InstallerApp::QueryRegistryValueSize(const char* keyPath, const char* valueName) {
    return installer::QueryRegistryValueSize(HKEY_LOCAL_MACHINE, keyPath, valueName);
}

bool InstallerApp::ReadRegistryValue(const char* keyPath, const char* valueName, char* buffer,
                                     uint32_t bufferSize) {
    return installer::ReadRegistryValue(HKEY_LOCAL_MACHINE, keyPath, valueName, buffer, bufferSize);
}

void InstallerApp::RegisterInstallation() {
    installer::RegisterInstallation(installation_);
}

void InstallerApp::UninstallGame(const char* folder) {
    installer::UninstallGame(installation_, folder);
}

void InstallerApp::RemoveBackupFiles() {
    installer::RemoveBackupFiles(installation_);
}

void InstallerApp::SaveRegistration() {
    registration_.Take(installation_);
}

bool InstallerApp::RestoreRegistration() {
    return registration_.Restore();
}

bool InstallerApp::GetTempFolder(char* buffer, uint32_t bufferSize) {
    return installer::GetTempFolder(buffer, bufferSize);
}

bool InstallerApp::HasFreeSpace(const char* driveRoot, uint64_t required, uint64_t* available) {
    return installer::HasFreeSpace(driveRoot, required, available);
}

int32_t InstallerApp::GetWindowsVersion() {
    return installer::GetWindowsVersion();
}

bool InstallerApp::RunProgram(const char* programPath, const char* commandLine) {
    return installer::RunProgram(programPath, commandLine);
}

bool InstallerApp::StartProgramCopy(const char* copyPath, const char* commandLine) {
    std::string program;
    return ProgramPath(&program) && installer::StartProgramCopy(program.c_str(), copyPath, commandLine);
}

}  // namespace installer
