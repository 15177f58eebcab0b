// The leak report in the Windows build: a message box without owner that
// waits until the user has closed it.
#include "dta/report.h"

#include <windows.h>

namespace dta {

void ShowReport(const char* title, const char* text) {
    if (title == nullptr || text == nullptr) {
        return;
    }
    MessageBoxA(nullptr, text, title, MB_OK);
}

}  // namespace dta
