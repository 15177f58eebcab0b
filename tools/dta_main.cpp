// Entry point of the `dta` archive tool.
#include <cstdio>
#include <iostream>

#include "tools/cli.h"
#include "tools/stdout_mode.h"

int main(int argc, char** argv) {
    dta::tools::UseBinaryStdout();
    std::ios::sync_with_stdio(false);
    std::vector<std::string> args(argv + 1, argv + argc);
    const int code = dta::tools::RunDta(args, std::cout, std::cerr);
    std::cout.flush();
    return code;
}
