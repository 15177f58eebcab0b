// What the commands of the `dta` tool share: the console they report on,
// the options every command takes, and the shape of a command.
#ifndef TOOLS_COMMAND_H
#define TOOLS_COMMAND_H

#include <CLI/CLI.hpp>

#include <cstdint>
#include <memory>
#include <ostream>
#include <string>

namespace dta::tools {

inline constexpr int kExitOk = 0;
inline constexpr int kExitFailed = 1;
inline constexpr int kExitUsage = 2;

class Progress;

// `text` safe for a terminal, as tar -t shows names: control characters as
// \n, \t and the like or as octal (\033), so that a name can neither forge
// a line nor send the terminal an escape sequence. Other bytes pass as they are.
std::string Escaped(const std::string& text);

// Standard output and standard error of one run. Every failure is printed
// once, to standard error, after the progress line (if any) is cleared.
// Every line passes through Escaped.
class Console {
public:
    Console(std::ostream& out, std::ostream& err, bool terminal)
        : out_(out), err_(err), terminal_(terminal) {}

    void Error(const std::string& message);    // "dta: message"
    void Warning(const std::string& message);  // "dta: warning: message"
    // A line of the command's output on standard output.
    void Line(const std::string& text);
    // Informational text for standard error (used when standard output
    // carries data).
    void Note(const std::string& text);

    std::ostream& out() { return out_; }
    std::ostream& err() { return err_; }
    bool ProgressWanted() const { return terminal_ && !quiet; }
    void Attach(Progress* progress) { progress_ = progress; }

    bool verbose = false;
    bool quiet = false;

private:
    void ClearProgress();

    std::ostream& out_;
    std::ostream& err_;
    bool terminal_;
    Progress* progress_ = nullptr;
};

// --key1, --key2, -q and, where a command has more to say about each entry
// (`verbose`), -v. Commands without it refuse -v as an unknown option.
struct CommonOptions {
    uint32_t key1 = 0;
    uint32_t key2 = 0;
};
void AddCommonOptions(CLI::App& app, CommonOptions* options, Console* console, bool verbose);

class Command {
public:
    virtual ~Command() = default;
    // Declares the command's options and arguments on its own parser.
    virtual void Define(CLI::App& app, Console& console) = 0;
    // Runs the command once the arguments are parsed; returns the exit code.
    virtual int Run(CLI::App& app, Console& console) = 0;
};

std::unique_ptr<Command> NewListCommand();
std::unique_ptr<Command> NewVerifyCommand();
std::unique_ptr<Command> NewCatCommand();
std::unique_ptr<Command> NewExtractCommand();
std::unique_ptr<Command> NewPackCommand();

}  // namespace dta::tools

#endif  // TOOLS_COMMAND_H
