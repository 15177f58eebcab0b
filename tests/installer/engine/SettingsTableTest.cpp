#include <gtest/gtest.h>

#include <cstring>
#include <string>

#include "installer/engine/settings_table.h"

using installer::Setting;
using installer::SettingsTable;

TEST(SettingsTable, set_by_key_is_exact_keeps_the_last_value_and_ignores_a_missing_one) {
    SettingsTable table;
    EXPECT_STREQ(SettingsTable::KeyOf(Setting::DirectxNTName), "directxNT_name");
    EXPECT_TRUE(table.SetByKey("u_game_name", "Korvo"));
    EXPECT_TRUE(table.SetByKey("u_game_name", "Korvo Gold"));
    EXPECT_TRUE(table.SetByKey("u_game_name", nullptr));
    EXPECT_STREQ(table.Text(Setting::UGameName), "Korvo Gold");
    EXPECT_FALSE(table.SetByKey("Game_Name", "x"));
    EXPECT_FALSE(table.SetByKey(nullptr, "x"));
    EXPECT_STREQ(table.Text(Setting::GameName), "");

    table.Set(Setting::RegPath, std::string(700, 'v').c_str());
    EXPECT_EQ(std::strlen(table.Text(Setting::RegPath)), SettingsTable::kMaxValueLength);
    EXPECT_STREQ(table.Text(static_cast<Setting>(21)), "");
}

TEST(SettingsTable, boolean_is_true_only_for_lower_case_true_as_first_four_characters) {
    SettingsTable table;
    EXPECT_FALSE(table.Bool(Setting::IsPatch));
    table.Set(Setting::IsPatch, "trueish");
    EXPECT_TRUE(table.Bool(Setting::IsPatch));
    for (const char* no : {"True", "TRUE", "1", "yes", " true", "tru"}) {
        table.Set(Setting::IsPatch, no);
        EXPECT_FALSE(table.Bool(Setting::IsPatch)) << no;
    }
}

TEST(SettingsTable, integers_are_lenient_and_saturate_instead_of_wrapping) {
    SettingsTable table;
    table.Set(Setting::RequestSpaceFull, "2000000000000");
    EXPECT_EQ(table.Int64(Setting::RequestSpaceFull), 2000000000000LL);
    EXPECT_EQ(table.Int(Setting::RequestSpaceFull), INT32_MAX);
    table.Set(Setting::NumOfBilboards, " \t-12 pictures");
    EXPECT_EQ(table.Int(Setting::NumOfBilboards), -12);
    table.Set(Setting::NumOfBilboards, "twelve");
    EXPECT_EQ(table.Int(Setting::NumOfBilboards), 0);

    EXPECT_EQ(installer::ParseLenientInt64("99999999999999999999999"), INT64_MAX);
    EXPECT_EQ(installer::ParseLenientInt64("-9223372036854775808"), INT64_MIN);
    EXPECT_EQ(installer::ParseLenientInt32("-3000000000"), INT32_MIN);
}

TEST(SettingsTable, substitution_replaces_only_the_first_of_each_token) {
    SettingsTable table;
    char text[SettingsTable::kTextBufferSize] = "Install %game_name now";
    EXPECT_STREQ(table.SubstituteNames(text), "Install  now");

    table.Set(Setting::GameName, "Korvo");
    table.Set(Setting::UGameName, "Korvo U");
    std::strcpy(text, "%game_name and %game_name, %u_game_name and %u_game_name: %s");
    EXPECT_EQ(table.SubstituteNames(text), text);
    EXPECT_STREQ(text, "Korvo and %game_name, Korvo U and %u_game_name: %s");

    // The second search runs over the result of the first.
    table.Set(Setting::GameName, "Korvo (%u_game_name)");
    std::strcpy(text, "%game_name");
    EXPECT_STREQ(table.SubstituteNames(text), "Korvo (Korvo U)");
}

TEST(SettingsTable, substitution_cuts_at_1023_characters_and_never_writes_past_the_buffer) {
    SettingsTable table;
    table.Set(Setting::GameName, std::string(511, 'G').c_str());
    table.Set(Setting::UGameName, std::string(511, 'U').c_str());
    // Sentinel bytes behind the 1024-byte buffer must survive.
    char area[SettingsTable::kTextBufferSize + 16];
    std::memset(area, '#', sizeof area);
    std::strcpy(area,
                (std::string(300, 'a') + "%game_name" + std::string(300, 'b') + "%u_game_name!").c_str());
    table.SubstituteNames(area);
    std::string expected =
        std::string(300, 'a') + std::string(511, 'G') + std::string(300, 'b') + std::string(511, 'U');
    EXPECT_EQ(std::string(area), expected.substr(0, 1023));

    // A value that reaches past the end is itself cut, and the text after the token goes.
    std::memset(area, '#', sizeof area);
    std::strcpy(area, (std::string(1000, 'a') + "%game_name tail").c_str());
    table.SubstituteNames(area);
    EXPECT_EQ(std::string(area), std::string(1000, 'a') + std::string(23, 'G'));
    EXPECT_EQ(std::string(area + SettingsTable::kTextBufferSize, 16), std::string(16, '#'));

    // A buffer without any terminator is cut to 1023 characters.
    std::memset(area, 'x', SettingsTable::kTextBufferSize);
    table.SubstituteNames(area);
    EXPECT_EQ(std::strlen(area), 1023u);
    EXPECT_EQ(std::string(area + SettingsTable::kTextBufferSize, 16), std::string(16, '#'));
}
