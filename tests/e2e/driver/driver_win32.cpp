#include "tests/e2e/driver/driver_win32.h"

#include <tlhelp32.h>

#include <cstdio>
#include <cstring>
#include <map>

#include "tests/e2e/driver/control_names.h"
#include "tests/e2e/driver/drive_win32.h"
#include "tests/e2e/driver/remote_window_win32.h"
#include "tests/e2e/driver/screenshot_win32.h"

namespace e2e {
namespace {

std::string QuoteArgument(const std::string& arg) {
    if (!arg.empty() && arg.find_first_of(" \t\"") == std::string::npos) return arg;
    std::string out = "\"";
    for (char c : arg) {
        if (c == '"') out += '\\';
        out += c;
    }
    return out + "\"";
}

}  // namespace

std::string QuoteList(const std::vector<std::string>& items) {
    std::string out;
    for (const std::string& item : items) out += (out.empty() ? "" : " ") + Quote(item);
    return out.empty() ? "(none)" : out;
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
    const Driver::Command* command = Driver::FindCommand(words.at(0));
    if (!command) {
        *error = "unknown command " + Quote(words[0]);
        return false;
    }
    const size_t args = words.size() - 1;
    if (args < command->minArgs || args > command->maxArgs) {
        *error = "wrong number of arguments for " + words[0];
        return false;
    }
    return true;
}

const Driver::Command* Driver::FindCommand(const std::string& name) {
    constexpr Needs kAny = Needs::kNothing;
    constexpr Needs kWindow = Needs::kWindow;
    constexpr Needs kSettled = Needs::kSettledWindow;
    constexpr size_t kMany = SIZE_MAX;
    static const std::map<std::string, Command> commands = {
        {"start", {1, kMany, kAny, &Driver::Start}},
        {"wait-window", {1, 2, kAny, &Driver::WaitWindow}},
        {"wait-dialog", {2, 3, kAny, &Driver::WaitWindow}},
        {"answer", {2, 3, kAny, &Driver::Answer}},
        {"answer-like", {2, 3, kAny, &Driver::Answer}},
        {"wait-message", {1, 2, kAny, &Driver::Answer}},
        {"expect-exit", {1, 1, kAny, &Driver::ExpectExit}},
        {"expect-silent-exit", {1, 1, kAny, &Driver::ExpectExit}},
        {"follow", {1, 2, kAny, &Driver::Follow}},
        {"expect-output", {2, kMany, kAny, &Driver::ExpectOutput}},
        {"screenshot", {1, 1, kAny, &Driver::Screenshot}},
        {"map-drive", {3, 3, kAny, &Driver::Drive}},
        {"unmap-drive", {1, 1, kAny, &Driver::Drive}},

        {"click", {1, 1, kSettled, &Driver::Click}},
        {"close", {0, 0, kSettled, &Driver::Close}},
        {"key", {1, 1, kSettled, &Driver::PressKey}},
        {"focus", {1, 1, kSettled, &Driver::Focus}},
        {"expect-focus", {1, 1, kSettled, &Driver::ExpectFocus}},
        {"select", {2, 2, kSettled, &Driver::Select}},
        {"set-text", {2, 2, kSettled, &Driver::SetText}},
        {"expect-text", {2, 2, kSettled, &Driver::ExpectText}},
        {"expect-text-like", {2, 2, kSettled, &Driver::ExpectText}},
        {"expect-checked", {2, 2, kSettled, &Driver::ExpectState}},
        {"expect-enabled", {2, 2, kSettled, &Driver::ExpectState}},
        {"expect-visible", {2, 2, kSettled, &Driver::ExpectState}},
        {"expect-items", {1, kMany, kSettled, &Driver::ExpectItems}},
        {"expect-selected", {2, 2, kSettled, &Driver::ExpectSelection}},
        {"expect-no-selection", {1, 1, kSettled, &Driver::ExpectSelection}},
        {"expect-progress", {2, 2, kSettled, &Driver::ExpectProgress}},
        // A copy's progress moves on while the driver waits: nothing to settle.
        {"wait-progress", {2, 2, kWindow, &Driver::WaitProgress}},
        {"show", {1, 1, kSettled, &Driver::Show}},
        {"mark-size", {0, 0, kSettled, &Driver::MarkSize}},
        {"expect-size-change", {2, 2, kSettled, &Driver::ExpectSizeChange}},
        {"expect-in-window", {2, 2, kSettled, &Driver::Layout}},
        {"expect-apart", {2, 2, kSettled, &Driver::Layout}},
        {"expect-title-clear", {2, 2, kSettled, &Driver::Layout}},

        {"copy-file", {2, 2, kAny, &Driver::Files}},
        {"move-file", {2, 2, kAny, &Driver::Files}},
        {"delete-file", {1, 1, kAny, &Driver::Files}},
        {"make-folder", {1, 1, kAny, &Driver::Files}},
        {"make-read-only", {1, 1, kAny, &Driver::Files}},
        {"expect-file", {1, 2, kAny, &Driver::Files}},
        {"expect-folder", {1, 1, kAny, &Driver::Files}},
        {"expect-no-file", {1, 1, kAny, &Driver::Files}},
        {"expect-link", {2, 3, kAny, &Driver::Files}},

        {"reg-set", {4, 4, kAny, &Driver::Registry}},
        {"reg-delete", {1, 2, kAny, &Driver::Registry}},
        {"reg-create-volatile", {1, 1, kAny, &Driver::Registry}},
        {"expect-reg", {3, 3, kAny, &Driver::Registry}},
        {"expect-reg-absent", {2, 2, kAny, &Driver::Registry}},
        {"expect-reg-text", {3, 3, kAny, &Driver::Registry}},
        {"wait-reg", {2, 2, kAny, &Driver::Registry}},
        {"expect-reg-type", {3, 3, kAny, &Driver::Registry}},
        {"expect-reg-size", {3, 3, kAny, &Driver::Registry}},
        {"expect-reg-bytes", {4, 4, kAny, &Driver::Registry}},
        {"expect-reg-u32", {4, 4, kAny, &Driver::Registry}},

        {"mark-state", {1, kMany, kAny, &Driver::State}},
        {"expect-unchanged", {0, 0, kAny, &Driver::State}},
        {"expect-logged", {2, 2, kAny, &Driver::State}},
    };
    auto it = commands.find(name);
    return it == commands.end() ? nullptr : &it->second;
}

// Round trips to the program after posted messages. Each sent message is
// handled at the program's next look into its queue, before it takes the
// next posted message; so after n round trips the program has taken at
// least n - 1 posted messages, including those its handlers posted on the
// way (a WM_CHAR from TranslateMessage, WM_SYSCOMMAND after Alt+F4, the
// WM_COMMAND after WM_CLOSE).
constexpr int kPostedRoundTrips = 8;

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

bool Driver::Execute(const Words& w, std::string* error) {
    const Command* command = FindCommand(w[0]);
    if (!command) {  // the script was checked before the run
        *error = "unknown command " + Quote(w[0]);
        return false;
    }
    if (command->needs != Needs::kNothing) {
        if (!current_ || !IsWindow(current_)) {
            *error = "no current window (wait-window first)";
            return false;
        }
        if (command->needs == Needs::kSettledWindow && (!Settle(error) || !RequireNoMessageBox(error)))
            return false;
    }
    return (this->*command->handler)(w, error);
}

bool Driver::Screenshot(const Words& w, std::string* error) {
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
    int id = 0;
    if (dialog && !ParseControlId(w[2], &id)) {
        *error = "unknown control " + Quote(w[2]);
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
                if (window != previous && WindowClass(window) == className && GetDlgItem(window, id) &&
                    ReadText(window, &text) && text == w[1]) {
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
    const bool silent = w[0] == "expect-silent-exit";
    DWORD start = GetTickCount();
    while (WaitForSingleObject(process_, kPollMs) == WAIT_TIMEOUT) {
        const std::vector<HWND> shown = silent ? TopWindows(pid_) : std::vector<HWND>();
        if (!shown.empty()) {
            std::string text;
            ReadText(shown.front(), &text);
            *error =
                "a window of the program shows: " + Quote(text) + " (" + WindowClass(shown.front()) + ")";
            return false;
        }
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
    if (!ExpectExit({"expect-exit", w.size() > 2 ? w[2] : "0"}, error)) return false;
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
                *error = "cannot open the program " + Quote(w[1]) + " (error " +
                         std::to_string(GetLastError()) + ")";
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
    const BOOL started = CreateProcessA(program.c_str(), mutableLine.data(), nullptr, nullptr, TRUE, 0,
                                        nullptr, nullptr, &startup, &info);
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

}  // namespace e2e
