// The `dta` command-line tool: list, verify, cat, extract and pack .dta
// archives. Kept apart from main() so tests can run it in-process.
#ifndef TOOLS_CLI_H
#define TOOLS_CLI_H

#include <ostream>
#include <string>
#include <vector>

namespace dta::tools {

// Runs one command given as the arguments after the program name. Output
// goes to `out` (binary-safe for `cat` and `pack -o -`), messages to `err`.
// `terminal`: `err` is a terminal, so long jobs may show a progress line.
// Returns the process exit code: 0 on success, 1 when the command failed,
// 2 for a usage error. A failed `pack` or `extract` leaves no partial file.
int RunDta(const std::vector<std::string>& args, std::ostream& out, std::ostream& err, bool terminal = false);

}  // namespace dta::tools

#endif  // TOOLS_CLI_H
