// Helpers shared by the engine's tests: a fresh folder that is also the
// current folder (the archive library looks for plain files there first),
// files made in it, archives packed with given key words, and a progress
// dialog for the logic: a view that records what the logic asks of its
// dialog, and a loop that ticks the logic as its timer would.
#ifndef TESTS_INSTALLER_ENGINE_TEST_SUPPORT_H
#define TESTS_INSTALLER_ENGINE_TEST_SUPPORT_H

#include <gtest/gtest.h>

#include <chrono>
#include <cstdint>
#include <deque>
#include <filesystem>
#include <fstream>
#include <functional>
#include <string>
#include <thread>
#include <utility>
#include <vector>

#include "dta/pack/packer.h"
#include "installer/engine/copy_progress_logic.h"
#include "installer/engine/copy_worker.h"
#include "installer/engine/progress_view.h"
#include "tests/tools/temp_folder.h"

namespace engine_test {

// A path as the installer forms it, for the test's own file calls: its
// backslashes separate folders on every platform, as the copy worker takes
// them.
inline std::string NativePath(std::string path) {
#if !defined(_WIN32)
    for (char& c : path) {
        if (c == '\\') c = '/';
    }
#endif
    return path;
}

// A TempFolder that is the current folder while it lives. Paths it hands out
// end without a separator; Folder() gives the text with one, as the
// installer keeps its folders.
class WorkFolder {
public:
    WorkFolder() : previous_(std::filesystem::current_path()) {
        std::filesystem::current_path(folder_.path());
    }
    ~WorkFolder() { std::filesystem::current_path(previous_); }
    WorkFolder(const WorkFolder&) = delete;
    WorkFolder& operator=(const WorkFolder&) = delete;

    std::string Folder() const { return folder_.path().string() + Separator(); }
    static std::string Separator() {
        return std::string(1, static_cast<char>(std::filesystem::path::preferred_separator));
    }
    std::string operator/(const std::string& name) const { return folder_ / name; }

    std::string Write(const std::string& name, const std::string& text) const {
        return folder_.Write(name, std::vector<uint8_t>(text.begin(), text.end()));
    }
    // Reads a file the installer wrote.
    static std::string Read(const std::string& path) {
        const std::vector<uint8_t> bytes = TempFolder::Read(NativePath(path));
        return std::string(bytes.begin(), bytes.end());
    }

    // Packs the named texts into an archive at `name` with the key words.
    std::string Pack(const std::string& name, const std::vector<std::pair<std::string, std::string>>& entries,
                     uint32_t key1, uint32_t key2) const {
        std::vector<dta::pack::PackInput> inputs;
        for (const auto& [entryName, text] : entries) {
            dta::pack::PackInput input;
            input.name = entryName;
            input.data.assign(text.begin(), text.end());
            inputs.push_back(std::move(input));
        }
        std::vector<uint8_t> image;
        std::string error;
        EXPECT_TRUE(dta::pack::BuildArchive(inputs, key1, key2, &image, &error)) << error;
        return folder_.Write(name, image);
    }

private:
    std::filesystem::path previous_;
    TempFolder folder_;
};

// Bytes that differ from one position to the next, so a chunk written to the
// wrong place shows.
inline std::string Pattern(size_t size) {
    std::string bytes(size, '\0');
    for (size_t i = 0; i < size; ++i) bytes[i] = static_cast<char>((i * 131 + i / 65536) & 0xFF);
    return bytes;
}

}  // namespace engine_test

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

#endif  // TESTS_INSTALLER_ENGINE_TEST_SUPPORT_H
