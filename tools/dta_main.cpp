// Entry point of the `dta` archive tool.
#include <cerrno>
#include <iostream>

#include "tools/cli.h"
#include "tools/held_archive.h"
#include "tools/tool_os.h"

int main(int argc, char** argv) {
    dta::tools::os::GuardStandardStreams();
    dta::tools::os::UseBinaryStandardOutput();
    dta::tools::os::InstallInterruptCleanup();
    std::ios::sync_with_stdio(false);
    std::vector<std::string> args(argv + 1, argv + argc);
    const int code =
        dta::tools::RunDta(args, std::cout, std::cerr, dta::tools::os::StandardErrorIsTerminal());
    errno = 0;
    std::cout.flush();
    if (!std::cout && code == 0) {
        std::cerr << "dta: " << dta::tools::StandardOutputFailure() << "\n";
        return 1;
    }
    return code;
}
