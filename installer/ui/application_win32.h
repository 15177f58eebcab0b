// The program object of PWsetup.exe: the usual start-up of a Win32 dialog
// program, then one hook that runs the whole program.
//
// Run() prepares the common controls and calls InitInstance(). A hook that
// returns false has done all its work (its modal dialogs run their own
// message loops) and the program ends at once; one that returns true gets a
// message loop that runs until WM_QUIT.
#ifndef INSTALLER_UI_APPLICATION_WIN32_H
#define INSTALLER_UI_APPLICATION_WIN32_H

#include <windows.h>

namespace installer::ui {

// The text after the program's own name in `commandLine` (as
// GetCommandLineA gives it), with the blanks before it skipped and nothing
// else changed: no quotes are removed and nothing is split. The name is
// either quoted ("C:\A B\PWsetup.exe") or runs to the first blank. A null
// line gives the empty text.
const char* TextAfterProgramName(const char* commandLine);

class Application {
public:
    Application() = default;
    virtual ~Application() = default;
    Application(const Application&) = delete;
    Application& operator=(const Application&) = delete;

    // Runs the program and returns its exit code: 0 when InitInstance
    // returned false, otherwise the code that WM_QUIT carried.
    int Run();

    // The window that owns the program's pages (none until the hook sets one).
    HWND MainWindow() const { return mainWindow_; }
    void SetMainWindow(HWND window) { mainWindow_ = window; }

protected:
    // The start-up hook: runs the program. False ends it without a message
    // loop.
    virtual bool InitInstance() = 0;

private:
    HWND mainWindow_ = nullptr;
};

// The module whose resources (templates, strings, bitmaps) the layer loads:
// the program itself.
HINSTANCE ResourceModule();

}  // namespace installer::ui

#endif  // INSTALLER_UI_APPLICATION_WIN32_H
