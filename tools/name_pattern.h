// Selecting archive entries by name: shell-style patterns that ignore the
// case of ASCII letters and take '/' and '\' alike.
#ifndef TOOLS_NAME_PATTERN_H
#define TOOLS_NAME_PATTERN_H

#include <string>

namespace dta::tools {

// True when `name` matches `pattern`: '*' stands for any run of characters
// (folder separators included, as in tar), '?' for one character, and
// "[...]" for one character of a set ("[a-c]", "[!0-9]"). A pattern also
// selects every entry below a folder it names: "data" and "data/*" both
// select "data\maps\a.map".
bool MatchesName(const std::string& pattern, const std::string& name);

}  // namespace dta::tools

#endif  // TOOLS_NAME_PATTERN_H
