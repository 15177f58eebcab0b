// Ends with the code of GetWindowsVersion as its exit code, so that a test
// can run it under each Windows version that Wine can pretend to be.
#include "system.h"

int main() {
    return static_cast<int>(GetWindowsVersion());
}
