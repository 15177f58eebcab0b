// Reading the install script through the archive library.
#include <vector>

#include "installer/engine/archive_entry.h"
#include "installer/engine/install_script.h"

namespace installer {

ScriptResult ReadInstallScript(const InstallScriptTarget& target) {
    // A short read is a failed read: half a script would install half a game.
    std::vector<char> text;
    if (!ReadArchiveEntry(kScriptName, kMaxScriptSize, &text)) return ScriptResult::Unreadable();
    return ParseInstallScript(text.data(), text.size(), target, ScriptCheck::Complete);
}

}  // namespace installer
