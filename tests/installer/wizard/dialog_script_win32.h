// Drives the program's own modal dialogs from inside a test: a thread timer
// runs a script of steps on the test's thread while a dialog (and any
// message box over it) pumps messages, so the test can call DoModal as the
// program does and read the result.
//
// Each step gets the window that takes input (the enabled, visible dialog of
// the thread; a page is disabled while a message box is over it) and returns
// true when it is done; the next step runs on a later tick. A script that
// does not get through in time records a failure and cancels whatever is
// open, so a test never hangs.
#ifndef TESTS_INSTALLER_WIZARD_DIALOG_SCRIPT_WIN32_H
#define TESTS_INSTALLER_WIZARD_DIALOG_SCRIPT_WIN32_H

#include <windows.h>

#include <gtest/gtest.h>

#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "tests/e2e/driver/screenshot_win32.h"

namespace wizard_test {

inline bool IsDialogWindow(HWND window) {
    char name[16] = {};
    GetClassNameA(window, name, sizeof name);
    return std::string(name) == "#32770";
}

inline BOOL CALLBACK FindInputDialog(HWND window, LPARAM data) {
    if (IsDialogWindow(window) && IsWindowVisible(window) && IsWindowEnabled(window))
        *reinterpret_cast<HWND*>(data) = window;
    return TRUE;
}

// The dialog of this thread that takes input, or null.
inline HWND InputDialog() {
    HWND found = nullptr;
    EnumThreadWindows(GetCurrentThreadId(), FindInputDialog, reinterpret_cast<LPARAM>(&found));
    return found;
}

inline std::string WindowText(HWND window) {
    char text[4096] = {};
    if (window != nullptr) GetWindowTextA(window, text, sizeof text);
    return text;
}

inline std::string ItemText(HWND dialog, int id) {
    return WindowText(GetDlgItem(dialog, id));
}

// A message box: its text is a static control with id 0xFFFF.
inline bool IsMessageBox(HWND window) {
    HWND text = GetDlgItem(window, 0xFFFF);
    char name[16] = {};
    if (text != nullptr) GetClassNameA(text, name, sizeof name);
    return std::string(name) == "Static";
}

// The folder the test program started in (tests may change folders later).
inline const std::string kStartFolder = [] {
    char folder[MAX_PATH] = {};
    GetCurrentDirectoryA(MAX_PATH, folder);
    return std::string(folder) + "\\";
}();

class DialogScript {
public:
    using Step = std::function<bool(HWND)>;

    DialogScript() { current_ = this; }
    ~DialogScript() {
        if (timer_ != 0) KillTimer(nullptr, timer_);
        current_ = nullptr;
    }
    DialogScript(const DialogScript&) = delete;
    DialogScript& operator=(const DialogScript&) = delete;

    DialogScript& Then(Step step) {
        steps_.push_back(std::move(step));
        return *this;
    }

    // Runs `check` on the next page (not a message box) that takes input.
    DialogScript& OnPage(std::function<void(HWND)> check) {
        return Then([check](HWND window) {
            if (window == nullptr || IsMessageBox(window)) return false;
            check(window);
            return true;
        });
    }

    // Clicks button `id` of the page that takes input.
    DialogScript& Click(int id) {
        return Then([id](HWND window) {
            if (window == nullptr || IsMessageBox(window)) return false;
            PostMessageA(window, WM_COMMAND, MAKEWPARAM(id, BN_CLICKED),
                         reinterpret_cast<LPARAM>(GetDlgItem(window, id)));
            return true;
        });
    }

    // Waits for a message box, keeps its caption and text, presses `button`.
    DialogScript& Answer(int button, std::string* caption = nullptr, std::string* text = nullptr) {
        return Then([=](HWND window) {
            if (window == nullptr || !IsMessageBox(window)) return false;
            if (caption != nullptr) *caption = WindowText(window);
            if (text != nullptr) *text = ItemText(window, 0xFFFF);
            PostMessageA(window, WM_COMMAND, MAKEWPARAM(button, BN_CLICKED), 0);
            return true;
        });
    }

    // Saves the screen as screenshots/dpi<N>/<name>.png in the test's folder,
    // once the window that takes input has been on the screen for a moment
    // (the display shows what was drawn a little later).
    DialogScript& Screenshot(const std::string& name) {
        auto since = std::make_shared<DWORD>(0);
        return Then([name, since](HWND window) {
            if (window == nullptr) return false;
            if (*since == 0) {
                *since = GetTickCount();
                RedrawWindow(window, nullptr, nullptr, RDW_INVALIDATE | RDW_UPDATENOW | RDW_ALLCHILDREN);
            }
            if (GetTickCount() - *since < kSettleMilliseconds) return false;
            GdiFlush();
            HDC screen = GetDC(nullptr);
            const int dpi = GetDeviceCaps(screen, LOGPIXELSX);
            ReleaseDC(nullptr, screen);
            const std::string folder = kStartFolder + "screenshots\\dpi" + std::to_string(dpi);
            CreateDirectoryA((kStartFolder + "screenshots").c_str(), nullptr);
            CreateDirectoryA(folder.c_str(), nullptr);
            EXPECT_TRUE(e2e::SaveScreenshot(folder + "\\" + name + ".png"));
            return true;
        });
    }

    // Starts the script; it runs while the caller shows its dialog.
    void Start() {
        started_ = GetTickCount();
        timer_ = SetTimer(nullptr, 0, kTickMilliseconds, Tick);
    }

    bool Finished() const { return next_ == steps_.size(); }

private:
    static constexpr UINT kTickMilliseconds = 20;
    static constexpr DWORD kSettleMilliseconds = 300;

    static BOOL CALLBACK EndDialogWindow(HWND window, LPARAM) {
        if (IsDialogWindow(window)) EndDialog(window, -1);
        return TRUE;
    }
    static void EndAllDialogs() { EnumThreadWindows(GetCurrentThreadId(), EndDialogWindow, 0); }
    static constexpr DWORD kLimitMilliseconds = 20000;

    static void CALLBACK Tick(HWND, UINT, UINT_PTR, DWORD) {
        DialogScript* script = current_;
        if (script == nullptr || script->running_) return;
        // A step's own message loop (a box it opens) must not run the script
        // again from inside.
        script->running_ = true;
        HWND input = InputDialog();
        if (!script->Finished()) {
            if (script->steps_[script->next_](input)) ++script->next_;
        }
        if (GetTickCount() - script->started_ > kLimitMilliseconds && input != nullptr) {
            if (!script->timedOut_) ADD_FAILURE() << "the dialog script did not get through in time";
            script->timedOut_ = true;
            EndAllDialogs();
        }
        script->running_ = false;
    }

    static inline DialogScript* current_ = nullptr;
    std::vector<Step> steps_;
    size_t next_ = 0;
    UINT_PTR timer_ = 0;
    DWORD started_ = 0;
    bool running_ = false;
    bool timedOut_ = false;
};

}  // namespace wizard_test

#endif  // TESTS_INSTALLER_WIZARD_DIALOG_SCRIPT_WIN32_H
