// Entry point of the `korvo-disc` disc set tool.
#include <iostream>
#include <string>
#include <vector>

#include "disc/cli.h"

int main(int argc, char** argv) {
    std::vector<std::string> args(argv + 1, argv + argc);
    const int code = disc::RunKorvoDisc(args, std::cout, std::cerr);
    std::cout.flush();
    if (!std::cout && code == 0) {
        std::cerr << "korvo-disc: cannot write to standard output\n";
        return 1;
    }
    return code;
}
