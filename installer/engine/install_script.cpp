#include "installer/engine/install_script.h"

#include <cstring>
#include <string>

#include "installer/engine/text_tokenizer.h"

namespace installer {

namespace {

constexpr const char kCommentMark[] = "//";

// The file and shortcut directives and the list each one appends to.
struct FileDirective {
    const char* word;
    FileList ScriptLists::*list;
};
struct ShortcutDirective {
    const char* word;
    ShortcutList ScriptLists::*list;
};

constexpr FileDirective kFileDirectives[] = {
    {"add_file", &ScriptLists::addFile},
    {"remove_file", &ScriptLists::removeFile},
    {"backup_file", &ScriptLists::backupFile},
};
constexpr ShortcutDirective kShortcutDirectives[] = {
    {"add_shortcut", &ScriptLists::addShortcut},
    {"remove_shortcut", &ScriptLists::removeShortcut},
};

// Copies a name into a record field; false when it does not fit.
bool CopyName(char (&field)[kNameFieldSize], const char* name) {
    if (name == nullptr) return false;
    size_t length = strnlen(name, kNameFieldSize);
    if (length > kMaxNameLength) return false;
    std::memcpy(field, name, length);
    field[length] = '\0';
    return true;
}

// Reads the two names every file and shortcut line starts with; false when
// either is missing. The tokenizer's text is copied before the next call
// replaces it.
bool ReadTwoNames(TextTokenizer& tokens, std::string& first, std::string& second) {
    const char* token = tokens.NextToken();
    if (token == nullptr) return false;
    first = token;
    token = tokens.NextToken();
    if (token == nullptr) return false;
    second = token;
    return true;
}

void ApplyVar(TextTokenizer& tokens, SettingsTable& settings) {
    const char* token = tokens.NextToken();
    if (token == nullptr) return;
    std::string key = token;
    // A missing value leaves the setting as it was (SetByKey ignores null).
    settings.SetByKey(key.c_str(), tokens.NextToken());
}

void ApplyFileLine(TextTokenizer& tokens, FileList& list) {
    std::string first;
    std::string second;
    if (!ReadTwoNames(tokens, first, second)) return;
    // The disc is the third field modulo 256.
    uint8_t disc = static_cast<uint8_t>(static_cast<uint32_t>(tokens.NextInt()) & 0xFF);
    bool flag = tokens.NextInt() != 0;
    std::unique_ptr<FileEntry> entry = MakeFileEntry(first.c_str(), second.c_str(), disc, flag);
    if (entry) list.push_back(std::move(entry));
}

void ApplyShortcutLine(TextTokenizer& tokens, ShortcutList& list) {
    std::string first;
    std::string second;
    if (!ReadTwoNames(tokens, first, second)) return;
    std::unique_ptr<ShortcutEntry> entry = MakeShortcutEntry(first.c_str(), second.c_str());
    if (entry) list.push_back(std::move(entry));
}

}  // namespace

void ScriptLists::Clear() {
    addFile.clear();
    removeFile.clear();
    backupFile.clear();
    addShortcut.clear();
    removeShortcut.clear();
}

std::unique_ptr<FileEntry> MakeFileEntry(const char* firstName, const char* secondName, uint8_t disc,
                                         bool flag) {
    std::unique_ptr<FileEntry> entry(new FileEntry());
    if (!CopyName(entry->firstName, firstName) || !CopyName(entry->secondName, secondName)) return nullptr;
    entry->disc = disc;
    entry->flag = flag;
    return entry;
}

std::unique_ptr<ShortcutEntry> MakeShortcutEntry(const char* firstName, const char* secondName) {
    std::unique_ptr<ShortcutEntry> entry(new ShortcutEntry());
    if (!CopyName(entry->firstName, firstName) || !CopyName(entry->secondName, secondName)) return nullptr;
    return entry;
}

void ApplyScriptLine(const char* line, const InstallScriptTarget& target) {
    TextTokenizer tokens;
    tokens.SetLine(line, kScriptSeparators, kScriptQuote);
    const char* token = tokens.NextToken();
    if (token == nullptr) return;
    if (std::strncmp(token, kCommentMark, 2) == 0) return;
    const std::string word = token;

    if (word == "var") {
        ApplyVar(tokens, target.settings);
        return;
    }
    if (word == "dst_path") {
        // A folder too long for the folder buffer is refused by the setter.
        const char* folder = tokens.NextToken();
        if (folder != nullptr) target.folders.SetDestination(folder);
        return;
    }
    for (const FileDirective& directive : kFileDirectives) {
        if (word == directive.word) {
            ApplyFileLine(tokens, target.lists.*directive.list);
            return;
        }
    }
    for (const ShortcutDirective& directive : kShortcutDirectives) {
        if (word == directive.word) {
            ApplyShortcutLine(tokens, target.lists.*directive.list);
            return;
        }
    }
    // Anything else is not a directive and is ignored.
}

bool ParseInstallScript(const char* text, size_t size, const InstallScriptTarget& target) {
    if (text == nullptr || size == 0) return false;
    char line[kMaxScriptLineLength + 1];
    size_t position = 0;
    while (position < size) {
        const char* start = text + position;
        size_t left = size - position;
        const void* feed = std::memchr(start, '\n', left);
        size_t length = feed != nullptr ? static_cast<size_t>(static_cast<const char*>(feed) - start) : left;
        // An over-long line is cut; its remainder up to the line feed is dropped.
        size_t kept = length < kMaxScriptLineLength ? length : kMaxScriptLineLength;
        std::memcpy(line, start, kept);
        line[kept] = '\0';
        ApplyScriptLine(line, target);
        position += length;
        if (feed != nullptr) ++position;
    }
    return true;
}

ScriptLists& ScriptEntries() {
    static ScriptLists lists;
    return lists;
}

InstallScriptTarget ProcessScriptTarget() {
    return InstallScriptTarget{Settings(), ScriptEntries(), Folders()};
}

}  // namespace installer
