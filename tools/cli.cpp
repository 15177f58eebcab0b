#include "tools/cli.h"

#include <cctype>
#include <cstdlib>
#include <exception>

#include "tools/command.h"
#include "dta/pack/packer.h"
#include "tools/progress.h"

#ifndef DTA_TOOL_VERSION
#define DTA_TOOL_VERSION "unknown"
#endif

namespace dta::tools {
namespace {

const char kUsage[] =
    "usage: dta COMMAND [options] ARGUMENTS...\n"
    "\n"
    "  dta list ARCHIVE              the entries: size, blocks, methods, flags, time, name\n"
    "  dta verify ARCHIVE            check the structure and decode every entry\n"
    "  dta cat ARCHIVE NAME...       write entries to standard output\n"
    "  dta extract ARCHIVE [NAME...] write entries below the current folder (or -C DIR)\n"
    "  dta pack ARCHIVE FILE|DIR...  build an archive from files and folders\n"
    "  dta help [COMMAND]            this text, or the options of a command\n"
    "  dta --version                 the tool's version\n"
    "\n"
    "ARCHIVE may be - for standard input; `pack -o -` writes the archive to standard\n"
    "output. NAME takes / or \\ between folders and the patterns *, ? and [...].\n"
    "Every command takes the key words --key1 HEX and --key2 HEX (default 5E91C07B\n"
    "and 3C6A2F19) and -q (less output); extract and pack also take -v (each file\n"
    "named). `pack` codes losslessly unless told --method wave.\n"
    "\n"
    "verify finds damage to an archive's structure and blocks that do not decode,\n"
    "but payload damage can't be detected: the format has no checksums.\n";

struct CommandEntry {
    const char* name;
    const char* summary;
    std::unique_ptr<Command> (*make)();
};

const CommandEntry kCommands[] = {
    {"list", "List the entries of ARCHIVE.", NewListCommand},
    {"verify", "Check the structure of ARCHIVE and decode every entry.", NewVerifyCommand},
    {"cat", "Write the entries NAME... of ARCHIVE to standard output.", NewCatCommand},
    {"extract", "Write the entries of ARCHIVE (all, or those NAME... selects) to files.", NewExtractCommand},
    {"pack", "Build ARCHIVE from files and folders.", NewPackCommand},
};

const CommandEntry* FindCommand(const std::string& name) {
    for (const CommandEntry& c : kCommands)
        if (name == c.name) return &c;
    return nullptr;
}

bool ParseHexWord(const std::string& text, uint32_t* value) {
    std::string digits = text;
    if (digits.size() > 2 && digits[0] == '0' && (digits[1] == 'x' || digits[1] == 'X'))
        digits = digits.substr(2);
    if (digits.empty() || digits.size() > 8) return false;
    for (char c : digits)
        if (!std::isxdigit(static_cast<unsigned char>(c))) return false;
    *value = static_cast<uint32_t>(std::strtoul(digits.c_str(), nullptr, 16));
    return true;
}

}  // namespace

// ---- Console -------------------------------------------------------------------

std::string Escaped(const std::string& text) {
    std::string shown;
    shown.reserve(text.size());
    for (const char c : text) {
        const auto u = static_cast<unsigned char>(c);
        if (u >= 0x20 && u != 0x7F) {
            shown += c;
            continue;
        }
        switch (c) {
            case '\a':
                shown += "\\a";
                break;
            case '\b':
                shown += "\\b";
                break;
            case '\t':
                shown += "\\t";
                break;
            case '\n':
                shown += "\\n";
                break;
            case '\v':
                shown += "\\v";
                break;
            case '\f':
                shown += "\\f";
                break;
            case '\r':
                shown += "\\r";
                break;
            default: {
                const char octal[] = {'\\', static_cast<char>('0' + (u >> 6)),
                                      static_cast<char>('0' + ((u >> 3) & 7)),
                                      static_cast<char>('0' + (u & 7))};
                shown.append(octal, sizeof octal);
            }
        }
    }
    return shown;
}

void Console::ClearProgress() {
    if (progress_ != nullptr) progress_->Clear();
}

void Console::Error(const std::string& message) {
    ClearProgress();
    err_ << "dta: " << Escaped(message) << "\n";
}

void Console::Warning(const std::string& message) {
    ClearProgress();
    err_ << "dta: warning: " << Escaped(message) << "\n";
}

void Console::Line(const std::string& text) {
    ClearProgress();
    out_ << Escaped(text) << "\n";
}

void Console::Note(const std::string& text) {
    ClearProgress();
    err_ << Escaped(text) << "\n";
}

void AddCommonOptions(CLI::App& app, CommonOptions* options, Console* console, bool verbose) {
    options->key1 = pack::kDefaultKey1;
    options->key2 = pack::kDefaultKey2;
    auto addKey = [&app](const std::string& flag, uint32_t* word, const char* help) {
        app.add_option_function<std::string>(
               flag,
               [flag, word](const std::string& text) {
                   if (!ParseHexWord(text, word))
                       throw CLI::ValidationError(flag, "takes up to 8 hex digits");
               },
               help)
            ->type_name("HEX");
    };
    addKey("--key1", &options->key1, "key word 1 (default 5E91C07B)");
    addKey("--key2", &options->key2, "key word 2 (default 3C6A2F19)");
    if (verbose) app.add_flag("-v,--verbose", console->verbose, "say more about each entry");
    app.add_flag("-q,--quiet", console->quiet, "print failures and warnings only; no progress line");
    app.final_callback([console] {
        if (console->verbose && console->quiet) throw CLI::ValidationError("-v and -q", "exclude each other");
    });
}

int RunDta(const std::vector<std::string>& args, std::ostream& out, std::ostream& err, bool terminal) {
    Console console(out, err, terminal);
    if (args.empty()) return err << kUsage, kExitUsage;
    const std::string& first = args[0];
    // "dta help" and "dta help help" both ask for the overview.
    if (first == "--help" || first == "-h" || (first == "help" && (args.size() == 1 || args[1] == "help")))
        return out << kUsage, kExitOk;
    if (first == "--version" || first == "-V") return out << "dta " << DTA_TOOL_VERSION << "\n", kExitOk;

    const bool helpFor = first == "help";
    const std::string name = helpFor ? args[1] : first;
    const CommandEntry* entry = FindCommand(name);
    if (entry == nullptr) {
        console.Error("unknown command " + name + " (see dta --help)");
        return kExitUsage;
    }
    CLI::App app(entry->summary, "dta " + name);
    // "/name" is a path, never an option, also on Windows.
    app.allow_windows_style_options(false);
    std::unique_ptr<Command> command = entry->make();
    command->Define(app, console);
    if (helpFor) return out << app.help(), kExitOk;

    // CLI11 takes the arguments last first.
    std::vector<std::string> rest(args.rbegin(), args.rend() - 1);
    try {
        app.parse(rest);
    } catch (const CLI::CallForHelp&) {
        out << app.help();
        return kExitOk;
    } catch (const CLI::ParseError& e) {
        std::string what = e.what();
        // CLI11 names a missing positional by its internal name.
        if (what == "names is required") what = "no entry name given: name the entries to write";
        console.Error(what + " (see dta help " + name + ")");
        return kExitUsage;
    }
    try {
        return command->Run(app, console);
    } catch (const std::exception& e) {
        console.Error(e.what());
        return kExitFailed;
    }
}

}  // namespace dta::tools
