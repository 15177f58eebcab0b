// A progress dialog for the engine's tests: a view that records what the
// logic asks of its dialog, and a loop that ticks the logic as its timer would.
#ifndef TESTS_INSTALLER_SCRIPTED_PROGRESS_VIEW_H
#define TESTS_INSTALLER_SCRIPTED_PROGRESS_VIEW_H

#include <gtest/gtest.h>

#include <chrono>
#include <cstdint>
#include <deque>
#include <functional>
#include <string>
#include <thread>
#include <utility>
#include <vector>

#include "installer/engine/copy_progress_logic.h"
#include "installer/engine/copy_worker.h"
#include "installer/engine/progress_view.h"

namespace engine_test {

// Records what the logic asks of its dialog as short lines, answers message
// boxes and disc checks from queues (OK and "in the drive" when they run
// out), and lets a test act while a box is open.
class ScriptedView : public installer::ProgressView {
public:
    std::vector<std::string> events;
    std::deque<installer::Answer> answers;
    std::deque<int32_t> discs;
    std::function<void(const installer::Message&)> whileOpen;
    bool timerRunning = false;
    bool ended = false;
    int result = -1;

    void SetCaption(int id) override { Log("caption " + std::to_string(id)); }
    void SetCancelText(int id) override { Log("cancel text " + std::to_string(id)); }
    void SetTotalLabel(int id) override { Log("total label " + std::to_string(id)); }
    void SetFileLabel(const char* text) override { Log(std::string("file label ") + text); }
    void SetFileBar(int32_t percent) override { Log("file bar " + std::to_string(percent)); }
    void SetTotalBar(int32_t percent) override { Log("total bar " + std::to_string(percent)); }
    void EnableCancel(bool enabled) override { Log(enabled ? "cancel on" : "cancel off"); }
    void StartTimer() override { timerRunning = true; }
    void StopTimer() override { timerRunning = false; }
    void EndDialog(int code) override {
        EXPECT_FALSE(ended) << "ended twice";
        Log("end " + std::to_string(code));
        ended = true;
        result = code;
    }
    installer::Answer ShowMessage(const installer::Message& message) override {
        std::string line =
            "message " + std::to_string(message.captionId) + "/" + std::to_string(message.textId);
        for (int i = 0; i < message.argCount; ++i) {
            const installer::MessageArg& arg = message.args[i];
            line += " " + (arg.kind == installer::MessageArg::Kind::Text ? std::string(arg.text)
                                                                         : std::to_string(arg.number));
        }
        Log(line);
        if (whileOpen) whileOpen(message);
        if (answers.empty()) return installer::Answer::Ok;
        const installer::Answer answer = answers.front();
        answers.pop_front();
        return answer;
    }
    void Wait(uint32_t milliseconds) override { Log("wait " + std::to_string(milliseconds)); }
    int32_t CheckDisc(const char* drive, int32_t disc) override {
        Log("disc " + std::string(drive) + " " + std::to_string(disc));
        if (discs.empty()) return 0;
        const int32_t answer = discs.front();
        discs.pop_front();
        return answer;
    }
    void LoadBillboardSet(uint32_t disc) override { Log("load set " + std::to_string(disc)); }
    void ShowBillboard(uint32_t index) override { Log("billboard " + std::to_string(index)); }

    // The events that start with `prefix`.
    std::vector<std::string> Only(const std::string& prefix) const {
        std::vector<std::string> found;
        for (const std::string& event : events) {
            if (event.compare(0, prefix.size(), prefix) == 0) found.push_back(event);
        }
        return found;
    }

private:
    void Log(std::string line) { events.push_back(std::move(line)); }
};

// Opens the dialog and ticks while its timer runs, as the timer would
// (without its second between ticks), until it ends; returns its result.
// `beforeTick` runs before each tick with the tick's number.
inline int RunProgressDialog(installer::ProgressLogic& logic, ScriptedView& view,
                             std::function<void(int)> beforeTick = nullptr) {
    logic.OnOpen();
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(30);
    for (int tick = 0; !view.ended; ++tick) {
        if (std::chrono::steady_clock::now() > deadline) {
            ADD_FAILURE() << "the dialog never ended";
            break;
        }
        EXPECT_TRUE(view.timerRunning) << "a tick without the timer";
        if (beforeTick) beforeTick(tick);
        logic.OnTimer();
        std::this_thread::sleep_for(std::chrono::milliseconds(2));
    }
    // A dialog ends only once its worker has made its last report.
    EXPECT_FALSE(installer::CopyRunning());
    return view.result;
}

}  // namespace engine_test

#endif  // TESTS_INSTALLER_SCRIPTED_PROGRESS_VIEW_H
