#include <gtest/gtest.h>

#include "tests/e2e/driver/log_lines.h"

namespace {

using e2e::LogTexts;
using e2e::NamesWhole;

TEST(LogLines, picks_the_texts_of_one_kind_in_lower_case) {
    const std::string log =
        "06:00:16.226  run  PWsetup started\r\n"
        "06:00:16.300  file  copied D:\\Game.exe -> C:\\Games\\Korvo\\Game.exe (5 bytes, 1 ms)\r\n"
        "06:00:16.301  registry  set HKLM\\Software\\A\\Korvo\\Version = \"1.0\" (REG_BINARY)\r\n"
        "not a log line\n"
        "06:00:16.302  file  removed C:\\Games\\Korvo\\x.tmp";
    EXPECT_EQ(LogTexts(log, "file"),
              (std::vector<std::string>{"copied d:\\game.exe -> c:\\games\\korvo\\game.exe (5 bytes, 1 ms)",
                                        "removed c:\\games\\korvo\\x.tmp"}));
    EXPECT_EQ(LogTexts(log, "registry"),
              (std::vector<std::string>{"set hklm\\software\\a\\korvo\\version = \"1.0\" (reg_binary)"}));
    // A kind's name inside another line's text is not its kind.
    EXPECT_TRUE(LogTexts("06:00:16.226  run  the file  was read\r\n", "file").empty());
}

TEST(LogLines, a_name_counts_only_as_a_whole_path) {
    EXPECT_TRUE(NamesWhole("copied d:\\aa.dta -> c:\\k\\aa.dta (3 bytes, 0 ms)", "c:\\k\\aa.dta"));
    EXPECT_TRUE(NamesWhole("removed c:\\k\\aa.dta", "c:\\k\\aa.dta"));
    EXPECT_TRUE(NamesWhole("set hklm\\k\\version = \"1.0\"", "hklm\\k\\version"));
    EXPECT_FALSE(NamesWhole("copied d:\\aa.dta -> c:\\k\\aa.dta.bak (3 bytes)", "c:\\k\\aa.dta"));
    EXPECT_FALSE(NamesWhole("removed c:\\k\\data\\aa.dta", "k\\data\\aa.dta"));
    EXPECT_FALSE(NamesWhole("set hklm\\k\\versionx = 1", "hklm\\k\\version"));
    EXPECT_FALSE(NamesWhole("anything", ""));
}

}  // namespace
