#include "installer/engine/installer_flow.h"

#include <cstring>
#include <string>
#include <vector>

#include "dta/dta.h"
#include "installer/engine/language_check.h"
#include "installer/resources/resource.h"
#include "installer/system/install_log.h"
#include "installer/system/system.h"

namespace installer {

namespace {

// The game's values hold a folder or a version; anything longer than the
// installer's path buffers is not one of ours and reads as absent.
constexpr int32_t kMaxGameValueSize = 1024;

constexpr char kEax3Setup[] = "EAX3\\setup.exe";
constexpr char kEax3Arguments[] = " -s";

// The program's copy in the temporary folder, when it runs from there.
constexpr char kTemporaryCopyName[] = "PWremove.exe";

const char* StepName(WizardStep step) {
    switch (step) {
        case WizardStep::Welcome: return "welcome";
        case WizardStep::License: return "licence";
        case WizardStep::PatchInfo: return "patch notes";
        case WizardStep::Destination: return "destination";
        case WizardStep::Copy: return "copy";
        case WizardStep::Options: return "options";
        case WizardStep::Backup: return "backup";
        case WizardStep::Restore: return "restore";
        case WizardStep::Finish: return "finish";
        case WizardStep::End: return "end";
    }
    return "?";
}

const char* ResultName(int result) {
    switch (result) {
        case kResultNext: return "next";
        case kResultEscape: return "escape";
        case kResultCancelled: return "cancelled";
        case kResultBack: return "back";
        case kResultRegistryDenied: return "registry denied";
    }
    return "other";
}

void LogProgramStart(const std::string& program, bool started) {
    if (started) {
        LogLine(LogKind::Run, "started %s", program.c_str());
    } else {
        LogLine(LogKind::Failure, "could not start %s: %s", program.c_str(), SystemReason(LastSystemError()).c_str());
    }
}

// A game name as a file name: characters that Windows refuses in names
// become '_'.
std::string FileNameOf(const char* name) {
    std::string text = name != nullptr && *name != '\0' ? name : "PWsetup";
    for (char& c : text) {
        if (std::strchr("\\/:*?\"<>|", c) != nullptr || static_cast<unsigned char>(c) < 32) c = '_';
    }
    return text;
}

}  // namespace

InstallerFlow::InstallerFlow(FlowHost& host, const InstallScriptTarget& target)
    : host_(host), target_(target) {}

int InstallerFlow::Run(const CommandLine& line) {
    if (line.hasLogFile) ChooseLogFile(line, false);
    const bool commandLineEmpty = line.source.empty();
    if (!TakeSourceFolder(line.source)) {
        LogLine(LogKind::Failure, "the source folder does not fit: %s", line.source.c_str());
        ChooseLogFile(line, false);
        return kExitFailed;
    }
    LogLine(LogKind::Run, "source folder %s", target_.folders.Source());

    if (!RegisterDataArchive()) {
        std::string own;
        if (!commandLineEmpty || !host_.ProgramFolder(&own) || !target_.folders.SetSource(own.c_str()) ||
            !RegisterDataArchive()) {
            LogLine(LogKind::Failure, "no %s in the source folder", kDataArchiveName);
            ChooseLogFile(line, false);
            return kExitFailed;
        }
        LogLine(LogKind::Run, "no %s in the current folder: the source folder is the program's, %s",
                kDataArchiveName, target_.folders.Source());
        // Without a copy the run goes on from here: everything but the
        // program and its folder can still be removed.
        if (StartTemporaryCopy(line)) {
            data_.Reset();
            handedOver_ = true;
            ChooseLogFile(line, false);
            return ExitCode();
        }
    }
    data_->LoadDirectory(kDataArchiveKey1, kDataArchiveKey2);

    const ScriptResult script = ReadInstallScript(target_);
    ChooseLogFile(line, script.Ok());
    if (script.Damaged()) {
        // A script that is there but broken is worth telling about; no
        // script at all ends quietly.
        const bool onLine = script.line > 0;
        Message message(IDS_WARNING, onLine ? IDS_DAMAGED_DATA_LINE : IDS_DAMAGED_DATA, Buttons::Ok);
        if (onLine) message.Arg(script.line);
        Refuse(message.Arg(script.reason.c_str()));
    } else if (!script.Ok()) {
        LogLine(LogKind::Failure, "no install script in %s", kDataArchiveName);
    }
    if (script.Ok()) {
        const SettingsTable& settings = target_.settings;
        LogLine(LogKind::Run, "%s %s, version %s", settings.Text(Setting::GameName),
                settings.Bool(Setting::IsPatch) ? "patch" : "package", settings.Text(Setting::Version));
        if (line.hasDestination && !settings.Bool(Setting::IsPatch) &&
            !target_.folders.SetDestination(line.destination.c_str())) {
            Refuse(Message(IDS_WARNING, IDS_PATH_FAILED, Buttons::Ok));
            data_.Reset();
            return ExitCode();
        }
        host_.CreateBackdrop();
        step_ = WizardStep::Welcome;
        finishMode_ = kFinishAborted;

        const char* key = settings.Text(Setting::RegPath);
        const int32_t folderSize = host_.QueryRegistryValueSize(key, settings.Text(Setting::RegIdirKey));
        const int32_t versionSize = host_.QueryRegistryValueSize(key, settings.Text(Setting::RegVersionKey));
        // A run that needs its folder on the command line ends here silently,
        // but only after an uninstall the user asked for.
        if (DecideMode(folderSize, versionSize)) {
            if (commandLineEmpty && settings.Bool(Setting::RequireLfl)) {
                LogLine(LogKind::Failure, "the script asks for the source folder on the command line");
            } else {
                RunWizard();
            }
        }
    }
    data_.Reset();
    return ExitCode();
}

bool InstallerFlow::TakeSourceFolder(const std::string& source) {
    // The command line's folder is taken verbatim: no quotes removed.
    std::string folder = source;
    if (folder.empty() && !host_.CurrentFolder(&folder)) folder.clear();
    // A folder that does not fit with its backslash is refused, not cut:
    // a cut folder would read some other folder's files.
    return target_.folders.SetSource(folder.c_str());
}

bool InstallerFlow::RegisterDataArchive() {
    const std::string dataPath = std::string(target_.folders.Source()) + kDataArchiveName;
    data_.Reset(dtaCreate(dataPath.c_str()));
    return static_cast<bool>(data_);
}

bool InstallerFlow::StartTemporaryCopy(const CommandLine& line) {
    const std::string temp = TempFolder();
    if (temp.empty()) return false;
    const std::string copy = temp + kTemporaryCopyName;
    // The copy takes the text after its quoted name verbatim as its source
    // folder, so the folder itself goes unquoted; the switches follow it, so
    // the copy runs as this run was asked to.
    const std::string commandLine = "\"" + copy + "\" " + target_.folders.Source() + SwitchesText(line);
    if (!host_.StartProgramCopy(copy.c_str(), commandLine.c_str())) {
        LogLine(LogKind::Failure, "could not start %s (%s): going on from here", copy.c_str(),
                SystemReason(LastSystemError()).c_str());
        return false;
    }
    LogLine(LogKind::Run, "going on as %s", commandLine.c_str());
    return true;
}

bool InstallerFlow::ReadGameValue(const char* valueName, int32_t size, std::string* text) {
    if (size <= 0 || size > kMaxGameValueSize) return false;
    // One byte more than the value: a value stored without its terminating
    // zero (by another tool) still reads whole and ends in the zero here.
    std::vector<char> buffer(static_cast<size_t>(size) + 1, '\0');
    if (!host_.ReadRegistryValue(target_.settings.Text(Setting::RegPath), valueName, buffer.data(),
                                 static_cast<uint32_t>(buffer.size()))) {
        return false;
    }
    buffer.back() = '\0';
    text->assign(buffer.data());
    return true;
}

bool InstallerFlow::DecideMode(int32_t folderSize, int32_t versionSize) {
    modeDecided_ = true;
    const SettingsTable& settings = target_.settings;
    const bool patch = settings.Bool(Setting::IsPatch);
    bool folderPresent = folderSize > 0;
    folderSize_ = folderSize;

    // A patch goes where the game is, whatever the script's dst_path says; a
    // folder value that cannot be used counts as absent.
    if (folderPresent && patch) {
        std::string folder;
        folderPresent = ReadGameValue(settings.Text(Setting::RegIdirKey), folderSize, &folder) &&
                        target_.folders.SetDestination(folder.c_str());
    }

    std::string installed;
    bool isInstalled =
        versionSize > 0 && ReadGameValue(settings.Text(Setting::RegVersionKey), versionSize, &installed);
    if (!isInstalled && folderPresent) {
        // Versions before the version value was written.
        installed = "1.0";
        isInstalled = true;
    }

    if (!isInstalled) {
        if (patch) {
            Refuse(Message(IDS_WARNING, IDS_NOT_INSTALLED, Buttons::Ok));
            return false;
        }
    } else {
        // Byte by byte as unsigned bytes, a prefix being the smaller: so
        // "1.10" is below "1.9".
        const int order = std::strcmp(installed.c_str(), settings.Text(Setting::Version));
        if (order == 0) {
            LogLine(LogKind::Run, "the same version %s is installed: uninstall offer", installed.c_str());
            return UninstallOffer();
        }
        if (order > 0) {
            LogLine(LogKind::Run, "version %s is installed", installed.c_str());
            Refuse(Message(IDS_WARNING, IDS_LATEST_INSTALLED, Buttons::Ok));
            return false;
        }
        if (!patch) kind_ = RunKind::Upgrade;
        LogLine(LogKind::Run, "version %s is installed", installed.c_str());
    }
    if (patch) kind_ = RunKind::Patch;
    LogLine(LogKind::Run, "mode %s",
            kind_ == RunKind::Patch ? "patch" : kind_ == RunKind::Upgrade ? "upgrade" : "install");

    if (patch && step_ != WizardStep::Finish &&
        !LanguageCheck(target_.folders.Destination(), target_.folders.Source())) {
        Refuse(Message(IDS_WARNING, IDS_OTHER_LANGUAGE, Buttons::Ok));
        return false;
    }
    return true;
}

bool InstallerFlow::UninstallOffer() {
    if (host_.ShowMessage(Message(IDS_UNINSTALL_TITLE, IDS_UNINSTALL_QUESTION, Buttons::YesNo)) !=
        Answer::Yes) {
        LogLine(LogKind::Run, "the uninstall was declined");
        return false;
    }
    const SettingsTable& settings = target_.settings;
    std::string folder;
    bool haveFolder = false;
    if (folderSize_ > 0) {
        // A folder value that cannot name a folder is not guessed at: nothing
        // on disk is touched and the finish page says that nothing happened.
        haveFolder =
            ReadGameValue(settings.Text(Setting::RegIdirKey), folderSize_, &folder) && folder.size() >= 2;
    } else {
        // Without a folder value the game went to the script's default
        // folder. Only what the script lists is removed there, and the
        // version value and record go with it, so the next run does not
        // offer the same uninstall again.
        folder = target_.folders.Destination();
        haveFolder = folder.size() >= 2;
    }
    data_.Reset();
    if (haveFolder) {
        host_.UninstallGame(folder.c_str());
        finishMode_ = kFinishUninstalled;
    } else {
        finishMode_ = kFinishAborted;
    }
    step_ = WizardStep::Finish;
    return true;
}

void InstallerFlow::RunWizard() {
    while (step_ != WizardStep::End) {
        const StepRow* row = FindStepRow(step_);
        if (row == nullptr) break;
        if (!RunBefore(*row)) continue;

        PageParams params;
        params.finishMode = finishMode_;
        if (kind_ == RunKind::Upgrade && row->page == Page::Copy) params.journal = &journal_;
        LogLine(LogKind::Step, "%s", StepName(step_));
        const int result = host_.ShowPage(row->page, params);
        LogLine(LogKind::Step, "%s ended: %s", StepName(step_), ResultName(result));
        // The restore dialog ends other than with Next only when a file could
        // not be put back (it cannot be cancelled).
        if (step_ == WizardStep::Restore && result != kResultNext) report_.Note(kExitNotRestored);
        if (row->after == AfterPage::StartDirectXSetup) StartDirectX();
        Apply(OutcomeOf(step_, result, kind_));
    }
}

bool InstallerFlow::RunBefore(const StepRow& row) {
    switch (row.before) {
        case BeforePage::Nothing:
            break;
        case BeforePage::FocusBackdrop:
            host_.FocusBackdrop();
            break;
        case BeforePage::ReleaseDataArchive:
            data_.Reset();
            if (kind_ == RunKind::Upgrade && !journal_.IsOpen() && !OpenJournal()) {
                finishMode_ = kFinishAborted;
                step_ = WizardStep::Finish;
                return false;
            }
            break;
        case BeforePage::CheckBackupSpace:
            if (!BackupSpaceAvailable()) {
                finishMode_ = kFinishAborted;
                step_ = WizardStep::Finish;
                return false;
            }
            break;
    }
    return true;
}

void InstallerFlow::Apply(const Outcome& outcome) {
    bool restored = true;
    if (outcome.actions & kSaveRegistration) host_.SaveRegistration();
    if (outcome.actions & kRegisterInstallation) host_.RegisterInstallation();
    if (outcome.actions & kRemoveBackupFiles) host_.RemoveBackupFiles();
    if (outcome.actions & kUninstallDestination) host_.UninstallGame(target_.folders.Destination());
    if (outcome.actions & kRollBackCopy) restored = RollBackCopy();
    if ((outcome.actions & kRestoreRegistration) && !host_.RestoreRegistration()) {
        Refuse(Message(IDS_WARNING, IDS_REGISTRY_NOT_RESTORED, Buttons::Ok));
        restored = false;
    }
    if (outcome.actions & kDiscardJournal) journal_.Discard();
    if (outcome.actions & kStartEax3Setup) StartEax3();
    if (outcome.finishMode != kKeepFinishMode) finishMode_ = outcome.finishMode;
    // The finish page must not say that nothing changed when that is untrue.
    if (!restored) finishMode_ = kFinishNotRestored;
    step_ = outcome.next;
}

bool InstallerFlow::OpenJournal() {
    const std::string temp = TempFolder();
    if (journal_.Open(temp)) return true;
    Refuse(Message(IDS_WARNING, IDS_JOURNAL_FAILED, Buttons::Ok).Arg(temp.c_str()));
    return false;
}

bool InstallerFlow::RollBackCopy() {
    // A journal that never opened has nothing to undo: the copy never ran.
    if (!journal_.IsOpen()) return true;
    const std::string folder = journal_.Folder();
    const std::vector<std::string> left = journal_.RollBack();
    if (left.empty()) return true;
    Refuse(Message(IDS_WARNING, IDS_FILES_NOT_RESTORED, Buttons::Ok)
                          .Arg(left.front().c_str())
                          .Arg(folder.c_str()));
    return false;
}

std::string InstallerFlow::TempFolder() {
    char temp[kCreatePathBufferSize] = {};
    if (!host_.GetTempFolder(temp, sizeof temp)) temp[0] = '\0';
    temp[sizeof temp - 1] = '\0';
    return temp;
}

bool InstallerFlow::BackupSpaceAvailable() {
    const std::string root = TempFolder().substr(0, 3);

    const int64_t wanted = target_.settings.Int64(Setting::RequestSpaceBackup);
    const uint64_t required = wanted > 0 ? static_cast<uint64_t>(wanted) : 0;
    uint64_t available = 0;
    if (host_.HasFreeSpace(root.c_str(), required, &available)) return true;

    char requiredText[kByteSizeTextSize];
    char availableText[kByteSizeTextSize];
    FormatByteSize(required, requiredText, sizeof requiredText);
    FormatByteSize(available, availableText, sizeof availableText);
    Refuse(Message(IDS_WARNING, IDS_NO_DISK_SPACE, Buttons::Ok).Arg(requiredText).Arg(availableText));
    return false;
}

void InstallerFlow::Refuse(const Message& message) {
    report_.Note(message.textId);
    host_.ShowMessage(message);
}

void InstallerFlow::ChooseLogFile(const CommandLine& line, bool scriptRead) {
    if (InstallLogHasFile()) return;
    std::string path = line.logFile;
    if (!line.hasLogFile) {
        const std::string temp = TempFolder();
        if (temp.empty()) return;
        const char* game = scriptRead ? target_.settings.Text(Setting::GameName) : nullptr;
        path = temp + FileNameOf(game) + " install.log";
    }
    if (SetInstallLogFile(path)) LogLine(LogKind::Run, "log %s", path.c_str());
}

int InstallerFlow::ExitCode() const {
    if (handedOver_) return kExitHandedOver;
    if (finishMode_ == kFinishInstalled) return kind_ == RunKind::Patch ? kExitPatched : kExitInstalled;
    if (finishMode_ == kFinishUninstalled) return kExitUninstalled;
    if (report_.Reason() != 0) return report_.Reason();
    if (finishMode_ == kFinishRegistryDenied) return IDS_REGISTRY_DENIED;
    if (finishMode_ == kFinishNotRestored) return kExitNotRestored;
    return modeDecided_ ? kExitCancelled : kExitFailed;
}

void InstallerFlow::StartEax3() {
    const std::string program = std::string(target_.folders.Source()) + kEax3Setup;
    const std::string commandLine = program + kEax3Arguments;
    LogProgramStart(program, host_.RunProgram(program.c_str(), commandLine.c_str()));
}

void InstallerFlow::StartDirectX() {
    if (finishMode_ != kFinishInstalled || !host_.DirectXChosen()) return;
    const int32_t windows = host_.GetWindowsVersion();
    const bool nt = windows == kWindows2000 || windows == kWindowsOtherNt;
    const std::string program = std::string(target_.folders.Source()) +
                                target_.settings.Text(nt ? Setting::DirectxNTName : Setting::DirectxName);
    LogProgramStart(program, host_.RunProgram(program.c_str(), nullptr));
}

}  // namespace installer
