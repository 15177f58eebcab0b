// The `korvo-disc` command-line tool: checks disc sets for PWsetup. Kept
// apart from main() so tests can run it in-process.
#ifndef DISC_CLI_H
#define DISC_CLI_H

#include <ostream>
#include <string>
#include <vector>

namespace disc {

inline constexpr int kExitOk = 0;
inline constexpr int kExitFailed = 1;
inline constexpr int kExitUsage = 2;

// Runs one command given as the arguments after the program name. Findings
// and the summary go to `out`, messages about the run itself to `err`.
// Returns the process exit code: 0 when the set is sound (warnings allowed
// unless --strict), 1 when check found an error (or a warning under
// --strict) or could not read a folder, 2 for a usage error.
int RunKorvoDisc(const std::vector<std::string>& args, std::ostream& out, std::ostream& err);

}  // namespace disc

#endif  // DISC_CLI_H
