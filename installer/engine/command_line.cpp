#include "installer/engine/command_line.h"

#include <cctype>
#include <cstring>

namespace installer {

namespace {

bool IsBlank(char c) {
    return c == ' ' || c == '\t';
}

// Whether `text` starts with `prefix`, ignoring the case of letters.
bool StartsWithWord(const char* text, const char* prefix) {
    for (; *prefix != '\0'; ++prefix, ++text) {
        if (std::toupper(static_cast<unsigned char>(*text)) != std::toupper(static_cast<unsigned char>(*prefix)))
            return false;
    }
    return true;
}

bool EndsWord(char c) {
    return c == '\0' || IsBlank(c);
}

// The kinds of switch a word can be.
enum class SwitchKind { None, Silent, Uninstall, Log, Destination };

// What `word` (a whole word, quotes removed) is as a switch; `value` gets the
// text after "/LOG=" or "/D=".
SwitchKind KindOf(const std::string& word, std::string* value) {
    const char* text = word.c_str();
    if (StartsWithWord(text, "/S") && word.size() == 2) return SwitchKind::Silent;
    if (StartsWithWord(text, "/UNINSTALL") && word.size() == 10) return SwitchKind::Uninstall;
    if (StartsWithWord(text, "/LOG=") && word.size() > 5) {
        *value = word.substr(5);
        return SwitchKind::Log;
    }
    if (StartsWithWord(text, "/D=") && word.size() > 3) {
        *value = word.substr(3);
        return SwitchKind::Destination;
    }
    return SwitchKind::None;
}

// Reads the word at `text`: up to the next blank, or, when it starts with a
// double quote, up to the closing one (a program that quotes each argument
// holding a blank, as Windows' own do, writes "/D=C:\My Games" so). A value
// after "/LOG=" may be quoted alone. Sets `end` past the word; false when a
// quote is not closed or is followed by more than a blank.
bool ReadWord(const char* text, std::string* word, const char** end) {
    if (*text == '"') {
        const char* close = std::strchr(text + 1, '"');
        if (close == nullptr || !EndsWord(close[1])) return false;
        word->assign(text + 1, close);
        *end = close + 1;
        return true;
    }
    const char* p = text;
    if (StartsWithWord(p, "/LOG=\"")) {
        const char* close = std::strchr(p + 6, '"');
        if (close == nullptr || !EndsWord(close[1])) return false;
        *word = "/LOG=" + std::string(p + 6, close);
        *end = close + 1;
        return true;
    }
    while (!EndsWord(*p)) ++p;
    word->assign(text, p);
    *end = p;
    return true;
}

// Whether a known switch starts at `text` (which follows a blank or starts
// the line).
bool IsKnownSwitch(const char* text) {
    std::string word;
    std::string value;
    const char* end = nullptr;
    if (*text != '"' && StartsWithWord(text, "/D=") && !EndsWord(text[3])) return true;
    return ReadWord(text, &word, &end) && KindOf(word, &value) != SwitchKind::None;
}

void ReadSwitches(const char* p, CommandLine* line) {
    for (;;) {
        while (IsBlank(*p)) ++p;
        if (*p == '\0') return;
        if (*p != '"' && StartsWithWord(p, "/D=") && !EndsWord(p[3])) {
            // Unquoted, the rest of the line, blanks inside kept, trailing
            // ones not.
            std::string folder(p + 3);
            while (!folder.empty() && IsBlank(folder.back())) folder.pop_back();
            line->hasDestination = true;
            line->destination = folder;
            return;
        }
        std::string word;
        std::string value;
        const char* end = nullptr;
        const bool read = ReadWord(p, &word, &end);
        const SwitchKind kind = read ? KindOf(word, &value) : SwitchKind::None;
        switch (kind) {
            case SwitchKind::Silent:
                line->unattended = true;
                break;
            case SwitchKind::Uninstall:
                line->confirmUninstall = true;
                break;
            case SwitchKind::Log:
                if (line->hasLogFile) break;
                line->hasLogFile = true;
                line->logFile = value;
                break;
            case SwitchKind::Destination:
                if (line->hasDestination) break;
                line->hasDestination = true;
                line->destination = value;
                break;
            case SwitchKind::None:
                break;
        }
        const bool twice = (kind == SwitchKind::Log && line->logFile != value) ||
                           (kind == SwitchKind::Destination && line->destination != value);
        if (kind == SwitchKind::None || twice) {
            const char* wordEnd = p;
            while (!EndsWord(*wordEnd)) ++wordEnd;
            line->refusedWord.assign(p, read ? end : wordEnd);
            return;
        }
        p = end;
    }
}

}  // namespace

CommandLine ParseCommandLine(const char* text) {
    CommandLine line;
    const char* p = text != nullptr ? text : "";
    while (IsBlank(*p)) ++p;

    const char* first = nullptr;
    for (const char* q = p; *q != '\0'; ++q) {
        if ((q == p || IsBlank(q[-1])) && IsKnownSwitch(q)) {
            first = q;
            break;
        }
    }
    if (first == nullptr) {
        line.source = p;
        return line;
    }
    line.hasSwitches = true;
    const char* sourceEnd = first;
    while (sourceEnd > p && IsBlank(sourceEnd[-1])) --sourceEnd;
    line.source.assign(p, sourceEnd);
    ReadSwitches(first, &line);
    return line;
}

std::string SwitchesText(const CommandLine& line) {
    std::string text;
    if (line.unattended) text += " /S";
    if (line.confirmUninstall) text += " /UNINSTALL";
    if (line.hasLogFile) text += " /LOG=\"" + line.logFile + "\"";
    if (line.hasDestination) text += " /D=" + line.destination;
    return text;
}

}  // namespace installer
