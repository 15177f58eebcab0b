#include "installer/engine/text_tokenizer.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

using installer::TextTokenizer;

namespace {

std::vector<std::string> AllTokens(const char* line) {
    TextTokenizer tokens;
    tokens.SetLine(line, installer::kScriptSeparators, installer::kScriptQuote);
    std::vector<std::string> out;
    // Empty quoted tokens read as none, so stop only after the line is used up.
    for (int i = 0; i < 32; ++i) {
        const char* token = tokens.NextToken();
        out.push_back(token != nullptr ? token : "<none>");
    }
    while (!out.empty() && out.back() == "<none>") out.pop_back();
    return out;
}

using Tokens = std::vector<std::string>;

}  // namespace

TEST(TextTokenizer, splits_at_blanks_tabs_equals_signs_and_carriage_returns) {
    EXPECT_EQ(AllTokens("var \t game_name = Korvo\r"), (Tokens{"var", "game_name", "Korvo"}));
    EXPECT_EQ(AllTokens("var reg_path=Software\\Ambergate"), (Tokens{"var", "reg_path", "Software\\Ambergate"}));
    EXPECT_EQ(AllTokens(" \t\r= "), Tokens{});
    EXPECT_EQ(AllTokens(""), Tokens{});
}

TEST(TextTokenizer, quotes_group_separators_and_are_ordinary_inside_a_word) {
    EXPECT_EQ(AllTokens("add_file \"My Games\\a b.txt\" dst 1"),
              (Tokens{"add_file", "My Games\\a b.txt", "dst", "1"}));
    EXPECT_EQ(AllTokens("a\"b c\""), (Tokens{"a\"b", "c\""}));
    // The closing quote ends the token and is the one character consumed after it.
    EXPECT_EQ(AllTokens("\"x y\"z w"), (Tokens{"x y", "z", "w"}));
    // An unclosed quote runs to the end of the line.
    EXPECT_EQ(AllTokens("name \"open to the end"), (Tokens{"name", "open to the end"}));
}

TEST(TextTokenizer, empty_quotes_read_as_no_token_but_are_passed) {
    TextTokenizer tokens;
    tokens.SetLine("\"\" after", installer::kScriptSeparators, installer::kScriptQuote);
    EXPECT_EQ(tokens.NextToken(), nullptr);
    EXPECT_STREQ(tokens.NextToken(), "after");
    EXPECT_EQ(tokens.NextToken(), nullptr);
}

TEST(TextTokenizer, next_int_is_lenient_and_zero_without_a_token) {
    TextTokenizer tokens;
    tokens.SetLine("258 -3 7x x", installer::kScriptSeparators, installer::kScriptQuote);
    EXPECT_EQ(tokens.NextInt(), 258);
    EXPECT_EQ(tokens.NextInt(), -3);
    EXPECT_EQ(tokens.NextInt(), 7);
    EXPECT_EQ(tokens.NextInt(), 0);
    EXPECT_EQ(tokens.NextInt(), 0);

    tokens.SetLine(nullptr, nullptr, '"');
    EXPECT_EQ(tokens.NextToken(), nullptr);
    EXPECT_EQ(tokens.NextInt(), 0);
}
