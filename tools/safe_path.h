// Turns archive entry names into paths below an extraction folder, refusing
// every name that could land outside it.
#ifndef TOOLS_SAFE_PATH_H
#define TOOLS_SAFE_PATH_H

#include <filesystem>
#include <string>
#include <vector>

namespace dta::tools {

// The one rule for entry names, which pack, --as and extract all apply: what
// is wrong with `name` ("':' is not allowed in a name", "trailing
// backslash", ...), or empty when it is a sound relative path of 1 to 259
// bytes. Backslashes and forward slashes both separate parts; a NUL or other
// control character, a ':' (a drive or a stream on Windows), a leading or
// trailing separator, two separators in a row and "." or ".." parts are
// refused.
std::string EntryNameProblem(const std::string& name);

// Splits an entry name at backslashes (and forward slashes) into folder and
// file components. False, with the reason in `problem`, for a name that
// EntryNameProblem refuses.
bool SplitEntryName(const std::string& name, std::vector<std::string>* parts, std::string* problem = nullptr);

// Creates the folders of `parts` below `dir` and sets `target` to the file's
// path. False with a message when a folder cannot be made or an existing
// component is a symbolic link (which could lead outside `dir`).
bool PrepareFolders(const std::filesystem::path& dir, const std::vector<std::string>& parts,
                    std::filesystem::path* target, std::string* error);

}  // namespace dta::tools

#endif  // TOOLS_SAFE_PATH_H
