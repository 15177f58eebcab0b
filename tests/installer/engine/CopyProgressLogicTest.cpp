#include <gtest/gtest.h>

#include <filesystem>
#include <functional>
#include <string>
#include <vector>

#include "installer/engine/copy_progress_logic.h"
#include "installer/engine/copy_worker.h"
#include "installer/engine/flow_host.h"
#include "installer/system/install_log.h"
#include "tests/installer/engine/engine_test_support.h"

using engine_test::NativePath;
using engine_test::Pattern;
using engine_test::RunProgressDialog;
using engine_test::ScriptedView;
using engine_test::WorkFolder;
using namespace installer;

namespace {

constexpr uint64_t kMiB = 1024 * 1024;

class CopyProgressLogicTest : public testing::Test {
protected:
    CopyProgressLogicTest() {
        folders_.SetSource((folder_.Folder() + "disc").c_str());
        folders_.SetDestination((folder_.Folder() + "game").c_str());
        settings_.Set(Setting::RequestSpaceFull, "4194304");
    }

    void AddFile(const char* source, const char* destination, uint8_t disc) {
        lists_.addFile.push_back(MakeFileEntry(source, destination, disc, false));
    }
    // Paths as the installer forms them, and the copies as the test finds them.
    std::string SourcePath(const std::string& name) const { return folders_.Source() + name; }
    std::string DestinationPath(const std::string& name) const { return folders_.Destination() + name; }
    std::string GamePath(const std::string& name) const { return NativePath(folders_.Destination() + name); }
    std::string MakeSource(const std::string& name, const std::string& bytes) const {
        return folder_.Write("disc" + WorkFolder::Separator() + name, bytes);
    }

    int Run(std::function<void(int)> beforeTick = nullptr) {
        return RunProgressDialog(logic_, view_, std::move(beforeTick));
    }

    WorkFolder folder_;
    SettingsTable settings_;
    ScriptLists lists_;
    InstallerFolders folders_;
    ScriptedView view_;
    CopyProgressLogic logic_{view_, InstallScriptTarget{settings_, lists_, folders_}};
};

}  // namespace

TEST(BillboardNumber, follows_the_total_within_the_disc_set) {
    // 12 pictures, 4 per disc, the second disc: 4 to 7.
    EXPECT_EQ(BillboardNumber(12, 4, 10, 1), 4);  // raised from 1
    EXPECT_EQ(BillboardNumber(12, 4, 50, 1), 6);
    EXPECT_EQ(BillboardNumber(12, 4, 90, 1), 7);  // lowered from 10
    EXPECT_EQ(BillboardNumber(12, 4, 0, 0), 0);
    EXPECT_EQ(BillboardNumber(12, 4, 250, 2), 11);  // a total past 100 stays in the set
    // No pictures per disc: no slide show; huge values do not overflow.
    EXPECT_EQ(BillboardNumber(12, 0, 50, 1), 0);
    EXPECT_EQ(BillboardNumber(12, -3, 50, 1), 0);
    EXPECT_EQ(BillboardNumber(INT32_MAX, INT32_MAX, INT32_MAX, 254),
              int64_t{INT32_MAX} * 254 + INT32_MAX - 1);
}

TEST(ProgressCallback, stores_the_report_and_answers_the_dialog_state) {
    CopyProgress progress;
    EXPECT_EQ(ProgressCallback(kCopyRunning, 30, 12, &progress), kCopyRun);
    EXPECT_EQ(progress.filePercent.load(), 30);
    EXPECT_EQ(progress.totalPercent.load(), 12);
    progress.confirmationShowing = true;
    EXPECT_EQ(ProgressCallback(kCopyRunning, 40, 13, &progress), 6);  // no command while the user decides
    progress.cancelRequested = true;
    EXPECT_EQ(ProgressCallback(kCopyFinished, 100, 14, &progress), kCopyAbort);
    EXPECT_EQ(progress.status.load(), kCopyFinished);
}

TEST_F(CopyProgressLogicTest, copies_every_entry_in_order_then_ends_with_1) {
    const std::string first = Pattern(1000);
    MakeSource("a.bin", first);
    MakeSource("b.bin", "");
    AddFile("a.bin", "a.bin", 1);
    AddFile("b.bin", "maps\\b.bin", 1);
    ResetInstallLog();

    EXPECT_EQ(Run(), kResultNext);
    const std::string log = HeldInstallLogLines();
    for (const std::string& copied :
         {"  file  copied " + SourcePath("a.bin") + " -> " + DestinationPath("a.bin") + " (1000 bytes, ",
          "  file  copied " + SourcePath("b.bin") + " -> " + DestinationPath("maps\\b.bin") +
              " (0 bytes, "}) {
        EXPECT_NE(log.find(copied), std::string::npos) << copied << "\n" << log;
    }
    EXPECT_EQ(WorkFolder::Read(GamePath("a.bin")), first);
    EXPECT_EQ(WorkFolder::Read(GamePath("maps\\b.bin")), "");
    EXPECT_STREQ(settings_.Text(Setting::CurrentRequestSpace), "4194304");
    const std::vector<std::string> opening(view_.events.begin(), view_.events.begin() + 6);
    EXPECT_EQ(opening, (std::vector<std::string>{"cancel text 5", "caption 51", "total label 72", "cancel on",
                                                 "file label ", "load set 0"}));
    EXPECT_EQ(view_.Only("file label "),
              (std::vector<std::string>{
                  "file label ", "file label " + SourcePath("a.bin") + " -> " + DestinationPath("a.bin"),
                  "file label " + SourcePath("b.bin") + " -> " + DestinationPath("maps\\b.bin")}));
    // Files below 1 MiB show nothing on the file bar but its reset after each.
    EXPECT_EQ(view_.Only("file bar"),
              (std::vector<std::string>{"file bar 100", "file bar 0", "file bar 100", "file bar 0"}));
    EXPECT_TRUE(view_.Only("message").empty());
    EXPECT_TRUE(view_.Only("disc").empty());  // validate_cd is off
}

TEST_F(CopyProgressLogicTest, an_empty_list_ends_at_the_first_tick) {
    int ticks = 0;
    EXPECT_EQ(Run([&ticks](int) { ++ticks; }), kResultNext);
    EXPECT_EQ(ticks, 1);
}

TEST_F(CopyProgressLogicTest, asks_for_the_disc_until_it_is_in_the_drive) {
    settings_.Set(Setting::ValidateCd, "true");
    MakeSource("a.bin", "on disc two");
    AddFile("a.bin", "a.bin", 2);
    view_.discs = {4, 3, 0};
    EXPECT_EQ(Run(), kResultNext);
    const std::string disc = "disc " + std::string(folders_.Source()).substr(0, 3) + " 2";
    EXPECT_EQ(view_.Only("disc").size(), 3u);
    EXPECT_EQ(view_.Only("disc")[0], disc);
    EXPECT_EQ(view_.Only("message"), (std::vector<std::string>{"message 51/74 2", "message 51/74 2"}));
    EXPECT_EQ(view_.Only("wait"), (std::vector<std::string>{"wait 2000", "wait 2000"}));
    EXPECT_EQ(WorkFolder::Read(GamePath("a.bin")), "on disc two");
}

TEST_F(CopyProgressLogicTest, quitting_at_the_disc_prompt_ends_with_9_and_copies_nothing) {
    settings_.Set(Setting::ValidateCd, "true");
    MakeSource("a.bin", "x");
    AddFile("a.bin", "a.bin", 1);
    view_.discs = {4, 4, 4};
    // Cancel, but not quit; Cancel again, and quit.
    view_.answers = {Answer::Cancel, Answer::Cancel, Answer::Cancel, Answer::Ok};
    EXPECT_EQ(Run(), kResultCancelled);
    EXPECT_EQ(view_.Only("message"), (std::vector<std::string>{"message 51/74 1", "message 68/69",
                                                               "message 51/74 1", "message 68/69"}));
    EXPECT_FALSE(std::filesystem::exists(GamePath("a.bin")));
}

TEST_F(CopyProgressLogicTest, an_unreadable_file_is_offered_again_after_the_disc_check) {
    settings_.Set(Setting::ValidateCd, "true");
    AddFile("late.bin", "late.bin", 1);
    AddFile("never.bin", "never.bin", 1);
    // The first file turns up while 91 is open; the second never does.
    view_.whileOpen = [this](const Message& message) {
        if (view_.Only("message 66/91").size() == 1) MakeSource("late.bin", "found");
    };
    view_.answers = {Answer::Ok, Answer::Cancel, Answer::Ok};
    EXPECT_EQ(Run(), kResultCancelled);
    EXPECT_EQ(WorkFolder::Read(GamePath("late.bin")), "found");
    EXPECT_EQ(
        view_.Only("message"),
        (std::vector<std::string>{"message 66/91 late.bin 1", "message 66/91 never.bin 1", "message 68/69"}));
    EXPECT_EQ(view_.Only("disc").size(), 3u);  // each try looks at the disc first
}

TEST_F(CopyProgressLogicTest, a_copy_failing_on_the_way_is_offered_again_never_waited_on) {
    MakeSource("a.bin", "game data");
    MakeSource("b.bin", "more");
    AddFile("a.bin", "maps\\a.bin", 1);
    AddFile("b.bin", "b.bin", 1);
    // "maps" is a file, so the worker cannot create the copy: it fails after
    // it started. Retrying once it is gone succeeds.
    folder_.Write("game" + WorkFolder::Separator() + "maps", "in the way");
    view_.whileOpen = [this](const Message&) {
        std::filesystem::remove(folder_ / ("game" + WorkFolder::Separator() + "maps"));
    };
    ResetInstallLog();
    EXPECT_EQ(Run(), kResultNext);
    EXPECT_EQ(view_.Only("message"), (std::vector<std::string>{"message 66/91 a.bin 1"}));
    // Failed once with the system's reason, then copied once.
    const std::string log = HeldInstallLogLines();
    const std::string failed =
        "  failure  cannot copy " + SourcePath("a.bin") + " -> " + DestinationPath("maps\\a.bin") + ": ";
    const std::string copied = "  file  copied " + SourcePath("a.bin") + " -> ";
    ASSERT_NE(log.find(failed), std::string::npos) << log;
    EXPECT_EQ(log.find(failed + "no reason given"), std::string::npos) << log;
    EXPECT_EQ(log.find(failed, log.find(failed) + 1), std::string::npos) << log;
    EXPECT_NE(log.find(copied, log.find(failed)), std::string::npos) << log;
    // The failed copy's bar is emptied before the question, not left full.
    std::vector<std::string> bar;
    for (const std::string& event : view_.events) {
        if (event.rfind("file bar", 0) == 0 || event.rfind("message", 0) == 0) bar.push_back(event);
    }
    EXPECT_EQ(bar, (std::vector<std::string>{"file bar 100", "file bar 0", "message 66/91 a.bin 1",
                                             "file bar 100", "file bar 0", "file bar 100", "file bar 0"}));
    EXPECT_EQ(WorkFolder::Read(GamePath("maps\\a.bin")), "game data");
    EXPECT_EQ(WorkFolder::Read(GamePath("b.bin")), "more");
}

TEST_F(CopyProgressLogicTest, a_destination_that_fails_every_write_can_be_quit) {
#if defined(_WIN32)
    folders_.SetDestination("Z:\\dev");
#else
    folders_.SetDestination("/dev");
#endif
    MakeSource("a.bin", "x");
    AddFile("a.bin", "full", 1);
    // Retry, then Cancel without quitting (another try), then quit. No tick
    // may start while a box is open.
    view_.answers = {Answer::Ok, Answer::Cancel, Answer::Cancel, Answer::Cancel, Answer::Ok};
    view_.whileOpen = [this](const Message&) {
        const size_t before = view_.events.size();
        logic_.OnTimer();
        EXPECT_EQ(view_.events.size(), before);
    };
    EXPECT_EQ(Run(), kResultCancelled);
    EXPECT_EQ(view_.Only("message"),
              (std::vector<std::string>{"message 66/91 a.bin 1", "message 66/91 a.bin 1", "message 68/69",
                                        "message 66/91 a.bin 1", "message 68/69"}));
}

TEST_F(CopyProgressLogicTest, a_confirmed_cancel_ends_with_9_once_the_worker_stopped) {
    MakeSource("big.bin", Pattern(4 * kMiB));
    MakeSource("next.bin", "x");
    AddFile("big.bin", "big.bin", 1);
    AddFile("next.bin", "next.bin", 1);
    // The first Cancel is not confirmed; the second is.
    view_.answers = {Answer::Cancel, Answer::Ok};
    EXPECT_EQ(Run([this](int tick) {
                  if (tick == 1 || tick == 2) logic_.OnCancelButton();
              }),
              kResultCancelled);
    EXPECT_EQ(view_.Only("message"), (std::vector<std::string>{"message 68/69", "message 68/69"}));
    EXPECT_EQ(view_.Only("cancel off").size(), 1u);
    // The worker stopped after its first chunk; the next file never started.
    EXPECT_EQ(std::filesystem::file_size(GamePath("big.bin")), kCopyChunkSize);
    EXPECT_FALSE(std::filesystem::exists(GamePath("next.bin")));
}

TEST_F(CopyProgressLogicTest, billboards_follow_the_total_within_the_disc_set) {
    settings_.Set(Setting::NumOfBilboards, "12");
    settings_.Set(Setting::NumOfBilboardsPerCd, "4");
    MakeSource("a.bin", Pattern(2 * kMiB));
    AddFile("a.bin", "a.bin", 2);
    EXPECT_EQ(Run(), kResultNext);
    EXPECT_EQ(view_.Only("load set"), (std::vector<std::string>{"load set 0", "load set 1"}));
    const std::vector<std::string> shown = view_.Only("billboard");
    ASSERT_FALSE(shown.empty());
    EXPECT_EQ(shown.front(), "billboard 0");  // picture 4, the first of disc 2
    EXPECT_EQ(shown.back(), "billboard 2");   // 50 percent: picture 6
    EXPECT_EQ(view_.Only("total bar").back(), "total bar 50");
}

TEST_F(CopyProgressLogicTest, no_slide_show_without_pictures_per_disc) {
    settings_.Set(Setting::NumOfBilboards, "12");
    MakeSource("a.bin", Pattern(2 * kMiB));
    AddFile("a.bin", "a.bin", 3);
    EXPECT_EQ(Run(), kResultNext);
    EXPECT_EQ(view_.Only("load set"), (std::vector<std::string>{"load set 0", "load set 2"}));
    EXPECT_TRUE(view_.Only("billboard").empty());
}
