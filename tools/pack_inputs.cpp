#include "tools/pack_inputs.h"

#include <algorithm>
#include <filesystem>
#include <system_error>
#include <unordered_map>

#include "dta/format.h"
#include "tools/safe_path.h"

namespace dta::tools {
namespace {

namespace fs = std::filesystem;

bool Fail(std::string* error, const std::string& message) {
    if (error) *error = message;
    return false;
}

std::string UpperName(std::string name) {
    for (char& c : name) c = static_cast<char>(format::UpperAscii(static_cast<uint8_t>(c)));
    return name;
}

std::string Join(const std::vector<std::string>& parts) {
    std::string name;
    for (const std::string& p : parts) name += (name.empty() ? "" : "\\") + p;
    return name;
}

// Splits a path at slashes and backslashes.
std::vector<std::string> Split(const std::string& path) {
    std::vector<std::string> parts(1);
    for (char c : path) {
        if (c == '/' || c == '\\')
            parts.emplace_back();
        else
            parts.back() += c;
    }
    return parts;
}

struct Found {
    std::string name;
    std::string path;
    uint64_t size = 0;
};

// The archive being written, when it exists: files equal to it are skipped.
class OutputFilter {
public:
    explicit OutputFilter(const std::string& archivePath) {
        std::error_code ec;
        if (!archivePath.empty() && fs::is_regular_file(archivePath, ec)) {
            path_ = archivePath;
            size_ = fs::file_size(archivePath, ec);
            exists_ = !ec;
        }
    }
    bool IsArchive(const fs::path& candidate, uint64_t size) const {
        std::error_code ec;
        return exists_ && size == size_ && fs::equivalent(candidate, path_, ec);
    }

private:
    bool exists_ = false;
    fs::path path_;
    uint64_t size_ = 0;
};

// "a named pipe", "a socket", ... for what is neither file nor folder.
std::string KindOf(const fs::file_status& status) {
    switch (status.type()) {
        case fs::file_type::fifo:
            return "a named pipe";
        case fs::file_type::socket:
            return "a socket";
        case fs::file_type::block:
            return "a block device";
        case fs::file_type::character:
            return "a character device";
        default:
            return "not a file";
    }
}

// Walks `folder`, adding its files under `prefix` (an entry name, or empty).
bool WalkFolder(const fs::path& folder, const std::string& prefix, const OutputFilter& output,
                std::vector<Found>* found, std::vector<std::string>* warnings, size_t* leftOut,
                std::string* error) {
    std::error_code ec;
    std::vector<Found> here;
    auto fail = [&](const fs::path& at, const std::error_code& code) {
        return Fail(error, "cannot read folder " + at.string() + ": " + code.message());
    };
    fs::recursive_directory_iterator it(folder, ec);
    if (ec) return fail(folder, ec);
    // The entry last seen: a walk that fails going into it failed at it; one
    // that fails going on after a file failed in the file's folder.
    fs::path last;
    for (; !ec && it != fs::recursive_directory_iterator(); it.increment(ec)) {
        const fs::path& path = it->path();
        last = path;
        std::vector<std::string> parts =
            prefix.empty() ? std::vector<std::string>{} : std::vector<std::string>{prefix};
        for (const fs::path& part : path.lexically_relative(folder)) parts.push_back(part.string());
        const std::string name = Join(parts);

        std::error_code statError;
        const fs::file_status link = it->symlink_status(statError);
        const fs::file_status target = fs::status(path, statError);
        if (fs::is_directory(link)) continue;  // the walk goes on inside it
        if (fs::is_symlink(link) && !fs::exists(target)) {
            warnings->push_back("skipped " + path.string() + ": the link leads nowhere");
            continue;
        }
        if (fs::is_symlink(link) && fs::is_directory(target)) {
            warnings->push_back("skipped " + path.string() + ": link to a folder");
            continue;
        }
        if (!fs::is_regular_file(target)) {
            warnings->push_back("skipped " + path.string() + ": " + KindOf(target) + ", not a regular file");
            ++*leftOut;
            continue;
        }
        const std::string problem = EntryNameProblem(name);
        if (!problem.empty()) {
            warnings->push_back("skipped " + path.string() + ": " + problem);
            ++*leftOut;
            continue;
        }
        const uint64_t size = fs::file_size(path, statError);
        if (statError) return Fail(error, "cannot read " + path.string() + ": " + statError.message());
        if (output.IsArchive(path, size)) {
            warnings->push_back("skipped " + path.string() + ": it is the archive being written");
            continue;
        }
        here.push_back({name, path.string(), size});
    }
    if (ec) {
        std::error_code kindError;
        if (last.empty()) return fail(folder, ec);
        return fail(fs::is_directory(fs::symlink_status(last, kindError)) ? last : last.parent_path(), ec);
    }
    // The same entries in the same order whatever order the folder lists them in.
    std::sort(here.begin(), here.end(), [](const Found& a, const Found& b) { return a.name < b.name; });
    found->insert(found->end(), here.begin(), here.end());
    return true;
}

}  // namespace

std::string EntryNameFor(const std::string& path, bool* dropped) {
    *dropped = false;
    std::string rest = path;
    if (rest.size() >= 2 && rest[1] == ':' && std::isalpha(static_cast<unsigned char>(rest[0]))) {
        rest = rest.substr(2);
        *dropped = true;
    }
    std::vector<std::string> kept;
    const std::vector<std::string> parts = Split(rest);
    if (!rest.empty() && parts.front().empty()) *dropped = true;  // a leading root
    for (const std::string& part : parts) {
        if (part.empty() || part == ".") continue;
        if (part == "..") {
            if (kept.empty())
                *dropped = true;
            else
                kept.pop_back();
            continue;
        }
        kept.push_back(part);
    }
    return Join(kept);
}

bool GatherInputs(const std::vector<PackArgument>& arguments, const std::string& archivePath,
                  GatheredInputs* gathered, std::string* error) {
    gathered->items.clear();
    gathered->totalBytes = 0;
    gathered->warnings.clear();
    gathered->leftOut = 0;
    const OutputFilter output(archivePath);
    bool noted = false;
    std::unordered_map<std::string, std::string> taken;  // upper-cased entry name, path

    for (const PackArgument& arg : arguments) {
        const fs::path given(arg.path);
        const fs::path onDisk =
            (arg.baseFolder.empty() || given.is_absolute() ? given : fs::path(arg.baseFolder) / given)
                .lexically_normal();
        bool dropped = false;
        const std::string prefix = EntryNameFor(arg.path, &dropped);
        if (dropped && !noted) {
            gathered->warnings.push_back("removed the leading root, drive or \"..\" from entry names");
            noted = true;
        }

        std::error_code ec;
        const fs::file_status status = fs::status(onDisk, ec);
        if (!fs::exists(status)) {
            const std::string reason = ec ? ec.message() : "No such file or directory";
            return Fail(error, "cannot open " + onDisk.string() + ": " + reason);
        }
        std::vector<Found> found;
        if (fs::is_directory(status)) {
            if (!arg.entryName.empty()) return Fail(error, "--as names a file, not a folder: " + arg.path);
            if (!WalkFolder(onDisk, prefix, output, &found, &gathered->warnings, &gathered->leftOut, error))
                return false;
        } else if (fs::is_regular_file(status)) {
            std::string name = arg.entryName.empty() ? prefix : arg.entryName;
            std::replace(name.begin(), name.end(), '/', '\\');
            if (name.empty()) return Fail(error, "no entry name for " + arg.path + " (use --as NAME)");
            const std::string problem = EntryNameProblem(name);
            if (!problem.empty())
                return Fail(error, (arg.entryName.empty() ? "entry name of " + arg.path : "--as " + name) +
                                       " refused: " + problem);
            const uint64_t size = fs::file_size(onDisk, ec);
            if (ec) return Fail(error, "cannot read " + onDisk.string() + ": " + ec.message());
            if (output.IsArchive(onDisk, size)) {
                gathered->warnings.push_back("skipped " + onDisk.string() +
                                             ": it is the archive being written");
                continue;
            }
            found.push_back({name, onDisk.string(), size});
        } else {
            return Fail(error, onDisk.string() + " is not a regular file");
        }

        const bool walked = fs::is_directory(status);
        const pack::Method method =
            walked && arg.method == pack::Method::Wave ? pack::Method::WaveIfSound : arg.method;
        for (Found& f : found) {
            // Archive names ignore the case of ASCII letters: of two names
            // that differ only there, one can be packed.
            auto [at, fresh] = taken.emplace(UpperName(f.name), f.path);
            if (!fresh) {
                if (!walked) return Fail(error, "entry name given twice: " + f.name);
                // The same file reached twice (a folder given twice) is in
                // the archive already; another file under the name is lost.
                std::error_code same;
                if (fs::equivalent(f.path, at->second, same)) {
                    gathered->warnings.push_back("skipped " + f.path + ": given twice");
                } else {
                    gathered->warnings.push_back("skipped " + f.path + ": its entry name " + f.name +
                                                 " is taken by " + at->second +
                                                 " (entry names ignore letter case)");
                    ++gathered->leftOut;
                }
                continue;
            }
            pack::PackItem item;
            item.name = std::move(f.name);
            item.path = std::move(f.path);
            item.method = method;
            item.scrambled = arg.scrambled;
            gathered->totalBytes += f.size;
            gathered->items.push_back(std::move(item));
        }
    }
    return true;
}

}  // namespace dta::tools
