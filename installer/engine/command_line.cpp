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

// Whether a known switch starts at `text` (which follows a blank or starts
// the line).
bool IsKnownSwitch(const char* text) {
    if (StartsWithWord(text, "/S") && EndsWord(text[2])) return true;
    if (StartsWithWord(text, "/UNINSTALL") && EndsWord(text[10])) return true;
    if (StartsWithWord(text, "/LOG=") && !EndsWord(text[5])) return true;
    return StartsWithWord(text, "/D=") && !EndsWord(text[3]);
}

// Reads the value of /LOG= at `text`: a word, or a text in double quotes.
// Advances `text` past it; false for an unclosed quote.
bool ReadValue(const char** text, std::string* value) {
    const char* p = *text;
    if (*p == '"') {
        const char* end = std::strchr(p + 1, '"');
        if (end == nullptr || !EndsWord(end[1])) return false;
        value->assign(p + 1, end);
        *text = end + 1;
        return !value->empty();
    }
    const char* end = p;
    while (!EndsWord(*end)) ++end;
    value->assign(p, end);
    *text = end;
    return true;
}

void ReadSwitches(const char* p, CommandLine* line) {
    for (;;) {
        while (IsBlank(*p)) ++p;
        if (*p == '\0') return;
        const char* word = p;
        const char* wordEnd = p;
        while (!EndsWord(*wordEnd)) ++wordEnd;
        if (StartsWithWord(word, "/D=") && !EndsWord(word[3])) {
            // The rest of the line, blanks inside kept, trailing ones not.
            std::string folder(word + 3);
            while (!folder.empty() && IsBlank(folder.back())) folder.pop_back();
            line->hasDestination = true;
            line->destination = folder;
            return;
        }
        bool known = true;
        if (StartsWithWord(word, "/S") && EndsWord(word[2])) {
            line->unattended = true;
            p = word + 2;
        } else if (StartsWithWord(word, "/UNINSTALL") && EndsWord(word[10])) {
            line->confirmUninstall = true;
            p = word + 10;
        } else if (StartsWithWord(word, "/LOG=") && !line->hasLogFile) {
            p = word + 5;
            known = ReadValue(&p, &line->logFile) && !line->logFile.empty();
            line->hasLogFile = known;
        } else {
            known = false;
        }
        if (!known) {
            line->refusedWord.assign(word, wordEnd);
            return;
        }
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
