// A top-level frame window made from a frame resource: the window class
// takes the resource's icon, the window its menu and, as its title, the
// string of the same number.
//
// A derived class names its window class and handles messages in
// OnMessage; everything it leaves goes to the system's default handling.
// The object owns its window and destroys it when it goes away.
#ifndef INSTALLER_UI_FRAME_WINDOW_WIN32_H
#define INSTALLER_UI_FRAME_WINDOW_WIN32_H

#include <windows.h>

#include "installer/ui/texts_win32.h"

namespace installer::ui {

class FrameWindow {
public:
    // `className` names the window class (registered on the first LoadFrame);
    // it must outlive the object.
    explicit FrameWindow(const char* className) : className_(className) {}
    virtual ~FrameWindow();
    FrameWindow(const FrameWindow&) = delete;
    FrameWindow& operator=(const FrameWindow&) = delete;

    // Creates the window from frame resource `resourceId` with `style`, not
    // yet shown; its title is string `resourceId` passed through
    // `substitute`. False when the class cannot be registered or the window
    // not created, or when the object already has a window.
    bool LoadFrame(int resourceId, DWORD style, HWND parent, const NameSubstitution& substitute = {});

    HWND Handle() const { return window_; }

    // Detaches the window's menu and destroys it.
    void RemoveMenu();

protected:
    // A message for the window; true when handled, with its result in
    // `*result`.
    virtual bool OnMessage(UINT message, WPARAM wParam, LPARAM lParam, LRESULT* result) { return false; }

private:
    static LRESULT CALLBACK Procedure(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
    bool RegisterClassOnce(int resourceId);

    const char* className_;
    HWND window_ = nullptr;
};

}  // namespace installer::ui

#endif  // INSTALLER_UI_FRAME_WINDOW_WIN32_H
