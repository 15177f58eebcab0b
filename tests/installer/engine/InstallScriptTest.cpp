#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

#include "installer/engine/install_script.h"

using installer::Setting;

namespace {

struct Parsed {
    installer::SettingsTable settings;
    installer::ScriptLists lists;
    installer::InstallerFolders folders;
    installer::InstallScriptTarget target{settings, lists, folders};

    bool Parse(const std::string& text) { return Result(text).Ok(); }
    installer::ScriptResult Result(const std::string& text,
                                   installer::ScriptCheck check = installer::ScriptCheck::Lines) {
        return installer::ParseInstallScript(text.data(), text.size(), target, check);
    }
};

}  // namespace

TEST(InstallScript, reads_settings_folder_and_lists_in_script_order) {
    Parsed p;
    ASSERT_TRUE(
        p.Parse("// Korvo\r\n"
                "var game_name = \"Korvo Gold\"\r\n"
                "   \r\n\r\n"
                "var request_space_full 2000000000000\r\n"
                "dst_path C:\\Games\\Korvo\r\n"
                "add_file \"data\\big map.dta\" data\\map.dta 258 1 // copied first\r\n"
                "add_file korvo.exe korvo.exe 1\r\n"
                "remove_file x saves\\old.sav\n"
                "backup_file korvo.exe korvo.bak 0 0\n"
                "add_shortcut \"Play Korvo.lnk\" korvo.exe\n"
                "remove_shortcut Old.lnk old.exe\n"
                "add_file last.txt last.txt 3 0"));  // no final line feed

    EXPECT_STREQ(p.settings.Text(Setting::GameName), "Korvo Gold");
    EXPECT_EQ(p.settings.Int64(Setting::RequestSpaceFull), 2000000000000LL);
    EXPECT_STREQ(p.folders.Destination(), "C:\\Games\\Korvo\\");

    ASSERT_EQ(p.lists.addFile.size(), 3u);
    const installer::FileEntry& first = *p.lists.addFile[0];
    EXPECT_STREQ(first.firstName, "data\\big map.dta");
    EXPECT_STREQ(first.secondName, "data\\map.dta");
    EXPECT_EQ(first.disc, 2);  // 258 modulo 256
    EXPECT_TRUE(first.flag);
    EXPECT_EQ(p.lists.addFile[1]->disc, 1);
    EXPECT_FALSE(p.lists.addFile[1]->flag);  // a missing flag reads as 0
    EXPECT_STREQ(p.lists.addFile[2]->firstName, "last.txt");

    ASSERT_EQ(p.lists.removeFile.size(), 1u);
    EXPECT_STREQ(p.lists.removeFile[0]->secondName, "saves\\old.sav");
    ASSERT_EQ(p.lists.backupFile.size(), 1u);
    EXPECT_STREQ(p.lists.backupFile[0]->secondName, "korvo.bak");
    ASSERT_EQ(p.lists.addShortcut.size(), 1u);
    EXPECT_STREQ(p.lists.addShortcut[0]->firstName, "Play Korvo.lnk");
    ASSERT_EQ(p.lists.removeShortcut.size(), 1u);
    EXPECT_STREQ(p.lists.removeShortcut[0]->secondName, "old.exe");
}

TEST(InstallScript, ignores_comments_unknown_words_and_incomplete_lines) {
    Parsed p;
    p.settings.Set(Setting::Version, "1.0");
    p.folders.SetDestination("D:\\Keep\\");
    ASSERT_TRUE(
        p.Parse("//var game_name commented\n"
                "// var game_name commented\n"
                "ADD_FILE a.txt a.txt 1 0\n"
                "var Game_Name Wrong\n"
                "var version\n"
                "var version \"\"\n"
                "dst_path\n"
                "add_file only_one_name\n"
                "add_file \"\" second 1 0\n"
                "add_shortcut lonely.lnk\n"));
    EXPECT_STREQ(p.settings.Text(Setting::GameName), "");
    EXPECT_STREQ(p.settings.Text(Setting::Version), "1.0");
    EXPECT_STREQ(p.folders.Destination(), "D:\\Keep\\");
    EXPECT_TRUE(p.lists.addFile.empty());
    EXPECT_TRUE(p.lists.addShortcut.empty());
    EXPECT_EQ(p.Result("").status, installer::ScriptStatus::Unreadable);
}

TEST(InstallScript, a_line_over_511_characters_refuses_the_script_and_511_are_read_whole) {
    Parsed p;
    const std::string longest = "var game_name " + std::string(511 - 14, 'n');
    ASSERT_TRUE(p.Parse("// first\n" + longest + "\r\nvar version 9\n"));  // the CR is no part of it
    EXPECT_EQ(std::strlen(p.settings.Text(Setting::GameName)), 511u - 14u);
    EXPECT_STREQ(p.settings.Text(Setting::Version), "9");

    // One more, and what lies behind it never reads as a line of its own.
    Parsed q;
    const std::string over = "var version 1 //" + std::string(496, '-') + "var reg_path cut";
    const installer::ScriptResult result = q.Result("// first\n\n" + over + "\nvar game_name later\n");
    EXPECT_EQ(result.status, installer::ScriptStatus::Damaged);
    EXPECT_EQ(result.line, 3u);
    EXPECT_EQ(result.reason, "the line is longer than 511 characters");
    EXPECT_STREQ(q.settings.Text(Setting::Version), "");
    EXPECT_STREQ(q.settings.Text(Setting::RegPath), "");
    EXPECT_STREQ(q.settings.Text(Setting::GameName), "");
    // The last line without its line feed counts the same.
    EXPECT_TRUE(q.Result(std::string(512, '/')).Damaged());
}

TEST(InstallScript, a_name_that_leaves_its_folder_refuses_the_script_naming_line_and_name) {
    // Every name that becomes part of a path is checked, in every directive.
    const std::pair<const char*, const char*> cases[] = {
        {"add_file ..\\x.dll x.dll 1 0", "add_file name \"..\\x.dll\""},
        {"add_file x.dll C:\\Windows\\x.dll 1 0", "add_file name \"C:\\Windows\\x.dll\""},
        {"remove_file /etc/x old.cfg", "remove_file name \"/etc/x\""},
        {"remove_file old.cfg \\\\server\\old.cfg", "remove_file name \"\\\\server\\old.cfg\""},
        {"backup_file CON a.bak", "backup_file name \"CON\""},
        {"backup_file korvo.ini ../korvo.bak", "backup_file name \"../korvo.bak\""},
        {"add_shortcut \"..\\Startup\\Korvo.lnk\" korvo.exe", "add_shortcut name \"..\\Startup\\Korvo.lnk\""},
        {"add_shortcut Korvo.lnk \\korvo.exe", "add_shortcut name \"\\korvo.exe\""},
        {"remove_shortcut nul.lnk old.exe", "remove_shortcut name \"nul.lnk\""},
    };
    for (const auto& [line, named] : cases) {
        SCOPED_TRACE(line);
        Parsed p;
        const installer::ScriptResult result =
            p.Result(std::string("var game_name Korvo\n// files\n") + line);
        EXPECT_EQ(result.status, installer::ScriptStatus::Damaged);
        EXPECT_EQ(result.line, 3u);
        EXPECT_EQ(result.reason, std::string(named) + " is not a relative name inside its folder");
    }

    // remove_shortcut's second name is never used, so it may be anything; a
    // long name is cut in the reason.
    Parsed p;
    EXPECT_TRUE(p.Parse("remove_shortcut Old.lnk C:\\old.exe\n"));
    const installer::ScriptResult result = p.Result("add_file a.txt ..\\" + std::string(100, 'x') + " 1 0");
    EXPECT_EQ(result.reason, "add_file name \"..\\" + std::string(57, 'x') +
                                 "...\" is not a relative name inside its folder");
}

TEST(InstallScript, add_file_needs_a_disc_from_1_and_dst_path_a_folder_below_a_drive_root) {
    const char* const taken[] = {
        "add_file a.txt a.txt 255",      "add_file a.txt a.txt -1",  // 255, modulo 256
        "remove_file a.txt a.txt",       "backup_file a.txt a.bak 0 0",
        "dst_path \"C:\\Games\\Korvo\"", "dst_path D:/Korvo/"};
    for (const char* line : taken) EXPECT_TRUE(Parsed().Result(line).Ok()) << line;

    const std::pair<const char*, const char*> refused[] = {
        {"add_file a.txt a.txt", "add_file \"a.txt\" has no disc from 1 to 255"},
        {"add_file a.txt a.txt 0 1", "add_file \"a.txt\" has no disc from 1 to 255"},
        {"add_file a.txt a.txt 256 0", "add_file \"a.txt\" has no disc from 1 to 255"},
        {"dst_path C:", "dst_path \"C:\" is not a folder below a drive root"},
        {"dst_path C:\\", "dst_path \"C:\\\" is not a folder below a drive root"},
        {"dst_path Games\\Korvo", "dst_path \"Games\\Korvo\" is not a folder below a drive root"},
    };
    for (const auto& [line, reason] : refused) {
        const installer::ScriptResult result = Parsed().Result(line);
        EXPECT_EQ(result.line, 1u) << line;
        EXPECT_EQ(result.reason, reason);
    }
}

TEST(InstallScript, a_refused_script_leaves_the_target_as_it_was) {
    Parsed p;
    ASSERT_TRUE(p.Parse("var version 1.0\ndst_path C:\\Old\nadd_file old.txt old.txt 1 0\n"));
    const installer::ScriptResult result = p.Result(
        "var version 2.0\ndst_path C:\\New\nadd_file new.txt new.txt 1 0\n"
        "add_shortcut New.lnk new.txt\nremove_file x ..\\x\n");
    EXPECT_EQ(result.line, 5u);
    EXPECT_STREQ(p.settings.Text(Setting::Version), "1.0");
    EXPECT_STREQ(p.folders.Destination(), "C:\\Old\\");
    ASSERT_EQ(p.lists.addFile.size(), 1u);
    EXPECT_STREQ(p.lists.addFile[0]->firstName, "old.txt");
    EXPECT_TRUE(p.lists.addShortcut.empty());

    // A good script adds to the lists and keeps settings it does not set.
    ASSERT_TRUE(p.Parse("var game_name Korvo\nadd_file new.txt new.txt 1 0\n"));
    EXPECT_STREQ(p.settings.Text(Setting::Version), "1.0");
    EXPECT_EQ(p.lists.addFile.size(), 2u);
}

TEST(InstallScript, a_complete_script_sets_every_required_setting) {
    const std::string all =
        "var game_name Korvo\nvar reg_path \"Software\\Korvo\"\nvar reg_idir_key InstallDir\n"
        "var reg_version_key Version\nvar version 1.0\n";
    Parsed p;
    EXPECT_TRUE(p.Result(all, installer::ScriptCheck::Complete).Ok());

    for (installer::Setting setting : installer::kRequiredSettings) {
        const std::string key = installer::SettingsTable::KeyOf(setting);
        SCOPED_TRACE(key);
        // Left out, or given as the empty text.
        for (const std::string& line : {std::string(), "var " + key + " \"\"\n"}) {
            std::string script;
            for (size_t at = 0; at < all.size();) {
                const size_t end = all.find('\n', at) + 1;
                const std::string one = all.substr(at, end - at);
                script += one.compare(0, 5 + key.size(), "var " + key + " ") == 0 ? line : one;
                at = end;
            }
            Parsed q;
            const installer::ScriptResult result = q.Result(script, installer::ScriptCheck::Complete);
            EXPECT_EQ(result.status, installer::ScriptStatus::Damaged);
            EXPECT_EQ(result.line, 0u);
            EXPECT_EQ(result.reason, "the setting " + key + " is not set");
            EXPECT_STREQ(q.settings.Text(installer::Setting::GameName), "");
            // Each line on its own is fine.
            EXPECT_TRUE(q.Result(script).Ok());
        }
    }
}

TEST(InstallScript, records_refuse_names_longer_than_their_field) {
    std::string fits(installer::kMaxNameLength, 'f');
    std::string tooLong(installer::kMaxNameLength + 1, 'f');
    auto entry = installer::MakeFileEntry(fits.c_str(), "b", 4, true);
    ASSERT_NE(entry, nullptr);
    EXPECT_EQ(std::string(entry->firstName), fits);
    EXPECT_EQ(installer::MakeFileEntry(tooLong.c_str(), "b", 1, false), nullptr);
    EXPECT_EQ(installer::MakeShortcutEntry("a", tooLong.c_str()), nullptr);
    EXPECT_EQ(installer::MakeShortcutEntry("a", nullptr), nullptr);
}

TEST(InstallScript, each_line_tells_what_it_did_and_why_a_skipped_one_was_skipped) {
    Parsed p;
    struct Case {
        const char* line;
        installer::LineEffect effect;
        installer::LineSkip skip;
        const char* word;
    };
    const Case cases[] = {
        {"   \r", installer::LineEffect::None, installer::LineSkip::None, ""},
        {"//var game_name x", installer::LineEffect::Comment, installer::LineSkip::None, ""},
        {"var version = 1.1", installer::LineEffect::Setting, installer::LineSkip::None, ""},
        {"dst_path C:\\Games", installer::LineEffect::Destination, installer::LineSkip::None, ""},
        {"add_file a b 1", installer::LineEffect::Entry, installer::LineSkip::None, ""},
        {"Add_file a b 1", installer::LineEffect::Skipped, installer::LineSkip::NotADirective, "Add_file"},
        {"var", installer::LineEffect::Skipped, installer::LineSkip::NoKey, ""},
        {"var Game_Name Korvo", installer::LineEffect::Skipped, installer::LineSkip::UnknownSetting,
         "Game_Name"},
        {"var game_name", installer::LineEffect::Skipped, installer::LineSkip::NoValue, "game_name"},
        {"dst_path", installer::LineEffect::Skipped, installer::LineSkip::NoFolder, ""},
        {"add_shortcut only.lnk", installer::LineEffect::Skipped, installer::LineSkip::MissingName,
         "add_shortcut"},
    };
    for (const Case& c : cases) {
        installer::LineOutcome outcome;
        outcome.word = "stale";
        ASSERT_TRUE(installer::ApplyScriptLine(c.line, p.target, &outcome).Ok()) << c.line;
        EXPECT_EQ(outcome.effect, c.effect) << c.line;
        EXPECT_EQ(outcome.skip, c.skip) << c.line;
        EXPECT_EQ(outcome.word, c.word) << c.line;
    }
    installer::LineOutcome outcome;
    ASSERT_TRUE(installer::ApplyScriptLine("var validate_cd true", p.target, &outcome).Ok());
    EXPECT_EQ(outcome.setting, Setting::ValidateCd);
    // A line that breaks a rule says so through its result, as before.
    EXPECT_TRUE(installer::ApplyScriptLine("add_file ..\\x y 1", p.target, &outcome).Damaged());
}

TEST(InstallScript, lines_split_at_line_feeds_without_the_carriage_return_and_stop_when_told) {
    const std::string text = "one\r\n\ntwo\rthree\nlast";
    std::vector<std::string> lines;
    installer::ForEachScriptLine(text.data(), text.size(),
                                 [&](uint32_t number, const char* start, size_t length) {
                                     EXPECT_EQ(number, lines.size() + 1);
                                     lines.emplace_back(start, length);
                                     return true;
                                 });
    EXPECT_EQ(lines, (std::vector<std::string>{"one", "", "two\rthree", "last"}));
    size_t visited = 0;
    installer::ForEachScriptLine(text.data(), text.size(),
                                 [&](uint32_t, const char*, size_t) { return ++visited < 2; });
    EXPECT_EQ(visited, 2u);
}
