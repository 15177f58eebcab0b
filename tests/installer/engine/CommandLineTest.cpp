#include "installer/engine/command_line.h"

#include <gtest/gtest.h>

namespace installer {
namespace {

TEST(CommandLine, a_line_without_a_known_switch_is_the_source_folder_verbatim) {
    for (const char* folder : {"D:\\", "D:\\games/S", "D:\\x /Special\\", "D:\\a/b", "D:\\my /Sx /X  ",
                               "\"D:\\quoted folder\"", "D:\\ /LOG=", "D:\\ /D="}) {
        const CommandLine line = ParseCommandLine((std::string("  \t") + folder).c_str());
        EXPECT_EQ(line.source, folder);
        EXPECT_FALSE(line.hasSwitches) << folder;
        EXPECT_TRUE(line.refusedWord.empty()) << folder;
    }
    EXPECT_EQ(ParseCommandLine(nullptr).source, "");
    EXPECT_EQ(ParseCommandLine("   ").source, "");
}

TEST(CommandLine, switches_follow_the_source_and_d_takes_the_rest_of_the_line) {
    const CommandLine line =
        ParseCommandLine(" E:\\Korvo disc /s  /uninstall /LOG=C:\\logs\\k.log /D=C:\\My Games\\Korvo /S x  ");
    EXPECT_EQ(line.source, "E:\\Korvo disc");
    EXPECT_TRUE(line.unattended);
    EXPECT_TRUE(line.confirmUninstall);
    EXPECT_EQ(line.logFile, "C:\\logs\\k.log");
    ASSERT_TRUE(line.hasDestination);
    EXPECT_EQ(line.destination, "C:\\My Games\\Korvo /S x");
    EXPECT_TRUE(line.refusedWord.empty());

    const CommandLine quoted = ParseCommandLine("D:\\ /LOG=\"C:\\my logs\\k.log\" /S");
    EXPECT_EQ(quoted.logFile, "C:\\my logs\\k.log");
    EXPECT_TRUE(quoted.unattended);
    // Switches quoted whole, as Wine and Windows quote an argument with blanks.
    const CommandLine whole = ParseCommandLine("D:\\ /S \"/D=C:\\My Games\\Korvo\" \"/LOG=C:\\a b.log\"");
    EXPECT_EQ(whole.destination, "C:\\My Games\\Korvo");
    EXPECT_EQ(whole.logFile, "C:\\a b.log");
    EXPECT_TRUE(whole.refusedWord.empty());
    EXPECT_EQ(ParseCommandLine("\"/S\"").unattended, true);
    // A folder holding a switch-like word that is not whole stays whole.
    EXPECT_EQ(ParseCommandLine("D:\\x /Special /S").source, "D:\\x /Special");
}

TEST(CommandLine, switches_alone_leave_the_source_to_the_current_folder) {
    const CommandLine line = ParseCommandLine("/S /D=C:\\Korvo");
    EXPECT_TRUE(line.hasSwitches);
    EXPECT_EQ(line.source, "");
    EXPECT_TRUE(line.unattended);
    EXPECT_EQ(line.destination, "C:\\Korvo");
}

TEST(CommandLine, after_the_first_switch_anything_else_is_refused_by_its_word) {
    struct Case {
        const char* text;
        const char* refused;
    };
    for (const Case& c : {Case{"D:\\ /S /X", "/X"}, Case{"D:\\ /S games", "games"},
                          Case{"D:\\ /S /LOG=\"open", "/LOG=\"open"}, Case{"D:\\ /S /LOG=a /LOG=b", "/LOG=b"},
                          Case{"D:\\ /S /LOG=", "/LOG="}, Case{"/UNINSTALL /Silent", "/Silent"},
                          Case{"D:\\ /S \"/X y\"", "\"/X y\""}, Case{"D:\\ /S /D=a \"/D=b\"", ""}}) {
        const CommandLine line = ParseCommandLine(c.text);
        EXPECT_EQ(line.refusedWord, c.refused) << c.text;
    }
}

TEST(CommandLine, the_switches_written_back_read_the_same) {
    const CommandLine line = ParseCommandLine("D:\\ /S /UNINSTALL /LOG=\"C:\\a b\\k.log\" /D=C:\\x y");
    const CommandLine again = ParseCommandLine(("C:\\temp\\" + SwitchesText(line)).c_str());
    EXPECT_EQ(again.source, "C:\\temp\\");
    EXPECT_TRUE(again.unattended);
    EXPECT_TRUE(again.confirmUninstall);
    EXPECT_EQ(again.logFile, "C:\\a b\\k.log");
    EXPECT_EQ(again.destination, "C:\\x y");
    EXPECT_EQ(SwitchesText(ParseCommandLine("D:\\")), "");
}

}  // namespace
}  // namespace installer
