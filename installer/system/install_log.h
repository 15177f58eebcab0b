// The install log: one text file that says what a run of the installer did,
// written in every run, interactive or unattended. Each line is
//
//   HH:MM:SS.mmm  <kind>  <text>
//
// with the local time and one of the kinds below, so a reader (or a test)
// can pick out every file copied or every registry value written with one
// search. The log is the process's own, like the console of a command-line
// program: any part of the installer writes a line with LogLine, and none
// has to pass a log object around.
//
// Lines written before the log's file is known (the default name needs the
// game's name, which the install script gives) are held in memory and
// written when the file is set. Writing never stops an install: the first
// failure to open or write the file is handed to the failure callback once,
// and from then on lines are dropped. Lines are flushed as they are written,
// so a run that dies leaves everything up to its last line.
#ifndef INSTALLER_SYSTEM_INSTALL_LOG_H
#define INSTALLER_SYSTEM_INSTALL_LOG_H

#include <cstdint>
#include <functional>
#include <string>

namespace installer {

enum class LogKind {
    Run,       // the command line, the mode, the log itself
    Step,      // a wizard step entered, and its result
    File,      // a file copied (with its size and time), removed, or set aside
    Registry,  // a registry value written or deleted, a key removed
    Link,      // a shortcut made or removed
    Rollback,  // an action that undoes part of the run
    Message,   // a message box, its text and its answer
    Failure,   // something that failed, with the system's reason when there is one
    Finish,    // the finish mode and the exit code
};

// The word that names `kind` in the log ("run", "step", "file", ...).
const char* LogKindName(LogKind kind);

// Appends one line of `kind`; `format` is printf's. Line breaks in the text
// are written as " | " so that a line stays one line.
void LogLine(LogKind kind, const char* format, ...)
#if defined(__GNUC__)
    __attribute__((format(printf, 2, 3)))
#endif
    ;

// Where the log goes. The file is opened for appending (a log kept across
// runs keeps every run); lines held so far are written first. A second call
// is ignored: a run has one log. False when the file cannot be opened (the
// failure has then been reported).
bool SetInstallLogFile(const std::string& path);
// Whether the log has a file (which may have failed since).
bool InstallLogHasFile();
// Called once, with the path and the system's reason, the first time the
// file cannot be opened or written. Without a callback the failure is only
// remembered.
void SetInstallLogFailureHandler(std::function<void(const std::string& path, const std::string& reason)> handler);
// Lines kept in memory because no file has been set yet; for a run that
// ends before it knows where its log goes (and for tests).
std::string HeldInstallLogLines();
// Forgets the file, the held lines and the failure (tests start clean).
void ResetInstallLog();

// The system's text for error `code` (GetLastError's on Windows, errno's
// elsewhere), without a trailing line break; "error N" when it has none.
std::string SystemReason(uint32_t code);
// The calling thread's last system error code.
uint32_t LastSystemError();

}  // namespace installer

#endif  // INSTALLER_SYSTEM_INSTALL_LOG_H
