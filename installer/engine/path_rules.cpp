#include "installer/engine/path_rules.h"

#include <cstddef>

namespace installer {

namespace {

// The device names Windows reserves in every folder.
constexpr const char* kDeviceNames[] = {"CON", "PRN", "AUX", "NUL", "CONIN$", "CONOUT$"};
// COM and LPT take one digit.
constexpr const char* kNumberedDevices[] = {"COM", "LPT"};

bool IsSeparator(char c) {
    return c == '\\' || c == '/';
}

char Upper(char c) {
    return c >= 'a' && c <= 'z' ? static_cast<char>(c - 'a' + 'A') : c;
}

// Whether the `length` characters at `text` equal the upper-case `word` in
// any letter case.
bool EqualsWord(const char* text, size_t length, const char* word) {
    size_t i = 0;
    for (; i < length; ++i) {
        if (word[i] == '\0' || Upper(text[i]) != word[i]) return false;
    }
    return word[i] == '\0';
}

// Whether a component names a device: its part before the first dot, blanks
// at the end of that part ignored.
bool IsDeviceName(const char* part, size_t length) {
    size_t base = 0;
    while (base < length && part[base] != '.') ++base;
    while (base > 0 && part[base - 1] == ' ') --base;
    for (const char* word : kDeviceNames) {
        if (EqualsWord(part, base, word)) return true;
    }
    if (base == 4 && part[3] >= '0' && part[3] <= '9') {
        for (const char* word : kNumberedDevices) {
            if (EqualsWord(part, 3, word)) return true;
        }
    }
    return false;
}

enum class Part { Empty, Dot, Ordinary, Refused };

Part Classify(const char* part, size_t length) {
    if (length == 0) return Part::Empty;
    bool dotsAndBlanks = true;
    for (size_t i = 0; i < length; ++i) {
        if (part[i] == ':') return Part::Refused;
        if (part[i] != '.' && part[i] != ' ') dotsAndBlanks = false;
    }
    if (dotsAndBlanks) return length == 1 && part[0] == '.' ? Part::Dot : Part::Refused;
    return IsDeviceName(part, length) ? Part::Refused : Part::Ordinary;
}

// Whether every component of `text` is allowed and at least one is ordinary.
bool PartsStayInside(const char* text) {
    bool ordinary = false;
    const char* part = text;
    for (;;) {
        size_t length = 0;
        while (part[length] != '\0' && !IsSeparator(part[length])) ++length;
        const Part kind = Classify(part, length);
        if (kind == Part::Refused) return false;
        if (kind == Part::Ordinary) ordinary = true;
        if (part[length] == '\0') return ordinary;
        part += length + 1;
    }
}

bool IsDriveLetter(char c) {
    return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z');
}

}  // namespace

bool IsSafeRelativeName(const char* name) {
    if (name == nullptr || name[0] == '\0' || IsSeparator(name[0])) return false;
    return PartsStayInside(name);
}

bool IsFolderBelowDriveRoot(const char* folder) {
    if (folder == nullptr || !IsDriveLetter(folder[0]) || folder[1] != ':' || !IsSeparator(folder[2])) {
        return false;
    }
    return PartsStayInside(folder + 3);
}

}  // namespace installer
