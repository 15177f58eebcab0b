#include "tools/stdout_mode.h"

namespace dta::tools {

// POSIX streams carry bytes unchanged.
void UseBinaryStdout() {}

}  // namespace dta::tools
