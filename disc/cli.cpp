#include "disc/cli.h"

#include <CLI/CLI.hpp>

#include <exception>

#include "disc/check.h"
#include "disc/disc_set.h"
#include "disc/findings.h"

#ifndef KORVO_DISC_VERSION
#define KORVO_DISC_VERSION "unknown"
#endif

namespace disc {
namespace {

const char kUsage[] =
    "usage: korvo-disc COMMAND [options] ARGUMENTS...\n"
    "\n"
    "  korvo-disc check DISC_FOLDER...   check a disc set the way PWsetup reads it\n"
    "  korvo-disc help [COMMAND]         this text, or the options of a command\n"
    "  korvo-disc --version              the tool's version\n"
    "\n"
    "DISC_FOLDER is one disc (the first holds PWdata.dta; more folders are discs 2,\n"
    "3, ...) or a folder holding disc1, disc2, .... Every problem is printed as\n"
    "  idata.txt:LINE: error: reason     (or a file of the set instead of idata.txt)\n"
    "check takes -v (also say what was checked), -q (problems only, no summary)\n"
    "and --strict (warnings fail too).\n"
    "\n"
    "Exit codes: 0 no error (warnings allowed unless --strict), 1 errors found or\n"
    "a folder unreadable, 2 wrong usage.\n";

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
    std::vector<DiscFolder> discs;
    std::string error;
    if (!GatherDiscs(options.folders, &discs, &error)) {
        err << "korvo-disc: " << error << "\n";
        return kExitFailed;
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
    if (name != "check") {
        err << "korvo-disc: unknown command " << name << " (see korvo-disc --help)\n";
        return kExitUsage;
    }
    CLI::App app("Check a disc set the way PWsetup reads it.", "korvo-disc check");
    // "/name" is a path, never an option, also on Windows.
    app.allow_windows_style_options(false);
    CheckOptions options;
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
        return RunCheck(options, out, err);
    } catch (const std::exception& e) {
        err << "korvo-disc: " << e.what() << "\n";
        return kExitFailed;
    }
}

}  // namespace disc
