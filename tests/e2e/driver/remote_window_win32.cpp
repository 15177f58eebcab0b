#include "tests/e2e/driver/remote_window_win32.h"

#include <commctrl.h>

namespace e2e {
namespace {

constexpr int kMessageBoxTextId = 0xFFFF;
constexpr size_t kMaxItemChars = 4096;  // longer item texts are not read

bool Send(HWND window, UINT message, WPARAM wparam, LPARAM lparam, LRESULT* result) {
    DWORD_PTR answer = 0;
    if (!SendMessageTimeoutW(window, message, wparam, lparam, SMTO_NORMAL, kMessageTimeoutMs, &answer)) {
        return false;
    }
    *result = static_cast<LRESULT>(answer);
    return true;
}

struct EnumState {
    DWORD pid;
    std::vector<HWND> windows;
};

BOOL CALLBACK CollectWindow(HWND window, LPARAM param) {
    auto* state = reinterpret_cast<EnumState*>(param);
    DWORD pid = 0;
    GetWindowThreadProcessId(window, &pid);
    if (pid == state->pid && IsWindowVisible(window)) state->windows.push_back(window);
    return TRUE;
}

}  // namespace

std::string Narrow(const std::wstring& text) {
    if (text.empty()) return {};
    int n = WideCharToMultiByte(CP_ACP, 0, text.data(), static_cast<int>(text.size()), nullptr, 0, nullptr,
                                nullptr);
    std::string out(n > 0 ? n : 0, '\0');
    if (n > 0) {
        WideCharToMultiByte(CP_ACP, 0, text.data(), static_cast<int>(text.size()), &out[0], n, nullptr,
                            nullptr);
    }
    return out;
}

std::wstring Widen(const std::string& text) {
    if (text.empty()) return {};
    int n = MultiByteToWideChar(CP_ACP, 0, text.data(), static_cast<int>(text.size()), nullptr, 0);
    std::wstring out(n > 0 ? n : 0, L'\0');
    if (n > 0) MultiByteToWideChar(CP_ACP, 0, text.data(), static_cast<int>(text.size()), &out[0], n);
    return out;
}

std::string WindowClass(HWND window) {
    wchar_t name[256] = {};
    if (!GetClassNameW(window, name, 256)) return {};
    return Narrow(name);
}

bool ReadText(HWND window, std::string* text) {
    LRESULT length = 0;
    if (!Send(window, WM_GETTEXTLENGTH, 0, 0, &length) || length < 0) return false;
    std::wstring buffer(static_cast<size_t>(length) + 1, L'\0');
    LRESULT copied = 0;
    if (!Send(window, WM_GETTEXT, buffer.size(), reinterpret_cast<LPARAM>(&buffer[0]), &copied)) return false;
    if (copied < 0 || static_cast<size_t>(copied) >= buffer.size()) copied = 0;
    buffer.resize(static_cast<size_t>(copied));
    *text = Narrow(buffer);
    return true;
}

bool IsComboBox(HWND control) {
    return WindowClass(control) == "ComboBox";
}

bool ReadItems(HWND control, std::vector<std::string>* items, int* selected) {
    std::string cls = WindowClass(control);
    bool combo = cls == "ComboBox";
    if (!combo && cls != "ListBox") return false;
    UINT getCount = combo ? CB_GETCOUNT : LB_GETCOUNT;
    UINT getLength = combo ? CB_GETLBTEXTLEN : LB_GETTEXTLEN;
    UINT getText = combo ? CB_GETLBTEXT : LB_GETTEXT;
    UINT getSelection = combo ? CB_GETCURSEL : LB_GETCURSEL;
    LRESULT count = 0;
    if (!Send(control, getCount, 0, 0, &count) || count < 0) return false;
    items->clear();
    for (LRESULT i = 0; i < count; ++i) {
        LRESULT length = 0;
        if (!Send(control, getLength, i, 0, &length) || length < 0) return false;
        if (static_cast<size_t>(length) > kMaxItemChars) return false;
        std::wstring buffer(static_cast<size_t>(length) + 1, L'\0');
        LRESULT copied = 0;
        if (!Send(control, getText, i, reinterpret_cast<LPARAM>(&buffer[0]), &copied)) return false;
        if (copied < 0 || static_cast<size_t>(copied) >= buffer.size()) copied = 0;
        buffer.resize(static_cast<size_t>(copied));
        items->push_back(Narrow(buffer));
    }
    LRESULT selection = -1;
    if (!Send(control, getSelection, 0, 0, &selection)) return false;
    *selected = selection >= 0 && selection < count ? static_cast<int>(selection) : -1;
    return true;
}

int ReadCheck(HWND control) {
    LRESULT state = 0;
    if (!Send(control, BM_GETCHECK, 0, 0, &state)) return -1;
    return static_cast<int>(state);
}

bool ReadProgress(HWND control, int* position) {
    LRESULT value = 0;
    if (WindowClass(control) != "msctls_progress32" || !Send(control, PBM_GETPOS, 0, 0, &value)) return false;
    *position = static_cast<int>(value);
    return true;
}

bool IsAutoToggleButton(HWND control) {
    if (WindowClass(control) != "Button") return false;
    LONG kind = GetWindowLongW(control, GWL_STYLE) & BS_TYPEMASK;
    return kind == BS_AUTOCHECKBOX || kind == BS_AUTO3STATE || kind == BS_AUTORADIOBUTTON;
}

std::vector<HWND> TopWindows(DWORD pid) {
    EnumState state{pid, {}};
    EnumWindows(CollectWindow, reinterpret_cast<LPARAM>(&state));
    return state.windows;
}

HWND FindTopWindow(DWORD pid, const std::string& caption, const std::string& className) {
    for (HWND window : TopWindows(pid)) {
        if (!className.empty() && WindowClass(window) != className) continue;
        std::string text;
        if (ReadText(window, &text) && text == caption) return window;
    }
    return nullptr;
}

HWND FindMessageBox(DWORD pid, const std::set<HWND>& known, std::string* text, std::string* caption) {
    for (HWND window : TopWindows(pid)) {
        if (known.count(window) || WindowClass(window) != "#32770") continue;
        HWND label = GetDlgItem(window, kMessageBoxTextId);
        if (!label || WindowClass(label) != "Static") continue;
        if (!ReadText(label, text) || !ReadText(window, caption)) continue;
        return window;
    }
    return nullptr;
}

}  // namespace e2e
