#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "installer/engine/text_tokenizer.h"

using installer::TextTokenizer;
using Tokens = std::vector<std::string>;

namespace {

// Every token of the line with the script's separators; "-" marks an empty one.
Tokens AllTokens(const char* line, int count) {
    TextTokenizer tokens;
    tokens.SetLine(line, installer::kScriptSeparators, installer::kScriptQuote);
    Tokens out;
    for (int i = 0; i < count; ++i) {
        const char* token = tokens.NextToken();
        out.push_back(token != nullptr ? token : "-");
    }
    return out;
}

}  // namespace

TEST(TextTokenizer, splits_at_blanks_tabs_equals_signs_and_carriage_returns) {
    EXPECT_EQ(AllTokens("var \t game_name = Korvo\r", 4), (Tokens{"var", "game_name", "Korvo", "-"}));
    EXPECT_EQ(AllTokens(" \t\r= ", 1), Tokens{"-"});
}

TEST(TextTokenizer, quotes_group_separators_and_are_ordinary_inside_a_word) {
    EXPECT_EQ(AllTokens("add_file \"My Games\\a b.txt\" dst", 3),
              (Tokens{"add_file", "My Games\\a b.txt", "dst"}));
    EXPECT_EQ(AllTokens("a\"b c\"", 3), (Tokens{"a\"b", "c\"", "-"}));
    // The closing quote is the one character consumed after the token.
    EXPECT_EQ(AllTokens("\"x y\"z w", 3), (Tokens{"x y", "z", "w"}));
    EXPECT_EQ(AllTokens("\"open to the end", 2), (Tokens{"open to the end", "-"}));
    // Empty quotes read as no token, but the line goes on after them.
    EXPECT_EQ(AllTokens("\"\" after", 3), (Tokens{"-", "after", "-"}));
}

TEST(TextTokenizer, next_int_is_lenient_and_zero_without_a_token) {
    TextTokenizer tokens;
    tokens.SetLine("258 -3 7x x", installer::kScriptSeparators, installer::kScriptQuote);
    for (int expected : {258, -3, 7, 0, 0}) EXPECT_EQ(tokens.NextInt(), expected);
    tokens.SetLine(nullptr, nullptr, '"');
    EXPECT_EQ(tokens.NextToken(), nullptr);
}
