// The commands that read an archive: list, verify, cat and extract. They
// read the archive they are given through the archive view, whatever files
// lie in the current folder.
#include "tools/command.h"

#include <algorithm>
#include <cerrno>
#include <ctime>
#include <filesystem>

#include "tools/archive_view.h"
#include "tools/held_archive.h"
#include "tools/name_pattern.h"
#include "tools/progress.h"
#include "tools/safe_path.h"
#include "tools/tool_os.h"

namespace dta::tools {
namespace {

namespace fs = std::filesystem;

// Seconds between 1601-01-01 (FILETIME) and 1970-01-01 (Unix time).
constexpr uint64_t kEpochDifference = 11644473600ull;
constexpr uint64_t kTicksPerSecond = 10000000ull;
constexpr size_t kSpoolChunk = 1 << 16;

const char kArchiveHelp[] = "the archive; - reads it from standard input";

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

std::string Plural(size_t n, const char* one, const char* many) {
    return std::to_string(n) + " " + (n == 1 ? one : many);
}

// The ARCHIVE argument, opened. Standard input is first copied into a
// scratch file, since reading moves around in the archive.
class OpenArchive {
public:
    bool Open(const std::string& path, const CommonOptions& keys, Console& console) {
        std::string error;
        std::string source = path;
        if (path == "-") {
            if (os::StandardInputIsTerminal())
                return console.Error("will not read an archive from a terminal (redirect standard input)"),
                       false;
            if (!Spool(&error)) return console.Error(error), false;
            source = nameless_ ? spool_.ReopenPath() : scratch_.path();
        } else {
            std::error_code ec;
            if (fs::is_directory(path, ec))
                return console.Error(path + " is a folder, not an archive"), false;
        }
        if (!view.Open(source, keys.key1, keys.key2, &error)) {
            if (path == "-") {
                // Messages name the file they read; here that is a scratch copy.
                const size_t at = error.find(source);
                if (at != std::string::npos) error.replace(at, source.size(), "standard input");
            }
            return console.Error(error), false;
        }
        return true;
    }

    ArchiveView view;

private:
    // Copies standard input into a nameless temporary file, which the
    // library then opens through its path in /proc; where the system has
    // none, into a named scratch file removed at the end.
    bool Spool(std::string* error) {
        os::InputFile in;
        in.OpenStandardInput();
        if (!spool_.Create(os::TemporaryFolder(""), error)) return false;
        nameless_ = !spool_.ReopenPath().empty();
        const bool nameless = nameless_;
        if (!nameless && !scratch_.CreateScratch(error)) return false;
        std::vector<uint8_t> chunk(kSpoolChunk);
        uint64_t at = 0;
        for (;;) {
            size_t got = 0;
            if (!in.Read(chunk.data(), chunk.size(), &got, error)) return false;
            if (got == 0) break;
            if (!(nameless ? spool_.WriteAt(at, chunk.data(), got, error)
                           : scratch_.Write(chunk.data(), got, error)))
                return false;
            at += got;
        }
        return nameless || scratch_.Close(error);
    }

    os::SpillFile spool_;
    os::NewFile scratch_;
    bool nameless_ = false;
};

void AddArchiveArgument(CLI::App& app, std::string* archive) {
    app.add_option("archive", *archive, kArchiveHelp)->type_name("ARCHIVE")->required();
}

// The entries that `patterns` select, in directory order; all of them when
// there are no patterns. A pattern that selects nothing is reported.
std::vector<size_t> Select(const ArchiveView& view, const std::vector<std::string>& patterns,
                           Console& console, bool* missing) {
    std::vector<size_t> chosen;
    std::vector<bool> used(patterns.size(), false);
    for (const EntryInfo& e : view.entries()) {
        bool take = patterns.empty();
        for (size_t p = 0; p < patterns.size(); ++p) {
            if (!e.name.empty() && MatchesName(patterns[p], e.name)) {
                take = true;
                used[p] = true;
            }
        }
        if (take) chosen.push_back(e.index);
    }
    for (size_t p = 0; p < patterns.size(); ++p) {
        if (used[p]) continue;
        console.Error(patterns[p] + ": not in the archive");
        *missing = true;
    }
    return chosen;
}

uint64_t TotalSize(const ArchiveView& view, const std::vector<size_t>& chosen) {
    uint64_t total = 0;
    for (size_t i : chosen)
        if (view.entries()[i].problem.empty()) total += view.entries()[i].decodedSize;
    return total;
}

// ---- list -----------------------------------------------------------------------

class ListCommand : public Command {
public:
    void Define(CLI::App& app, Console& console) override {
        AddCommonOptions(app, &common_, &console, false);
        app.add_option("--sort", sort_, "name (the default) or key: the archive's internal lookup-key order")
            ->type_name("ORDER")
            ->check(CLI::IsMember({"name", "key"}));
        AddArchiveArgument(app, &archive_);
        app.footer(
            "Flags: s = block bodies scrambled, w = wave entry, l = lossy (16-bit sound\n"
            "delta coded: its samples differ from the original). A damaged entry is\n"
            "marked, its reason printed, and the exit code is 1.");
    }

    int Run(CLI::App&, Console& console) override {
        OpenArchive archive;
        if (!archive.Open(archive_, common_, console)) return kExitFailed;
        const std::vector<EntryInfo>& entries = archive.view.entries();
        bool damaged = false;
        for (const std::string& problem : archive.view.problems()) {
            console.Error(archive_ + ": " + problem);
            damaged = true;
        }

        std::vector<const EntryInfo*> order;
        for (const EntryInfo& e : entries) order.push_back(&e);
        if (sort_ == "name") {
            std::stable_sort(order.begin(), order.end(),
                             [](const EntryInfo* a, const EntryInfo* b) { return a->name < b->name; });
        }
        console.Line("      size blocks methods            flags time (UTC)          name");
        size_t lossy = 0;
        for (const EntryInfo* e : order) {
            std::string methods;
            for (uint8_t m : e->methods) methods += (methods.empty() ? "" : ",") + MethodName(m);
            const std::string flags =
                std::string(e->scrambled ? "s" : "-") + (e->wave ? "w" : "-") + (e->lossy ? "l" : "-");
            char line[160];
            std::snprintf(line, sizeof line, "%10llu %6llu %-18s %-5s %-19s ",
                          static_cast<unsigned long long>(e->decodedSize),
                          static_cast<unsigned long long>(e->blockCount), methods.c_str(), flags.c_str(),
                          FormatTime(e->fileTime).c_str());
            std::string text = line + (e->name.empty() ? "?" : e->name);
            if (!e->problem.empty()) {
                text += "  [damaged]";
                console.Error(e->problem);
                damaged = true;
            }
            if (e->lossy) ++lossy;
            console.Line(text);
        }
        std::string summary = Plural(entries.size(), "entry", "entries");
        if (lossy > 0) summary += ", " + std::to_string(lossy) + " lossy";
        console.Line(summary);
        return damaged ? kExitFailed : kExitOk;
    }

private:
    CommonOptions common_;
    std::string archive_;
    std::string sort_ = "name";
};

// ---- verify ---------------------------------------------------------------------

class VerifyCommand : public Command {
public:
    void Define(CLI::App& app, Console& console) override {
        AddCommonOptions(app, &common_, &console, false);
        AddArchiveArgument(app, &archive_);
        app.footer(
            "Checks the directory and every entry's header, name and block chain,\n"
            "and decodes every block: the block count must match the decoded size\n"
            "and the last block must decode to exactly the rest. Prints \"ok\" for\n"
            "each good entry, marking delta-coded 16-bit sound \"lossy\" (its samples\n"
            "differ from the original by design), and each failure on standard\n"
            "error; the exit code is 1 if anything failed. Bytes after the archive's\n"
            "end (its directory or last block) are a warning only: the game ignores\n"
            "them.\n"
            "\n"
            "Payload damage can't be detected: the format has no checksums, so a\n"
            "changed byte inside stored or coded data that still decodes goes unseen.");
    }

    int Run(CLI::App&, Console& console) override {
        OpenArchive archive;
        if (!archive.Open(archive_, common_, console)) return kExitFailed;
        ArchiveView& view = archive.view;
        size_t failed = 0;
        for (const std::string& problem : view.problems()) {
            console.Error(archive_ + ": " + problem);
            ++failed;
        }
        std::vector<size_t> all;
        for (const EntryInfo& e : view.entries()) all.push_back(e.index);
        Progress progress(console.err(), console.ProgressWanted(), TotalSize(view, all), all.size());
        console.Attach(&progress);
        size_t clean = 0, lossy = 0;
        for (const EntryInfo& e : view.entries()) {
            std::string error;
            const bool ok = view.ReadEntry(
                e.index, [&](const uint8_t*, size_t n) { return progress.Add(n, 0), true; }, &error);
            progress.Add(0, 1);
            if (!ok) {
                console.Error(error);
                ++failed;
                continue;
            }
            ++clean;
            if (e.lossy) ++lossy;
            if (!console.quiet) console.Line(std::string("ok     ") + e.name + (e.lossy ? "  (lossy)" : ""));
        }
        progress.Clear();
        console.Attach(nullptr);
        // The game reads such a file as it reads the archive without the
        // extra bytes, so they are no damage; but they are not what pack
        // writes, and usually mean data appended by mistake or a file
        // joined with another one.
        if (const uint64_t extra = view.BytesAfterEnd(); extra > 0)
            console.Warning((archive_ == "-" ? std::string("standard input") : archive_) + ": " +
                            std::to_string(extra) + (extra == 1 ? " byte" : " bytes") +
                            " after the end of the archive (the game ignores them)");
        std::string summary = std::to_string(clean) + " of " +
                              Plural(view.entries().size(), "entry", "entries") + " decode cleanly";
        if (lossy > 0) summary += "; " + std::to_string(lossy) + " of them lossy (wave-coded 16-bit sound)";
        if (!console.quiet) console.Line(summary);
        return failed == 0 ? kExitOk : kExitFailed;
    }

private:
    CommonOptions common_;
    std::string archive_;
};

// ---- cat ------------------------------------------------------------------------

class CatCommand : public Command {
public:
    void Define(CLI::App& app, Console& console) override {
        AddCommonOptions(app, &common_, &console, false);
        AddArchiveArgument(app, &archive_);
        app.add_option("names", names_, "entry names or patterns (/ or \\ between folders; *, ?, [...])")
            ->type_name("NAME")
            ->required();
    }

    int Run(CLI::App&, Console& console) override {
        OpenArchive archive;
        if (!archive.Open(archive_, common_, console)) return kExitFailed;
        bool failed = false;
        for (const std::string& name : names_) {
            std::vector<size_t> chosen = Select(archive.view, {name}, console, &failed);
            for (size_t i : chosen) {
                std::string error;
                bool written = true;
                std::string writeFailure;
                const bool ok = archive.view.ReadEntry(
                    i,
                    [&](const uint8_t* data, size_t n) {
                        errno = 0;
                        written =
                            static_cast<bool>(console.out().write(reinterpret_cast<const char*>(data), n));
                        if (!written) writeFailure = StandardOutputFailure();
                        return written;
                    },
                    &error);
                // The last bytes of an entry may wait in the stream's buffer;
                // a full disk shows only when they are written.
                if (written) {
                    errno = 0;
                    written = static_cast<bool>(console.out().flush());
                    if (!written) writeFailure = StandardOutputFailure();
                }
                if (!written) return console.Error(writeFailure), kExitFailed;
                if (!ok) {
                    console.Error(error);
                    failed = true;
                }
            }
        }
        return failed ? kExitFailed : kExitOk;
    }

private:
    CommonOptions common_;
    std::string archive_;
    std::vector<std::string> names_;
};

// ---- extract --------------------------------------------------------------------

class ExtractCommand : public Command {
public:
    void Define(CLI::App& app, Console& console) override {
        AddCommonOptions(app, &common_, &console, true);
        app.add_option("-C,--directory", folder_,
                       "write below DIR (made if missing) instead of the current folder")
            ->type_name("DIR");
        app.add_flag("-f,--force", force_, "overwrite existing files");
        app.add_flag("-k,--keep", keep_, "keep existing files and go on with the others");
        AddArchiveArgument(app, &archive_);
        app.add_option("names", names_, "entry names or patterns to extract (default: every entry)")
            ->type_name("NAME");
        app.footer(
            "Entries whose names are absolute, hold a drive or \"..\", or lead through\n"
            "a symbolic link are refused: nothing is written outside DIR. Each file is\n"
            "written under a temporary name and moved into place when complete, with\n"
            "the entry's time. Without -f or -k an existing file stops the extraction;\n"
            "so does any failure to write, while a damaged entry is reported and\n"
            "skipped.");
    }

    int Run(CLI::App&, Console& console) override {
        if (force_ && keep_)
            return console.Error("-f and -k exclude each other (see dta help extract)"), kExitUsage;
        OpenArchive archive;
        if (!archive.Open(archive_, common_, console)) return kExitFailed;
        ArchiveView& view = archive.view;
        bool failed = false;
        const std::vector<size_t> chosen = Select(view, names_, console, &failed);

        const fs::path dir(folder_);
        std::error_code ec;
        if (!fs::is_directory(dir, ec)) {
            fs::create_directories(dir, ec);
            if (ec)
                return console.Error("cannot create folder " + folder_ + ": " + ec.message()), kExitFailed;
        }
        Progress progress(console.err(), console.ProgressWanted(), TotalSize(view, chosen), chosen.size());
        console.Attach(&progress);
        for (size_t i : chosen) {
            const EntryInfo& e = view.entries()[i];
            progress.Add(0, 1);
            const Outcome outcome = ExtractOne(view, e, dir, progress, console);
            if (outcome == Outcome::Stop) return kExitFailed;
            if (outcome == Outcome::Failed) failed = true;
        }
        progress.Clear();
        console.Attach(nullptr);
        return failed ? kExitFailed : kExitOk;
    }

private:
    enum class Outcome { Done, Failed, Stop };

    // Writes one entry. A damaged or refused entry fails alone; a failure to
    // write (a full disk, an existing file) stops the whole extraction.
    Outcome ExtractOne(ArchiveView& view, const EntryInfo& e, const fs::path& dir, Progress& progress,
                       Console& console) {
        std::vector<std::string> parts;
        fs::path target;
        std::string error;
        if (!e.problem.empty()) return console.Error(e.problem), Outcome::Failed;
        std::string why;
        if (!SplitEntryName(e.name, &parts, &why))
            return console.Error(e.Label() + ": refused: " + why), Outcome::Failed;
        if (!PrepareFolders(dir, parts, &target, &error)) return console.Error(error), Outcome::Stop;

        std::error_code ec;
        const fs::file_status existing = fs::symlink_status(target, ec);
        if (fs::exists(existing)) {
            if (keep_) {
                if (console.verbose) console.Line("kept " + target.string());
                return Outcome::Done;
            }
            if (fs::is_directory(existing))
                return console.Error(target.string() + " is a folder"), Outcome::Stop;
            if (!force_)
                return console.Error(target.string() + " exists (-f overwrites, -k keeps existing files)"),
                       Outcome::Stop;
        }

        os::NewFile file;
        if (!file.CreateFor(target.string(), &error)) return console.Error(error), Outcome::Stop;
        std::string writeError;
        const bool read = view.ReadEntry(
            e.index,
            [&](const uint8_t* data, size_t n) {
                progress.Add(n, 0);
                return file.Write(data, n, &writeError);
            },
            &error);
        if (!writeError.empty()) return console.Error(writeError), Outcome::Stop;
        if (!read) return console.Error(error), Outcome::Failed;
        if ((e.fileTime != 0 && !file.SetTime(e.fileTime, &error)) ||
            !file.Commit(target.string(), force_, &error))
            return console.Error(error), Outcome::Stop;
        if (console.verbose) console.Line(target.string());
        return Outcome::Done;
    }

    CommonOptions common_;
    std::string archive_;
    std::string folder_ = ".";
    bool force_ = false;
    bool keep_ = false;
    std::vector<std::string> names_;
};

}  // namespace

std::unique_ptr<Command> NewListCommand() {
    return std::make_unique<ListCommand>();
}
std::unique_ptr<Command> NewVerifyCommand() {
    return std::make_unique<VerifyCommand>();
}
std::unique_ptr<Command> NewCatCommand() {
    return std::make_unique<CatCommand>();
}
std::unique_ptr<Command> NewExtractCommand() {
    return std::make_unique<ExtractCommand>();
}

}  // namespace dta::tools
