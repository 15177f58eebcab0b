#include "tools/safe_path.h"

#include <system_error>

namespace dta::tools {

namespace fs = std::filesystem;

bool SplitEntryName(const std::string& name, std::vector<std::string>* parts) {
    parts->clear();
    if (name.empty()) return false;
    std::string part;
    for (size_t i = 0; i <= name.size(); ++i) {
        const char c = i < name.size() ? name[i] : '\\';
        if (c == ':' || c == '\0') return false;
        if (c != '\\' && c != '/') {
            part += c;
            continue;
        }
        if (part.empty() || part == "." || part == "..") return false;
        parts->push_back(part);
        part.clear();
    }
    return true;
}

bool PrepareFolders(const fs::path& dir, const std::vector<std::string>& parts, fs::path* target,
                    std::string* error) {
    fs::path at = dir;
    std::error_code ec;
    for (size_t i = 0; i < parts.size(); ++i) {
        at /= parts[i];
        if (fs::is_symlink(at, ec)) {
            if (error) *error = at.string() + ": refused: a symbolic link is in the way";
            return false;
        }
        if (i + 1 < parts.size() && !fs::is_directory(at, ec) && !fs::create_directory(at, ec)) {
            // Without a code, the name was taken by something that is no folder.
            if (!ec) ec = std::make_error_code(std::errc::file_exists);
            if (error) *error = "cannot create folder " + at.string() + ": " + ec.message();
            return false;
        }
    }
    *target = at;
    return true;
}

}  // namespace dta::tools
