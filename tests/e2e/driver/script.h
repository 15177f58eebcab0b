// The scenario language of the GUI test driver: one command per line, words
// separated by blanks. A word in double quotes may hold blanks and the escapes
// \n \r \t \" \\ (any other backslash stays as written, so that
// "HKLM\Software\Korvo" needs no doubling); "${NAME}" anywhere in a word is
// replaced by a variable's value. A line whose first non-blank character is '#' is a comment.
//
//   start "${SETUP_EXE}"
//   wait-window "Setup"
//   answer "Discard changes ?!" yes
#ifndef TESTS_E2E_DRIVER_SCRIPT_H
#define TESTS_E2E_DRIVER_SCRIPT_H

#include <map>
#include <string>
#include <vector>

namespace e2e {

using Variables = std::map<std::string, std::string>;

struct ScriptLine {
    int number = 0;                  // 1-based line number in the script
    std::vector<std::string> words;  // the command name first; never empty
};

// Splits one line into words, expanding variables. Returns false and sets
// `*error` on an unterminated quote, an unterminated or
// unknown "${...}"; `*words` is then unspecified. A blank or comment line
// gives true with no words.
bool SplitLine(const std::string& line, const Variables& vars, std::vector<std::string>* words,
               std::string* error);

// Splits a whole script. Blank and comment lines are left out. On the first
// bad line returns false with "line N: <reason>" in `*error`.
bool ParseScript(const std::string& text, const Variables& vars, std::vector<ScriptLine>* lines,
                 std::string* error);

// Parses "NAME=VALUE" (a command-line definition). False when there is no '='
// or the name is empty.
bool ParseDefinition(const std::string& text, std::string* name, std::string* value);

// Reads a whole decimal or 0x-prefixed integer, with an optional '-'.
// False on anything else (empty text, trailing characters, out of range).
bool ParseInteger(const std::string& text, long long* value);

// Reads hexadecimal bytes such as "14 00 20" or "140020" (blanks ignored).
// False on an odd number of digits or a non-hex character.
bool ParseHexBytes(const std::string& text, std::vector<unsigned char>* bytes);

// True when `text` matches `pattern`, where each '*' stands for any run of
// characters (also none) and every other character for itself.
bool MatchesPattern(const std::string& text, const std::string& pattern);

// A key as a scenario names it: "enter", "escape", "space", "tab", "f1" to
// "f12", or one letter or digit; "alt+" in front holds the Alt key down
// ("alt+n" for a mnemonic, "alt+f4"). Letter case does not matter.
struct KeyStroke {
    int virtualKey = 0;  // the Windows virtual-key code
    bool alt = false;
};

// False for a name outside the list above; `*key` is then unspecified.
bool ParseKey(const std::string& text, KeyStroke* key);

}  // namespace e2e

#endif  // TESTS_E2E_DRIVER_SCRIPT_H
