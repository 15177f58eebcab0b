// The commands on the current window's controls: clicks, keys, focus,
// lists, texts and states, progress bars and the window's size.
#include <cstdio>

#include "tests/e2e/driver/control_names.h"
#include "tests/e2e/driver/driver_win32.h"
#include "tests/e2e/driver/remote_window_win32.h"

namespace e2e {
namespace {

// How long expect-text waits for a control's text to become the expected one.
constexpr DWORD kTextSettleMs = 2000;

}  // namespace

bool Driver::Control(const std::string& id, HWND* control, std::string* error) {
    int value = 0;
    if (!ParseControlId(id, &value)) {
        *error = "unknown control " + Quote(id);
        return false;
    }
    *control = GetDlgItem(current_, value);
    if (!*control) {
        *error = "the window has no control " + id;
        return false;
    }
    return true;
}

bool Driver::Click(const Words& w, std::string* error) {
    HWND control;
    if (!Control(w[1], &control, error)) return false;
    if (WindowClass(control) != "Button") {
        *error = "control " + w[1] + " is not a button (use select for lists)";
        return false;
    }
    if (!IsWindowVisible(control) || !IsWindowEnabled(control)) {
        *error = "control " + w[1] + (IsWindowVisible(control) ? " is disabled" : " is hidden");
        return false;
    }
    if (IsAutoToggleButton(control)) {
        int state = ReadCheck(control);
        DWORD_PTR ignored = 0;
        WPARAM next = state == BST_CHECKED ? BST_UNCHECKED : BST_CHECKED;
        if (state < 0 ||
            !SendMessageTimeoutW(control, BM_SETCHECK, next, 0, SMTO_NORMAL, kMessageTimeoutMs, &ignored)) {
            *error = "check box " + w[1] + " does not answer";
            return false;
        }
    }
    int id = GetDlgCtrlID(control);
    return SendAction(current_, WM_COMMAND, MAKEWPARAM(id, BN_CLICKED), reinterpret_cast<LPARAM>(control),
                      error);
}

bool Driver::PressKey(const Words& w, std::string* error) {
    KeyStroke key;
    if (!ParseKey(w[1], &key)) {
        *error = "unknown key " + Quote(w[1]) +
                 " (enter, escape, space, tab, f1 to f12, a letter or digit, "
                 "each with or without alt+)";
        return false;
    }
    // The keyboard sends its messages to the focused window; the program's
    // message loop then does the rest (IsDialogMessage, TranslateMessage).
    HWND target = FocusedControl();
    if (!target) target = current_;
    const UINT scan = MapVirtualKeyW(static_cast<UINT>(key.virtualKey), MAPVK_VK_TO_VSC);
    // Repeat count 1, the scan code, bit 29 for Alt held; the release also
    // has bits 30 (was down) and 31 (going up).
    const LPARAM down = static_cast<LPARAM>(1u | (scan << 16) | (key.alt ? 1u << 29 : 0u));
    const LPARAM up = static_cast<LPARAM>(static_cast<DWORD>(down) | 1u << 30 | 1u << 31);
    const WPARAM code = static_cast<WPARAM>(key.virtualKey);
    const UINT pressMessage = key.alt ? WM_SYSKEYDOWN : WM_KEYDOWN;
    const UINT releaseMessage = key.alt ? WM_SYSKEYUP : WM_KEYUP;
    MSG press = {target, pressMessage, code, down, 0, {}};
    MSG release = {target, releaseMessage, code, up, 0, {}};
    return PostAction({press, release}, error);
}

bool Driver::Focus(const Words& w, std::string* error) {
    HWND control;
    if (!Control(w[1], &control, error)) return false;
    if (!IsWindowVisible(control) || !IsWindowEnabled(control)) {
        *error = "control " + w[1] + (IsWindowVisible(control) ? " is disabled" : " is hidden");
        return false;
    }
    // What the dialog manager does for the Tab key: the focus moves and a
    // push button becomes the default one.
    MSG next = {current_, WM_NEXTDLGCTL, reinterpret_cast<WPARAM>(control), TRUE, 0, {}};
    return PostAction({next}, error);
}

bool Driver::ExpectFocus(const Words& w, std::string* error) {
    HWND control;
    if (!Control(w[1], &control, error)) return false;
    HWND focused = FocusedControl();
    if (focused == control) return true;
    *error = "the focus is " +
             (focused == nullptr    ? std::string("outside the window")
              : focused == current_ ? std::string("on the window itself")
                                    : "on control " + ControlIdName(GetDlgCtrlID(focused)) + " (" +
                                          WindowClass(focused) + ")") +
             ", expected control " + w[1];
    return false;
}

bool Driver::Select(const Words& w, std::string* error) {
    HWND control;
    if (!Control(w[1], &control, error)) return false;
    std::vector<std::string> items;
    int selected = -1;
    if (!ReadItems(control, &items, &selected)) {
        *error = "control " + w[1] + " is not a list";
        return false;
    }
    if (!IsWindowVisible(control) || !IsWindowEnabled(control)) {
        *error = "list " + w[1] + (IsWindowVisible(control) ? " is disabled" : " is hidden");
        return false;
    }
    size_t index = 0;
    while (index < items.size() && items[index] != w[2]) ++index;
    if (index == items.size()) {
        *error = "list " + w[1] + " has no item " + Quote(w[2]) + "; it holds " + QuoteList(items);
        return false;
    }
    bool combo = IsComboBox(control);
    DWORD_PTR ignored = 0;
    if (!SendMessageTimeoutW(control, combo ? CB_SETCURSEL : LB_SETCURSEL, index, 0, SMTO_NORMAL,
                             kMessageTimeoutMs, &ignored)) {
        *error = "list " + w[1] + " does not answer";
        return false;
    }
    WORD code = combo ? CBN_SELCHANGE : LBN_SELCHANGE;
    return SendAction(current_, WM_COMMAND, MAKEWPARAM(GetDlgCtrlID(control), code),
                      reinterpret_cast<LPARAM>(control), error);
}

bool Driver::WaitProgress(const Words& w, std::string* error) {
    HWND control;
    long long wanted = 0;
    if (!Control(w[1], &control, error)) return false;
    if (!ParseInteger(w[2], &wanted)) {
        *error = "bad position " + Quote(w[2]);
        return false;
    }
    DWORD start = GetTickCount();
    for (;;) {
        int position = 0;
        if (!ReadProgress(control, &position)) {
            *error = "control " + w[1] + " is not a progress bar or does not answer";
            return false;
        }
        if (position >= wanted) return true;
        if (!RequireNoMessageBox(error)) return false;
        if (!Running() || !IsWindow(current_)) {
            *error = "the window closed while bar " + w[1] + " stood at " + std::to_string(position);
            return false;
        }
        if (GetTickCount() - start > kWindowWaitMs) {
            *error = "bar " + w[1] + " stays at " + std::to_string(position) + ", below " + w[2];
            return false;
        }
        Sleep(kPollMs);
    }
}

bool Driver::Close(const Words&, std::string* error) {
    // What the window's close box does.
    return SendAction(current_, WM_SYSCOMMAND, SC_CLOSE, 0, error);
}

bool Driver::SetText(const Words& w, std::string* error) {
    HWND control;
    if (!Control(w[1], &control, error)) return false;
    std::wstring text = Widen(w[2]);
    DWORD_PTR ignored = 0;
    if (!SendMessageTimeoutW(control, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(text.c_str()), SMTO_NORMAL,
                             kMessageTimeoutMs, &ignored)) {
        *error = "control " + w[1] + " does not answer";
        return false;
    }
    return true;
}

bool Driver::ExpectText(const Words& w, std::string* error) {
    HWND control;
    if (!Control(w[1], &control, error)) return false;
    const bool exact = w[0] == "expect-text";
    // A key's characters reach the control through the program's queue,
    // which a loaded machine may take a moment to empty: the text gets
    // a short while to become what is expected.
    const DWORD start = GetTickCount();
    for (;;) {
        std::string text;
        if (!ReadText(control, &text)) {
            *error = "control " + w[1] + " does not answer";
            return false;
        }
        if (exact ? text == w[2] : MatchesPattern(text, w[2])) return true;
        if (GetTickCount() - start > kTextSettleMs) {
            *error = "control " + w[1] + " shows " + Quote(text) + ", expected " + Quote(w[2]);
            return false;
        }
        Sleep(kPollMs);
    }
}

bool Driver::ExpectState(const Words& w, std::string* error) {
    HWND control;
    if (!Control(w[1], &control, error)) return false;
    const std::string& c = w[0];
    int expected = 0;
    if (!ParseFlag(w[2], c == "expect-checked" ? 2 : 1, &expected, error)) return false;
    int actual = c == "expect-checked"   ? ReadCheck(control)
                 : c == "expect-enabled" ? (IsWindowEnabled(control) ? 1 : 0)
                                         : (IsWindowVisible(control) ? 1 : 0);
    if (actual != expected) {
        const char* what = c == "expect-checked" ? "checked" : c == "expect-enabled" ? "enabled" : "visible";
        *error = "control " + w[1] + " " + what + " is " + std::to_string(actual) + ", expected " + w[2];
        return false;
    }
    return true;
}

bool Driver::ExpectProgress(const Words& w, std::string* error) {
    HWND control;
    if (!Control(w[1], &control, error)) return false;
    long long expected = 0;
    int position = 0;
    if (!ParseInteger(w[2], &expected)) {
        *error = "bad position " + Quote(w[2]);
        return false;
    }
    if (!ReadProgress(control, &position)) {
        *error = "control " + w[1] + " is not a progress bar or does not answer";
        return false;
    }
    if (position != expected) {
        *error = "bar " + w[1] + " stands at " + std::to_string(position) + ", expected " + w[2];
        return false;
    }
    return true;
}

bool Driver::ReadList(const std::string& id, std::vector<std::string>* items, int* selected,
                      std::string* error) {
    HWND control;
    if (!Control(id, &control, error)) return false;
    if (!ReadItems(control, items, selected)) {
        *error = "control " + id + " is not a list or does not answer";
        return false;
    }
    return true;
}

bool Driver::ExpectItems(const Words& w, std::string* error) {
    std::vector<std::string> items;
    int selected = -1;
    if (!ReadList(w[1], &items, &selected, error)) return false;
    std::vector<std::string> expected(w.begin() + 2, w.end());
    if (items != expected) {
        *error = "list " + w[1] + " holds " + QuoteList(items) + ", expected " + QuoteList(expected);
        return false;
    }
    return true;
}

// expect-selected ID ITEM, expect-no-selection ID
bool Driver::ExpectSelection(const Words& w, std::string* error) {
    std::vector<std::string> items;
    int selected = -1;
    if (!ReadList(w[1], &items, &selected, error)) return false;
    const std::string actual = selected >= 0 ? Quote(items[selected]) : "no selection";
    if (w[0] == "expect-no-selection") {
        if (selected < 0) return true;
        *error = "list " + w[1] + " has " + actual + " selected, expected no selection";
        return false;
    }
    if (selected < 0 || items[selected] != w[2]) {
        *error = "list " + w[1] + " has " + actual + " selected, expected " + Quote(w[2]);
        return false;
    }
    return true;
}

bool Driver::Show(const Words& w, std::string* error) {
    HWND control;
    if (!Control(w[1], &control, error)) return false;
    // A look at a control while writing a scenario; it never fails.
    std::string text;
    ReadText(control, &text);
    std::printf("  control %s (%s): text %s, enabled %d, visible %d", w[1].c_str(),
                WindowClass(control).c_str(), Quote(text).c_str(), IsWindowEnabled(control) ? 1 : 0,
                IsWindowVisible(control) ? 1 : 0);
    if (WindowClass(control) == "Button") std::printf(", checked %d", ReadCheck(control));
    int position = 0;
    if (ReadProgress(control, &position)) std::printf(", position %d", position);
    std::vector<std::string> items;
    int selected = -1;
    if (ReadItems(control, &items, &selected)) {
        std::printf(", items %s, selected %s", QuoteList(items).c_str(),
                    selected >= 0 ? Quote(items[selected]).c_str() : "none");
    }
    std::printf("\n");
    return true;
}

bool Driver::MarkSize(const Words&, std::string* error) {
    if (!GetWindowRect(current_, &marked_)) {
        *error = "cannot read the window rectangle";
        return false;
    }
    hasMark_ = true;
    return true;
}

bool Driver::ExpectSizeChange(const Words& w, std::string* error) {
    RECT now;
    if (!GetWindowRect(current_, &now)) {
        *error = "cannot read the window rectangle";
        return false;
    }
    long long dw = 0, dh = 0;
    if (!hasMark_ || !ParseInteger(w[1], &dw) || !ParseInteger(w[2], &dh)) {
        *error = hasMark_ ? "expected two numbers" : "mark-size has not run";
        return false;
    }
    long long gotW = (now.right - now.left) - (marked_.right - marked_.left);
    long long gotH = (now.bottom - now.top) - (marked_.bottom - marked_.top);
    if (gotW != dw || gotH != dh || now.left != marked_.left || now.top != marked_.top) {
        *error = "the window changed by " + std::to_string(gotW) + " x " + std::to_string(gotH) +
                 " and moved by " + std::to_string(now.left - marked_.left) + ", " +
                 std::to_string(now.top - marked_.top) + "; expected " + w[1] + " x " + w[2] + " in place";
        return false;
    }
    return true;
}

}  // namespace e2e
