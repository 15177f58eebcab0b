#include "disc/cli.h"

#include <CLI/CLI.hpp>

#include <exception>
#include <filesystem>
#include <random>
#include <system_error>

#include "disc/build.h"
#include "disc/check.h"
#include "disc/disc_set.h"
#include "disc/findings.h"
#include "disc/iso_image.h"

#ifndef KORVO_DISC_VERSION
#define KORVO_DISC_VERSION "unknown"
#endif

namespace disc {
namespace {

const char kUsage[] =
    "usage: korvo-disc COMMAND [options] ARGUMENTS...\n"
    "\n"
    "  korvo-disc check DISC_FOLDER...   check a disc set the way PWsetup reads it\n"
    "  korvo-disc build PROJECT OUT      make OUT/disc1, disc2, ... from a project folder\n"
    "                                    (--iso: also OUT/disc<n>.iso through xorriso)\n"
    "  korvo-disc help [COMMAND]         this text, or the options of a command\n"
    "  korvo-disc --version              the tool's version\n"
    "\n"
    "DISC_FOLDER is one disc (the first holds PWdata.dta; more folders are discs 2,\n"
    "3, ...), a folder holding disc1, disc2, ..., or a disc's ISO image (read with\n"
    "xorriso; its volume label counts as the disc's). Every problem is printed as\n"
    "  idata.txt:LINE: error: reason     (or a file of the set instead of idata.txt)\n"
    "check takes -v (also say what was checked), -q (problems only, no summary)\n"
    "and --strict (warnings fail too).\n"
    "\n"
    "PROJECT holds idata.txt, license.txt (patch.txt), files/ (the files the\n"
    "add_file lines name; each goes to the disc its line names), billboards/\n"
    "(bilboard<n>.bmp numbered across discs), PWsetup.exe, and optionally\n"
    "every-disc/ and disc<n>/ trees copied as they are. build writes the measured\n"
    "request sizes into the script, packs PWdata.dta and bilboard<d>.dta, writes\n"
    "each disc's label file and checks the result; OUT appears only when done.\n"
    "\n"
    "Make your own disc set:\n"
    "  mkdir -p mygame/files mygame/billboards   # add idata.txt, license.txt, files\n"
    "  cp build/windows/installer/PWsetup.exe mygame/\n"
    "  korvo-disc build mygame out\n"
    "  ln -s \"$PWD/out/disc1\" \"$WINEPREFIX/dosdevices/d:\"\n"
    "  wine 'D:\\PWsetup.exe' 'D:\\'\n"
    "\n"
    "Exit codes: 0 no error (warnings allowed unless --strict), 1 errors found or\n"
    "a folder unreadable, 2 wrong usage.\n";

struct BuildCommand {
    BuildOptions options;
    bool verbose = false;
    bool quiet = false;
};

void DefineBuild(CLI::App& app, BuildCommand* command) {
    app.add_option("PROJECT", command->options.project, "the project folder")->required();
    app.add_option("OUT", command->options.out, "the folder to make, with disc1, disc2, ...")->required();
    app.add_option("--installer", command->options.installer, "PWsetup.exe to put on disc 1")
        ->type_name("FILE");
    app.add_flag("--setup", command->options.withSetup, "also put the project's setup.exe on disc 1");
    app.add_flag("--iso", command->options.images,
                 "also write OUT/disc<n>.iso (ISO 9660 + Joliet, label KORVO_CD_<n>) with xorriso");
    app.add_flag("-v,--verbose", command->verbose, "also say what the check found sound");
    app.add_flag("-q,--quiet", command->quiet, "print errors only");
    app.final_callback([command] {
        if (command->verbose && command->quiet) throw CLI::ValidationError("-v and -q", "exclude each other");
        if (command->options.images && !kImagesSupported)
            throw CLI::ValidationError("--iso",
                                       "images are written by the native korvo-disc only (through xorriso)");
    });
}

int RunBuild(const BuildCommand& command, std::ostream& out) {
    Findings findings;
    std::vector<std::string> said;
    std::vector<std::string> notes;
    const bool done = BuildDiscSet(command.options, &findings, &said, &notes);
    for (const Finding& finding : findings.All()) {
        if (finding.severity == Severity::Error || !command.quiet) out << Format(finding) << "\n";
    }
    if (!command.quiet) {
        for (const std::string& line : said) out << "wrote " << line << "\n";
        if (command.verbose)
            for (const std::string& note : notes) out << "note: " << note << "\n";
        if (done) out << "made " << command.options.out << "\n";
    }
    return done ? kExitOk : kExitFailed;
}

// Disc images checked through their files, extracted into temporary
// folders that go away with this object.
class ExtractedImages {
public:
    ExtractedImages() = default;
    ExtractedImages(const ExtractedImages&) = delete;
    ExtractedImages& operator=(const ExtractedImages&) = delete;
    ~ExtractedImages() {
        for (const std::filesystem::path& folder : folders_) {
            std::error_code error;
            // Rock Ridge keeps the image's read-only modes; make them writable to remove.
            for (std::filesystem::recursive_directory_iterator it(folder, error), end; !error && it != end;
                 it.increment(error))
                std::filesystem::permissions(it->path(), std::filesystem::perms::owner_all,
                                             std::filesystem::perm_options::add, error);
            std::filesystem::remove_all(folder, error);
        }
    }

    // Extracts `image` and gives the folder of its files and its volume label.
    bool Add(const std::string& image, std::string* folder, std::string* label, std::string* error) {
        if (!ReadIsoLabel(image, label)) {
            *error = image + ": not an ISO 9660 image";
            return false;
        }
        std::random_device random;
        std::error_code made;
        std::filesystem::path parent;
        do {
            parent = std::filesystem::temp_directory_path() / ("korvo-disc-" + std::to_string(random()));
        } while (!std::filesystem::create_directory(parent, made) && !made);
        if (made) {
            *error = "no temporary folder for " + image + ": " + made.message();
            return false;
        }
        folders_.push_back(parent);
        *folder = (parent / "disc").string();
        if (!ExtractIsoImage(image, *folder, error)) {
            *error = image + ": " + *error;
            return false;
        }
        return true;
    }

private:
    std::vector<std::filesystem::path> folders_;
};

struct CheckOptions {
    std::vector<std::string> folders;
    bool strict = false;
    bool verbose = false;
    bool quiet = false;
};

void DefineCheck(CLI::App& app, CheckOptions* options) {
    app.add_option("DISC_FOLDER", options->folders, "a disc folder, or a folder holding disc1, disc2, ...")
        ->required();
    app.add_flag("--strict", options->strict, "fail on warnings too");
    app.add_flag("-v,--verbose", options->verbose, "also say what was checked and found sound");
    app.add_flag("-q,--quiet", options->quiet, "print the problems only, no summary");
    app.final_callback([options] {
        if (options->verbose && options->quiet) throw CLI::ValidationError("-v and -q", "exclude each other");
    });
}

int RunCheck(const CheckOptions& options, std::ostream& out, std::ostream& err) {
    std::vector<std::string> folders = options.folders;
    std::vector<std::pair<std::string, std::string>> images(folders.size());  // image, label
    ExtractedImages extracted;
    std::string error;
    for (size_t i = 0; i < folders.size(); ++i) {
        std::error_code failed;
        if (!std::filesystem::is_regular_file(folders[i], failed)) continue;
        images[i].first = folders[i];
        if (!extracted.Add(images[i].first, &folders[i], &images[i].second, &error)) {
            err << "korvo-disc: " << error << "\n";
            return kExitFailed;
        }
    }
    std::vector<DiscFolder> discs;
    if (!GatherDiscs(folders, &discs, &error)) {
        err << "korvo-disc: " << error << "\n";
        return kExitFailed;
    }
    for (size_t i = 0; i < discs.size() && i < images.size(); ++i) {
        if (!images[i].first.empty()) discs[i].SetImage(images[i].first, images[i].second);
    }
    Findings findings;
    std::vector<std::string> notes;
    CheckDiscSet(discs, &findings, &notes);
    for (const Finding& finding : findings.All()) out << Format(finding) << "\n";
    if (options.verbose) {
        for (const std::string& note : notes) out << "note: " << note << "\n";
    }
    const size_t errors = findings.Errors();
    const size_t warnings = findings.Warnings();
    if (!options.quiet) {
        out << errors << (errors == 1 ? " error, " : " errors, ") << warnings
            << (warnings == 1 ? " warning" : " warnings") << "\n";
    }
    if (errors > 0 || (options.strict && warnings > 0)) return kExitFailed;
    return kExitOk;
}

}  // namespace

int RunKorvoDisc(const std::vector<std::string>& args, std::ostream& out, std::ostream& err) {
    if (args.empty()) return err << kUsage, kExitUsage;
    const std::string& first = args[0];
    if (first == "--help" || first == "-h" || (first == "help" && args.size() == 1))
        return out << kUsage, kExitOk;
    if (first == "--version" || first == "-V")
        return out << "korvo-disc " << KORVO_DISC_VERSION << "\n", kExitOk;

    const bool helpFor = first == "help";
    const std::string name = helpFor ? args[1] : first;
    const bool building = name == "build";
    if (name != "check" && !building) {
        err << "korvo-disc: unknown command " << name << " (see korvo-disc --help)\n";
        return kExitUsage;
    }
    CLI::App app(building ? "Make disc folders from a project folder and check them."
                          : "Check a disc set the way PWsetup reads it.",
                 "korvo-disc " + name);
    // "/name" is a path, never an option, also on Windows.
    app.allow_windows_style_options(false);
    CheckOptions options;
    BuildCommand build;
    if (building)
        DefineBuild(app, &build);
    else
        DefineCheck(app, &options);
    if (helpFor) return out << app.help(), kExitOk;

    // CLI11 takes the arguments last first.
    std::vector<std::string> rest(args.rbegin(), args.rend() - 1);
    try {
        app.parse(rest);
    } catch (const CLI::CallForHelp&) {
        out << app.help();
        return kExitOk;
    } catch (const CLI::ParseError& e) {
        err << "korvo-disc: " << e.what() << " (see korvo-disc help " << name << ")\n";
        return kExitUsage;
    }
    try {
        return building ? RunBuild(build, out) : RunCheck(options, out, err);
    } catch (const std::exception& e) {
        err << "korvo-disc: " << e.what() << "\n";
        return kExitFailed;
    }
}

}  // namespace disc
