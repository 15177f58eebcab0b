// Runs the `dta` tool in-process for tests and collects what it printed.
#ifndef TESTS_TOOLS_RUN_DTA_H
#define TESTS_TOOLS_RUN_DTA_H

#include <sstream>
#include <string>
#include <vector>

#include "tools/cli.h"

struct Outcome {
    int code;
    std::string out, err;
};

inline Outcome Dta(const std::vector<std::string>& args) {
    std::ostringstream out, err;
    const int code = dta::tools::RunDta(args, out, err);
    return {code, out.str(), err.str()};
}

inline std::vector<uint8_t> Bytes(const std::string& s) {
    return std::vector<uint8_t>(s.begin(), s.end());
}

// The line of `text` that contains `what`, or "" when none does.
inline std::string LineWith(const std::string& text, const std::string& what) {
    std::istringstream lines(text);
    std::string line;
    while (std::getline(lines, line))
        if (line.find(what) != std::string::npos) return line;
    return "";
}

#endif  // TESTS_TOOLS_RUN_DTA_H
