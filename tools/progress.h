// A one-line progress display on standard error for long jobs: a bar, bytes
// and entries done, the rate and the time left. It stays silent during the
// first second (short jobs never show it) and when it is not enabled (not a
// terminal, or -q).
#ifndef TOOLS_PROGRESS_H
#define TOOLS_PROGRESS_H

#include <chrono>
#include <cstdint>
#include <ostream>
#include <string>

namespace dta::tools {

class Progress {
public:
    // `quietStart`: how long a job runs before the line first shows.
    Progress(std::ostream& err, bool enabled, uint64_t totalBytes, uint64_t totalEntries,
             std::chrono::milliseconds quietStart = std::chrono::seconds(1));
    ~Progress() { Clear(); }
    Progress(const Progress&) = delete;
    Progress& operator=(const Progress&) = delete;

    // The line never takes more than `columns` - 1 characters (the last
    // column would wrap on some terminals); it drops the time left, then
    // the rate, then the bar to fit. Set from the terminal at construction.
    void SetColumns(size_t columns) { columns_ = columns; }

    // Counts more work finished and redraws now and then.
    void Add(uint64_t bytes, uint64_t entries);
    // Removes the line, so that a message can be printed; the next Add
    // draws it again.
    void Clear();

private:
    using Clock = std::chrono::steady_clock;
    void Draw();

    std::ostream& err_;
    bool enabled_;
    std::chrono::milliseconds quietStart_;
    uint64_t totalBytes_, totalEntries_;
    uint64_t bytes_ = 0, entries_ = 0;
    Clock::time_point start_, lastDraw_;
    size_t shownWidth_ = 0;
    size_t columns_ = 80;
};

// "1.5 MB", "820 KB", "17 B": sizes for people, in units of 1000.
std::string HumanBytes(double bytes);

}  // namespace dta::tools

#endif  // TOOLS_PROGRESS_H
