// PWsetup.exe's entry point. The archive library it carries needs no start-up
// of its own (its state is created on first use); COM and the copy lock are
// started with the process, before WinMain, and stopped at exit. For now the
// program starts, shows nothing and ends; the installer's flow is called from
// here once it lands.
#include <windows.h>

#include "installer/services/process_services.h"

int WINAPI WinMain(HINSTANCE instance, HINSTANCE previous, LPSTR commandLine, int show) {
    (void)instance;
    (void)previous;
    (void)commandLine;
    (void)show;
    // Already running by now; naming them keeps the services in the program.
    installer::ProcessServices::Instance();
    return 0;
}
