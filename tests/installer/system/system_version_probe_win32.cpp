// Ends with the code of GetWindowsVersion as its exit code, so that a test
// can run it under each Windows version that Wine can pretend to be.
#include "installer/system/system.h"

using namespace installer;

int main() {
    return static_cast<int>(GetWindowsVersion());
}
