// PWsetup.exe's entry point. The archive library it carries needs no start-up
// of its own (its state is created on first use), so for now the program
// starts, shows nothing and ends; the installer's flow is called from here
// once it lands.
#include <windows.h>

int WINAPI WinMain(HINSTANCE instance, HINSTANCE previous, LPSTR commandLine, int show) {
    (void)instance;
    (void)previous;
    (void)commandLine;
    (void)show;
    return 0;
}
