// Splits one line of text into tokens: runs of characters between
// separators, or a quoted run that may contain separators.
//
// The install script uses the separators kScriptSeparators ("= \n\r\t") and
// the double quote, so `var game_name = "Korvo Gold"` gives the tokens var,
// game_name and Korvo Gold.
#ifndef INSTALLER_ENGINE_TEXT_TOKENIZER_H
#define INSTALLER_ENGINE_TEXT_TOKENIZER_H

#include <cstddef>
#include <cstdint>
#include <string>

namespace installer {

inline constexpr const char* kScriptSeparators = "= \n\r\t";
inline constexpr char kScriptQuote = '"';

class TextTokenizer {
public:
    TextTokenizer() = default;

    // Takes private copies of `line` and `separators` (each up to its first
    // zero byte; null counts as empty) and moves to the start of the line.
    void SetLine(const char* line, const char* separators, char quote);

    // The next token, or null when the line has no more. Separators before a
    // token are skipped. A token that starts with the quote character runs to
    // the next quote character (or the end of the line) and keeps the
    // separators inside; a quote later in an unquoted token is an ordinary
    // character. The one character that ends a token (separator or closing
    // quote) is consumed. An empty token ("") counts as none, but the
    // position still moves past it. The text stays valid until the next
    // NextToken, NextInt or SetLine call.
    const char* NextToken();

    // Reads the next token and returns its lenient decimal value (leading
    // blanks, a sign, digits up to the first non-digit; clamped to 32 bits);
    // 0 when there is no token.
    int32_t NextInt();

private:
    std::string line_;
    std::string separators_;
    char quote_ = '"';
    size_t position_ = 0;
    std::string token_;

    bool IsSeparator(char c) const;
};

}  // namespace installer

#endif  // INSTALLER_ENGINE_TEXT_TOKENIZER_H
