#include "installer/engine/unattended.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "installer/engine/copy_progress_logic.h"
#include "installer/engine/flow_host.h"
#include "installer/resources/resource.h"
#include "tests/installer/engine/engine_test_support.h"

using engine_test::NativePath;
using engine_test::WorkFolder;
using namespace installer;

namespace {

Answer Ask(UnattendedAnswers& answers, int textId, Buttons buttons) {
    return answers.Respond(Message(IDS_WARNING, textId, buttons));
}

TEST(UnattendedAnswers, refusals_and_failures_are_answered_and_name_the_exit_code) {
    InstallerFolders folders;
    RunReport report;
    UnattendedAnswers answers(CommandLine{}, folders, report, nullptr);
    EXPECT_EQ(Ask(answers, IDS_LATEST_INSTALLED, Buttons::Ok), Answer::Ok);
    EXPECT_EQ(report.Reason(), IDS_LATEST_INSTALLED);
    // A file that cannot be read is not retried for ever: quit, and the
    // quit confirmation says yes without changing the reason.
    EXPECT_EQ(Ask(answers, IDS_CANNOT_READ_FILE, Buttons::OkCancel), Answer::Cancel);
    EXPECT_EQ(Ask(answers, IDS_EXIT_QUESTION, Buttons::OkCancel), Answer::Ok);
    EXPECT_EQ(report.Reason(), IDS_CANNOT_READ_FILE);
    // The same-version uninstall only with /UNINSTALL.
    EXPECT_EQ(Ask(answers, IDS_UNINSTALL_QUESTION, Buttons::YesNo), Answer::No);
    EXPECT_EQ(report.Reason(), IDS_UNINSTALL_QUESTION);
    CommandLine confirmed;
    confirmed.confirmUninstall = true;
    RunReport quiet;
    UnattendedAnswers yes(confirmed, folders, quiet, nullptr);
    EXPECT_EQ(Ask(yes, IDS_UNINSTALL_QUESTION, Buttons::YesNo), Answer::Yes);
    EXPECT_EQ(quiet.Reason(), 0);
}

TEST(UnattendedAnswers, insert_cd_moves_the_source_to_a_drive_that_holds_the_disc_or_fails) {
    InstallerFolders folders;
    ASSERT_TRUE(folders.SetSource("D:\\setup"));
    RunReport report;
    std::vector<std::string> asked;
    UnattendedAnswers answers(CommandLine{}, folders, report, [&](int32_t disc, const std::string& except) {
        asked.push_back(std::to_string(disc) + " not " + except);
        return disc == 2 ? std::string("E:\\") : disc == 1 ? std::string("D:\\") : std::string();
    });
    const auto insert = [&](uint32_t disc) {
        return answers.Respond(Message(IDS_INSTALLATION_TITLE, IDS_INSERT_CD, Buttons::OkCancel).Arg(disc));
    };
    EXPECT_EQ(insert(2), Answer::Ok);
    EXPECT_STREQ(folders.Source(), "E:\\setup\\");
    EXPECT_EQ(insert(1), Answer::Ok);
    EXPECT_STREQ(folders.Source(), "D:\\setup\\");
    // Found only in the drive just looked at, or nowhere: the run fails.
    EXPECT_EQ(insert(1), Answer::Cancel);
    EXPECT_EQ(insert(3), Answer::Cancel);
    EXPECT_EQ(report.Reason(), IDS_INSERT_CD);
    EXPECT_EQ(asked, (std::vector<std::string>{"2 not D:\\", "1 not E:\\", "1 not D:\\", "3 not D:\\"}));
}

// The copy dialog's logic without a window: it copies the list and ends, or
// meets a file it cannot read and quits with that reason.
TEST(HeadlessProgress, runs_the_copy_to_its_end_or_quits_on_the_first_unreadable_file) {
    WorkFolder folder;
    SettingsTable settings;
    ScriptLists lists;
    InstallerFolders folders;
    folders.SetSource((folder.Folder() + "disc").c_str());
    folders.SetDestination((folder.Folder() + "game").c_str());
    settings.Set(Setting::RequestSpaceFull, "1000");
    folder.Write("disc" + WorkFolder::Separator() + "a.bin", std::string(300, 'a'));
    folder.Write("disc" + WorkFolder::Separator() + "b.bin", std::string(500, 'b'));
    lists.addFile.push_back(MakeFileEntry("a.bin", "a.bin", 1, false));
    lists.addFile.push_back(MakeFileEntry("b.bin", "b.bin", 1, false));

    RunReport report;
    UnattendedAnswers answers(CommandLine{}, folders, report, nullptr);
    const auto ask = [&](const Message& message) { return answers.Respond(message); };
    const auto noDisc = [](const char*, int32_t) { return int32_t{3}; };
    {
        HeadlessProgress view(ask, noDisc);
        CopyProgressLogic logic(view, InstallScriptTarget{settings, lists, folders});
        EXPECT_EQ(view.Run(logic), kResultNext);
    }
    EXPECT_EQ(WorkFolder::Read(NativePath(folders.Destination() + std::string("b.bin"))), std::string(500, 'b'));
    EXPECT_EQ(report.Reason(), 0);

    lists.addFile.push_back(MakeFileEntry("missing.bin", "missing.bin", 1, false));
    {
        HeadlessProgress view(ask, noDisc);
        CopyProgressLogic logic(view, InstallScriptTarget{settings, lists, folders});
        EXPECT_EQ(view.Run(logic), kResultCancelled);
    }
    EXPECT_EQ(report.Reason(), IDS_CANNOT_READ_FILE);
}

}  // namespace
