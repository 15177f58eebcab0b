// Controls as scenarios name them: by the names the programs' resource
// headers give them (IDC_NEXT), or by number. The names are read from the
// headers when the build is configured (control_names.inc), so a renamed or
// renumbered control needs no change here.
#ifndef TESTS_E2E_DRIVER_CONTROL_NAMES_H
#define TESTS_E2E_DRIVER_CONTROL_NAMES_H

#include <string>

namespace e2e {

// The id of a control named in a resource header (IDC_*), or of the dialog
// buttons IDOK, IDCANCEL, IDYES and IDNO, or a number from 0 to 65535.
// False for anything else, such as a misspelt name.
bool ParseControlId(const std::string& text, int* id);

// `id` as a failure shows it: the number, with the names that have it.
std::string ControlIdName(int id);

}  // namespace e2e

#endif  // TESTS_E2E_DRIVER_CONTROL_NAMES_H
