#include "tools/safe_path.h"

#include <system_error>

namespace dta::tools {

namespace fs = std::filesystem;

std::string EntryNameProblem(const std::string& name) {
    if (name.empty()) return "the name is empty";
    if (name.size() > 259) return "the name is longer than 259 bytes";
    for (const char c : name) {
        const auto u = static_cast<unsigned char>(c);
        if (u == 0) return "a NUL byte is not allowed in a name";
        if (u < 0x20 || u == 0x7F) return "control characters are not allowed in a name";
        if (c == ':') return "':' is not allowed in a name";
    }
    const auto separator = [](char c) { return c == '\\' || c == '/'; };
    if (separator(name.front())) return "the name is absolute (leading backslash)";
    if (separator(name.back())) return "trailing backslash";
    std::string part;
    for (size_t i = 0; i <= name.size(); ++i) {
        if (i < name.size() && !separator(name[i])) {
            part += name[i];
            continue;
        }
        if (part.empty()) return "two backslashes in a row";
        if (part == ".") return "a '.' part in the name";
        if (part == "..") return "a '..' part leaves the folder";
        part.clear();
    }
    return std::string();
}

bool SplitEntryName(const std::string& name, std::vector<std::string>* parts, std::string* problem) {
    parts->clear();
    const std::string why = EntryNameProblem(name);
    if (!why.empty()) {
        if (problem) *problem = why;
        return false;
    }
    std::string part;
    for (size_t i = 0; i <= name.size(); ++i) {
        if (i < name.size() && name[i] != '\\' && name[i] != '/') {
            part += name[i];
            continue;
        }
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
