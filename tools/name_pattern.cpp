#include "tools/name_pattern.h"

#include <algorithm>
#include <cstddef>

namespace dta::tools {
namespace {

char Fold(char c) {
    if (c == '/') return '\\';
    if (c >= 'a' && c <= 'z') return static_cast<char>(c - 'a' + 'A');
    return c;
}

// Matches the set that starts at pattern[p] ('[') against `c`; `end` gets
// the position after the closing ']'. False with end = p for a set that
// never closes, which then stands for a plain '['.
bool MatchSet(const std::string& pattern, size_t p, char c, size_t* end, bool* closed) {
    size_t i = p + 1;
    const bool negate = i < pattern.size() && (pattern[i] == '!' || pattern[i] == '^');
    if (negate) ++i;
    bool hit = false;
    bool first = true;
    for (; i < pattern.size() && (first || pattern[i] != ']'); first = false) {
        char low = Fold(pattern[i]);
        char high = low;
        if (i + 2 < pattern.size() && pattern[i + 1] == '-' && pattern[i + 2] != ']') {
            high = Fold(pattern[i + 2]);
            i += 3;
        } else {
            ++i;
        }
        if (low <= c && c <= high) hit = true;
    }
    *closed = i < pattern.size();
    *end = *closed ? i + 1 : p + 1;
    return *closed ? hit != negate : c == '[';
}

// Glob matching with the usual single backtrack point for '*'.
bool Glob(const std::string& pattern, const std::string& name) {
    size_t p = 0, n = 0;
    size_t starP = std::string::npos, starN = 0;
    while (n < name.size()) {
        const char c = Fold(name[n]);
        if (p < pattern.size()) {
            const char pc = pattern[p];
            if (pc == '*') {
                starP = p++;
                starN = n;
                continue;
            }
            if (pc == '?') {
                ++p;
                ++n;
                continue;
            }
            if (pc == '[') {
                size_t end = 0;
                bool closed = false;
                if (MatchSet(pattern, p, c, &end, &closed)) {
                    p = end;
                    ++n;
                    continue;
                }
            } else if (Fold(pc) == c) {
                ++p;
                ++n;
                continue;
            }
        }
        if (starP == std::string::npos) return false;
        p = starP + 1;
        n = ++starN;
    }
    while (p < pattern.size() && pattern[p] == '*') ++p;
    return p == pattern.size();
}

}  // namespace

bool MatchesName(const std::string& pattern, const std::string& name) {
    // A name is always itself, whatever pattern characters it holds.
    if (pattern.size() == name.size() &&
        std::equal(pattern.begin(), pattern.end(), name.begin(), [](char a, char b) { return Fold(a) == Fold(b); }))
        return true;
    if (Glob(pattern, name)) return true;
    // A folder named by the pattern selects what lies below it.
    std::string folder = pattern;
    while (!folder.empty() && (folder.back() == '/' || folder.back() == '\\')) folder.pop_back();
    return !folder.empty() && Glob(folder + "\\*", name);
}

}  // namespace dta::tools
