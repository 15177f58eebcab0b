// Turns archive entry names into paths below an extraction folder, refusing
// every name that could land outside it.
#ifndef TOOLS_SAFE_PATH_H
#define TOOLS_SAFE_PATH_H

#include <filesystem>
#include <string>
#include <vector>

namespace dta::tools {

// Splits an entry name at backslashes (and forward slashes) into folder and
// file components. False for an empty name, an absolute name (leading
// separator or a drive colon anywhere), and empty, "." or ".." components.
bool SplitEntryName(const std::string& name, std::vector<std::string>* parts);

// Creates the folders of `parts` below `dir` and sets `target` to the file's
// path. False with a message when a folder cannot be made or an existing
// component is a symbolic link (which could lead outside `dir`).
bool PrepareFolders(const std::filesystem::path& dir, const std::vector<std::string>& parts,
                    std::filesystem::path* target, std::string* error);

}  // namespace dta::tools

#endif  // TOOLS_SAFE_PATH_H
