// How the library shows its leak report at exit: a message box in the Windows
// build (report_win32.cpp), the same text on stderr elsewhere
// (report_posix.cpp).
#ifndef DTA_REPORT_H
#define DTA_REPORT_H

namespace dta {

// Shows `text` under `title` and returns once the user has seen it.
void ShowReport(const char* title, const char* text);

}  // namespace dta

#endif  // DTA_REPORT_H
