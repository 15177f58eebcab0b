#include <gtest/gtest.h>

#include "installer/resources/resource.h"
#include "tests/e2e/driver/control_names.h"
#include "tests/e2e/driver/script.h"

namespace {

using e2e::ParseDefinition;
using e2e::ParseHexBytes;
using e2e::ParseInteger;
using e2e::ParseScript;
using e2e::ScriptLine;
using e2e::SplitLine;
using e2e::Variables;

std::vector<std::string> Split(const std::string& line, const Variables& vars = {}) {
    std::vector<std::string> words;
    std::string error;
    EXPECT_TRUE(SplitLine(line, vars, &words, &error)) << error;
    return words;
}

bool SplitFails(const std::string& line, const Variables& vars = {}) {
    std::vector<std::string> words;
    std::string error;
    bool ok = SplitLine(line, vars, &words, &error);
    return !ok && !error.empty();
}

TEST(Script, splits_plain_and_quoted_words) {
    EXPECT_EQ(Split("  expect-checked\t1005   1 "),
              (std::vector<std::string>{"expect-checked", "1005", "1"}));
    EXPECT_EQ(Split("answer \"Discard changes ?!\" yes"),
              (std::vector<std::string>{"answer", "Discard changes ?!", "yes"}));
    // Leading blanks inside quotes are kept: list items such as " OFF" need them.
    EXPECT_EQ(Split("expect-selected 1030 \" OFF\""),
              (std::vector<std::string>{"expect-selected", "1030", " OFF"}));
    EXPECT_EQ(Split("expect-items 1003 \"\""), (std::vector<std::string>{"expect-items", "1003", ""}));
    EXPECT_EQ(Split("x\r"), (std::vector<std::string>{"x"}));
}

TEST(Script, decodes_escapes_inside_quotes_only) {
    EXPECT_EQ(Split("a \"one\\n\\rtwo\\t\\\"q\\\" \\\\\""),
              (std::vector<std::string>{"a", "one\n\rtwo\t\"q\" \\"}));
    EXPECT_EQ(Split("a b\\n"), (std::vector<std::string>{"a", "b\\n"}));
    // Other backslashes stay, so registry keys need no doubling.
    EXPECT_EQ(Split("k \"HKLM\\Software\\Ambergate Studio\""),
              (std::vector<std::string>{"k", "HKLM\\Software\\Ambergate Studio"}));
}

TEST(Script, expands_variables_in_and_out_of_quotes) {
    Variables vars = {{"EXE", "/build/setup/setup.exe"}, {"N", "7"}};
    EXPECT_EQ(Split("start ${EXE}", vars), (std::vector<std::string>{"start", "/build/setup/setup.exe"}));
    EXPECT_EQ(Split("x \"a ${N}b\" c${N}", vars), (std::vector<std::string>{"x", "a 7b", "c7"}));
    EXPECT_TRUE(SplitFails("start ${MISSING}", vars));
    EXPECT_TRUE(SplitFails("start ${EXE", vars));
    // A lone '$' is ordinary text.
    EXPECT_EQ(Split("x a$b", vars), (std::vector<std::string>{"x", "a$b"}));
}

TEST(Script, rejects_broken_quoting) {
    EXPECT_TRUE(SplitFails("answer \"never closed"));
    EXPECT_TRUE(SplitFails("answer \"ends in backslash\\"));
    EXPECT_TRUE(SplitFails("answer \"glued\"word"));
}

TEST(Script, comments_and_blank_lines_give_no_words) {
    EXPECT_TRUE(Split("").empty());
    EXPECT_TRUE(Split("   \t").empty());
    EXPECT_TRUE(Split("  # a comment \"unterminated").empty());
    // '#' after the command is an ordinary word.
    EXPECT_EQ(Split("x #1"), (std::vector<std::string>{"x", "#1"}));
}

TEST(Script, numbers_lines_and_reports_the_bad_one) {
    std::vector<ScriptLine> lines;
    std::string error;
    ASSERT_TRUE(ParseScript("# title\r\n\r\nstart a.exe\r\nclick 1\n", {}, &lines, &error)) << error;
    ASSERT_EQ(lines.size(), 2u);
    EXPECT_EQ(lines[0].number, 3);
    EXPECT_EQ(lines[0].words, (std::vector<std::string>{"start", "a.exe"}));
    EXPECT_EQ(lines[1].number, 4);

    EXPECT_FALSE(ParseScript("start a.exe\nclick \"1\nclick 2", {}, &lines, &error));
    EXPECT_EQ(error.rfind("line 2:", 0), 0u) << error;
}

TEST(Script, reads_definitions) {
    std::string name, value;
    ASSERT_TRUE(ParseDefinition("SETUP_EXE=/a/b=c.exe", &name, &value));
    EXPECT_EQ(name, "SETUP_EXE");
    EXPECT_EQ(value, "/a/b=c.exe");
    ASSERT_TRUE(ParseDefinition("EMPTY=", &name, &value));
    EXPECT_EQ(value, "");
    EXPECT_FALSE(ParseDefinition("=x", &name, &value));
    EXPECT_FALSE(ParseDefinition("novalue", &name, &value));
}

TEST(Script, reads_whole_integers_only) {
    long long v = 0;
    ASSERT_TRUE(ParseInteger("1005", &v));
    EXPECT_EQ(v, 1005);
    ASSERT_TRUE(ParseInteger("-75", &v));
    EXPECT_EQ(v, -75);
    ASSERT_TRUE(ParseInteger("0x14", &v));
    EXPECT_EQ(v, 20);
    ASSERT_TRUE(ParseInteger("010", &v));  // decimal, not octal
    EXPECT_EQ(v, 10);
    for (const char* bad : {"", "-", "12a", " 1", "+1", "0x", "--1", "99999999999999999999"}) {
        EXPECT_FALSE(ParseInteger(bad, &v)) << bad;
    }
}

TEST(Script, reads_hex_bytes_with_or_without_blanks) {
    std::vector<unsigned char> bytes;
    ASSERT_TRUE(ParseHexBytes("14 00 20 03", &bytes));
    EXPECT_EQ(bytes, (std::vector<unsigned char>{0x14, 0x00, 0x20, 0x03}));
    ASSERT_TRUE(ParseHexBytes("ffA0", &bytes));
    EXPECT_EQ(bytes, (std::vector<unsigned char>{0xFF, 0xA0}));
    ASSERT_TRUE(ParseHexBytes("", &bytes));
    EXPECT_TRUE(bytes.empty());
    EXPECT_FALSE(ParseHexBytes("1", &bytes));
    EXPECT_FALSE(ParseHexBytes("1 4 0", &bytes));
    EXPECT_FALSE(ParseHexBytes("zz", &bytes));
}

TEST(Script, matches_patterns_with_stars) {
    using e2e::MatchesPattern;
    EXPECT_TRUE(MatchesPattern("Required 1.40 GB\nAvailable 476.84 MB", "Required 1.40 GB\nAvailable *"));
    EXPECT_TRUE(MatchesPattern("abc", "abc"));
    EXPECT_TRUE(MatchesPattern("", "*"));
    EXPECT_TRUE(MatchesPattern("a*c", "a*c"));
    // A star gives back what a later part needs.
    EXPECT_TRUE(MatchesPattern("x.dta.dta", "*.dta"));
    EXPECT_TRUE(MatchesPattern("aXbYb", "a*b"));
    EXPECT_TRUE(MatchesPattern("from 1 to 2", "from * to *"));
    EXPECT_FALSE(MatchesPattern("abc", "ab"));
    EXPECT_FALSE(MatchesPattern("ab", "abc"));
    EXPECT_FALSE(MatchesPattern("Available", "Required *"));
    EXPECT_FALSE(MatchesPattern("a.dtax", "*.dta"));
}

}  // namespace

TEST(Script, names_keys_with_and_without_alt) {
    using e2e::KeyStroke;
    using e2e::ParseKey;
    KeyStroke key;
    const struct {
        const char* name;
        int code;
        bool alt;
    } good[] = {{"enter", 0x0D, false}, {"Escape", 0x1B, false}, {"space", 0x20, false}, {"tab", 0x09, false},
                {"alt+n", 'N', true},   {"ALT+B", 'B', true},    {"alt+f4", 0x73, true}, {"f1", 0x70, false},
                {"f12", 0x7B, false},   {"7", '7', false},       {"x", 'X', false}};
    for (const auto& g : good) {
        ASSERT_TRUE(ParseKey(g.name, &key)) << g.name;
        EXPECT_EQ(key.virtualKey, g.code) << g.name;
        EXPECT_EQ(key.alt, g.alt) << g.name;
    }
    for (const char* bad : {"", "alt+", "alt", "return", "esc", "f0", "f13", "f01", "f1x", "ab", "alt+alt+n",
                            "+n", "ctrl+n", "!"}) {
        EXPECT_FALSE(ParseKey(bad, &key)) << bad;
    }
}

// Scenarios name controls as the resource headers do; a misspelt name must
// fail instead of reaching some other control.
TEST(Script, names_controls_as_the_resource_headers_do) {
    int id = -1;
    ASSERT_TRUE(e2e::ParseControlId("IDC_NEXT", &id));
    EXPECT_EQ(id, IDC_NEXT);
    ASSERT_TRUE(e2e::ParseControlId("IDC_DESTINATION_EDIT", &id));
    EXPECT_EQ(id, IDC_DESTINATION_EDIT);
    ASSERT_TRUE(e2e::ParseControlId("IDC_PROGRESS_CANCEL", &id));
    EXPECT_EQ(id, IDC_PROGRESS_CANCEL);
    ASSERT_TRUE(e2e::ParseControlId("IDC_ADAPTER", &id));  // the settings tool's header
    ASSERT_TRUE(e2e::ParseControlId("IDCANCEL", &id));
    EXPECT_EQ(id, 2);
    ASSERT_TRUE(e2e::ParseControlId("712", &id));
    EXPECT_EQ(id, 712);
    for (const char* bad : {"IDC_NEXTT", "idc_next", "IDC_", "", "-1", "65536", "IDS_EXIT", "IDD_SETUP"}) {
        EXPECT_FALSE(e2e::ParseControlId(bad, &id)) << bad;
    }
    EXPECT_EQ(e2e::ControlIdName(IDC_HEADER_LINE), "711 (IDC_HEADER_LINE)");
    EXPECT_EQ(e2e::ControlIdName(4321), "4321");
}
