// PWsetup.exe's entry point. The archive library it carries needs no start-up
// of its own (its state is created on first use); COM and the copy lock are
// started with the process, before WinMain, and stopped at exit. The program
// object runs the whole installer inside its start-up hook.
#include <windows.h>

#include "installer/installer_app_win32.h"
#include "installer/system/process_services.h"

int WINAPI WinMain(HINSTANCE instance, HINSTANCE previous, LPSTR commandLine, int show) {
    // Already running by now; naming them keeps the services in the program.
    installer::ProcessServices::Instance();
    // A global in effect: it lives for the whole run.
    static installer::InstallerApp app;
    app.Run();
    return app.ExitCode();
}
