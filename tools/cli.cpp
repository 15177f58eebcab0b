#include "tools/cli.h"

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <ctime>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <sys/stat.h>

#include "dta/format.h"
#include "tools/archive_listing.h"
#include "tools/library_reader.h"
#include "tools/packer.h"
#include "tools/safe_path.h"

namespace dta::tools {
namespace {

namespace fs = std::filesystem;

constexpr int kExitOk = 0;
constexpr int kExitFailed = 1;
constexpr int kExitUsage = 2;

// Seconds between 1601-01-01 (FILETIME) and 1970-01-01 (Unix time).
constexpr uint64_t kEpochDifference = 11644473600ull;
constexpr uint64_t kTicksPerSecond = 10000000ull;

const char kUsage[] =
    "usage: dta COMMAND [options] ARCHIVE ...\n"
    "\n"
    "  dta list ARCHIVE              size, blocks, methods, scrambled flag, time and name of each entry\n"
    "  dta cat ARCHIVE NAME          write entry NAME to standard output\n"
    "  dta extract ARCHIVE [DIR]     write every entry below DIR (default: the current folder)\n"
    "  dta verify ARCHIVE            decode every entry; exit 1 if any fails\n"
    "  dta pack [options] ARCHIVE FILE|DIR...\n"
    "                                build ARCHIVE from files and folders (folder entries are named\n"
    "                                by their path below the folder, with backslashes)\n"
    "\n"
    "options for every command:\n"
    "  --key1 HEX, --key2 HEX        key words (default 5E91C07B and 3C6A2F19)\n"
    "options for pack, applying to the files named after them:\n"
    "  --method stored|lz|wave|auto  block coding (default auto: delta coding for 16-bit PCM .wav\n"
    "                                files, else the smaller of LZ and stored per block)\n"
    "  --scramble, --no-scramble     scramble the block bodies (default on)\n"
    "  --as NAME                     entry name for the next FILE\n";

struct Options {
    uint32_t key1 = kDefaultKey1;
    uint32_t key2 = kDefaultKey2;
    std::vector<std::string> positional;
};

bool ParseHex(const std::string& text, uint32_t* value) {
    std::string digits = text;
    if (digits.size() > 2 && digits[0] == '0' && (digits[1] == 'x' || digits[1] == 'X'))
        digits = digits.substr(2);
    if (digits.empty() || digits.size() > 8) return false;
    for (char c : digits)
        if (!std::isxdigit(static_cast<unsigned char>(c))) return false;
    *value = static_cast<uint32_t>(std::strtoul(digits.c_str(), nullptr, 16));
    return true;
}

std::string FormatTime(uint64_t fileTime) {
    const uint64_t seconds = fileTime / kTicksPerSecond;
    if (seconds < kEpochDifference) return "-";
    const std::time_t t = static_cast<std::time_t>(seconds - kEpochDifference);
    const std::tm* tm = std::gmtime(&t);
    if (tm == nullptr) return "-";
    char text[32];
    std::strftime(text, sizeof text, "%Y-%m-%d %H:%M:%S", tm);
    return text;
}

uint64_t FileTimeOf(const std::string& path) {
    struct stat st;
    if (stat(path.c_str(), &st) != 0 || st.st_mtime < 0) return 0;
    return (static_cast<uint64_t>(st.st_mtime) + kEpochDifference) * kTicksPerSecond;
}

bool ReadWholeFile(const std::string& path, std::vector<uint8_t>* data) {
    std::ifstream in(path, std::ios::binary);
    if (!in) return false;
    data->assign(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
    return !in.bad();
}

std::string Upper(std::string s) {
    for (char& c : s) c = static_cast<char>(format::UpperAscii(static_cast<uint8_t>(c)));
    return s;
}

// ---- list, cat, extract, verify -------------------------------------------

int List(const Options& o, std::ostream& out, std::ostream& err) {
    if (o.positional.size() != 1) return err << kUsage, kExitUsage;
    std::vector<ListedEntry> entries;
    std::string error;
    if (!ListArchive(o.positional[0], o.key1, o.key2, &entries, &error))
        return err << "dta: " << error << "\n", kExitFailed;
    char line[128];
    out << "      size blocks methods            flags time                name\n";
    for (const ListedEntry& e : entries) {
        std::string methods;
        for (uint8_t m : e.methods) methods += (methods.empty() ? "" : ",") + MethodName(m);
        std::string flags = std::string(e.scrambled ? "s" : "-") + (e.wave ? "w" : "-");
        std::snprintf(line, sizeof line, "%10u %6u %-18s %-5s %-19s ", e.size, e.blocks, methods.c_str(),
                      flags.c_str(), FormatTime(e.fileTime).c_str());
        out << line << e.name;
        if (!e.problem.empty()) out << "  [damaged: " << e.problem << "]";
        out << "\n";
    }
    out << entries.size() << " entr" << (entries.size() == 1 ? "y" : "ies") << "\n";
    return kExitOk;
}

int Cat(const Options& o, std::ostream& out, std::ostream& err) {
    if (o.positional.size() != 2) return err << kUsage, kExitUsage;
    const std::string& name = o.positional[1];
    std::vector<ListedEntry> entries;
    std::string error;
    if (!ListArchive(o.positional[0], o.key1, o.key2, &entries, &error))
        return err << "dta: " << error << "\n", kExitFailed;
    const bool listed = std::any_of(entries.begin(), entries.end(),
                                    [&](const ListedEntry& e) { return Upper(e.name) == Upper(name); });
    if (!listed) return err << "dta: " << name << ": not in the archive\n", kExitFailed;

    LibraryArchive archive;
    std::vector<uint8_t> data;
    if (!archive.Open(o.positional[0], o.key1, o.key2, &error) || !archive.ReadEntry(name, &data, &error))
        return err << "dta: " << error << "\n", kExitFailed;
    out.write(reinterpret_cast<const char*>(data.data()), static_cast<std::streamsize>(data.size()));
    return out ? kExitOk : kExitFailed;
}

// Lists the archive's directory and opens it through the library, for the
// commands that walk every entry. Reports a failure on `err`.
bool ListAndOpen(const Options& o, std::vector<ListedEntry>* entries, LibraryArchive* archive,
                 std::ostream& err) {
    std::string error;
    if (ListArchive(o.positional[0], o.key1, o.key2, entries, &error) &&
        archive->Open(o.positional[0], o.key1, o.key2, &error))
        return true;
    err << "dta: " << error << "\n";
    return false;
}

int Extract(const Options& o, std::ostream& out, std::ostream& err) {
    if (o.positional.empty() || o.positional.size() > 2) return err << kUsage, kExitUsage;
    const fs::path dir = o.positional.size() == 2 ? fs::path(o.positional[1]) : fs::path(".");
    std::vector<ListedEntry> entries;
    LibraryArchive archive;
    if (!ListAndOpen(o, &entries, &archive, err)) return kExitFailed;
    std::string error;
    std::error_code dirError;
    if (!fs::is_directory(dir, dirError) && !fs::create_directories(dir, dirError))
        return err << "dta: cannot create folder " << dir.string() << "\n", kExitFailed;

    int failed = 0;
    for (const ListedEntry& e : entries) {
        std::vector<std::string> parts;
        std::vector<uint8_t> data;
        std::error_code ec;
        fs::path target;
        if (!e.problem.empty()) {
            error = e.name + ": " + e.problem;
        } else if (!SplitEntryName(e.name, &parts)) {
            error = e.name + ": refused: the name is absolute or leaves the folder";
        } else if (!PrepareFolders(dir, parts, &target, &error)) {
        } else if (!archive.ReadEntry(e.name, &data, &error)) {
        } else if (!WriteFileAtomically(target.string(), data, &error)) {
        } else {
            out << target.string() << "\n";
            continue;
        }
        err << "dta: " << error << "\n";
        ++failed;
    }
    return failed == 0 ? kExitOk : kExitFailed;
}

int Verify(const Options& o, std::ostream& out, std::ostream& err) {
    if (o.positional.size() != 1) return err << kUsage, kExitUsage;
    std::vector<ListedEntry> entries;
    LibraryArchive archive;
    if (!ListAndOpen(o, &entries, &archive, err)) return kExitFailed;
    std::string error;

    int failed = 0;
    for (const ListedEntry& e : entries) {
        std::vector<uint8_t> data;
        if (!e.problem.empty()) {
            error = e.name + ": " + e.problem;
        } else if (!archive.ReadEntry(e.name, &data, &error)) {
        } else if (data.size() != e.size) {
            error = e.name + ": decoded " + std::to_string(data.size()) + " bytes, header says " +
                    std::to_string(e.size);
        } else {
            out << "ok     " << e.name << "\n";
            continue;
        }
        out << "FAILED " << error << "\n";
        err << "dta: " << error << "\n";
        ++failed;
    }
    out << entries.size() - failed << " of " << entries.size() << " entries decode cleanly\n";
    return failed == 0 ? kExitOk : kExitFailed;
}

// ---- pack -------------------------------------------------------------------

int Pack(const std::vector<std::string>& args, Options& o, std::ostream& out, std::ostream& err) {
    Method method = Method::Auto;
    bool scrambled = true;
    std::string nextName;
    std::string archivePath;
    std::vector<PackInput> inputs;

    auto add = [&](const std::string& path, const std::string& name) {
        PackInput in;
        in.name = name;
        in.method = method;
        in.scrambled = scrambled;
        in.fileTime = FileTimeOf(path);
        if (!ReadWholeFile(path, &in.data)) {
            err << "dta: cannot read " << path << "\n";
            return false;
        }
        inputs.push_back(std::move(in));
        return true;
    };

    for (size_t i = 0; i < args.size(); ++i) {
        const std::string& a = args[i];
        const bool hasValue = i + 1 < args.size();
        if (a == "--method") {
            if (!hasValue || !ParseMethod(args[++i], &method))
                return err << "dta: --method takes stored, lz, wave or auto\n", kExitUsage;
        } else if (a == "--scramble" || a == "--no-scramble") {
            scrambled = a == "--scramble";
        } else if (a == "--as") {
            if (!hasValue) return err << "dta: --as takes a name\n", kExitUsage;
            nextName = args[++i];
        } else if (a == "--key1" || a == "--key2") {
            if (!hasValue || !ParseHex(args[++i], a == "--key1" ? &o.key1 : &o.key2))
                return err << "dta: " << a << " takes up to 8 hex digits\n", kExitUsage;
        } else if (a.size() > 1 && a[0] == '-') {
            return err << "dta: unknown option " << a << "\n" << kUsage, kExitUsage;
        } else if (archivePath.empty()) {
            archivePath = a;
        } else {
            std::error_code ec;
            if (fs::is_directory(a, ec)) {
                if (!nextName.empty()) return err << "dta: --as names a file, not a folder\n", kExitUsage;
                std::vector<std::pair<std::string, std::string>> files;  // entry name, path
                for (auto it = fs::recursive_directory_iterator(a, ec); !ec && it != fs::end(it);
                     it.increment(ec)) {
                    if (!it->is_regular_file(ec)) continue;
                    std::string rel = fs::relative(it->path(), a, ec).generic_string();
                    std::replace(rel.begin(), rel.end(), '/', '\\');
                    files.emplace_back(rel, it->path().string());
                }
                if (ec) return err << "dta: cannot read folder " << a << "\n", kExitFailed;
                std::sort(files.begin(), files.end());
                for (const auto& [name, path] : files)
                    if (!add(path, name)) return kExitFailed;
            } else {
                const std::string name = nextName.empty() ? fs::path(a).filename().string() : nextName;
                nextName.clear();
                if (!add(a, name)) return kExitFailed;
            }
        }
    }
    if (archivePath.empty() || inputs.empty()) return err << kUsage, kExitUsage;

    std::vector<uint8_t> image;
    std::string error;
    if (!BuildArchive(inputs, o.key1, o.key2, &image, &error) ||
        !WriteFileAtomically(archivePath, image, &error))
        return err << "dta: " << error << "\n", kExitFailed;
    out << "packed " << inputs.size() << " entr" << (inputs.size() == 1 ? "y" : "ies") << " into "
        << archivePath << " (" << image.size() << " bytes)\n";
    return kExitOk;
}

}  // namespace

int RunDta(const std::vector<std::string>& args, std::ostream& out, std::ostream& err) {
    if (args.empty()) return err << kUsage, kExitUsage;
    const std::string& command = args[0];
    if (command == "--help" || command == "-h" || command == "help") return out << kUsage, kExitOk;

    Options o;
    std::vector<std::string> rest(args.begin() + 1, args.end());
    if (command == "pack") return Pack(rest, o, out, err);

    for (size_t i = 0; i < rest.size(); ++i) {
        const std::string& a = rest[i];
        if (a == "--key1" || a == "--key2") {
            if (i + 1 >= rest.size() || !ParseHex(rest[++i], a == "--key1" ? &o.key1 : &o.key2))
                return err << "dta: " << a << " takes up to 8 hex digits\n", kExitUsage;
        } else if (a == "--help") {
            return out << kUsage, kExitOk;
        } else if (a.size() > 1 && a[0] == '-') {
            return err << "dta: unknown option " << a << "\n" << kUsage, kExitUsage;
        } else {
            o.positional.push_back(a);
        }
    }
    if (command == "list") return List(o, out, err);
    if (command == "cat") return Cat(o, out, err);
    if (command == "extract") return Extract(o, out, err);
    if (command == "verify") return Verify(o, out, err);
    return err << "dta: unknown command " << command << "\n" << kUsage, kExitUsage;
}

}  // namespace dta::tools
