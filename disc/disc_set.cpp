#include "disc/disc_set.h"

#include <cctype>
#include <fstream>
#include <system_error>

namespace disc {

namespace fs = std::filesystem;

namespace {

bool SameName(const std::string& a, const std::string& b) {
    if (a.size() != b.size()) return false;
    for (size_t i = 0; i < a.size(); ++i) {
        if (std::tolower(static_cast<unsigned char>(a[i])) != std::tolower(static_cast<unsigned char>(b[i])))
            return false;
    }
    return true;
}

std::vector<std::string> SplitName(const std::string& name) {
    std::vector<std::string> parts;
    std::string part;
    for (char c : name) {
        if (c == '\\' || c == '/') {
            if (!part.empty()) parts.push_back(part);
            part.clear();
        } else {
            part += c;
        }
    }
    if (!part.empty()) parts.push_back(part);
    return parts;
}

bool IsDirectory(const fs::path& path) {
    std::error_code error;
    return fs::is_directory(path, error);
}

}  // namespace

std::string FoldName(const std::string& name) {
    std::string folded;
    for (char c : name)
        folded += c == '/' ? '\\' : static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    return folded;
}

std::string DiscFolder::Shown(const std::string& name) const {
    std::string relative = name;
    for (char& c : relative)
        if (c == '\\') c = '/';
    if (!image_.empty()) return image_ + "/" + relative;
    return (root_ / relative).generic_string();
}

const std::vector<std::string>& DiscFolder::Names(const fs::path& folder) const {
    auto found = names_.find(folder);
    if (found != names_.end()) return found->second;
    std::vector<std::string>& names = names_[folder];
    std::error_code error;
    for (fs::directory_iterator it(folder, error), end; !error && it != end; it.increment(error)) {
        names.push_back(it->path().filename().string());
    }
    return names;
}

std::optional<fs::path> DiscFolder::Find(const std::string& name) const {
    const std::vector<std::string> parts = SplitName(name);
    if (parts.empty()) return std::nullopt;
    fs::path at = root_;
    for (const std::string& part : parts) {
        const std::vector<std::string>& names = Names(at);
        const std::string* match = nullptr;
        for (const std::string& candidate : names) {
            // An exact match wins over one in another letter case.
            if (candidate == part) {
                match = &candidate;
                break;
            }
            if (match == nullptr && SameName(candidate, part)) match = &candidate;
        }
        if (match == nullptr) return std::nullopt;
        at /= *match;
    }
    std::error_code error;
    if (!fs::is_regular_file(at, error)) return std::nullopt;
    return at;
}

std::optional<std::string> DiscFolder::DeclaredLabel() const {
    if (!image_.empty()) return imageLabel_;
    std::ifstream in(root_ / kLabelFileName, std::ios::binary);
    if (!in) return std::nullopt;
    std::string line;
    std::getline(in, line);
    const char* blanks = " \t\r\n";
    const size_t first = line.find_first_not_of(blanks);
    if (first == std::string::npos) return std::string();
    return line.substr(first, line.find_last_not_of(blanks) - first + 1);
}

bool DiscFolder::HasFiles() const {
    std::error_code error;
    for (fs::recursive_directory_iterator it(root_, error), end; !error && it != end; it.increment(error)) {
        if (it->is_regular_file(error) && it->path().filename() != kLabelFileName) return true;
    }
    return false;
}

bool GatherDiscs(const std::vector<std::string>& folders, std::vector<DiscFolder>* discs,
                 std::string* error) {
    discs->clear();
    for (const std::string& folder : folders) {
        if (!IsDirectory(folder)) {
            *error = folder + ": no such folder";
            return false;
        }
    }
    if (folders.empty()) {
        *error = "no disc folder given";
        return false;
    }
    DiscFolder first(folders[0], 1);
    if (!first.Find("PWdata.dta") && folders.size() == 1 && IsDirectory(fs::path(folders[0]) / "disc1")) {
        for (uint32_t number = 1; IsDirectory(fs::path(folders[0]) / ("disc" + std::to_string(number)));
             ++number) {
            discs->emplace_back(fs::path(folders[0]) / ("disc" + std::to_string(number)), number);
        }
        return true;
    }
    for (size_t i = 0; i < folders.size(); ++i) discs->emplace_back(folders[i], static_cast<uint32_t>(i + 1));
    return true;
}

}  // namespace disc
