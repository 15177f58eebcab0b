#include "installer/ui/frame_window_win32.h"

#include "installer/ui/application_win32.h"
#include "installer/ui/texts_win32.h"

namespace installer::ui {

FrameWindow::~FrameWindow() {
    if (window_ != nullptr) DestroyWindow(window_);
}

bool FrameWindow::RegisterClassOnce(int resourceId) {
    WNDCLASSEXA existing = {};
    existing.cbSize = sizeof existing;
    if (GetClassInfoExA(ResourceModule(), className_, &existing)) return true;

    WNDCLASSEXA windowClass = {};
    windowClass.cbSize = sizeof windowClass;
    windowClass.style = CS_HREDRAW | CS_VREDRAW;
    windowClass.lpfnWndProc = Procedure;
    windowClass.hInstance = ResourceModule();
    windowClass.hIcon = LoadIconA(ResourceModule(), MAKEINTRESOURCEA(resourceId));
    windowClass.hCursor = LoadCursor(nullptr, IDC_ARROW);
    windowClass.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_WINDOW + 1);
    windowClass.lpszClassName = className_;
    return RegisterClassExA(&windowClass) != 0;
}

bool FrameWindow::LoadFrame(int resourceId, DWORD style, HWND parent, const NameSubstitution& substitute) {
    if (window_ != nullptr || !RegisterClassOnce(resourceId)) return false;
    Text title;
    LoadText(resourceId, title, substitute);
    HMENU menu = LoadMenuA(ResourceModule(), MAKEINTRESOURCEA(resourceId));
    HWND window = CreateWindowExA(0, className_, title, style, CW_USEDEFAULT, CW_USEDEFAULT, CW_USEDEFAULT,
                                  CW_USEDEFAULT, parent, menu, ResourceModule(), this);
    if (window == nullptr) {
        if (menu != nullptr) DestroyMenu(menu);
        return false;
    }
    return true;
}

void FrameWindow::RemoveMenu() {
    if (window_ == nullptr) return;
    HMENU menu = GetMenu(window_);
    SetMenu(window_, nullptr);
    if (menu != nullptr) DestroyMenu(menu);
}

LRESULT CALLBACK FrameWindow::Procedure(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    FrameWindow* frame = nullptr;
    if (message == WM_NCCREATE) {
        frame = static_cast<FrameWindow*>(reinterpret_cast<CREATESTRUCTA*>(lParam)->lpCreateParams);
        SetWindowLongPtrA(window, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(frame));
        frame->window_ = window;
    } else {
        frame = reinterpret_cast<FrameWindow*>(GetWindowLongPtrA(window, GWLP_USERDATA));
    }
    if (frame == nullptr) return DefWindowProcA(window, message, wParam, lParam);
    LRESULT result = 0;
    if (!frame->OnMessage(message, wParam, lParam, &result))
        result = DefWindowProcA(window, message, wParam, lParam);
    if (message == WM_NCDESTROY) {
        SetWindowLongPtrA(window, GWLP_USERDATA, 0);
        frame->window_ = nullptr;
    }
    return result;
}

}  // namespace installer::ui
