#include <gtest/gtest.h>

#include <cstring>
#include <string>

#include "installer/engine/install_script.h"

using installer::Setting;

namespace {

struct Parsed {
    installer::SettingsTable settings;
    installer::ScriptLists lists;
    installer::InstallerFolders folders;
    installer::InstallScriptTarget target{settings, lists, folders};

    bool Parse(const std::string& text) {
        return installer::ParseInstallScript(text.data(), text.size(), target);
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
                "add_file korvo.exe korvo.exe\r\n"
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
    EXPECT_EQ(p.lists.addFile[1]->disc, 0);
    EXPECT_FALSE(p.lists.addFile[1]->flag);
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
    EXPECT_FALSE(p.Parse(""));
}

TEST(InstallScript, over_long_line_is_cut_and_its_rest_is_not_a_new_line) {
    Parsed p;
    std::string line = "var game_name " + std::string(600, 'n');
    std::string comment = "// " + std::string(508, '-');  // exactly 511 characters
    ASSERT_TRUE(p.Parse(line + "\n" + comment + "var version 9\nvar reg_path ok\n"));
    EXPECT_EQ(std::strlen(p.settings.Text(Setting::GameName)), 511u - 14u);
    EXPECT_STREQ(p.settings.Text(Setting::Version), "");
    EXPECT_STREQ(p.settings.Text(Setting::RegPath), "ok");
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
