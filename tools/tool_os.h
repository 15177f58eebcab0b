// The `dta` tool's door to the operating system: files it reads, files it
// creates under temporary names and moves into place, the terminal, and the
// clean-up of temporary files when the process is interrupted. One
// implementation per platform (tool_os_posix.cpp, tool_os_win32.cpp).
//
// Every operation that fails reports a message that ends with the system's
// reason, such as "cannot create out/x: No such file or directory".
#ifndef TOOLS_TOOL_OS_H
#define TOOLS_TOOL_OS_H

#include <cstddef>
#include <cstdint>
#include <ostream>
#include <string>

namespace dta::tools::os {

using Handle = intptr_t;
inline constexpr Handle kNoHandle = -1;

// A file opened for reading from its start to its end.
class InputFile {
public:
    InputFile() = default;
    ~InputFile();
    InputFile(const InputFile&) = delete;
    InputFile& operator=(const InputFile&) = delete;

    // Opens `path` (following links). Refuses anything that is not a regular
    // file, so that a folder, a pipe or a device never blocks or misleads.
    // Size and modification time are taken from the opened file.
    bool Open(const std::string& path, std::string* error);
    // Standard input: a stream of unknown size.
    void OpenStandardInput();

    // Reads up to `count` bytes; `*got` is 0 only at the end.
    bool Read(void* buffer, size_t count, size_t* got, std::string* error);

    uint64_t size() const { return size_; }
    uint64_t fileTime() const { return fileTime_; }  // Windows FILETIME
    const std::string& path() const { return path_; }

private:
    void Close();

    Handle handle_ = kNoHandle;
    bool standardInput_ = false;
    uint64_t size_ = 0;
    uint64_t fileTime_ = 0;
    std::string path_;
};

// A new file created under a unique temporary name in the folder of its
// target, and moved over the target only once it is complete. Until then it
// is removed on every failure, when the owner goes away, and when the
// process is interrupted (see InstallInterruptCleanup).
class NewFile {
public:
    NewFile() = default;
    ~NewFile();
    NewFile(const NewFile&) = delete;
    NewFile& operator=(const NewFile&) = delete;

    // Creates the temporary file next to `target` exclusively: an existing
    // file or link of the chosen name is never opened, followed or reused.
    bool CreateFor(const std::string& target, std::string* error);
    // Creates a scratch file in the system's temporary folder.
    bool CreateScratch(std::string* error);

    // Appends `count` bytes.
    bool Write(const void* data, size_t count, std::string* error);
    // Writes `count` bytes at `offset` without moving the append position.
    bool WriteAt(uint64_t offset, const void* data, size_t count, std::string* error);
    // Sets the modification time (a Windows FILETIME).
    bool SetTime(uint64_t fileTime, std::string* error);
    // Copies the whole file from its start to `sink` (used to send a
    // finished scratch file to standard output).
    bool CopyTo(std::ostream& sink, std::string* error);

    // Closes the file and moves it to `target`. `replace`: an existing file
    // there is replaced; otherwise an existing target makes this fail. A
    // folder is never replaced. On failure the temporary file is removed.
    bool Commit(const std::string& target, bool replace, std::string* error);
    // Closes the file but keeps it, for others to open by path(); it is
    // still removed by Discard, the destructor or an interrupt.
    bool Close(std::string* error);
    // Closes and removes the file.
    void Discard();

    const std::string& path() const { return path_; }
    bool IsOpen() const { return handle_ != kNoHandle; }

private:
    bool CreateIn(const std::string& folder, const std::string& stem, const std::string& shown,
                  std::string* error);

    Handle handle_ = kNoHandle;
    std::string path_;
    // The name messages give: the target, not the temporary name that a
    // failure removes.
    std::string shown_;
    int cleanupSlot_ = -1;
};

// A temporary file that has no name from the moment it exists (or from
// right after, where the system can't create it nameless), readable and
// writable by its owner only: nothing can open it by name, and nothing is
// left behind however the process ends, even by SIGKILL. On Windows it is
// a temporary file deleted when its handle closes.
class SpillFile {
public:
    SpillFile() = default;
    ~SpillFile();
    SpillFile(const SpillFile&) = delete;
    SpillFile& operator=(const SpillFile&) = delete;

    // Creates the file in `folder`. The failure names the folder.
    bool Create(const std::string& folder, std::string* error);
    bool WriteAt(uint64_t offset, const void* data, size_t count, std::string* error);
    // Reads exactly `count` bytes at `offset`.
    bool ReadAt(uint64_t offset, void* data, size_t count, std::string* error);
    // A path through which the file can be opened again for reading while
    // this owner keeps it, or "" where the system offers none.
    std::string ReopenPath() const;

    const std::string& folder() const { return folder_; }
    bool IsOpen() const { return handle_ != kNoHandle; }

private:
    Handle handle_ = kNoHandle;
    std::string folder_;
};

// The folder for temporary files: `chosen` if not empty, else TMPDIR (TEMP
// on Windows), else the system's default.
std::string TemporaryFolder(const std::string& chosen);

// Removes every temporary file of a NewFile still alive when the process
// receives an interrupt or termination request, then lets the request take
// its usual effect. Call once at start-up.
void InstallInterruptCleanup();

// Tells the interrupt handler that a progress line is on the terminal, so
// that it ends the line before the process goes.
void SetProgressLineShown(bool shown);

// True when standard error, output or input is a terminal.
bool StandardErrorIsTerminal();
bool StandardOutputIsTerminal();
bool StandardInputIsTerminal();

// The width of the terminal on standard error in columns: the system's
// figure, else COLUMNS, else 80.
size_t TerminalColumns();

// Occupies each of standard input, output and error that the process was
// started without by a null device open the other way round, so that no
// file the tool opens takes its number and every use of it fails. Call
// once at start-up.
void GuardStandardStreams();

// Puts standard output into binary mode where the system translates line
// ends, so entry bytes pass through unchanged.
void UseBinaryStandardOutput();

// The text of the system's error code `code` (errno on POSIX, GetLastError
// on Windows).
std::string ErrorText(int code);

}  // namespace dta::tools::os

#endif  // TOOLS_TOOL_OS_H
