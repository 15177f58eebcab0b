#include "tests/e2e/driver/driver_win32.h"

#include <tlhelp32.h>

#include <cstdio>
#include <cstring>
#include <map>

#include "tests/e2e/driver/drive_win32.h"
#include "tests/e2e/driver/remote_window_win32.h"
#include "tests/e2e/driver/screenshot_win32.h"

namespace e2e {
namespace {

// Limits of the driver's waits. They only end a hang; a passing scenario
// never comes near them.
constexpr DWORD kWindowWaitMs = 60000;
constexpr DWORD kActionWaitMs = 30000;
constexpr DWORD kPollMs = 20;

struct CommandShape {
    size_t minArgs;
    size_t maxArgs;  // SIZE_MAX: any number
};

const std::map<std::string, CommandShape>& Commands() {
    static const std::map<std::string, CommandShape> commands = {
        {"start", {1, SIZE_MAX}},
        {"wait-window", {1, 2}},
        {"wait-dialog", {2, 3}},
        {"click", {1, 1}},
        {"close", {0, 0}},
        {"key", {1, 1}},
        {"focus", {1, 1}},
        {"expect-focus", {1, 1}},
        {"select", {2, 2}},
        {"set-text", {2, 2}},
        {"expect-text", {2, 2}},
        {"expect-text-like", {2, 2}},
        {"expect-checked", {2, 2}},
        {"expect-enabled", {2, 2}},
        {"expect-visible", {2, 2}},
        {"expect-items", {1, SIZE_MAX}},
        {"expect-selected", {2, 2}},
        {"expect-no-selection", {1, 1}},
        {"expect-progress", {2, 2}},
        {"wait-progress", {2, 2}},
        {"show", {1, 1}},
        {"answer", {2, 3}},
        {"answer-like", {2, 3}},
        {"wait-message", {1, 2}},
        {"expect-exit", {1, 1}},
        {"follow", {1, 1}},
        {"expect-output", {2, SIZE_MAX}},
        {"mark-size", {0, 0}},
        {"expect-size-change", {2, 2}},
        {"expect-in-window", {2, 2}},
        {"expect-apart", {2, 2}},
        {"expect-title-clear", {2, 2}},
        {"screenshot", {1, 1}},
        {"map-drive", {3, 3}},
        {"unmap-drive", {1, 1}},
        {"copy-file", {2, 2}},
        {"move-file", {2, 2}},
        {"delete-file", {1, 1}},
        {"make-folder", {1, 1}},
        {"expect-file", {1, 2}},
        {"expect-folder", {1, 1}},
        {"expect-no-file", {1, 1}},
        {"expect-link", {2, 3}},
        {"reg-set", {4, 4}},
        {"reg-delete", {1, 2}},
        {"reg-create-volatile", {1, 1}},
        {"expect-reg", {3, 3}},
        {"expect-reg-absent", {2, 2}},
        {"expect-reg-text", {3, 3}},
        {"wait-reg", {2, 2}},
        {"expect-reg-type", {3, 3}},
        {"expect-reg-size", {3, 3}},
        {"expect-reg-bytes", {4, 4}},
        {"expect-reg-u32", {4, 4}},
    };
    return commands;
}

std::string QuoteList(const std::vector<std::string>& items) {
    std::string out;
    for (const std::string& item : items) out += (out.empty() ? "" : " ") + Quote(item);
    return out.empty() ? "(none)" : out;
}

std::string QuoteArgument(const std::string& arg) {
    if (!arg.empty() && arg.find_first_of(" \t\"") == std::string::npos) return arg;
    std::string out = "\"";
    for (char c : arg) {
        if (c == '"') out += '\\';
        out += c;
    }
    return out + "\"";
}

bool ParseFlag(const std::string& text, int maxValue, int* value, std::string* error) {
    long long v = 0;
    if (!ParseInteger(text, &v) || v < 0 || v > maxValue) {
        *error = "expected a number from 0 to " + std::to_string(maxValue) + ", not " + Quote(text);
        return false;
    }
    *value = static_cast<int>(v);
    return true;
}

}  // namespace

// A text as a scenario would write it, so that failures show \n and \r.
std::string Quote(const std::string& text) {
    std::string out = "\"";
    for (char c : text) {
        switch (c) {
            case '\n':
                out += "\\n";
                break;
            case '\r':
                out += "\\r";
                break;
            case '\t':
                out += "\\t";
                break;
            case '"':
                out += "\\\"";
                break;
            case '\\':
                out += "\\\\";
                break;
            default:
                out += c;
        }
    }
    return out + "\"";
}

// "/usr/x/y.exe" names a file through Wine's Z: drive.
std::string ToWindowsPath(const std::string& path) {
    if (path.empty() || path[0] != '/') return path;
    std::string out = "Z:" + path;
    for (char& c : out) {
        if (c == '/') c = '\\';
    }
    return out;
}

bool CheckCommand(const std::vector<std::string>& words, std::string* error) {
    auto it = Commands().find(words.at(0));
    if (it == Commands().end()) {
        *error = "unknown command " + Quote(words[0]);
        return false;
    }
    size_t args = words.size() - 1;
    if (args < it->second.minArgs || args > it->second.maxArgs) {
        *error = "wrong number of arguments for " + words[0];
        return false;
    }
    return true;
}

// Round trips to the program after posted messages. Each sent message is
// handled at the program's next look into its queue, before it takes the
// next posted message; so after n round trips the program has taken at
// least n - 1 posted messages, including those its handlers posted on the
// way (a WM_CHAR from TranslateMessage, WM_SYSCOMMAND after Alt+F4, the
// WM_COMMAND after WM_CLOSE).
constexpr int kPostedRoundTrips = 8;

// How long expect-text waits for a control's text to become the expected one.
constexpr DWORD kTextSettleMs = 2000;

// One action on the program from a helper thread, so that the driver stays
// free when the handler opens a modal window: a message sent to `window`,
// or, when `posted` is not empty, those messages posted and followed by
// round trips to `window`.
struct Driver::PendingSend {
    HWND window;
    UINT message;
    WPARAM wparam;
    LPARAM lparam;
    HANDLE thread = nullptr;
    std::set<HWND> windowsBefore;
    std::vector<MSG> posted;

    static DWORD WINAPI Run(void* param) {
        auto* self = static_cast<PendingSend*>(param);
        if (self->posted.empty()) {
            SendMessageW(self->window, self->message, self->wparam, self->lparam);
            return 0;
        }
        for (const MSG& m : self->posted) PostMessageW(m.hwnd, m.message, m.wParam, m.lParam);
        for (int i = 0; i < kPostedRoundTrips; ++i) {
            DWORD_PTR ignored = 0;
            // A window that is gone (the key ended its dialog) ends the wait.
            if (!SendMessageTimeoutW(self->window, WM_NULL, 0, 0, SMTO_NORMAL, kActionWaitMs, &ignored))
                break;
        }
        return 0;
    }
    ~PendingSend() {
        if (thread) CloseHandle(thread);
    }
};

Driver::Driver(std::string failureShot) : failureShot_(std::move(failureShot)) {}

Driver::~Driver() {
    EndProgram();
}

bool Driver::Running() const {
    return process_ && WaitForSingleObject(process_, 0) == WAIT_TIMEOUT;
}

void Driver::EndProgram() {
    if (Running()) {
        TerminateProcess(process_, 1);
        WaitForSingleObject(process_, kActionWaitMs);
    }
    // With the program gone, a blocked SendMessage returns.
    if (pending_ && pending_->thread) WaitForSingleObject(pending_->thread, kActionWaitMs);
    pending_.reset();
    if (process_) CloseHandle(process_);
    process_ = nullptr;
}

bool Driver::Run(const std::vector<ScriptLine>& lines, const std::string& scriptName) {
    for (const ScriptLine& line : lines) {
        std::string shown;
        for (const std::string& word : line.words) {
            bool plain = !word.empty() && word.find_first_of(" \t\r\n\"\\") == std::string::npos;
            shown += (shown.empty() ? "" : " ") + (plain ? word : Quote(word));
        }
        std::printf("%s:%d: %s\n", scriptName.c_str(), line.number, shown.c_str());
        std::fflush(stdout);
        std::string error;
        if (!Execute(line.words, &error)) {
            std::printf("%s:%d: FAILED: %s\n", scriptName.c_str(), line.number, error.c_str());
            if (!failureShot_.empty() && SaveScreenshot(failureShot_, false)) {
                std::printf("screenshot of the failure: %s\n", failureShot_.c_str());
            }
            std::fflush(stdout);
            EndProgram();
            return false;
        }
    }
    if (Running()) {
        std::printf("%s: FAILED: the program is still running at the end of the scenario\n",
                    scriptName.c_str());
        std::fflush(stdout);
        EndProgram();
        return false;
    }
    std::printf("%s: passed\n", scriptName.c_str());
    std::fflush(stdout);
    return true;
}

bool Driver::Execute(const std::vector<std::string>& w, std::string* error) {
    const std::string& c = w[0];
    if (c == "start") return Start(w, error);
    if (c == "wait-window" || c == "wait-dialog") return WaitWindow(w, error);
    if (c == "answer" || c == "answer-like" || c == "wait-message") return Answer(w, error);
    if (c == "expect-exit") return ExpectExit(w, error);
    if (c == "follow") return Follow(w, error);
    if (c == "expect-output") return ExpectOutput(w, error);
    if (c.rfind("reg-", 0) == 0 || c.rfind("expect-reg", 0) == 0 || c == "wait-reg")
        return Registry(w, error);
    if (c == "map-drive" || c == "unmap-drive") return Drive(w, error);
    if (c.find("-file") != std::string::npos || c.find("-folder") != std::string::npos || c == "expect-link")
        return Files(w, error);
    if (c == "screenshot") {
        if (current_ && IsWindow(current_)) {
            RedrawWindow(current_, nullptr, nullptr,
                         RDW_INVALIDATE | RDW_ERASE | RDW_FRAME | RDW_ALLCHILDREN | RDW_UPDATENOW);
        }
        // Let the program finish what it is doing (painting a new window)
        // before the screen is taken.
        if (process_ && Running()) WaitForInputIdle(process_, kActionWaitMs);
        if (!SaveScreenshot(w[1], true, current_ && IsWindow(current_) ? current_ : nullptr)) {
            *error = "cannot save a screenshot to " + Quote(w[1]);
            return false;
        }
        return true;
    }

    // Everything else works on the current window and needs it settled.
    if (!current_ || !IsWindow(current_)) {
        *error = "no current window (wait-window first)";
        return false;
    }
    if (c == "wait-progress") return WaitProgress(w, error);
    if (!Settle(error) || !RequireNoMessageBox(error)) return false;
    if (c == "click") return Click(w, error);
    if (c == "close") {
        // What the window's close box does.
        return SendAction(current_, WM_SYSCOMMAND, SC_CLOSE, 0, error);
    }
    if (c == "key") return PressKey(w, error);
    if (c == "focus") return Focus(w, error);
    if (c == "expect-focus") return ExpectFocus(w, error);
    if (c == "select") return Select(w, error);
    if (c == "mark-size" || c == "expect-size-change") {
        RECT now;
        if (!GetWindowRect(current_, &now)) {
            *error = "cannot read the window rectangle";
            return false;
        }
        if (c == "mark-size") {
            marked_ = now;
            hasMark_ = true;
            return true;
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
                     std::to_string(now.top - marked_.top) + "; expected " + w[1] + " x " + w[2] +
                     " in place";
            return false;
        }
        return true;
    }
    if (c == "expect-in-window" || c == "expect-apart" || c == "expect-title-clear") return Layout(w, error);
    return ExpectControl(w, error);
}

bool Driver::Start(const std::vector<std::string>& w, std::string* error) {
    if (Running()) {
        *error = "a program is already running";
        return false;
    }
    EndProgram();
    std::string program = ToWindowsPath(w[1]);
    std::string commandLine = QuoteArgument(program);
    for (size_t i = 2; i < w.size(); ++i) commandLine += " " + QuoteArgument(w[i]);
    // The program's folder; a drive's root keeps its backslash ("D:\\", not "D:").
    const size_t slash = program.find_last_of('\\');
    std::string folder = slash == std::string::npos ? "" : program.substr(0, slash);
    if (folder.size() == 2 && folder[1] == ':') folder += '\\';
    STARTUPINFOA startup = {};
    startup.cb = sizeof startup;
    PROCESS_INFORMATION info = {};
    std::vector<char> mutableLine(commandLine.begin(), commandLine.end());
    mutableLine.push_back('\0');
    if (!CreateProcessA(program.c_str(), mutableLine.data(), nullptr, nullptr, FALSE, 0, nullptr,
                        folder.empty() ? nullptr : folder.c_str(), &startup, &info)) {
        *error = "cannot start " + Quote(program) + " (error " + std::to_string(GetLastError()) + ")";
        return false;
    }
    CloseHandle(info.hThread);
    process_ = info.hProcess;
    pid_ = info.dwProcessId;
    current_ = nullptr;
    hasMark_ = false;
    return true;
}

bool Driver::WaitWindow(const std::vector<std::string>& w, std::string* error) {
    if (!process_) {
        *error = "no program started";
        return false;
    }
    const bool dialog = w[0] == "wait-dialog";
    std::string className = dialog ? "#32770" : w.size() > 2 ? w[2] : "";
    long long id = 0;
    if (dialog && (!ParseInteger(w[2], &id) || id < 0 || id > 0xFFFF)) {
        *error = "bad control id " + Quote(w[2]);
        return false;
    }
    DWORD limit = kWindowWaitMs;
    if (dialog && w.size() > 3) {
        int seconds = 0;
        if (!ParseFlag(w[3], 600, &seconds, error)) return false;
        limit = static_cast<DWORD>(seconds) * 1000;
    }
    const HWND previous = current_;
    DWORD start = GetTickCount();
    for (;;) {
        HWND found = nullptr;
        if (!dialog) {
            found = FindTopWindow(pid_, w[1], className);
        } else {
            // The next page: a new dialog window that holds the control.
            for (HWND window : TopWindows(pid_)) {
                std::string text;
                if (window != previous && WindowClass(window) == className &&
                    GetDlgItem(window, static_cast<int>(id)) && ReadText(window, &text) && text == w[1]) {
                    found = window;
                    break;
                }
            }
            std::string boxText, boxCaption;
            if (!found && FindMessageBox(pid_, {previous}, &boxText, &boxCaption)) {
                *error = "instead of " + Quote(w[1]) + " the program asks " + Quote(boxCaption) + ": " +
                         Quote(boxText);
                return false;
            }
        }
        if (found) {
            current_ = found;
            hasMark_ = false;
            if (!Settle(error)) return false;
            const DWORD took = GetTickCount() - start;
            if (took > limit) {
                *error = Quote(w[1]) + " took " + std::to_string(took) + " ms to settle, more than the " +
                         std::to_string(limit / 1000) + " s allowed";
                return false;
            }
            return true;
        }
        if (!Running()) {
            DWORD code = 0;
            GetExitCodeProcess(process_, &code);
            *error =
                "the program ended (exit code " + std::to_string(code) + ") without showing " + Quote(w[1]);
            return false;
        }
        if (GetTickCount() - start > limit) {
            std::string seen;
            for (HWND window : TopWindows(pid_)) {
                std::string text;
                ReadText(window, &text);
                seen += " " + Quote(text) + " (" + WindowClass(window) + ")";
            }
            *error = "no window " + Quote(w[1]) + (dialog ? " with control " + w[2] : "") +
                     " appeared; the program shows:" + (seen.empty() ? " nothing" : seen);
            return false;
        }
        Sleep(kPollMs);
    }
}

bool Driver::WaitProgress(const std::vector<std::string>& w, std::string* error) {
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

bool Driver::Drive(const std::vector<std::string>& w, std::string* error) {
    const std::string& letter = w[1];
    if (letter.empty() || letter.size() > 2 || (letter.size() == 2 && letter[1] != ':')) {
        *error = "a drive is written as a letter, with or without a colon, not " + Quote(letter);
        return false;
    }
    if (w[0] == "unmap-drive") return MapDrive(letter[0], "", DRIVE_NO_ROOT_DIR, error);
    static const std::map<std::string, UINT> types = {
        {"cdrom", DRIVE_CDROM}, {"fixed", DRIVE_FIXED}, {"removable", DRIVE_REMOVABLE}};
    auto type = types.find(w[3]);
    if (type == types.end()) {
        *error = "the drive type must be cdrom, fixed or removable";
        return false;
    }
    return MapDrive(letter[0], w[2], type->second, error);
}

bool Driver::Control(const std::string& id, HWND* control, std::string* error) {
    long long value = 0;
    if (!ParseInteger(id, &value) || value < 0 || value > 0xFFFF) {
        *error = "bad control id " + Quote(id);
        return false;
    }
    *control = GetDlgItem(current_, static_cast<int>(value));
    if (!*control) {
        *error = "the window has no control " + id;
        return false;
    }
    return true;
}

bool Driver::SendAction(HWND window, UINT message, WPARAM wparam, LPARAM lparam, std::string* error) {
    return StartAction(new PendingSend{window, message, wparam, lparam, nullptr, {}, {}}, error);
}

bool Driver::PostAction(std::vector<MSG> messages, std::string* error) {
    return StartAction(new PendingSend{current_, WM_NULL, 0, 0, nullptr, {}, std::move(messages)}, error);
}

bool Driver::StartAction(PendingSend* action, std::string* error) {
    pending_.reset(action);
    for (HWND top : TopWindows(pid_)) pending_->windowsBefore.insert(top);
    pending_->thread = CreateThread(nullptr, 0, PendingSend::Run, pending_.get(), 0, nullptr);
    if (!pending_->thread) {
        pending_.reset();
        *error = "cannot create a thread";
        return false;
    }
    return Settle(error);
}

HWND Driver::FocusedControl() const {
    GUITHREADINFO info = {};
    info.cbSize = sizeof info;
    if (!GetGUIThreadInfo(GetWindowThreadProcessId(current_, nullptr), &info)) return nullptr;
    HWND focus = info.hwndFocus;
    return focus == current_ || (focus && IsChild(current_, focus)) ? focus : nullptr;
}

bool Driver::Settle(std::string* error) {
    if (!pending_) return true;
    DWORD start = GetTickCount();
    while (WaitForSingleObject(pending_->thread, kPollMs) == WAIT_TIMEOUT) {
        for (HWND top : TopWindows(pid_)) {
            if (!pending_->windowsBefore.count(top))
                return true;  // e.g. a message box; the handler waits on it
        }
        if (GetTickCount() - start > kActionWaitMs) {
            *error = "the program did not finish handling the last action";
            return false;
        }
    }
    pending_.reset();
    return true;
}

bool Driver::RequireNoMessageBox(std::string* error) {
    std::string text, caption;
    if (FindMessageBox(pid_, {current_}, &text, &caption)) {
        *error = "unexpected message box " + Quote(caption) + ": " + Quote(text);
        return false;
    }
    return true;
}

bool Driver::Click(const std::vector<std::string>& w, std::string* error) {
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

bool Driver::PressKey(const std::vector<std::string>& w, std::string* error) {
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

bool Driver::Focus(const std::vector<std::string>& w, std::string* error) {
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

bool Driver::ExpectFocus(const std::vector<std::string>& w, std::string* error) {
    HWND control;
    if (!Control(w[1], &control, error)) return false;
    HWND focused = FocusedControl();
    if (focused == control) return true;
    *error = "the focus is " +
             (focused == nullptr    ? std::string("outside the window")
              : focused == current_ ? std::string("on the window itself")
                                    : "on control " + std::to_string(GetDlgCtrlID(focused)) + " (" +
                                          WindowClass(focused) + ")") +
             ", expected control " + w[1];
    return false;
}

bool Driver::Select(const std::vector<std::string>& w, std::string* error) {
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

bool Driver::Answer(const std::vector<std::string>& w, std::string* error) {
    static const std::map<std::string, int> buttons = {
        {"yes", IDYES}, {"no", IDNO}, {"ok", IDOK}, {"cancel", IDCANCEL}};
    // wait-message PATTERN [CAPTION] only waits for the box and leaves it open.
    const bool press = w[0] != "wait-message";
    const std::string expectedCaption = press ? (w.size() > 3 ? w[3] : "") : (w.size() > 2 ? w[2] : "");
    auto button = press ? buttons.find(w[2]) : buttons.end();
    if (press && button == buttons.end()) {
        *error = "the button must be yes, no, ok or cancel";
        return false;
    }
    if (!process_) {
        *error = "no program started";
        return false;
    }
    DWORD start = GetTickCount();
    std::string text, caption;
    HWND box = nullptr;
    while (!(box = FindMessageBox(pid_, {current_}, &text, &caption))) {
        if (!Running()) {
            *error = "the program ended without asking " + Quote(w[1]);
            return false;
        }
        // A box may come from the program's own timer (a copy that asks for
        // the next disc), so it gets a window's time to appear.
        if (GetTickCount() - start > kWindowWaitMs) {
            *error = "no message box " + Quote(w[1]) + " appeared";
            return false;
        }
        Sleep(kPollMs);
    }
    const bool matches = w[0] == "answer" ? text == w[1] : MatchesPattern(text, w[1]);
    if (!matches) {
        *error = "the message box says " + Quote(text) + ", expected " + Quote(w[1]);
        return false;
    }
    if (!expectedCaption.empty() && caption != expectedCaption) {
        *error = "the message box is titled " + Quote(caption) + ", expected " + Quote(expectedCaption);
        return false;
    }
    if (!press) return true;
    HWND pressed = GetDlgItem(box, button->second);
    if (!pressed || !IsWindowVisible(pressed)) {
        *error = "the message box " + Quote(text) + " has no " + w[2] + " button";
        return false;
    }
    PostMessageW(box, WM_COMMAND, MAKEWPARAM(button->second, BN_CLICKED), reinterpret_cast<LPARAM>(pressed));
    start = GetTickCount();
    while (IsWindow(box)) {
        if (GetTickCount() - start > kActionWaitMs) {
            *error = "the message box did not close";
            return false;
        }
        Sleep(kPollMs);
    }
    if (pending_) {
        // The handler that asked goes on; wait for it as after any action.
        pending_->windowsBefore.clear();
        for (HWND top : TopWindows(pid_)) pending_->windowsBefore.insert(top);
    }
    return Settle(error);
}

bool Driver::ExpectExit(const std::vector<std::string>& w, std::string* error) {
    long long expected = 0;
    if (!ParseInteger(w[1], &expected)) {
        *error = "bad exit code " + Quote(w[1]);
        return false;
    }
    if (!process_) {
        *error = "no program started";
        return false;
    }
    DWORD start = GetTickCount();
    while (WaitForSingleObject(process_, kPollMs) == WAIT_TIMEOUT) {
        std::string text, caption;
        if (FindMessageBox(pid_, {current_}, &text, &caption)) {
            *error = "instead of ending, the program asks " + Quote(caption) + ": " + Quote(text);
            return false;
        }
        if (GetTickCount() - start > kActionWaitMs) {
            *error = "the program did not end";
            return false;
        }
    }
    DWORD code = 0;
    GetExitCodeProcess(process_, &code);
    EndProgram();
    if (static_cast<long long>(code) != expected) {
        *error = "the program ended with exit code " + std::to_string(code) + ", expected " + w[1];
        return false;
    }
    return true;
}

bool Driver::Follow(const std::vector<std::string>& w, std::string* error) {
    if (!ExpectExit({"expect-exit", "0"}, error)) return false;
    const DWORD start = GetTickCount();
    for (;;) {
        DWORD found = 0;
        HANDLE snapshot = CreateToolhelp32Snapshot(TH32CS_SNAPPROCESS, 0);
        if (snapshot != INVALID_HANDLE_VALUE) {
            PROCESSENTRY32 entry = {};
            entry.dwSize = sizeof entry;
            for (BOOL more = Process32First(snapshot, &entry); more && !found;
                 more = Process32Next(snapshot, &entry)) {
                const char* name = std::strrchr(entry.szExeFile, '\\');
                name = name != nullptr ? name + 1 : entry.szExeFile;
                if (lstrcmpiA(name, w[1].c_str()) == 0) found = entry.th32ProcessID;
            }
            CloseHandle(snapshot);
        }
        if (found) {
            process_ = OpenProcess(SYNCHRONIZE | PROCESS_QUERY_INFORMATION | PROCESS_TERMINATE, FALSE, found);
            if (!process_) {
                *error = "cannot open the program " + Quote(w[1]) + " (error " + std::to_string(GetLastError()) + ")";
                return false;
            }
            pid_ = found;
            current_ = nullptr;
            hasMark_ = false;
            return true;
        }
        if (GetTickCount() - start > kWindowWaitMs) {
            *error = "no program " + Quote(w[1]) + " started";
            return false;
        }
        Sleep(kPollMs);
    }
}

bool Driver::ExpectOutput(const std::vector<std::string>& w, std::string* error) {
    const std::string program = ToWindowsPath(w[2]);
    std::string commandLine = QuoteArgument(program);
    for (size_t i = 3; i < w.size(); ++i) commandLine += " " + QuoteArgument(w[i]);
    std::vector<char> mutableLine(commandLine.begin(), commandLine.end());
    mutableLine.push_back('\0');

    SECURITY_ATTRIBUTES inherit = {sizeof inherit, nullptr, TRUE};
    HANDLE readEnd = nullptr;
    HANDLE writeEnd = nullptr;
    if (!CreatePipe(&readEnd, &writeEnd, &inherit, 0)) {
        *error = "cannot make a pipe";
        return false;
    }
    SetHandleInformation(readEnd, HANDLE_FLAG_INHERIT, 0);
    STARTUPINFOA startup = {};
    startup.cb = sizeof startup;
    startup.dwFlags = STARTF_USESTDHANDLES;
    startup.hStdInput = GetStdHandle(STD_INPUT_HANDLE);
    startup.hStdOutput = writeEnd;
    startup.hStdError = writeEnd;
    PROCESS_INFORMATION info = {};
    const BOOL started = CreateProcessA(program.c_str(), mutableLine.data(), nullptr, nullptr, TRUE, 0, nullptr,
                                        nullptr, &startup, &info);
    CloseHandle(writeEnd);
    if (!started) {
        CloseHandle(readEnd);
        *error = "cannot start " + Quote(program) + " (error " + std::to_string(GetLastError()) + ")";
        return false;
    }
    CloseHandle(info.hThread);
    std::string output;
    const DWORD start = GetTickCount();
    bool ended = false;
    for (;;) {
        DWORD available = 0;
        if (!PeekNamedPipe(readEnd, nullptr, 0, nullptr, &available, nullptr)) break;  // every writer closed
        if (available > 0) {
            char buffer[4096];
            DWORD got = 0;
            if (!ReadFile(readEnd, buffer, sizeof buffer, &got, nullptr) || got == 0) break;
            output.append(buffer, got);
            continue;
        }
        if (ended) break;
        ended = WaitForSingleObject(info.hProcess, kPollMs) == WAIT_OBJECT_0;
        if (GetTickCount() - start > kActionWaitMs) {
            TerminateProcess(info.hProcess, 1);
            CloseHandle(info.hProcess);
            CloseHandle(readEnd);
            *error = Quote(program) + " did not end; its output: " + Quote(output);
            return false;
        }
    }
    CloseHandle(info.hProcess);
    CloseHandle(readEnd);
    size_t begin = 0;
    while (begin < output.size()) {
        size_t end = output.find('\n', begin);
        if (end == std::string::npos) end = output.size();
        std::string line = output.substr(begin, end - begin);
        if (!line.empty() && line.back() == '\r') line.pop_back();
        if (MatchesPattern(line, w[1])) return true;
        begin = end + 1;
    }
    *error = "no line of the output matches " + Quote(w[1]) + "; the output: " + Quote(output);
    return false;
}

bool Driver::ExpectControl(const std::vector<std::string>& w, std::string* error) {
    const std::string& c = w[0];
    HWND control;
    if (!Control(w[1], &control, error)) return false;
    if (c == "set-text" || c == "expect-text" || c == "expect-text-like") {
        if (c == "set-text") {
            std::wstring text = Widen(w[2]);
            DWORD_PTR ignored = 0;
            if (!SendMessageTimeoutW(control, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(text.c_str()),
                                     SMTO_NORMAL, kMessageTimeoutMs, &ignored)) {
                *error = "control " + w[1] + " does not answer";
                return false;
            }
            return true;
        }
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
            if (c == "expect-text" ? text == w[2] : MatchesPattern(text, w[2])) return true;
            if (GetTickCount() - start > kTextSettleMs) {
                *error = "control " + w[1] + " shows " + Quote(text) + ", expected " + Quote(w[2]);
                return false;
            }
            Sleep(kPollMs);
        }
    }
    if (c == "expect-progress") {
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
    if (c == "expect-checked" || c == "expect-enabled" || c == "expect-visible") {
        int expected = 0;
        if (!ParseFlag(w[2], c == "expect-checked" ? 2 : 1, &expected, error)) return false;
        int actual = c == "expect-checked"   ? ReadCheck(control)
                     : c == "expect-enabled" ? (IsWindowEnabled(control) ? 1 : 0)
                                             : (IsWindowVisible(control) ? 1 : 0);
        if (actual != expected) {
            const char* what = c == "expect-checked"   ? "checked"
                               : c == "expect-enabled" ? "enabled"
                                                       : "visible";
            *error = "control " + w[1] + " " + what + " is " + std::to_string(actual) + ", expected " + w[2];
            return false;
        }
        return true;
    }
    std::vector<std::string> items;
    int selected = -1;
    if (c == "show") {
        // A look at a control while writing a scenario; it never fails.
        std::string text;
        ReadText(control, &text);
        std::printf("  control %s (%s): text %s, enabled %d, visible %d", w[1].c_str(),
                    WindowClass(control).c_str(), Quote(text).c_str(), IsWindowEnabled(control) ? 1 : 0,
                    IsWindowVisible(control) ? 1 : 0);
        if (WindowClass(control) == "Button") std::printf(", checked %d", ReadCheck(control));
        int position = 0;
        if (ReadProgress(control, &position)) std::printf(", position %d", position);
        if (ReadItems(control, &items, &selected)) {
            std::printf(", items %s, selected %s", QuoteList(items).c_str(),
                        selected >= 0 ? Quote(items[selected]).c_str() : "none");
        }
        std::printf("\n");
        return true;
    }
    if (!ReadItems(control, &items, &selected)) {
        *error = "control " + w[1] + " is not a list or does not answer";
        return false;
    }
    if (c == "expect-items") {
        std::vector<std::string> expected(w.begin() + 2, w.end());
        if (items != expected) {
            *error = "list " + w[1] + " holds " + QuoteList(items) + ", expected " + QuoteList(expected);
            return false;
        }
        return true;
    }
    std::string actual = selected >= 0 ? Quote(items[selected]) : "no selection";
    if (c == "expect-no-selection") {
        if (selected >= 0) {
            *error = "list " + w[1] + " has " + actual + " selected, expected no selection";
            return false;
        }
        return true;
    }
    if (selected < 0 || items[selected] != w[2]) {  // expect-selected
        *error = "list " + w[1] + " has " + actual + " selected, expected " + Quote(w[2]);
        return false;
    }
    return true;
}

}  // namespace e2e
