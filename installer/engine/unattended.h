// A run without a person: the exit codes, the fixed answer to every message
// box, and a progress dialog that runs without a window.
//
// An unattended run (/S) goes through the same flow and step table as an
// interactive one; only the host differs. No page, backdrop or billboard
// shows: each page does what its Next does, every message box is answered
// from the table below, and the progress logic runs on HeadlessProgress. The
// run's exit code says what happened.
//
//   text id                          answer                              exit code
//   67  not enough disk space        OK                                  67
//   69  quit the setup?              OK (quit)                           (the reason before it)
//   74  insert CD n                  OK when another CD-ROM drive holds  74
//                                    disc n (the source moves there),
//                                    otherwise Cancel
//   75  the folder cannot be made    OK                                  75
//   88  uninstall the same version?  Yes with /UNINSTALL, otherwise No   3 / 88
//   90  not a fixed drive            OK                                  90
//   91  a file cannot be read        Cancel (quit)                       91
//   92  no registry access           OK                                  92
//   95  a newer version is installed OK                                  95
//   96  a patch without the game     OK                                  96
//   99  a file to back up is missing OK                                  99
//   100 another language             OK                                  100
//   101 a file cannot be copied      Cancel (quit)                       101
//   102, 103  the script is damaged  OK                                  102, 103
//   104 the root of a drive          OK                                  104
//   110 no room to set files aside   OK                                  110
//   111 files not put back           OK                                  111
//   112 registry not put back        OK                                  112
//   any other                        OK, Yes                             (none)
//
// The last code noted wins, so a failed copy (91) whose rollback also fails
// ends with the rollback's code.
#ifndef INSTALLER_ENGINE_UNATTENDED_H
#define INSTALLER_ENGINE_UNATTENDED_H

#include <cstdint>
#include <functional>
#include <string>

#include "installer/engine/command_line.h"
#include "installer/engine/installer_folders.h"
#include "installer/engine/message_box.h"
#include "installer/engine/progress_view.h"

namespace installer {

// Exit codes of an unattended run. A run refused or failed because of a
// message ends with that message's text id (66 and above).
inline constexpr int kExitInstalled = 0;    // installed, or upgraded
inline constexpr int kExitFailed = 1;       // ended without a message: no data archive, no script
inline constexpr int kExitCancelled = 2;    // ended before anything was installed, with no reason noted
inline constexpr int kExitUninstalled = 3;  // the same version was uninstalled (/UNINSTALL)
inline constexpr int kExitPatched = 4;      // the patch was applied
// The installer went on as a copy of itself in the temporary folder (an
// uninstall started from the game folder); the copy's log tells the rest.
inline constexpr int kExitHandedOver = 5;
// The patch's files could not all be put back after a failed copy.
inline constexpr int kExitNotRestored = 113;
inline constexpr int kExitUnknownSwitch = 114;

// What ended a run: the last reason noted (0 while there is none).
class RunReport {
public:
    void Note(int code) { reason_ = code; }
    int Reason() const { return reason_; }

private:
    int reason_ = 0;
};

class UnattendedAnswers {
public:
    // The root ("E:\") of a CD-ROM drive whose label names disc `disc`,
    // other than `except`; empty when there is none.
    using FindDisc = std::function<std::string(int32_t disc, const std::string& except)>;

    // `folders` is the installation's: the answer to "insert CD n" moves the
    // source folder to the drive that holds the disc.
    UnattendedAnswers(const CommandLine& line, InstallerFolders& folders, RunReport& report, FindDisc findDisc);

    // The fixed answer to `message` (see the table above); notes its code.
    Answer Respond(const Message& message);

private:
    bool MoveToDisc(int32_t disc);

    bool confirmUninstall_;
    InstallerFolders& folders_;
    RunReport& report_;
    FindDisc findDisc_;
};

// A progress dialog without a window: the copy logic's timer becomes a loop
// that ticks every few milliseconds until the logic ends the dialog. Message
// boxes go to the unattended answers; there is nothing to show.
class HeadlessProgress final : public ProgressView {
public:
    using Ask = std::function<installer::Answer(const Message&)>;
    using CheckDiscFunction = std::function<int32_t(const char* drivePath, int32_t discNumber)>;

    HeadlessProgress(Ask ask, CheckDiscFunction checkDisc) : ask_(std::move(ask)), checkDisc_(std::move(checkDisc)) {}

    // Runs `logic` (whose view this is) from its opening to its end and
    // returns the result it ended with. A logic that stops ticking without
    // ending counts as cancelled.
    template <typename Logic>
    int Run(Logic& logic) {
        logic.OnOpen();
        return Loop([&logic] { logic.OnTimer(); });
    }

    void SetCaption(int) override {}
    void SetCancelText(int) override {}
    void SetTotalLabel(int) override {}
    void SetFileLabel(const char*) override {}
    void SetFileBar(int32_t) override {}
    void SetTotalBar(int32_t) override {}
    void EnableCancel(bool) override {}
    void StartTimer() override { timer_ = true; }
    void StopTimer() override { timer_ = false; }
    void EndDialog(int result) override;
    installer::Answer ShowMessage(const Message& message) override { return ask_(message); }
    void Wait(uint32_t milliseconds) override;
    int32_t CheckDisc(const char* drivePath, int32_t discNumber) override {
        return checkDisc_(drivePath, discNumber);
    }
    void LoadBillboardSet(uint32_t) override {}
    void ShowBillboard(uint32_t) override {}

private:
    int Loop(const std::function<void()>& tick);

    Ask ask_;
    CheckDiscFunction checkDisc_;
    bool timer_ = false;
    bool ended_ = false;
    int result_ = 0;
};

}  // namespace installer

#endif  // INSTALLER_ENGINE_UNATTENDED_H
