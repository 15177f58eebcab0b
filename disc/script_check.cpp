// The line-by-line and settings checks of the install script.
#include <cstring>
#include <string>

#include "disc/script_model.h"

namespace disc {

using installer::LineEffect;
using installer::LineSkip;
using installer::Setting;
using installer::SettingsTable;

namespace {

enum class ValueType { Text, Boolean, Number };

ValueType TypeOf(Setting setting) {
    switch (setting) {
        case Setting::IsPatch:
        case Setting::RequireLfl:
        case Setting::ValidateCd:
            return ValueType::Boolean;
        case Setting::NumOfBilboards:
        case Setting::NumOfBilboardsPerCd:
        case Setting::RequestSpaceFull:
        case Setting::RequestSpaceCompact:
        case Setting::RequestSpaceBackup:
        case Setting::CurrentRequestSpace:
            return ValueType::Number;
        default:
            return ValueType::Text;
    }
}

bool AllDigits(const char* text) {
    if (*text == '\0') return false;
    for (; *text != '\0'; ++text)
        if (*text < '0' || *text > '9') return false;
    return true;
}

// What the table's typed reading makes of a value that is not written in
// the plain form of its type.
void CheckValue(const ScriptModel& model, Setting setting, uint32_t line, Findings* findings) {
    const char* key = SettingsTable::KeyOf(setting);
    const std::string value = model.settings.Text(setting);
    switch (TypeOf(setting)) {
        case ValueType::Boolean:
            if (value != "true" && value != "false") {
                findings->Error(kScriptShown, line,
                                std::string(key) + " = \"" + value +
                                    "\" is neither true nor false: PWsetup reads it as " +
                                    (model.settings.Bool(setting) ? "true" : "false") +
                                    " (only a value starting with lower-case \"true\" is true)");
            }
            break;
        case ValueType::Number:
            if (!AllDigits(value.c_str())) {
                findings->Error(kScriptShown, line,
                                std::string(key) + " = \"" + value +
                                    "\" is not a plain decimal number: PWsetup reads it as " +
                                    std::to_string(model.settings.Int64(setting)));
            }
            if (setting == Setting::CurrentRequestSpace) {
                findings->Warning(
                    kScriptShown, line,
                    "current_request_space is written by PWsetup itself; this value is overwritten");
            }
            break;
        case ValueType::Text:
            break;
    }
}

void ReportSkip(const installer::LineOutcome& outcome, uint32_t line, Findings* findings) {
    switch (outcome.skip) {
        case LineSkip::NotADirective:
            findings->Warning(
                kScriptShown, line,
                "\"" + outcome.word +
                    "\" is not a directive word (var, dst_path, add_file, remove_file, backup_file, "
                    "add_shortcut, remove_shortcut; letter case counts): the line is skipped");
            break;
        case LineSkip::NoKey:
            findings->Warning(kScriptShown, line, "var without a setting name: the line is skipped");
            break;
        case LineSkip::UnknownSetting:
            findings->Error(
                kScriptShown, line,
                "unknown setting \"" + outcome.word + "\" (names are case-sensitive): the line is skipped");
            break;
        case LineSkip::NoValue:
            findings->Warning(kScriptShown, line,
                              "var " + outcome.word +
                                  " has no value: the line is skipped and the setting keeps "
                                  "its earlier value");
            break;
        case LineSkip::NoFolder:
            findings->Warning(kScriptShown, line, "dst_path without a folder: the line is skipped");
            break;
        case LineSkip::MissingName:
            findings->Warning(kScriptShown, line, outcome.word + " needs two names: the line is skipped");
            break;
        case LineSkip::None:
            break;
    }
}

// Settings that a script should set although PWsetup runs without them, and
// what their absence leads to.
struct Wanted {
    Setting setting;
    bool forPatch;    // wanted in a patch
    bool forInstall;  // wanted in an install
    const char* why;
};
constexpr Wanted kWanted[] = {
    {Setting::UGameName, true, true, "uninstall and patch messages show an empty name"},
    {Setting::UninstallItemName, true, true, "the list of installed programs shows an empty name"},
    {Setting::UninstallFolderName, true, true, "the uninstall record has no key name of its own"},
    {Setting::NumOfBilboards, true, true, "no billboard is shown"},
    {Setting::NumOfBilboardsPerCd, true, true, "no billboard is shown"},
    {Setting::RequestSpaceFull, true, true, "the free-space test and the total progress measure 0 bytes"},
    {Setting::RequestSpaceBackup, true, false, "the backup's free-space test measures 0 bytes"},
    {Setting::DesktopShortcutName, false, true, "the desktop shortcut has no name"},
    {Setting::DirectxName, false, true, "the DirectX setup can't be started"},
    {Setting::DirectxNTName, false, true, "the DirectX setup can't be started"},
};

void CheckSettingsSet(const ScriptModel& model, Findings* findings) {
    for (Setting setting : installer::kRequiredSettings) {
        if (!model.IsSet(setting)) {
            findings->Error(kScriptShown, 0,
                            std::string("the setting ") + SettingsTable::KeyOf(setting) +
                                " is not set: PWsetup refuses the script");
        }
    }
    const bool patch = model.IsPatch();
    for (const Wanted& wanted : kWanted) {
        if ((patch ? wanted.forPatch : wanted.forInstall) && !model.IsSet(wanted.setting)) {
            findings->Warning(kScriptShown, 0,
                              std::string("the setting ") + SettingsTable::KeyOf(wanted.setting) +
                                  " is not set: " + wanted.why);
        }
    }
    if (!model.lists.addShortcut.empty() && !model.IsSet(Setting::ShortcutFolder)) {
        findings->Warning(
            kScriptShown, 0,
            "the setting shortcut_folder is not set: the add_shortcut links land in the Programs "
            "folder itself");
    }
    if (!patch && !model.destinationSet) {
        findings->Warning(kScriptShown, 0, "no dst_path: the destination page starts with an empty folder");
    }
}

}  // namespace

void ReadScript(const char* text, size_t size, ScriptModel* model, Findings* findings) {
    const installer::InstallScriptTarget target{model->settings, model->lists, model->folders};
    char line[installer::kMaxScriptLineLength + 1];
    installer::ForEachScriptLine(text, size, [&](uint32_t number, const char* start, size_t length) {
        if (length > installer::kMaxScriptLineLength) {
            findings->Error(kScriptShown, number,
                            "the line is " + std::to_string(length) + " characters long, over the limit of " +
                                std::to_string(installer::kMaxScriptLineLength) +
                                ": PWsetup refuses the script");
            return true;
        }
        std::memcpy(line, start, length);
        line[length] = '\0';
        const size_t added = model->lists.addFile.size();
        const size_t backedUp = model->lists.backupFile.size();
        const size_t linked = model->lists.addShortcut.size();
        installer::LineOutcome outcome;
        const installer::ScriptResult result = installer::ApplyScriptLine(line, target, &outcome);
        if (!result.Ok()) {
            findings->Error(kScriptShown, number, result.reason + ": PWsetup refuses the script");
            return true;
        }
        if (model->lists.addFile.size() > added) model->addFileLine.push_back(number);
        if (model->lists.backupFile.size() > backedUp) model->backupFileLine.push_back(number);
        if (model->lists.addShortcut.size() > linked) model->addShortcutLine.push_back(number);
        switch (outcome.effect) {
            case LineEffect::Setting:
                model->settingLine[static_cast<int>(outcome.setting)] = number;
                CheckValue(*model, outcome.setting, number, findings);
                break;
            case LineEffect::Destination:
                model->destinationSet = true;
                break;
            case LineEffect::Skipped:
                ReportSkip(outcome, number, findings);
                break;
            default:
                break;
        }
        return true;
    });
    CheckSettingsSet(*model, findings);
}

}  // namespace disc
