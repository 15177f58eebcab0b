// A small program for the leak-report test: registers one archive with the
// report on or off, releases it or not, and ends; the library's shut-down
// then shows (or does not show) its report.
//   dta_leak_program ARCHIVE leak|release|quiet
#include <cstring>

#include "dta/dta.h"

int main(int argc, char** argv) {
    if (argc != 3) return 2;
    const bool quiet = std::strcmp(argv[2], "quiet") == 0;
    dtaDumpMemoryLeaks(quiet ? 0 : 1);
    Dta_read* archive = dtaCreate(argv[1]);
    if (archive == nullptr) return 3;
    if (std::strcmp(argv[2], "release") == 0) archive->Release();
    return 0;
}
