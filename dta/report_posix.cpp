// The leak report outside Windows: the title and text on stderr.
#include "dta/report.h"

#include <cstdio>

namespace dta {

void ShowReport(const char* title, const char* text) {
    std::fprintf(stderr, "%s\n%s", title != nullptr ? title : "", text != nullptr ? text : "");
    std::fflush(stderr);
}

}  // namespace dta
