#include <gtest/gtest.h>

#include <string>

#include "dta/dta.h"
#include "dta/leak_report.h"
#include "installer/engine/language_check.h"
#include "tests/installer/engine/engine_test_support.h"

using engine_test::WorkFolder;
using namespace installer;

namespace {

const char kGameMark[] = "tables\\version.txt";
const char kPatchMark[] = "patch\\version.txt";

// The installed game in "game", the patch on "disc"; each archive holds its
// mark only when given one.
class LanguageCheckTest : public testing::Test {
protected:
    void GameArchive(const char* mark) {
        folder_.Pack("game" + WorkFolder::Separator() + "aa.dta",
                     Entries("tables\\other.txt", kGameMark, mark), kGameArchiveKey1, kGameArchiveKey2);
    }
    void PatchArchive(const char* mark) {
        folder_.Pack("disc" + WorkFolder::Separator() + "patch\\a8.dta",
                     Entries("patch\\notes.txt", kPatchMark, mark), kPatchArchiveKey1, kPatchArchiveKey2);
    }
    bool Check() {
        const bool passed = LanguageCheck((folder_.Folder() + "game" + WorkFolder::Separator()).c_str(),
                                          (folder_.Folder() + "disc" + WorkFolder::Separator()).c_str());
        // Both archives are released whatever the outcome.
        EXPECT_EQ(dta::detail::CurrentLeakReport(), "");
        EXPECT_EQ(dtaOpen(kGameMark, 0), -1);
        EXPECT_EQ(dtaOpen(kPatchMark, 0), -1);
        return passed;
    }

private:
    static std::vector<std::pair<std::string, std::string>> Entries(const char* other, const char* name,
                                                                    const char* mark) {
        std::vector<std::pair<std::string, std::string>> entries{{other, "something else"}};
        if (mark != nullptr) entries.emplace_back(name, mark);
        return entries;
    }

    WorkFolder folder_;
};

}  // namespace

TEST_F(LanguageCheckTest, compares_the_first_two_bytes_of_the_marks) {
    GameArchive("EN 1.2");
    PatchArchive("EN");
    EXPECT_TRUE(Check());
    PatchArchive("DE");
    EXPECT_FALSE(Check());
    PatchArchive("EX");
    EXPECT_FALSE(Check());
}

TEST_F(LanguageCheckTest, a_mark_found_nowhere_stays_two_question_marks) {
    GameArchive(nullptr);
    PatchArchive(nullptr);
    EXPECT_TRUE(Check());
    PatchArchive("EN");
    EXPECT_FALSE(Check());
    PatchArchive("??");
    EXPECT_TRUE(Check());
}

TEST_F(LanguageCheckTest, a_one_byte_mark_fills_only_its_first_byte) {
    GameArchive("E");
    PatchArchive("E?");
    EXPECT_TRUE(Check());
    PatchArchive("EN");
    EXPECT_FALSE(Check());
}

TEST_F(LanguageCheckTest, fails_without_either_archive_and_keeps_none_registered) {
    EXPECT_FALSE(Check());  // neither
    GameArchive("EN");
    EXPECT_FALSE(Check());  // the game's alone: released again on the way out
}
