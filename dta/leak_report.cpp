// Builds the leak report's text from the library's counters.
#include "dta/leak_report.h"

#include <cstdio>

#include "dta/library_state.h"

namespace dta::detail {
namespace {

void AppendLine(std::string& text, const char* format, int32_t count) {
    char line[96];
    const int length = std::snprintf(line, sizeof line, format, static_cast<int>(count));
    if (length > 0) text.append(line, static_cast<size_t>(length) < sizeof line ? length : sizeof line - 1);
}

}  // namespace

std::string BuildLeakReport(int32_t references, int32_t objects) {
    std::string text;
    if (references != 0) AppendLine(text, "Not released:  %d  reference(s) of Dta_read.\n", references);
    if (objects != 0) AppendLine(text, "Not released:  %d  Dta_read(s).\n", objects);
    return text;
}

std::string CurrentLeakReport() {
    LockedState state;
    if (!state) return std::string();
    return BuildLeakReport(state->references, state->objects);
}

}  // namespace dta::detail
