// Reading and finding the windows of another process, the way a test driver
// beside the program under test sees them. Texts cross the process boundary as
// UTF-16 (the W messages): Wine hands ANSI list texts of another process back
// as UTF-16 anyway, which would overrun an ANSI buffer.
#ifndef TESTS_E2E_DRIVER_REMOTE_WINDOW_WIN32_H
#define TESTS_E2E_DRIVER_REMOTE_WINDOW_WIN32_H

#include <windows.h>

#include <set>
#include <string>
#include <vector>

namespace e2e {

// Longest time one message to the program may take before the driver gives up.
inline constexpr UINT kMessageTimeoutMs = 10000;

std::string Narrow(const std::wstring& text);
std::wstring Widen(const std::string& text);

// The window's class name ("" when `window` is not a window).
std::string WindowClass(HWND window);

// The window's text by WM_GETTEXT. False when the window does not answer.
bool ReadText(HWND window, std::string* text);

// Items and selection of a combo box or list box. `*selected` is the index of
// the selected item or -1. False when `control` is neither or does not answer.
bool ReadItems(HWND control, std::vector<std::string>* items, int* selected);

// True when `control` is a combo box (else a list box is assumed).
bool IsComboBox(HWND control);

// BST_UNCHECKED, BST_CHECKED or BST_INDETERMINATE, or -1 when the control
// does not answer.
int ReadCheck(HWND control);

// The position of a progress bar. False when `control` is none or does not
// answer.
bool ReadProgress(HWND control, int* position);

// True for check boxes and radio buttons that change their state by themselves
// when clicked.
bool IsAutoToggleButton(HWND control);

// Visible top-level windows of process `pid`.
std::vector<HWND> TopWindows(DWORD pid);

// The first visible top-level window of `pid` whose caption equals `caption`
// and, when `className` is not empty, whose class equals it; null if none.
HWND FindTopWindow(DWORD pid, const std::string& caption, const std::string& className);

// A message box of `pid` that is not in `known`: a dialog (#32770) with its
// text in static control 65535. Null when there is none; else its text and
// caption are stored.
HWND FindMessageBox(DWORD pid, const std::set<HWND>& known, std::string* text, std::string* caption);

}  // namespace e2e

#endif  // TESTS_E2E_DRIVER_REMOTE_WINDOW_WIN32_H
