// Puts standard output into binary mode where the system translates line
// ends, so `dta cat` passes entry bytes through unchanged.
#ifndef TOOLS_STDOUT_MODE_H
#define TOOLS_STDOUT_MODE_H

namespace dta::tools {

void UseBinaryStdout();

}  // namespace dta::tools

#endif  // TOOLS_STDOUT_MODE_H
