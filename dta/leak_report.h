// The text of the leak report shown at program exit when it is enabled
// (dtaDumpMemoryLeaks): archive references and objects never released.
#ifndef DTA_LEAK_REPORT_H
#define DTA_LEAK_REPORT_H

#include <cstdint>
#include <string>

namespace dta::detail {

inline constexpr char kLeakReportTitle[] = "Dta_read error message";

// One line for a nonzero reference counter, then one for a nonzero object
// counter; empty when both are 0 (nothing to report).
std::string BuildLeakReport(int32_t references, int32_t objects);

// The report for the library's current counters (takes the library lock).
std::string CurrentLeakReport();

}  // namespace dta::detail

#endif  // DTA_LEAK_REPORT_H
