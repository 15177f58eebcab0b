// Reading the installer's install log the way expect-logged does. Each line
// of the log is "HH:MM:SS.mmm  <kind>  <text>" (installer/system/install_log.h).
#ifndef TESTS_E2E_DRIVER_LOG_LINES_H
#define TESTS_E2E_DRIVER_LOG_LINES_H

#include <string>
#include <vector>

namespace e2e {

// The texts of the lines of `kind` ("file", "registry", ...) in `log`, in
// lower case, in log order. Lines of another form are skipped; CRLF and LF
// line ends are both read.
std::vector<std::string> LogTexts(const std::string& log, const std::string& kind);

// Whether `text` names `name` as a whole: bounded by the start or end of the
// text, a blank, a quote, a parenthesis or '=' (so "c:\x\aa.dta" is named by
// "copied d:\aa.dta -> c:\x\aa.dta (3 bytes)" but not by "c:\x\aa.dta.bak").
// Both are compared as given; lower-case them for a case-blind match.
bool NamesWhole(const std::string& text, const std::string& name);

}  // namespace e2e

#endif  // TESTS_E2E_DRIVER_LOG_LINES_H
