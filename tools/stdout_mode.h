// Puts standard output into binary mode where the system translates line
// ends, so `dta cat` passes entry bytes through unchanged.
#ifndef DTA_TOOLS_STDOUT_MODE_H
#define DTA_TOOLS_STDOUT_MODE_H

namespace dta::tools {

void UseBinaryStdout();

}  // namespace dta::tools

#endif  // DTA_TOOLS_STDOUT_MODE_H
