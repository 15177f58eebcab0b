#include "installer/engine/settings_table.h"

#include <gtest/gtest.h>

#include <cstring>
#include <string>

using installer::Setting;
using installer::SettingsTable;

TEST(SettingsTable, fresh_table_reads_empty_false_and_zero_everywhere) {
    SettingsTable table;
    for (int i = 0; i < SettingsTable::kCount; ++i) {
        Setting s = static_cast<Setting>(i);
        EXPECT_STREQ(table.Text(s), "");
        EXPECT_FALSE(table.Bool(s));
        EXPECT_EQ(table.Int(s), 0);
        EXPECT_EQ(table.Int64(s), 0);
    }
    EXPECT_STREQ(SettingsTable::KeyOf(Setting::GameName), "game_name");
    EXPECT_STREQ(SettingsTable::KeyOf(Setting::CurrentRequestSpace), "current_request_space");
    EXPECT_STREQ(SettingsTable::KeyOf(Setting::DirectxNTName), "directxNT_name");
    EXPECT_EQ(SettingsTable::KeyOf(static_cast<Setting>(21)), nullptr);
    EXPECT_STREQ(table.Text(static_cast<Setting>(-1)), "");
}

TEST(SettingsTable, set_by_key_matches_exactly_and_ignores_a_missing_value) {
    SettingsTable table;
    EXPECT_TRUE(table.SetByKey("u_game_name", "Korvo"));
    EXPECT_TRUE(table.SetByKey("u_game_name", "Korvo Gold"));  // the later value wins
    EXPECT_STREQ(table.Text(Setting::UGameName), "Korvo Gold");
    EXPECT_TRUE(table.SetByKey("u_game_name", nullptr));
    EXPECT_STREQ(table.Text(Setting::UGameName), "Korvo Gold");

    EXPECT_FALSE(table.SetByKey("U_Game_Name", "x"));
    EXPECT_FALSE(table.SetByKey("game", "x"));
    EXPECT_FALSE(table.SetByKey(nullptr, "x"));
    EXPECT_STREQ(table.Text(Setting::GameName), "");
}

TEST(SettingsTable, values_are_cut_to_511_characters) {
    SettingsTable table;
    std::string longValue(700, 'v');
    table.Set(Setting::RegPath, longValue.c_str());
    EXPECT_EQ(std::strlen(table.Text(Setting::RegPath)), SettingsTable::kMaxValueLength);
    table.Set(Setting::RegPath, nullptr);
    EXPECT_EQ(std::strlen(table.Text(Setting::RegPath)), SettingsTable::kMaxValueLength);
}

TEST(SettingsTable, boolean_is_true_only_for_lower_case_true_as_first_four_characters) {
    SettingsTable table;
    for (const char* yes : {"true", "trueish", "true false"}) {
        table.Set(Setting::IsPatch, yes);
        EXPECT_TRUE(table.Bool(Setting::IsPatch)) << yes;
    }
    for (const char* no : {"True", "TRUE", "1", "yes", "", " true", "tru"}) {
        table.Set(Setting::IsPatch, no);
        EXPECT_FALSE(table.Bool(Setting::IsPatch)) << no;
    }
}

TEST(SettingsTable, integers_are_lenient_and_saturate_instead_of_wrapping) {
    SettingsTable table;
    table.Set(Setting::RequestSpaceFull, "2000000000000");
    EXPECT_EQ(table.Int64(Setting::RequestSpaceFull), 2000000000000LL);
    EXPECT_EQ(table.Int(Setting::RequestSpaceFull), INT32_MAX);

    table.Set(Setting::NumOfBilboards, " \t+12 pictures");
    EXPECT_EQ(table.Int(Setting::NumOfBilboards), 12);
    table.Set(Setting::NumOfBilboards, "-7");
    EXPECT_EQ(table.Int(Setting::NumOfBilboards), -7);
    table.Set(Setting::NumOfBilboards, "twelve");
    EXPECT_EQ(table.Int(Setting::NumOfBilboards), 0);

    EXPECT_EQ(installer::ParseLenientInt64("99999999999999999999999"), INT64_MAX);
    EXPECT_EQ(installer::ParseLenientInt64("-9223372036854775808"), INT64_MIN);
    EXPECT_EQ(installer::ParseLenientInt64("-99999999999999999999999"), INT64_MIN);
    EXPECT_EQ(installer::ParseLenientInt32("-3000000000"), INT32_MIN);
    EXPECT_EQ(installer::ParseLenientInt64(nullptr), 0);
}

TEST(SettingsTable, substitution_replaces_only_the_first_of_each_token) {
    SettingsTable table;
    table.Set(Setting::GameName, "Korvo");
    table.Set(Setting::UGameName, "Korvo Uninstall");
    char text[SettingsTable::kTextBufferSize];

    std::strcpy(text, "Welcome to the %game_name Install");
    EXPECT_EQ(table.SubstituteNames(text), text);
    EXPECT_STREQ(text, "Welcome to the Korvo Install");

    std::strcpy(text, "%u_game_name was uninstalled successfully.");
    EXPECT_STREQ(table.SubstituteNames(text), "Korvo Uninstall was uninstalled successfully.");

    std::strcpy(text, "%game_name and %game_name, %u_game_name and %u_game_name: %s %u");
    EXPECT_STREQ(table.SubstituteNames(text),
                 "Korvo and %game_name, Korvo Uninstall and %u_game_name: %s %u");

    EXPECT_EQ(table.SubstituteNames(nullptr), nullptr);
    SettingsTable empty;
    std::strcpy(text, "Install %game_name now");
    EXPECT_STREQ(empty.SubstituteNames(text), "Install  now");
}

TEST(SettingsTable, substitution_cuts_at_1023_characters_and_never_writes_past_the_buffer) {
    SettingsTable table;
    table.Set(Setting::GameName, std::string(511, 'G').c_str());
    table.Set(Setting::UGameName, std::string(511, 'U').c_str());
    // The 1024-byte text buffer is followed by sentinel bytes that must survive.
    char area[SettingsTable::kTextBufferSize + 16];
    std::memset(area, '#', sizeof area);
    char* text = area;
    std::string source = std::string(300, 'a') + "%game_name" + std::string(300, 'b') + "%u_game_name!";
    std::strcpy(text, source.c_str());

    table.SubstituteNames(text);
    std::string expected = std::string(300, 'a') + std::string(511, 'G') + std::string(300, 'b') +
                           std::string(511, 'U') + "!";
    EXPECT_EQ(std::string(text), expected.substr(0, 1023));
    for (size_t i = SettingsTable::kTextBufferSize; i < sizeof area; ++i) EXPECT_EQ(area[i], '#') << i;

    // A buffer with no terminator at all is cut to 1023 characters.
    std::memset(area, 'x', SettingsTable::kTextBufferSize);
    table.SubstituteNames(text);
    EXPECT_EQ(std::strlen(text), 1023u);
    EXPECT_EQ(area[SettingsTable::kTextBufferSize], '#');
}
