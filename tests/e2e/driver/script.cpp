#include "tests/e2e/driver/script.h"

#include <cerrno>
#include <cstdlib>

namespace e2e {
namespace {

bool IsBlank(char c) {
    return c == ' ' || c == '\t' || c == '\r';
}

int HexDigit(char c) {
    if (c >= '0' && c <= '9') return c - '0';
    if (c >= 'a' && c <= 'f') return c - 'a' + 10;
    if (c >= 'A' && c <= 'F') return c - 'A' + 10;
    return -1;
}

// Expands "${NAME}" at `text[*pos]` (which holds the '$') into `*out`.
bool ExpandVariable(const std::string& text, size_t* pos, const Variables& vars, std::string* out,
                    std::string* error) {
    size_t close = text.find('}', *pos + 2);
    if (close == std::string::npos) {
        *error = "unterminated ${ in \"" + text + "\"";
        return false;
    }
    std::string name = text.substr(*pos + 2, close - *pos - 2);
    auto it = vars.find(name);
    if (it == vars.end()) {
        *error = "unknown variable ${" + name + "}";
        return false;
    }
    *out += it->second;
    *pos = close + 1;
    return true;
}

}  // namespace

bool SplitLine(const std::string& line, const Variables& vars, std::vector<std::string>* words,
               std::string* error) {
    words->clear();
    size_t i = 0;
    while (i < line.size()) {
        while (i < line.size() && IsBlank(line[i])) ++i;
        if (i == line.size()) break;
        if (words->empty() && line[i] == '#') break;
        std::string word;
        bool quoted = line[i] == '"';
        if (quoted) ++i;
        bool closed = !quoted;
        while (i < line.size()) {
            char c = line[i];
            if (!quoted && IsBlank(c)) break;
            if (quoted && c == '"') {
                closed = true;
                ++i;
                break;
            }
            if (c == '$' && i + 1 < line.size() && line[i + 1] == '{') {
                if (!ExpandVariable(line, &i, vars, &word, error)) return false;
                continue;
            }
            if (quoted && c == '\\') {
                if (i + 1 == line.size()) break;
                char e = line[i + 1];
                switch (e) {
                    case 'n':
                        word += '\n';
                        break;
                    case 'r':
                        word += '\r';
                        break;
                    case 't':
                        word += '\t';
                        break;
                    case '"':
                        word += '"';
                        break;
                    case '\\':
                        word += '\\';
                        break;
                    default:
                        // Registry keys and Windows paths are full of backslashes:
                        // any other pair is kept as written.
                        word += '\\';
                        ++i;
                        continue;
                }
                i += 2;
                continue;
            }
            word += c;
            ++i;
        }
        if (!closed) {
            *error = "unterminated quote";
            return false;
        }
        // A closing quote must end the word: "abc"def is a mistake, not two words.
        if (quoted && i < line.size() && !IsBlank(line[i])) {
            *error = "text after a closing quote";
            return false;
        }
        words->push_back(word);
    }
    return true;
}

bool ParseScript(const std::string& text, const Variables& vars, std::vector<ScriptLine>* lines,
                 std::string* error) {
    lines->clear();
    size_t start = 0;
    int number = 0;
    while (start <= text.size()) {
        size_t end = text.find('\n', start);
        if (end == std::string::npos) end = text.size();
        ++number;
        ScriptLine line;
        line.number = number;
        std::string reason;
        if (!SplitLine(text.substr(start, end - start), vars, &line.words, &reason)) {
            *error = "line " + std::to_string(number) + ": " + reason;
            return false;
        }
        if (!line.words.empty()) lines->push_back(std::move(line));
        start = end + 1;
    }
    return true;
}

bool ParseDefinition(const std::string& text, std::string* name, std::string* value) {
    size_t eq = text.find('=');
    if (eq == std::string::npos || eq == 0) return false;
    *name = text.substr(0, eq);
    *value = text.substr(eq + 1);
    return true;
}

bool ParseInteger(const std::string& text, long long* value) {
    size_t digits = text.size() > 0 && text[0] == '-' ? 1 : 0;
    bool hex = text.size() > digits + 1 && text[digits] == '0' &&
               (text[digits + 1] == 'x' || text[digits + 1] == 'X');
    if (text.size() == digits || IsBlank(text[digits]) || text[digits] == '+' || text[digits] == '-')
        return false;
    const char* begin = text.c_str();
    char* end = nullptr;
    errno = 0;
    long long v = std::strtoll(begin, &end, hex ? 16 : 10);
    if (errno != 0 || end == begin || *end != '\0') return false;
    *value = v;
    return true;
}

bool ParseHexBytes(const std::string& text, std::vector<unsigned char>* bytes) {
    bytes->clear();
    int high = -1;
    for (char c : text) {
        if (IsBlank(c)) continue;
        int d = HexDigit(c);
        if (d < 0) return false;
        if (high < 0) {
            high = d;
        } else {
            bytes->push_back(static_cast<unsigned char>(high * 16 + d));
            high = -1;
        }
    }
    return high < 0;
}

bool MatchesPattern(const std::string& text, const std::string& pattern) {
    // Greedy matching with one backtrack point: the last star seen and the
    // text position it has swallowed up to.
    size_t t = 0, p = 0, star = std::string::npos, resume = 0;
    while (t < text.size()) {
        if (p < pattern.size() && pattern[p] == '*') {
            star = p++;
            resume = t;
        } else if (p < pattern.size() && pattern[p] == text[t]) {
            ++p;
            ++t;
        } else if (star != std::string::npos) {
            p = star + 1;
            t = ++resume;
        } else {
            return false;
        }
    }
    while (p < pattern.size() && pattern[p] == '*') ++p;
    return p == pattern.size();
}

bool ParseKey(const std::string& text, KeyStroke* key) {
    std::string name;
    for (char c : text) name += (c >= 'A' && c <= 'Z') ? static_cast<char>(c - 'A' + 'a') : c;
    key->alt = name.rfind("alt+", 0) == 0;
    if (key->alt) name.erase(0, 4);
    // Virtual-key codes, written out: this file compiles without windows.h.
    static const struct {
        const char* name;
        int code;
    } kNamed[] = {{"enter", 0x0D}, {"escape", 0x1B}, {"space", 0x20}, {"tab", 0x09}};
    for (const auto& named : kNamed) {
        if (name == named.name) {
            key->virtualKey = named.code;
            return true;
        }
    }
    if (name.size() == 1 && ((name[0] >= 'a' && name[0] <= 'z') || (name[0] >= '0' && name[0] <= '9'))) {
        // Letters have the codes of their capitals, digits their own.
        key->virtualKey = name[0] >= 'a' ? name[0] - 'a' + 'A' : name[0];
        return true;
    }
    if (name.size() < 2 || name.size() > 3 || name[0] != 'f' || name[1] < '1' || name[1] > '9') return false;
    int f = name[1] - '0';
    if (name.size() == 3) {
        if (name[2] < '0' || name[2] > '9') return false;
        f = f * 10 + (name[2] - '0');
    }
    if (f > 12) return false;
    key->virtualKey = 0x70 + f - 1;  // VK_F1 onwards
    return true;
}

}  // namespace e2e
