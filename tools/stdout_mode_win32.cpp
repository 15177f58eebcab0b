#include "tools/stdout_mode.h"

#include <fcntl.h>
#include <io.h>

#include <cstdio>

namespace dta::tools {

void UseBinaryStdout() {
    _setmode(_fileno(stdout), _O_BINARY);
}

}  // namespace dta::tools
