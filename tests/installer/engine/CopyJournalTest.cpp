#include <gtest/gtest.h>

#include <filesystem>
#include <string>

#include "installer/engine/copy_journal.h"
#include "installer/system/install_log.h"
#include "tests/installer/engine/engine_test_support.h"

using engine_test::NativePath;
using engine_test::WorkFolder;
using installer::CopyJournal;

namespace {

namespace fs = std::filesystem;

class CopyJournalTest : public testing::Test {
protected:
    static const char* NativeEol() {
#if defined(_WIN32)
        return "\r\n";
#else
        return "\n";
#endif
    }
    // The log's lines so far without their times.
    static std::string LogTexts() {
        std::string texts;
        const std::string held = installer::HeldInstallLogLines();
        for (size_t at = 0; at < held.size();) {
            const size_t end = held.find('\n', at);
            const size_t text = held.find("  ", at);
            texts += held.substr(text + 2, end + 1 - text - 2);
            at = end + 1;
        }
        return texts;
    }

    CopyJournalTest() {
        temp_ = folder_.Folder() + "temp\\";
        game_ = folder_.Folder() + "game\\";
        fs::create_directories(NativePath(temp_));
        fs::create_directories(NativePath(game_));
    }

    std::string Game(const std::string& name) const { return game_ + name; }
    void Put(const std::string& path, const std::string& text) { folder_.Write(NativePath(path), text); }
    static std::string Get(const std::string& path) { return WorkFolder::Read(path); }
    static bool Exists(const std::string& path) { return fs::exists(NativePath(path)); }
    // The copy's side: note the file, then write it as the worker would.
    void Copy(CopyJournal& journal, const std::string& path, const std::string& text) {
        ASSERT_TRUE(journal.Record(path)) << path;
        Put(path, text);
    }

    WorkFolder folder_;
    std::string temp_;
    std::string game_;
};

TEST_F(CopyJournalTest, rollback_removes_what_it_created_and_puts_back_what_it_replaced) {
    Put(Game("Game.exe"), "old exe");
    Put(Game("korvo.ini"), "user edits");
    CopyJournal journal;
    ASSERT_TRUE(journal.Open(temp_));
    const std::string folder = journal.Folder();
    EXPECT_TRUE(Exists(folder + "journal.txt"));
    installer::ResetInstallLog();

    Copy(journal, Game("Game.exe"), "new exe");
    Copy(journal, Game("data\\levels\\l1.map"), "new map");
    // Written twice, or under another spelling: the first state is the one kept.
    const std::string notes = Get(folder + "journal.txt");
    Copy(journal, Game("Game.exe"), "newer exe");
    Copy(journal, Game("data/levels/l1.map"), "newer map");
    EXPECT_TRUE(journal.Record(Game("GAME.EXE")));
    EXPECT_EQ(Get(folder + "journal.txt"), notes);

    EXPECT_TRUE(journal.RollBack().empty());
    // Each change once, in the order made; the rollback newest first.
    const char* const eol = NativeEol();
    EXPECT_EQ(LogTexts(), "file  set aside " + Game("Game.exe") + " -> " + folder + "1.old" + eol +
                              "rollback  removed " + Game("data\\levels\\l1.map") + eol +
                              "rollback  removed folder " + Game("data\\levels") + eol +
                              "rollback  removed folder " + Game("data") + eol + "rollback  restored " +
                              Game("Game.exe") + " <- " + folder + "1.old" + eol);
    EXPECT_EQ(Get(Game("Game.exe")), "old exe");
    EXPECT_EQ(Get(Game("korvo.ini")), "user edits");
    EXPECT_FALSE(Exists(Game("data")));
    EXPECT_FALSE(Exists(folder));
    EXPECT_FALSE(journal.IsOpen());
}

TEST_F(CopyJournalTest, the_journal_file_lists_each_change_before_it_happens) {
    Put(Game("Game.exe"), "old exe");
    CopyJournal journal;
    ASSERT_TRUE(journal.Open(temp_));
    ASSERT_TRUE(journal.Record(Game("Game.exe")));
    ASSERT_TRUE(journal.Record(Game("data\\a.dta")));
    // Until the copy writes them: one set aside, the other not there yet.
    EXPECT_FALSE(Exists(Game("Game.exe")));
    EXPECT_FALSE(Exists(Game("data\\a.dta")));
    const std::string backup = journal.Folder() + "1.old";
    EXPECT_EQ(Get(backup), "old exe");
    EXPECT_EQ(Get(journal.Folder() + "journal.txt"), "replaced\t" + Game("Game.exe") + "\t" + backup +
                                                         "\r\n" + "folder\t" + Game("data") + "\r\n" +
                                                         "created\t" + Game("data\\a.dta") + "\r\n");
}

TEST_F(CopyJournalTest, what_cannot_be_put_back_stays_in_the_journal) {
    Put(Game("Game.exe"), "old exe");
    Put(Game("readme.txt"), "old readme");
    CopyJournal journal;
    ASSERT_TRUE(journal.Open(temp_));
    const std::string folder = journal.Folder();
    Copy(journal, Game("Game.exe"), "new exe");
    Copy(journal, Game("readme.txt"), "new readme");
    // Something took Game.exe's place that a file cannot replace.
    fs::remove(NativePath(Game("Game.exe")));
    Put(Game("Game.exe\\inside"), "x");

    EXPECT_EQ(journal.RollBack(), std::vector<std::string>{Game("Game.exe")});
    EXPECT_EQ(Get(Game("readme.txt")), "old readme");
    EXPECT_EQ(Get(folder + "1.old"), "old exe");
    EXPECT_EQ(Get(folder + "journal.txt"), "replaced\t" + Game("Game.exe") + "\t" + folder + "1.old\r\n");

    // A later run's journal does not reuse the kept folder.
    CopyJournal next;
    ASSERT_TRUE(next.Open(temp_));
    EXPECT_NE(next.Folder(), folder);
}

TEST_F(CopyJournalTest, a_file_that_cannot_be_set_aside_is_left_alone) {
    Put(Game("Game.exe"), "old exe");
    CopyJournal journal;
    ASSERT_TRUE(journal.Open(temp_));
    // The journal's folder is gone: nowhere to set the file aside.
    fs::remove_all(NativePath(journal.Folder()));
    EXPECT_FALSE(journal.Record(Game("Game.exe")));
    EXPECT_EQ(Get(Game("Game.exe")), "old exe");

    CopyJournal none;
    EXPECT_FALSE(none.Record(Game("Game.exe")));  // never opened
    EXPECT_FALSE(none.Open(temp_ + "missing\\"));
}

TEST_F(CopyJournalTest, discard_keeps_the_upgrade_and_drops_the_copies_set_aside) {
    Put(Game("Game.exe"), "old exe");
    CopyJournal journal;
    ASSERT_TRUE(journal.Open(temp_));
    const std::string folder = journal.Folder();
    Copy(journal, Game("Game.exe"), "new exe");
    Copy(journal, Game("new.dta"), "new data");
    journal.Discard();
    EXPECT_EQ(Get(Game("Game.exe")), "new exe");
    EXPECT_EQ(Get(Game("new.dta")), "new data");
    EXPECT_FALSE(Exists(folder));
}

}  // namespace
