#include "installer/installer_app_win32.h"

#include <windows.h>

#include <vector>

#include "installer/engine/backup_progress_logic.h"
#include "installer/engine/copy_progress_logic.h"
#include "installer/engine/installer_flow.h"
#include "installer/records/registry_installation_win32.h"
#include "installer/records/registry_values_win32.h"
#include "installer/system/install_log.h"
#include "installer/system/system.h"
#include "installer/records/uninstaller_win32.h"
#include "installer/resources/resource.h"
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

const char* OutcomeName(int code) {
    switch (code) {
        case kExitInstalled: return "installed";
        case kExitFailed: return "failed";
        case kExitCancelled: return "cancelled";
        case kExitUninstalled: return "uninstalled";
        case kExitPatched: return "patched";
        case kExitHandedOver: return "handed over to a copy of the installer";
    }
    return "refused or failed (the code is the message's text id)";
}

// The temporary folder with its backslash, or the empty text when Windows
// names none.
std::string TempFolderText() {
    char folder[kCreatePathBufferSize];
    return GetTempFolder(folder, sizeof folder) ? std::string(folder) : std::string();
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
    const char* text = ui::TextAfterProgramName(GetCommandLineA());
    commandLine_ = ParseCommandLine(text);
    const bool unattended = commandLine_.unattended;
    SetInstallLogFailureHandler([this](const std::string& path, const std::string& reason) {
        Report(Message(IDS_WARNING, IDS_LOG_FAILED, Buttons::Ok).Arg(path.c_str()).Arg(reason.c_str()));
    });
    LogLine(LogKind::Run, "PWsetup started (%s) with the command line: %s", unattended ? "unattended" : "interactive",
            text);

    if (!commandLine_.refusedWord.empty()) {
        LogLine(LogKind::Failure, "unknown switch %s", commandLine_.refusedWord.c_str());
        Report(Message(IDS_WARNING, IDS_UNKNOWN_SWITCH, Buttons::Ok).Arg(commandLine_.refusedWord.c_str()));
        exitCode_ = unattended ? kExitUnknownSwitch : 0;
        const std::string temp = TempFolderText();
        if (commandLine_.hasLogFile) {
            SetInstallLogFile(commandLine_.logFile);
        } else if (!temp.empty()) {
            SetInstallLogFile(temp + "PWsetup install.log");
        }
        LogLine(LogKind::Finish, "%s; exit code %d", OutcomeName(kExitUnknownSwitch), exitCode_);
        return false;
    }

    InstallerFlow flow(*this, installation_.Target());
    if (unattended) {
        answers_ = std::make_unique<UnattendedAnswers>(commandLine_, installation_.folders, flow.Report(),
                                                       FindDiscDrive);
    }
    const int outcome = flow.Run(commandLine_);
    exitCode_ = unattended ? outcome : 0;
    LogLine(LogKind::Finish, "%s (finish mode %d); exit code %d", OutcomeName(outcome),
            static_cast<int>(flow.FinishMode()), exitCode_);
    return false;
}

void InstallerApp::Report(const Message& message) {
    if (!commandLine_.unattended) {
        wizard::ShowMessage(nullptr, message, installation_.settings);
        return;
    }
    MessageTexts texts;
    ComposeMessage(message, installation_.settings, ui::LoadRawText, &texts);
    const HANDLE error = GetStdHandle(STD_ERROR_HANDLE);
    if (error == nullptr || error == INVALID_HANDLE_VALUE) return;
    const std::string line = std::string("PWsetup: ") + texts.text + "\r\n";
    DWORD written = 0;
    WriteFile(error, line.data(), static_cast<DWORD>(line.size()), &written, nullptr);
}

int InstallerApp::RunPageUnattended(Page page, const PageParams& params) {
    const auto ask = [this](const Message& message) { return ShowMessage(message); };
    switch (page) {
        case Page::Welcome:
            if (wizard::CanWriteGameKey(installation_)) return kResultNext;
            ask(Message(IDS_WARNING, IDS_REGISTRY_DENIED, Buttons::Ok));
            return kResultRegistryDenied;
        case Page::Licence:
        case Page::PatchNotes:
        case Page::Finish:
            return kResultNext;
        case Page::Destination: {
            const std::string folder = installation_.folders.Destination();
            return wizard::AcceptDestinationFolder(installation_, folder, setupType_, ask) ? kResultNext
                                                                                          : kResultCancelled;
        }
        case Page::Copy: {
            HeadlessProgress view(ask, CheckDiscLabel);
            CopyProgressLogic logic(view, installation_.Target(), params.journal);
            return view.Run(logic);
        }
        case Page::Options:
            // The options' defaults: the desktop shortcut, no DirectX.
            wizard::CreateGameDesktopShortcut(installation_);
            return kResultNext;
        case Page::Backup:
        case Page::Restore: {
            HeadlessProgress view(ask, CheckDiscLabel);
            BackupProgressLogic logic(view, installation_.Target(),
                                      page == Page::Backup ? BackupMode::Backup : BackupMode::Restore,
                                      TempFolderText());
            return view.Run(logic);
        }
    }
    return kResultCancelled;
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
    if (answers_) return;
    if (backdrop_.Create()) SetMainWindow(backdrop_.Handle());
}

void InstallerApp::FocusBackdrop() {
    if (answers_) return;
    if (backdrop_.Handle() != nullptr) SetFocus(backdrop_.Handle());
}

int InstallerApp::ShowPage(Page page, const PageParams& params) {
    if (answers_) return RunPageUnattended(page, params);
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
    return !answers_ && options_.InstallDirectX();
}

Answer InstallerApp::ShowMessage(const Message& message) {
    if (!answers_) return wizard::ShowMessage(nullptr, message, installation_.settings);
    const Answer answer = answers_->Respond(message);
    wizard::LogMessage(message, installation_.settings, answer, " (unattended)");
    return answer;
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
