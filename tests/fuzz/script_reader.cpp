// Fuzzes the install script parser and the name substitution that its
// settings feed: no input may crash, hang or break the size limits of the
// settings, records and destination folder; a script is taken whole or
// leaves the target untouched, and what it gives never names a path outside
// its folder.
#include <cstdint>
#include <cstdlib>
#include <cstring>

#include "installer/engine/install_script.h"
#include "installer/engine/path_rules.h"

namespace {

constexpr size_t kMaxInput = 64 * 1024;

void Check(bool condition) {
    if (!condition) std::abort();
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    if (size > kMaxInput) return 0;
    installer::SettingsTable settings;
    installer::ScriptLists lists;
    installer::InstallerFolders folders;
    installer::InstallScriptTarget target{settings, lists, folders};

    // Every other input also checks the required settings.
    const installer::ScriptCheck check =
        size % 2 == 0 ? installer::ScriptCheck::Lines : installer::ScriptCheck::Complete;
    const installer::ScriptResult result =
        installer::ParseInstallScript(reinterpret_cast<const char*>(data), size, target, check);
    Check((result.status == installer::ScriptStatus::Unreadable) == (size == 0));
    Check(result.Damaged() == !result.reason.empty());
    if (!result.Ok()) {
        // Refused: nothing taken.
        Check(lists.addFile.empty() && lists.removeFile.empty() && lists.backupFile.empty() &&
              lists.addShortcut.empty() && lists.removeShortcut.empty());
        Check(folders.Destination()[0] == '\0');
        for (int i = 0; i < installer::SettingsTable::kCount; ++i) {
            Check(settings.Text(static_cast<installer::Setting>(i))[0] == '\0');
        }
    } else if (check == installer::ScriptCheck::Complete) {
        for (installer::Setting setting : installer::kRequiredSettings)
            Check(settings.Text(setting)[0] != '\0');
    }
    Check(folders.Destination()[0] == '\0' || installer::IsFolderBelowDriveRoot(folders.Destination()));

    for (int i = 0; i < installer::SettingsTable::kCount; ++i) {
        Check(std::strlen(settings.Text(static_cast<installer::Setting>(i))) <=
              installer::SettingsTable::kMaxValueLength);
    }
    size_t folderLength = std::strlen(folders.Destination());
    Check(folderLength <= installer::kMaxFolderLength);
    Check(folderLength == 0 || folders.Destination()[folderLength - 1] == '\\');
    for (const installer::FileList* list : {&lists.addFile, &lists.removeFile, &lists.backupFile}) {
        for (const auto& entry : *list) {
            Check(entry->firstName[0] != '\0' && entry->secondName[0] != '\0');
            Check(std::strlen(entry->firstName) <= installer::kMaxNameLength);
            Check(std::strlen(entry->secondName) <= installer::kMaxNameLength);
            Check(installer::IsSafeRelativeName(entry->firstName));
            Check(installer::IsSafeRelativeName(entry->secondName));
        }
    }
    for (const auto& entry : lists.addFile) Check(entry->disc != 0);
    for (const installer::ShortcutList* list : {&lists.addShortcut, &lists.removeShortcut}) {
        for (const auto& entry : *list) {
            Check(std::strlen(entry->firstName) <= installer::kMaxNameLength);
            Check(std::strlen(entry->secondName) <= installer::kMaxNameLength);
            Check(installer::IsSafeRelativeName(entry->firstName));
        }
    }
    for (const auto& entry : lists.addShortcut) Check(installer::IsSafeRelativeName(entry->secondName));

    // The input itself, as a user-visible text, gets the names the script set.
    char text[installer::SettingsTable::kTextBufferSize];
    size_t copied = size < sizeof text ? size : sizeof text;
    std::memcpy(text, data, copied);
    if (copied < sizeof text) text[copied] = '\0';
    settings.SubstituteNames(text);
    Check(strnlen(text, sizeof text) < sizeof text);
    return 0;
}
