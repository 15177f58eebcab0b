#include "installer/system/install_log.h"

#include <cerrno>
#include <chrono>
#include <cstdarg>
#include <cstdio>
#include <ctime>
#include <mutex>

namespace installer {

namespace {

struct LogState {
    // Recursive: the failure callback may write a line (which is then dropped).
    std::recursive_mutex mutex;
    std::string path;
    FILE* file = nullptr;
    bool hasFile = false;
    bool failed = false;
    std::string held;
    std::function<void(const std::string&, const std::string&)> onFailure;
};

LogState& State() {
    static LogState state;
    return state;
}

// Called with the mutex held. Reports once; from then on the log is dropped.
void Fail(LogState& state, uint32_t code) {
    if (state.file != nullptr) std::fclose(state.file);
    state.file = nullptr;
    if (state.failed) return;
    state.failed = true;
    state.held.clear();
    if (state.onFailure) state.onFailure(state.path, SystemReason(code));
}

// Called with the mutex held.
void Write(LogState& state, const std::string& text) {
    if (state.failed) return;
    if (state.file == nullptr) {
        state.held += text;
        return;
    }
    errno = 0;
    if (std::fwrite(text.data(), 1, text.size(), state.file) != text.size() || std::fflush(state.file) != 0) {
        Fail(state, LastSystemError());
    }
}

std::string TimeStamp() {
    using namespace std::chrono;
    const auto now = system_clock::now();
    const std::time_t seconds = system_clock::to_time_t(now);
    const auto millis = duration_cast<milliseconds>(now.time_since_epoch()).count() % 1000;
    std::tm local = {};
#if defined(_WIN32)
    localtime_s(&local, &seconds);
#else
    localtime_r(&seconds, &local);
#endif
    char text[16];
    std::snprintf(text, sizeof text, "%02d:%02d:%02d.%03d", local.tm_hour, local.tm_min, local.tm_sec,
                  static_cast<int>(millis));
    return text;
}

}  // namespace

const char* LogKindName(LogKind kind) {
    switch (kind) {
        case LogKind::Run: return "run";
        case LogKind::Step: return "step";
        case LogKind::File: return "file";
        case LogKind::Registry: return "registry";
        case LogKind::Link: return "link";
        case LogKind::Rollback: return "rollback";
        case LogKind::Message: return "message";
        case LogKind::Failure: return "failure";
        case LogKind::Finish: return "finish";
    }
    return "?";
}

void LogLine(LogKind kind, const char* format, ...) {
    char buffer[1024];
    va_list args;
    va_start(args, format);
    const int length = std::vsnprintf(buffer, sizeof buffer, format, args);
    va_end(args);
    std::string text;
    if (length >= static_cast<int>(sizeof buffer)) {
        // A long path or message: format again into a buffer that fits.
        std::string whole(static_cast<size_t>(length) + 1, '\0');
        va_start(args, format);
        std::vsnprintf(&whole[0], whole.size(), format, args);
        va_end(args);
        whole.resize(static_cast<size_t>(length));
        text = whole;
    } else if (length > 0) {
        text.assign(buffer, static_cast<size_t>(length));
    }
    std::string line = TimeStamp() + "  " + LogKindName(kind) + "  ";
    for (size_t i = 0; i < text.size(); ++i) {
        const char c = text[i];
        if (c == '\r' && i + 1 < text.size() && text[i + 1] == '\n') continue;
        if (c == '\n' || c == '\r') {
            line += " | ";
        } else {
            line += c;
        }
    }
#if defined(_WIN32)
    line += "\r\n";
#else
    line += '\n';
#endif
    LogState& state = State();
    std::lock_guard<std::recursive_mutex> lock(state.mutex);
    Write(state, line);
}

bool SetInstallLogFile(const std::string& path) {
    LogState& state = State();
    std::lock_guard<std::recursive_mutex> lock(state.mutex);
    if (state.hasFile) return state.file != nullptr;
    state.hasFile = true;
    state.path = path;
    if (state.failed) return false;
    errno = 0;
    state.file = std::fopen(path.c_str(), "ab");
    if (state.file == nullptr) {
        Fail(state, LastSystemError());
        return false;
    }
    const std::string held = std::move(state.held);
    state.held.clear();
    Write(state, held);
    return state.file != nullptr;
}

bool InstallLogHasFile() {
    LogState& state = State();
    std::lock_guard<std::recursive_mutex> lock(state.mutex);
    return state.hasFile;
}

void SetInstallLogFailureHandler(std::function<void(const std::string&, const std::string&)> handler) {
    LogState& state = State();
    std::lock_guard<std::recursive_mutex> lock(state.mutex);
    state.onFailure = std::move(handler);
}

std::string HeldInstallLogLines() {
    LogState& state = State();
    std::lock_guard<std::recursive_mutex> lock(state.mutex);
    return state.held;
}

void ResetInstallLog() {
    LogState& state = State();
    std::lock_guard<std::recursive_mutex> lock(state.mutex);
    if (state.file != nullptr) std::fclose(state.file);
    state.file = nullptr;
    state.hasFile = false;
    state.failed = false;
    state.path.clear();
    state.held.clear();
    state.onFailure = nullptr;
}

}  // namespace installer
