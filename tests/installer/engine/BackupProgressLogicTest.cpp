#include <gtest/gtest.h>

#include <filesystem>
#include <functional>
#include <string>
#include <vector>

#include "installer/engine/backup_progress_logic.h"
#include "installer/engine/copy_worker.h"
#include "installer/engine/flow_host.h"
#include "tests/installer/engine/engine_test_support.h"

using engine_test::NativePath;
using engine_test::Pattern;
using engine_test::RunProgressDialog;
using engine_test::ScriptedView;
using engine_test::WorkFolder;
using namespace installer;

namespace {

constexpr uint64_t kMiB = 1024 * 1024;

class BackupProgressLogicTest : public testing::Test {
protected:
    BackupProgressLogicTest() {
        folders_.SetDestination((folder_.Folder() + "game").c_str());
        settings_.Set(Setting::RequestSpaceBackup, "3145728");
    }

    void AddBackup(const char* installed, const char* backup) {
        lists_.backupFile.push_back(MakeFileEntry(installed, backup, 0, false));
    }
    // Paths as the dialog forms them.
    std::string InstalledPath(const std::string& name) const { return folders_.Destination() + name; }
    std::string BackupPath(const std::string& name) const { return temp_ + name; }
    // Files as the test makes and finds them.
    void MakeInstalled(const std::string& name, const std::string& bytes) const {
        folder_.Write(NativePath("game\\" + name), bytes);
    }
    static std::string Read(const std::string& path) { return WorkFolder::Read(path); }
    static bool Exists(const std::string& path) { return std::filesystem::exists(NativePath(path)); }

    // Opens a fresh dialog in `mode` and runs it to its end; `beforeTick`
    // may act on the dialog before each tick.
    int Run(BackupMode mode, std::function<void(ProgressLogic&, int)> beforeTick = nullptr) {
        view_ = ScriptedView();
        BackupProgressLogic logic(view_, InstallScriptTarget{settings_, lists_, folders_}, mode, temp_);
        return RunProgressDialog(logic, view_, [&](int tick) {
            if (beforeTick) beforeTick(logic, tick);
        });
    }
    std::vector<std::string> Opening() const {
        return std::vector<std::string>(view_.events.begin(), view_.events.begin() + 5);
    }

    WorkFolder folder_;
    std::string temp_ = folder_.Folder() + "temp\\";
    SettingsTable settings_;
    ScriptLists lists_;
    InstallerFolders folders_;
    ScriptedView view_;
};

}  // namespace

TEST_F(BackupProgressLogicTest, backs_up_into_subfolders_of_the_temporary_folder_and_restores_byte_for_byte) {
    const std::string archive = Pattern(2 * kMiB + 5);
    MakeInstalled("aa.dta", archive);
    MakeInstalled("data\\levels\\level1.map", "level one");
    MakeInstalled("korvo.ini", "");
    // Backup names with folders of their own: the worker creates them below
    // the temporary folder.
    AddBackup("aa.dta", "korvo\\aa.dta");
    AddBackup("data\\levels\\level1.map", "korvo\\data\\levels\\level1.map");
    AddBackup("korvo.ini", "korvo.ini.bak");

    EXPECT_EQ(Run(BackupMode::Backup), kResultNext);
    EXPECT_EQ(Opening(), (std::vector<std::string>{"cancel text 5", "caption 51", "total label 97",
                                                   "cancel on", "file label "}));
    EXPECT_STREQ(settings_.Text(Setting::CurrentRequestSpace), "3145728");
    EXPECT_EQ(view_.Only("file label "),
              (std::vector<std::string>{"file label ", "file label " + InstalledPath("aa.dta"),
                                        "file label " + InstalledPath("data\\levels\\level1.map"),
                                        "file label " + InstalledPath("korvo.ini")}));
    EXPECT_EQ(view_.Only("total bar").back(), "total bar 66");  // 2 whole MiB of 3
    EXPECT_TRUE(view_.Only("message").empty());
    EXPECT_EQ(Read(BackupPath("korvo\\aa.dta")), archive);
    EXPECT_EQ(Read(BackupPath("korvo\\data\\levels\\level1.map")), "level one");
    EXPECT_EQ(Read(BackupPath("korvo.ini.bak")), "");

    // The patch replaces the files; the restore puts the old ones back and
    // offers no way to stop half-way.
    MakeInstalled("aa.dta", "patched");
    MakeInstalled("data\\levels\\level1.map", "patched level");
    MakeInstalled("korvo.ini", "patched ini");
    EXPECT_EQ(Run(BackupMode::Restore,
                  [](ProgressLogic& logic, int tick) {
                      if (tick == 1) logic.OnCancelButton();
                  }),
              kResultNext);
    EXPECT_EQ(Opening(), (std::vector<std::string>{"cancel text 5", "caption 51", "total label 98",
                                                   "cancel off", "file label "}));
    EXPECT_EQ(view_.Only("file label ").back(), "file label " + InstalledPath("korvo.ini"));
    EXPECT_TRUE(view_.Only("message").empty());  // Cancel asked nothing
    EXPECT_EQ(Read(InstalledPath("aa.dta")), archive);
    EXPECT_EQ(Read(InstalledPath("data\\levels\\level1.map")), "level one");
    EXPECT_EQ(Read(InstalledPath("korvo.ini")), "");
}

TEST_F(BackupProgressLogicTest, a_file_that_cannot_be_opened_ends_with_99_naming_it) {
    MakeInstalled("a.map", "a");
    MakeInstalled("c.map", "c");
    AddBackup("a.map", "a.bak");
    AddBackup("b.map", "b.bak");
    AddBackup("c.map", "c.bak");

    // The backup stops at the missing installed file, without a retry.
    EXPECT_EQ(Run(BackupMode::Backup), kResultCancelled);
    EXPECT_EQ(view_.Only("message"), (std::vector<std::string>{"message 66/99 " + InstalledPath("b.map")}));
    EXPECT_EQ(Read(BackupPath("a.bak")), "a");
    EXPECT_FALSE(Exists(BackupPath("c.bak")));

    // The restore stops at the missing backup copy and names it.
    MakeInstalled("a.map", "patched");
    MakeInstalled("c.map", "patched");
    EXPECT_EQ(Run(BackupMode::Restore), kResultCancelled);
    EXPECT_EQ(view_.Only("message"), (std::vector<std::string>{"message 66/99 " + BackupPath("b.bak")}));
    EXPECT_EQ(Read(InstalledPath("a.map")), "a");
    EXPECT_EQ(Read(InstalledPath("c.map")), "patched");
}

TEST_F(BackupProgressLogicTest, a_confirmed_cancel_stops_the_backup_after_the_first_chunk) {
    MakeInstalled("big.dta", Pattern(4 * kMiB));
    MakeInstalled("next.map", "x");
    AddBackup("big.dta", "big.bak");
    AddBackup("next.map", "next.bak");
    EXPECT_EQ(Run(BackupMode::Backup,
                  [](ProgressLogic& logic, int tick) {
                      if (tick == 1) logic.OnCancelButton();
                  }),
              kResultCancelled);
    EXPECT_EQ(view_.Only("message"), (std::vector<std::string>{"message 68/69"}));
    EXPECT_EQ(view_.Only("cancel off").size(), 1u);
    EXPECT_EQ(std::filesystem::file_size(NativePath(BackupPath("big.bak"))), kCopyChunkSize);
    EXPECT_FALSE(Exists(BackupPath("next.bak")));
}

TEST_F(BackupProgressLogicTest, a_copy_failing_on_the_way_is_reported_never_waited_on) {
    MakeInstalled("a.map", "a");
    AddBackup("a.map", "korvo\\a.bak");
    // "korvo" is a file, so the worker cannot create the backup copy.
    folder_.Write(NativePath("temp\\korvo"), "in the way");
    EXPECT_EQ(Run(BackupMode::Backup), kResultCancelled);
    EXPECT_EQ(view_.Only("message"), (std::vector<std::string>{"message 66/101 " + InstalledPath("a.map") +
                                                               " " + BackupPath("korvo\\a.bak")}));

    // Without a temporary folder nothing is copied into the current folder.
    temp_.clear();
    EXPECT_EQ(Run(BackupMode::Backup), kResultCancelled);
    EXPECT_EQ(view_.Only("message"),
              (std::vector<std::string>{"message 66/101 " + InstalledPath("a.map") + " korvo\\a.bak"}));
    EXPECT_FALSE(Exists(folder_.Folder() + "korvo"));
}
