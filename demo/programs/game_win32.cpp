// Game.exe on the demo disc: a stand-in for the game that the installer
// copies and links to. Started, it says what it is and ends.
#include <windows.h>

int WINAPI WinMain(HINSTANCE, HINSTANCE, LPSTR, int) {
    MessageBoxA(nullptr,
                "This is the demo disc's stand-in for the game.\n\n"
                "The installer put it here and linked it from the desktop and the Start menu.",
                "Korvo", MB_OK | MB_ICONINFORMATION);
    return 0;
}
