#include "installer/engine/unattended.h"

#include <chrono>
#include <thread>

#include "installer/engine/flow_host.h"
#include "installer/resources/resource.h"
#include "installer/system/install_log.h"

namespace installer {

namespace {

// How often the headless progress looks at the copy worker. The dialog's
// timer ticks once a second for the eye; nobody watches here.
constexpr auto kTickPeriod = std::chrono::milliseconds(10);

struct FixedAnswer {
    int textId;
    Answer answer;
    bool noted;  // the text id becomes the run's exit code
};

constexpr FixedAnswer kFixedAnswers[] = {
    {IDS_NO_DISK_SPACE, Answer::Ok, true},
    {IDS_EXIT_QUESTION, Answer::Ok, false},
    {IDS_PATH_FAILED, Answer::Ok, true},
    {IDS_NOT_FIXED_DRIVE, Answer::Ok, true},
    {IDS_CANNOT_READ_FILE, Answer::Cancel, true},
    {IDS_REGISTRY_DENIED, Answer::Ok, true},
    {IDS_LATEST_INSTALLED, Answer::Ok, true},
    {IDS_NOT_INSTALLED, Answer::Ok, true},
    {IDS_BACKUP_SOURCE_MISSING, Answer::Ok, true},
    {IDS_OTHER_LANGUAGE, Answer::Ok, true},
    {IDS_BACKUP_COPY_FAILED, Answer::Cancel, true},
    {IDS_DAMAGED_DATA_LINE, Answer::Ok, true},
    {IDS_DAMAGED_DATA, Answer::Ok, true},
    {IDS_DRIVE_ROOT, Answer::Ok, true},
    {IDS_JOURNAL_FAILED, Answer::Ok, true},
    {IDS_FILES_NOT_RESTORED, Answer::Ok, true},
    {IDS_REGISTRY_NOT_RESTORED, Answer::Ok, true},
};

// What a box with `buttons` can take: Cancel stands for OK on a box
// without it, No for Cancel on Yes/No.
Answer Fit(Answer answer, Buttons buttons) {
    switch (buttons) {
        case Buttons::Ok: return Answer::Ok;
        case Buttons::OkCancel: return answer == Answer::Cancel || answer == Answer::No ? Answer::Cancel : Answer::Ok;
        case Buttons::YesNo: return answer == Answer::Cancel || answer == Answer::No ? Answer::No : Answer::Yes;
    }
    return answer;
}

}  // namespace

UnattendedAnswers::UnattendedAnswers(const CommandLine& line, InstallerFolders& folders, RunReport& report,
                                     FindDisc findDisc)
    : confirmUninstall_(line.confirmUninstall), folders_(folders), report_(report), findDisc_(std::move(findDisc)) {}

Answer UnattendedAnswers::Respond(const Message& message) {
    if (message.textId == IDS_UNINSTALL_QUESTION) {
        if (confirmUninstall_) return Fit(Answer::Yes, message.buttons);
        report_.Note(IDS_UNINSTALL_QUESTION);
        return Fit(Answer::No, message.buttons);
    }
    if (message.textId == IDS_INSERT_CD) {
        const int32_t disc = message.argCount > 0 ? static_cast<int32_t>(message.args[0].number) : 0;
        if (MoveToDisc(disc)) return Fit(Answer::Ok, message.buttons);
        report_.Note(IDS_INSERT_CD);
        return Fit(Answer::Cancel, message.buttons);
    }
    for (const FixedAnswer& row : kFixedAnswers) {
        if (row.textId != message.textId) continue;
        if (row.noted) report_.Note(row.textId);
        return Fit(row.answer, message.buttons);
    }
    return Fit(Answer::Ok, message.buttons);
}

bool UnattendedAnswers::MoveToDisc(int32_t disc) {
    const std::string source = folders_.Source();
    if (source.size() < 3 || !findDisc_) return false;
    const std::string current = source.substr(0, 3);
    const std::string root = findDisc_(disc, current);
    // Only a drive other than the one just looked at: the same drive again
    // would ask again for ever.
    if (root.size() != 3 || root == current) return false;
    const std::string moved = root + source.substr(3);
    if (!folders_.SetSource(moved.c_str())) return false;
    LogLine(LogKind::Run, "disc %d is in %s: the source folder is now %s", static_cast<int>(disc), root.c_str(),
            folders_.Source());
    return true;
}

void HeadlessProgress::EndDialog(int result) {
    timer_ = false;
    ended_ = true;
    result_ = result;
}

void HeadlessProgress::Wait(uint32_t milliseconds) {
    std::this_thread::sleep_for(std::chrono::milliseconds(milliseconds));
}

int HeadlessProgress::Loop(const std::function<void()>& tick) {
    while (!ended_ && timer_) {
        std::this_thread::sleep_for(kTickPeriod);
        tick();
    }
    return ended_ ? result_ : kResultCancelled;
}

}  // namespace installer
