#include "installer/engine/install_script.h"

#include <cstring>
#include <string>
#include <utility>

#include "installer/engine/path_rules.h"
#include "installer/engine/text_tokenizer.h"

namespace installer {

namespace {

constexpr const char kCommentMark[] = "//";
// How much of a name a reason quotes.
constexpr size_t kQuotedNameLength = 60;

// Which names of a line become part of a path.
enum Checked : unsigned { kFirstName = 1, kSecondName = 2 };

// The file and shortcut directives and the list each one appends to.
struct FileDirective {
    const char* word;
    FileList ScriptLists::*list;
    bool needsDisc;  // the third field says which disc holds the file
};
struct ShortcutDirective {
    const char* word;
    ShortcutList ScriptLists::*list;
    unsigned checked;
};

constexpr FileDirective kFileDirectives[] = {
    {"add_file", &ScriptLists::addFile, true},
    {"remove_file", &ScriptLists::removeFile, false},
    {"backup_file", &ScriptLists::backupFile, false},
};
// remove_shortcut's second name is never used.
constexpr ShortcutDirective kShortcutDirectives[] = {
    {"add_shortcut", &ScriptLists::addShortcut, kFirstName | kSecondName},
    {"remove_shortcut", &ScriptLists::removeShortcut, kFirstName},
};

// `text` in quotes for a reason, cut when long.
std::string Quoted(const std::string& text) {
    if (text.size() <= kQuotedNameLength) return "\"" + text + "\"";
    return "\"" + text.substr(0, kQuotedNameLength) + "...\"";
}

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

// Damaged for the first name of `checked` that would leave its folder.
ScriptResult CheckNames(const char* word, const std::string& first, const std::string& second,
                        unsigned checked) {
    for (const auto& [which, name] : {std::pair{kFirstName, &first}, std::pair{kSecondName, &second}}) {
        if ((checked & which) != 0 && !IsSafeRelativeName(name->c_str())) {
            return ScriptResult::Damage(0, std::string(word) + " name " + Quoted(*name) +
                                               " is not a relative name inside its folder");
        }
    }
    return {};
}

// Notes in `outcome` that the line was skipped and why.
void Skip(LineOutcome& outcome, LineSkip why, const std::string& word) {
    outcome.effect = LineEffect::Skipped;
    outcome.skip = why;
    outcome.word = word;
}

void ApplyVar(TextTokenizer& tokens, SettingsTable& settings, LineOutcome& outcome) {
    const char* token = tokens.NextToken();
    if (token == nullptr) return Skip(outcome, LineSkip::NoKey, {});
    std::string key = token;
    // A missing value leaves the setting as it was (SetByKey ignores null).
    const char* value = tokens.NextToken();
    if (!settings.SetByKey(key.c_str(), value)) return Skip(outcome, LineSkip::UnknownSetting, key);
    if (value == nullptr) return Skip(outcome, LineSkip::NoValue, key);
    outcome.effect = LineEffect::Setting;
    for (int i = 0; i < SettingsTable::kCount; ++i) {
        if (key == SettingsTable::KeyOf(static_cast<Setting>(i))) {
            outcome.setting = static_cast<Setting>(i);
            break;
        }
    }
}

ScriptResult ApplyDestination(TextTokenizer& tokens, InstallerFolders& folders, LineOutcome& outcome) {
    const char* folder = tokens.NextToken();
    if (folder == nullptr) {
        Skip(outcome, LineSkip::NoFolder, {});
        return {};
    }
    if (!IsFolderBelowDriveRoot(folder)) {
        return ScriptResult::Damage(0, "dst_path " + Quoted(folder) + " is not a folder below a drive root");
    }
    if (!folders.SetDestination(folder)) {
        return ScriptResult::Damage(0, "dst_path " + Quoted(folder) + " is too long");
    }
    outcome.effect = LineEffect::Destination;
    return {};
}

ScriptResult ApplyFileLine(TextTokenizer& tokens, const FileDirective& directive, FileList& list,
                           LineOutcome& outcome) {
    std::string first;
    std::string second;
    if (!ReadTwoNames(tokens, first, second)) {
        Skip(outcome, LineSkip::MissingName, directive.word);
        return {};
    }
    ScriptResult names = CheckNames(directive.word, first, second, kFirstName | kSecondName);
    if (!names.Ok()) return names;
    // The disc is the third field modulo 256.
    uint8_t disc = static_cast<uint8_t>(static_cast<uint32_t>(tokens.NextInt()) & 0xFF);
    if (directive.needsDisc && disc == 0) {
        return ScriptResult::Damage(
            0, std::string(directive.word) + " " + Quoted(first) + " has no disc from 1 to 255");
    }
    bool flag = tokens.NextInt() != 0;
    std::unique_ptr<FileEntry> entry = MakeFileEntry(first.c_str(), second.c_str(), disc, flag);
    if (entry) {
        list.push_back(std::move(entry));
        outcome.effect = LineEffect::Entry;
    }
    return {};
}

ScriptResult ApplyShortcutLine(TextTokenizer& tokens, const ShortcutDirective& directive, ShortcutList& list,
                               LineOutcome& outcome) {
    std::string first;
    std::string second;
    if (!ReadTwoNames(tokens, first, second)) {
        Skip(outcome, LineSkip::MissingName, directive.word);
        return {};
    }
    ScriptResult names = CheckNames(directive.word, first, second, directive.checked);
    if (!names.Ok()) return names;
    std::unique_ptr<ShortcutEntry> entry = MakeShortcutEntry(first.c_str(), second.c_str());
    if (entry) {
        list.push_back(std::move(entry));
        outcome.effect = LineEffect::Entry;
    }
    return {};
}

template <typename List>
void AppendAll(List& to, List& from) {
    for (auto& entry : from) to.push_back(std::move(entry));
    from.clear();
}

// A copy of a target's settings and folder and empty lists, which a script
// is parsed into, then handed over whole once the script is good.
struct Draft {
    explicit Draft(const InstallScriptTarget& from) : settings(from.settings), folders(from.folders) {}

    void HandTo(const InstallScriptTarget& to) {
        to.settings = settings;
        to.folders = folders;
        AppendAll(to.lists.addFile, lists.addFile);
        AppendAll(to.lists.removeFile, lists.removeFile);
        AppendAll(to.lists.backupFile, lists.backupFile);
        AppendAll(to.lists.addShortcut, lists.addShortcut);
        AppendAll(to.lists.removeShortcut, lists.removeShortcut);
    }

    SettingsTable settings;
    ScriptLists lists;
    InstallerFolders folders;
    InstallScriptTarget target{settings, lists, folders};
};

ScriptResult ParseLines(const char* text, size_t size, const InstallScriptTarget& target) {
    char line[kMaxScriptLineLength + 1];
    ScriptResult result;
    ForEachScriptLine(text, size, [&](uint32_t number, const char* start, size_t length) {
        // A line is never cut: what follows the cut would be lost or read as
        // a line of its own.
        if (length > kMaxScriptLineLength) {
            result = ScriptResult::Damage(
                number, "the line is longer than " + std::to_string(kMaxScriptLineLength) + " characters");
            return false;
        }
        std::memcpy(line, start, length);
        line[length] = '\0';
        result = ApplyScriptLine(line, target);
        if (result.Ok()) return true;
        result.line = number;
        return false;
    });
    return result;
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

void ForEachScriptLine(const char* text, size_t size,
                       const std::function<bool(uint32_t number, const char* start, size_t length)>& visit) {
    if (text == nullptr) return;
    size_t position = 0;
    uint32_t number = 0;
    while (position < size) {
        ++number;
        const char* start = text + position;
        size_t left = size - position;
        const void* feed = std::memchr(start, '\n', left);
        size_t length = feed != nullptr ? static_cast<size_t>(static_cast<const char*>(feed) - start) : left;
        position += length;
        if (feed != nullptr) ++position;
        // The carriage return of a CR LF line end is no part of the line.
        if (length > 0 && start[length - 1] == '\r') --length;
        if (!visit(number, start, length)) return;
    }
}

ScriptResult ApplyScriptLine(const char* line, const InstallScriptTarget& target, LineOutcome* outcome) {
    LineOutcome ignored;
    LineOutcome& out = outcome != nullptr ? *outcome : ignored;
    out = LineOutcome();
    TextTokenizer tokens;
    tokens.SetLine(line, kScriptSeparators, kScriptQuote);
    const char* token = tokens.NextToken();
    if (token == nullptr) return {};
    if (std::strncmp(token, kCommentMark, 2) == 0) {
        out.effect = LineEffect::Comment;
        return {};
    }
    const std::string word = token;

    if (word == "var") {
        ApplyVar(tokens, target.settings, out);
        return {};
    }
    if (word == "dst_path") return ApplyDestination(tokens, target.folders, out);
    for (const FileDirective& directive : kFileDirectives) {
        if (word == directive.word)
            return ApplyFileLine(tokens, directive, target.lists.*directive.list, out);
    }
    for (const ShortcutDirective& directive : kShortcutDirectives) {
        if (word == directive.word) {
            return ApplyShortcutLine(tokens, directive, target.lists.*directive.list, out);
        }
    }
    // Anything else is not a directive and is ignored.
    Skip(out, LineSkip::NotADirective, word);
    return {};
}

ScriptResult CheckRequiredSettings(const SettingsTable& settings) {
    for (Setting setting : kRequiredSettings) {
        if (settings.Text(setting)[0] == '\0') {
            return ScriptResult::Damage(
                0, std::string("the setting ") + SettingsTable::KeyOf(setting) + " is not set");
        }
    }
    return {};
}

ScriptResult ParseInstallScript(const char* text, size_t size, const InstallScriptTarget& target,
                                ScriptCheck check) {
    if (text == nullptr || size == 0) return ScriptResult::Unreadable();
    // Parsed into a draft, so that a script refused half-way leaves nothing
    // behind.
    std::unique_ptr<Draft> draft(new Draft(target));
    ScriptResult result = ParseLines(text, size, draft->target);
    if (result.Ok() && check == ScriptCheck::Complete) result = CheckRequiredSettings(draft->settings);
    if (result.Ok()) draft->HandTo(target);
    return result;
}

}  // namespace installer
