// dta pack: build an archive from files and folders, streaming, with the
// blocks coded on every processor.
#include "tools/command.h"

#include <filesystem>
#include <optional>

#include "dta/pack/archive_writer.h"
#include "tools/held_archive.h"
#include "tools/pack_inputs.h"
#include "tools/progress.h"
#include "tools/tool_os.h"

namespace dta::tools {
namespace {

namespace fs = std::filesystem;

const char kPackFooter[] =
    "The options --method, --scramble, --no-scramble, --as and -C apply to the\n"
    "names after them. Folders are stored under their own name, as tar does:\n"
    "`dta pack a.dta docs` gives entries docs\\..., `dta pack -C docs a.dta .`\n"
    "names them by their paths below docs. Inside folders, links to files are\n"
    "packed under the link's own name; links to folders and dangling links are\n"
    "skipped with a warning. The archive itself is never packed.\n"
    "\n"
    "METHOD: auto (default, lossless: per block the smaller of LZ and stored),\n"
    "stored, lz, or wave: WAVE files are wave coded, 16-bit PCM sound LOSSILY\n"
    "(each such file is named as it is packed); in folders, other files are\n"
    "coded as with auto. An existing ARCHIVE is replaced once the new one is\n"
    "complete; a folder never is.";

// The archive goes to a NewFile.
class FileSink : public pack::ArchiveSink {
public:
    explicit FileSink(os::NewFile* file) : file_(file) {}
    bool Append(const uint8_t* data, size_t size, std::string* error) override {
        return file_->Write(data, size, error);
    }
    bool WriteAt(uint64_t offset, const uint8_t* data, size_t size, std::string* error) override {
        return file_->WriteAt(offset, data, size, error);
    }

private:
    os::NewFile* file_;
};

// An input file, read through the tool's own file layer.
class FileSource : public pack::PackSource {
public:
    bool Open(const std::string& path, std::string* error) { return file_.Open(path, error); }
    bool Read(void* buffer, size_t count, size_t* got, std::string* error) override {
        return file_.Read(buffer, count, got, error);
    }
    uint64_t size() const override { return file_.size(); }
    uint64_t fileTime() const override { return file_.fileTime(); }

private:
    os::InputFile file_;
};

std::unique_ptr<pack::PackSource> OpenFileSource(const std::string& path, std::string* error) {
    auto source = std::make_unique<FileSource>();
    if (!source->Open(path, error)) return nullptr;
    return source;
}

class PackReport : public pack::PackObserver {
public:
    PackReport(Console& console, Progress& progress, bool dataOnStdout)
        : console_(console), progress_(progress), dataOnStdout_(dataOnStdout) {}

    void EntryStarted(const pack::PackItem& item, const pack::EntryPlan& plan, uint64_t size) override {
        std::string line;
        if (plan.wave && !console_.quiet)
            line = (plan.lossy ? "wave-coded, lossy: " : "wave-coded, lossless: ") + item.name;
        else if (console_.verbose)
            line = item.name;
        if (line.empty()) return;
        if (dataOnStdout_)
            console_.Note(line);
        else
            console_.Line(line);
    }
    // The progress line counts what is coded and written, not what is read.
    void BlockWritten(uint64_t bytes, bool entryDone) override { progress_.Add(bytes, entryDone ? 1 : 0); }

private:
    Console& console_;
    Progress& progress_;
    bool dataOnStdout_;
};

class PackCommand : public Command {
public:
    void Define(CLI::App& app, Console& console) override {
        AddCommonOptions(app, &common_, &console, true);
        app.add_option("-o,--output", output_,
                       "write the archive to FILE (- for standard output); every name is then an input")
            ->type_name("FILE");
        app.add_option(
               "--tmpdir", tmpdir_,
               "with -o -: where the archive is held once it outgrows memory (default: TMPDIR, else /tmp)")
            ->type_name("DIR");
        app.add_option("-j,--threads", threads_, "coding threads (default: one per processor)")
            ->type_name("N")
            ->check(CLI::Range(1u, 256u));
        method_ =
            app.add_option("--method", methods_, "block coding of the files after it: auto, stored, lz, wave")
                ->type_name("METHOD")
                ->check(CLI::IsMember({"auto", "stored", "lz", "wave"}))
                ->allow_extra_args(false)
                ->multi_option_policy(CLI::MultiOptionPolicy::TakeAll);
        scramble_ = app.add_flag("--scramble", "scramble the block bodies of the files after it (default)");
        noScramble_ = app.add_flag("--no-scramble", "store the block bodies of the files after it plainly");
        as_ = app.add_option("--as", names_, "entry name for the FILE right after it")
                  ->type_name("NAME")
                  ->allow_extra_args(false)
                  ->multi_option_policy(CLI::MultiOptionPolicy::TakeAll);
        folder_ = app.add_option("-C,--directory", folders_, "read the names after it in DIR")
                      ->type_name("DIR")
                      ->allow_extra_args(false)
                      ->multi_option_policy(CLI::MultiOptionPolicy::TakeAll);
        positional_ =
            app.add_option("names", positionals_, "ARCHIVE (unless -o is given), then the files and folders");
        app.footer(kPackFooter);
    }

    int Run(CLI::App& app, Console& console) override {
        // Replays the command line in its order, so that each option applies
        // to the names after it.
        std::vector<PackArgument> arguments;
        PackArgument current;
        std::string archive = output_;
        size_t method = 0, name = 0, folder = 0, path = 0;
        bool pendingName = false;
        for (const CLI::Option* option : app.parse_order()) {
            if (option == method_) {
                pack::ParseMethod(methods_[method++], &current.method);
            } else if (option == scramble_ || option == noScramble_) {
                current.scrambled = option == scramble_;
            } else if (option == as_) {
                current.entryName = names_[name++];
                pendingName = true;
            } else if (option == folder_) {
                current.baseFolder = folders_[folder++];
            } else if (option == positional_) {
                const std::string& p = positionals_[path++];
                if (archive.empty()) {
                    archive = p;
                    continue;
                }
                current.path = p;
                arguments.push_back(current);
                current.entryName.clear();
                pendingName = false;
            }
        }
        if (pendingName) return console.Error("--as must stand before the file it names"), kExitUsage;
        if (archive.empty() || arguments.empty())
            return console.Error("pack needs an archive and at least one file or folder (see dta help pack)"),
                   kExitUsage;

        const bool toStdout = archive == "-";
        if (toStdout && os::StandardOutputIsTerminal())
            return console.Error("will not write an archive to a terminal (redirect standard output)"),
                   kExitFailed;
        std::error_code ec;
        if (!toStdout && std::filesystem::is_directory(archive, ec))
            return console.Error(archive + " is a folder"), kExitFailed;

        GatheredInputs inputs;
        std::string error;
        if (!GatherInputs(arguments, toStdout ? std::string() : archive, &inputs, &error))
            return console.Error(error), kExitFailed;
        for (const std::string& warning : inputs.warnings) console.Warning(warning);
        if (inputs.items.empty()) return console.Error("nothing to pack: no files found"), kExitFailed;

        // An existing archive is replaced as tar and zstd replace it: through
        // a symbolic link, at the file the link leads to, and keeping its
        // permissions.
        std::optional<fs::perms> keptPermissions;
        if (!toStdout) {
            const fs::path link(archive);
            if (fs::is_symlink(link, ec)) {
                const fs::path target = fs::weakly_canonical(link, ec);
                if (!ec) archive = target.string();
            }
            const fs::file_status existing = fs::status(archive, ec);
            if (fs::is_regular_file(existing)) keptPermissions = existing.permissions();
        }

        os::NewFile file;
        if (!toStdout && !file.CreateFor(archive, &error)) return console.Error(error), kExitFailed;
        HeldArchive held(os::TemporaryFolder(tmpdir_));
        Progress progress(console.err(), console.ProgressWanted(), inputs.totalBytes, inputs.items.size());
        console.Attach(&progress);
        PackReport report(console, progress, toStdout);
        FileSink fileSink(&file);
        pack::ArchiveSink& sink = toStdout ? static_cast<pack::ArchiveSink&>(held) : fileSink;
        pack::PackOptions options;
        options.key1 = common_.key1;
        options.key2 = common_.key2;
        options.threads = threads_;
        options.openFile = OpenFileSource;
        uint64_t size = 0;
        if (!pack::WriteArchive(inputs.items, options, sink, &report, &size, &error) ||
            !(toStdout ? held.SendTo(console.out(), &error) : file.Commit(archive, true, &error))) {
            console.Error(error);
            return kExitFailed;
        }
        if (keptPermissions) fs::permissions(archive, *keptPermissions, fs::perm_options::replace, ec);
        progress.Clear();
        console.Attach(nullptr);
        if (!console.quiet) {
            const size_t n = inputs.items.size();
            const std::string summary = "packed " + std::to_string(n) + (n == 1 ? " entry" : " entries") +
                                        " into " + (toStdout ? std::string("standard output") : archive) +
                                        " (" + std::to_string(size) + " bytes)";
            if (toStdout)
                console.Note(summary);
            else
                console.Line(summary);
        }
        // As tar does: an archive that lacks something given is a failure.
        if (inputs.leftOut > 0) {
            console.Error(std::to_string(inputs.leftOut) +
                          (inputs.leftOut == 1 ? " file was" : " files were") +
                          " left out (see the warnings above)");
            return kExitFailed;
        }
        return kExitOk;
    }

private:
    CommonOptions common_;
    std::string output_, tmpdir_;
    unsigned threads_ = 0;
    std::vector<std::string> methods_, names_, folders_, positionals_;
    const CLI::Option* method_ = nullptr;
    const CLI::Option* scramble_ = nullptr;
    const CLI::Option* noScramble_ = nullptr;
    const CLI::Option* as_ = nullptr;
    const CLI::Option* folder_ = nullptr;
    const CLI::Option* positional_ = nullptr;
};

}  // namespace

std::unique_ptr<Command> NewPackCommand() {
    return std::make_unique<PackCommand>();
}

}  // namespace dta::tools
